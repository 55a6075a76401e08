// The criteria that recommend a degree from a degree table: their names on the command
// line, the sentence that says why a degree is recommended, and the choice that
// `fit --degree auto` makes for one series.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accurate/degree_table.h"
#include "input/series.h"
#include "text/expected.h"

namespace polylsq::app {

// The names of the criteria in the order the reports list them, for messages.
inline constexpr std::string_view kCriterionList = "bic, aic, aicc, loocv or ftest";

// "bic" -> kBic; a name that is none of kCriterionList (case counts) -> nullopt.
std::optional<accurate::DegreeCriterion> criterion_named(std::string_view name);

// kBic -> "bic".
std::string criterion_name(accurate::DegreeCriterion criterion);

// Why `criterion` recommends its degree k of `table`: "the smallest BIC of degrees 0 to 5";
// "an exact fit: its BIC is undefined and ranks first"; for ftest "the added terms of
// degrees 1 to 2 are significant at 0.05 (F test), degree 3's is not".
std::string recommendation_reason(const accurate::DegreeTable& table, accurate::DegreeCriterion criterion);

struct DegreeChoice {
  int degree = 0;
  std::string reason;                 // as recommendation_reason
  // After "--degree auto: ": the table's warnings on the whole table and on the chosen
  // degree, and a count of those on other degrees.
  std::vector<std::string> warnings;
};

// The degree that `criterion` recommends from the table of `series` up to `max_degree`
// (the table's default when empty). Errors: those of accurate::degree_table.
Expected<DegreeChoice> choose_degree(const input::Series& series, accurate::DegreeCriterion criterion,
                                     std::optional<int> max_degree);

}  // namespace polylsq::app
