// The reports of `degrees` from tables made by hand: the exact text layout with its marks
// and lines of recommendation, the JSON keys of one series and of several, and the reasons
// each criterion gives.
#include "app/degree_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/degree_choice.h"

namespace polylsq::app {
namespace {

using accurate::DegreeCriterion;
using accurate::DegreeRow;
using accurate::DegreeTable;

// Degrees 0 to 2 of six observations, one more of weight 0; values with short exact texts.
DegreeTable hand_table() {
  DegreeTable table;
  table.n = 6;
  table.zero_weight_count = 1;
  table.weighted = true;
  auto row = [](int degree, double sd, double r2, double adjusted, double aic, std::optional<double> aicc, double bic,
                std::optional<double> loocv, std::optional<double> p) {
    DegreeRow r;
    r.degree = degree;
    r.residual_sd = sd;
    r.r_squared = r2;
    r.adjusted_r_squared = adjusted;
    r.aic = aic;
    r.aicc = aicc;
    r.bic = bic;
    r.loocv_rmse = loocv;
    r.f_p_value = p;
    return r;
  };
  table.rows = {row(0, 2, 0, 0, 20.5, 21, 21.25, 2.5, std::nullopt),
                row(1, 0.5, 0.9375, 0.921875, 10.125, 12.125, 11, 0.75, 1.5e-05),
                row(2, 0.25, 0.984375, 0.96875, 9.5, std::nullopt, 11.25, std::nullopt, 0.0625)};
  table.recommended = {1, 2, 1, 1, 1};  // bic, aic, aicc, loocv, ftest
  table.warnings = {"degree 2: AICc is undefined: it needs more than 5 observations"};
  return table;
}

const DegreeSource kSource{"data.csv", "columns", {"data.csv: line 9: empty cell, row skipped"}};

TEST(DegreeReport, TextMarksEachCriterionsDegreeAndSaysWhyTheChosenOneIsRecommended) {
  const std::string expected =
      "Degrees 0 to 2 for 6 observations (and 1 of weight 0, not used) (data.csv, columns, weighted)\n"
      "\n"
      "degree       residual SD           R-squared      adj. R-squared                 AIC                AICc"
      "                 BIC          LOOCV RMSE            F test p\n"
      "     0                 2                   0                   0                20.5                  21"
      "               21.25                 2.5\n"
      "     1               0.5              0.9375            0.921875              10.125              12.125 *"
      "                11 *              0.75 *           1.5e-05 *\n"
      "     2              0.25            0.984375             0.96875                 9.5 *         undefined"
      "               11.25           undefined              0.0625\n"
      "\n"
      "* the degree each criterion recommends: bic 1, aic 2, aicc 1, loocv 1, ftest 1\n"
      "Recommended by aic: degree 2, the smallest AIC of degrees 0 to 2\n"
      "\n"
      "Warnings\n"
      "  data.csv: line 9: empty cell, row skipped\n"
      "  degree 2: AICc is undefined: it needs more than 5 observations\n";
  EXPECT_EQ(degrees_text({{"y", hand_table()}}, kSource, DegreeCriterion::kAic), expected);
}

TEST(DegreeReport, EachCriterionSaysWhyItRecommendsItsDegree) {
  DegreeTable exact = hand_table();
  exact.rows[2].exact = true;
  exact.rows[2].aic = exact.rows[2].bic = std::nullopt;
  exact.recommended = {2, 2, 1, 1, 2};
  DegreeTable none_significant = hand_table();
  none_significant.recommended.ftest = 0;
  DegreeTable only_zero = hand_table();
  only_zero.rows.resize(1);
  only_zero.recommended = {};
  const struct {
    const char* name;
    DegreeTable table;
    DegreeCriterion criterion;
    const char* reason;
  } cases[] = {
      {"bic", hand_table(), DegreeCriterion::kBic, "the smallest BIC of degrees 0 to 2"},
      {"aicc", hand_table(), DegreeCriterion::kAicc, "the smallest AICc of degrees 0 to 2"},
      {"loocv", hand_table(), DegreeCriterion::kLoocv, "the smallest leave-one-out RMSE of degrees 0 to 2"},
      {"ftest one", hand_table(), DegreeCriterion::kFtest,
       "the added term of degree 1 is significant at 0.05 (F test), degree 2's is not"},
      {"ftest to the top", exact, DegreeCriterion::kFtest, "the added terms of degrees 1 to 2 are significant at 0.05 (F test)"},
      {"ftest none", none_significant, DegreeCriterion::kFtest, "the added term of degree 1 is not significant at 0.05 (F test)"},
      {"ftest degree 0 only", only_zero, DegreeCriterion::kFtest, "the table holds degree 0 only"},
      {"exact fit", exact, DegreeCriterion::kBic, "an exact fit: its BIC is undefined and ranks first"},
  };
  for (const auto& c : cases) EXPECT_EQ(recommendation_reason(c.table, c.criterion), c.reason) << c.name;
}

TEST(DegreeReport, CriteriaAreNamedInLowerCaseOnly) {
  for (const char* name : {"bic", "aic", "aicc", "loocv", "ftest"}) {
    const auto criterion = criterion_named(name);
    ASSERT_TRUE(criterion.has_value()) << name;
    EXPECT_EQ(criterion_name(*criterion), name);
  }
  for (const char* name : {"BIC", "", "r2", "aic "}) EXPECT_FALSE(criterion_named(name).has_value()) << name;
}

TEST(DegreeReport, JsonHasExactlyItsKeysOneObjectPerSeries) {
  using json = nlohmann::ordered_json;  // keys in the order written
  const json one = json::parse(degrees_json({{"y", hand_table()}}, kSource, DegreeCriterion::kBic));
  const json expected_keys = {"input", "n", "max_degree", "degrees", "recommended", "criterion", "warnings"};
  json keys = json::array();
  for (const auto& item : one.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, expected_keys);
  EXPECT_EQ(one["max_degree"], 2);
  EXPECT_EQ(one["degrees"][0]["f_p_value"], nullptr);
  EXPECT_EQ(one["degrees"][2]["aicc"], nullptr);
  EXPECT_EQ(one["degrees"][1]["f_p_value"], 1.5e-05);
  EXPECT_EQ(one["recommended"], (json{{"bic", 1}, {"aic", 2}, {"aicc", 1}, {"loocv", 1}, {"ftest", 1}}));
  EXPECT_EQ(one["warnings"].size(), 2u);

  DegreeTable second = hand_table();
  second.rows.resize(2);
  const std::string text = degrees_text({{"a", hand_table()}, {"b", second}}, kSource, DegreeCriterion::kBic);
  EXPECT_NE(text.find("Degrees 0 to 2 for series a: 6 observations"), std::string::npos) << text;
  EXPECT_NE(text.find("\nDegrees 0 to 1 for series b: 6 observations"), std::string::npos) << text;
  const json several =
      json::parse(degrees_json({{"a", hand_table()}, {"b", second}}, kSource, DegreeCriterion::kFtest));
  ASSERT_EQ(several.size(), 1u);
  ASSERT_EQ(several["series"].size(), 2u);
  EXPECT_EQ(several["series"][0]["series"], "a");
  EXPECT_EQ(several["series"][1]["series"], "b");
  EXPECT_EQ(several["series"][1]["max_degree"], 1);
  EXPECT_EQ(several["series"][1]["criterion"], "ftest");
}

}  // namespace
}  // namespace polylsq::app
