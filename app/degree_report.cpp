// The text and JSON reports of degree tables.
#include "app/degree_report.h"

#include <nlohmann/json.hpp>

#include "app/degree_choice.h"
#include "app/report_text.h"

namespace polylsq::app {
namespace {

using accurate::DegreeCriterion;
using accurate::DegreeRow;
using accurate::DegreeTable;

constexpr int kDigits = 10;  // the engine's promised accuracy, and no more to read
constexpr std::string_view kMark = " *";
constexpr std::string_view kNoMark = "  ";

const std::vector<Column> kColumns{{6}, {18}, {18}, {18}, {18}, {18}, {18}, {18}, {18}};

// A value and its mark, so that marked and unmarked values line up.
std::string cell(std::optional<double> value, bool marked) {
  return significant(value, kDigits) + std::string(marked ? kMark : kNoMark);
}

std::string header_row() {
  std::vector<std::string> cells{"degree"};
  for (const char* name : {"residual SD", "R-squared", "adj. R-squared", "AIC", "AICc", "BIC", "LOOCV RMSE",
                           "F test p"}) {
    cells.push_back(std::string(name) + std::string(kNoMark));
  }
  return table_row(cells, kColumns);
}

std::string row_text(const DegreeRow& row, const accurate::RecommendedDegrees& recommended) {
  const int k = row.degree;
  const std::string p = k == 0 ? std::string(kNoMark) : cell(row.f_p_value, k == recommended.ftest);
  return table_row({std::to_string(k), cell(row.residual_sd, false), cell(row.r_squared, false),
                    cell(row.adjusted_r_squared, false), cell(row.aic, k == recommended.aic),
                    cell(row.aicc, k == recommended.aicc), cell(row.bic, k == recommended.bic),
                    cell(row.loocv_rmse, k == recommended.loocv), p},
                   kColumns);
}

// "Degrees 0 to 3 for 7 observations (and 1 of weight 0, not used) (data.txt, columns, weighted)"
std::string heading(const SeriesTable& named, const DegreeSource& source, bool several) {
  const DegreeTable& table = named.table;
  std::string out = "Degrees 0 to " + std::to_string(table.rows.size() - 1) + " for ";
  if (several) out += "series " + named.name + ": ";
  out += std::to_string(table.n) + " observations";
  if (table.zero_weight_count > 0) {
    out += " (and " + std::to_string(table.zero_weight_count) + " of weight 0, not used)";
  }
  return out + " (" + source.name + ", " + source.format + (table.weighted ? ", weighted" : "") + ")\n\n";
}

std::string recommendations_text(const DegreeTable& table, DegreeCriterion criterion) {
  const accurate::RecommendedDegrees& r = table.recommended;
  return "\n* the degree each criterion recommends: bic " + std::to_string(r.bic) + ", aic " +
         std::to_string(r.aic) + ", aicc " + std::to_string(r.aicc) + ", loocv " + std::to_string(r.loocv) +
         ", ftest " + std::to_string(r.ftest) + "\nRecommended by " + criterion_name(criterion) + ": degree " +
         std::to_string(accurate::recommended_degree(r, criterion)) + ", " +
         recommendation_reason(table, criterion) + "\n";
}

std::vector<std::string> all_warnings(const DegreeTable& table, const DegreeSource& source) {
  std::vector<std::string> warnings = source.warnings;
  warnings.insert(warnings.end(), table.warnings.begin(), table.warnings.end());
  return warnings;
}

nlohmann::ordered_json number_or_null(std::optional<double> value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json row_json(const DegreeRow& row) {
  return nlohmann::ordered_json{{"degree", row.degree},
                                {"residual_sd", number_or_null(row.residual_sd)},
                                {"r_squared", number_or_null(row.r_squared)},
                                {"adjusted_r_squared", number_or_null(row.adjusted_r_squared)},
                                {"aic", number_or_null(row.aic)},
                                {"aicc", number_or_null(row.aicc)},
                                {"bic", number_or_null(row.bic)},
                                {"loocv_rmse", number_or_null(row.loocv_rmse)},
                                {"f_p_value", number_or_null(row.f_p_value)}};
}

nlohmann::ordered_json table_json(const SeriesTable& named, const DegreeSource& source,
                                  DegreeCriterion criterion, bool several) {
  const DegreeTable& table = named.table;
  const accurate::RecommendedDegrees& r = table.recommended;
  nlohmann::ordered_json report;
  report["input"] = source.name;
  if (several) report["series"] = named.name;
  report["n"] = table.n;
  report["max_degree"] = table.rows.size() - 1;
  report["degrees"] = nlohmann::ordered_json::array();
  for (const DegreeRow& row : table.rows) report["degrees"].push_back(row_json(row));
  report["recommended"] = nlohmann::ordered_json{
      {"bic", r.bic}, {"aic", r.aic}, {"aicc", r.aicc}, {"loocv", r.loocv}, {"ftest", r.ftest}};
  report["criterion"] = criterion_name(criterion);
  report["warnings"] = all_warnings(table, source);
  return report;
}

}  // namespace

std::string degrees_text(const std::vector<SeriesTable>& tables, const DegreeSource& source,
                         DegreeCriterion criterion) {
  const bool several = tables.size() > 1;
  std::string out;
  for (const SeriesTable& named : tables) {
    if (!out.empty()) out += "\n";
    out += heading(named, source, several) + header_row();
    for (const DegreeRow& row : named.table.rows) out += row_text(row, named.table.recommended);
    out += recommendations_text(named.table, criterion) + warnings_text(all_warnings(named.table, source));
  }
  return out;
}

std::string degrees_json(const std::vector<SeriesTable>& tables, const DegreeSource& source,
                         DegreeCriterion criterion) {
  if (tables.size() == 1) return json_text(table_json(tables.front(), source, criterion, false));
  nlohmann::ordered_json series = nlohmann::ordered_json::array();
  for (const SeriesTable& named : tables) series.push_back(table_json(named, source, criterion, true));
  return json_text(nlohmann::ordered_json{{"series", series}});
}

}  // namespace polylsq::app
