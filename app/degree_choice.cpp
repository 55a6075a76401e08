// Criterion names, the reasons of a recommendation, and the choice of `fit --degree auto`.
#include "app/degree_choice.h"

#include <array>
#include <charconv>
#include <system_error>
#include <utility>

namespace polylsq::app {
namespace {

using accurate::DegreeCriterion;
using accurate::DegreeRow;

constexpr std::array<std::pair<DegreeCriterion, std::string_view>, 5> kNames{{
    {DegreeCriterion::kBic, "bic"},
    {DegreeCriterion::kAic, "aic"},
    {DegreeCriterion::kAicc, "aicc"},
    {DegreeCriterion::kLoocv, "loocv"},
    {DegreeCriterion::kFtest, "ftest"},
}};

// The figure that a smallest-value criterion compares, as the reports name it, and its
// value in `row`.
std::string figure_of(DegreeCriterion criterion) {
  switch (criterion) {
    case DegreeCriterion::kAic: return "AIC";
    case DegreeCriterion::kAicc: return "AICc";
    case DegreeCriterion::kLoocv: return "leave-one-out RMSE";
    default: return "BIC";
  }
}

std::optional<double> value_of(const DegreeRow& row, DegreeCriterion criterion) {
  switch (criterion) {
    case DegreeCriterion::kAic: return row.aic;
    case DegreeCriterion::kAicc: return row.aicc;
    case DegreeCriterion::kLoocv: return row.loocv_rmse;
    default: return row.bic;
  }
}

std::string ftest_reason(const accurate::DegreeTable& table, int degree) {
  const int last = static_cast<int>(table.rows.size()) - 1;
  if (last == 0) return "the table holds degree 0 only";
  const std::string test = " at 0.05 (F test)";
  if (degree == 0) return "the added term of degree 1 is not significant" + test;
  std::string reason = degree == 1 ? "the added term of degree 1 is significant" + test
                                   : "the added terms of degrees 1 to " + std::to_string(degree) +
                                         " are significant" + test;
  if (degree < last) reason += ", degree " + std::to_string(degree + 1) + "'s is not";
  return reason;
}

// The degree that a warning of the table is about ("degree 3: AICc is undefined..." -> 3);
// none for a warning on the whole table (its highest degree, where it ends).
std::optional<int> row_of(std::string_view warning) {
  constexpr std::string_view kPrefix = "degree ";
  if (warning.find("the table ends at degree") != std::string_view::npos) return std::nullopt;
  if (warning.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  const std::string_view rest = warning.substr(kPrefix.size());
  int degree = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), degree);
  if (error != std::errc() || end == rest.data() || end == rest.data() + rest.size() || *end != ':') {
    return std::nullopt;
  }
  return degree;
}

}  // namespace

std::optional<DegreeCriterion> criterion_named(std::string_view name) {
  for (const auto& [criterion, text] : kNames) {
    if (text == name) return criterion;
  }
  return std::nullopt;
}

std::string criterion_name(DegreeCriterion criterion) {
  for (const auto& [candidate, text] : kNames) {
    if (candidate == criterion) return std::string(text);
  }
  return "bic";
}

std::string recommendation_reason(const accurate::DegreeTable& table, DegreeCriterion criterion) {
  const int degree = accurate::recommended_degree(table.recommended, criterion);
  if (criterion == DegreeCriterion::kFtest) return ftest_reason(table, degree);
  const DegreeRow& row = table.rows.at(static_cast<std::size_t>(degree));
  const std::string figure = figure_of(criterion);
  if (row.exact && !value_of(row, criterion)) return "an exact fit: its " + figure + " is undefined and ranks first";
  return "the smallest " + figure + " of degrees 0 to " + std::to_string(table.rows.size() - 1);
}

Expected<DegreeChoice> choose_degree(const input::Series& series, DegreeCriterion criterion,
                                     std::optional<int> max_degree) {
  const Expected<accurate::DegreeTable> table = accurate::degree_table(series.x, series.y, series.w, max_degree);
  if (!table) return table.error();
  DegreeChoice choice;
  choice.degree = accurate::recommended_degree(table->recommended, criterion);
  choice.reason = recommendation_reason(*table, criterion);
  std::size_t others = 0;  // warnings on rows of other degrees
  for (const std::string& warning : table->warnings) {
    const std::optional<int> row = row_of(warning);
    if (row && *row != choice.degree) {
      ++others;
    } else {
      choice.warnings.push_back("--degree auto: " + warning);
    }
  }
  if (others > 0) {
    choice.warnings.push_back("--degree auto: the degree table has " + std::to_string(others) +
                              (others == 1 ? " warning" : " warnings") +
                              " on other degrees ('polylsq degrees' shows them)");
  }
  return choice;
}

}  // namespace polylsq::app
