// polylsq_degree_table, its accessors and its free: the engine's degree table behind the C
// interface.
#include <optional>
#include <string>

#include "accurate/degree_table.h"
#include "capi/error_object.h"
#include "capi/fit_object.h"
#include "capi/text_copy.h"

struct polylsq_degree_table {
  polylsq::accurate::DegreeTable table;
};

namespace {

using polylsq::accurate::DegreeCriterion;
using polylsq::capi::or_undefined;

polylsq_degree_row_t row_of(const polylsq::accurate::DegreeRow& row) {
  return polylsq_degree_row_t{row.degree,
                              row.exact ? 1 : 0,
                              row.error_df,
                              row.error_sum_of_squares,
                              or_undefined(row.residual_sd),
                              or_undefined(row.r_squared),
                              or_undefined(row.adjusted_r_squared),
                              or_undefined(row.aic),
                              or_undefined(row.aicc),
                              or_undefined(row.bic),
                              or_undefined(row.loocv_rmse),
                              or_undefined(row.f_value),
                              or_undefined(row.f_p_value)};
}

std::optional<DegreeCriterion> criterion_of(polylsq_criterion_t criterion) {
  switch (criterion) {
    case POLYLSQ_CRITERION_BIC:
      return DegreeCriterion::kBic;
    case POLYLSQ_CRITERION_AIC:
      return DegreeCriterion::kAic;
    case POLYLSQ_CRITERION_AICC:
      return DegreeCriterion::kAicc;
    case POLYLSQ_CRITERION_LOOCV:
      return DegreeCriterion::kLoocv;
    case POLYLSQ_CRITERION_FTEST:
      return DegreeCriterion::kFtest;
  }
  return std::nullopt;  // a value outside the enumeration, from another language
}

}  // namespace

extern "C" {

polylsq_degree_table_t* polylsq_degree_table(const double* x, const double* y,
                                             const double* weights, size_t count, int max_degree,
                                             polylsq_error_t** error) {
  using namespace polylsq::capi;
  return guarded_call(error, "the degree table", static_cast<polylsq_degree_table_t*>(nullptr),
                      [&]() -> polylsq_degree_table_t* {
                        if (const char* missing = missing_observations(x, y, count)) {
                          report(error, POLYLSQ_INVALID_ARGUMENT, missing);
                          return nullptr;
                        }
                        const Observations data = observations(x, y, weights, count);
                        const std::optional<int> highest = max_degree == POLYLSQ_DEFAULT_MAX_DEGREE
                                                               ? std::nullopt
                                                               : std::optional<int>(max_degree);
                        auto table =
                            polylsq::accurate::degree_table(data.x, data.y, data.w, highest);
                        if (!table) {
                          report(error, std::move(table.error()));
                          return nullptr;
                        }
                        return new polylsq_degree_table_t{std::move(*table)};
                      });
}

void polylsq_degree_table_free(polylsq_degree_table_t* table) { delete table; }

int64_t polylsq_degree_table_observations(const polylsq_degree_table_t* table) {
  return table != nullptr ? table->table.n : 0;
}

int64_t polylsq_degree_table_zero_weight_count(const polylsq_degree_table_t* table) {
  return table != nullptr ? table->table.zero_weight_count : 0;
}

int polylsq_degree_table_weighted(const polylsq_degree_table_t* table) {
  return table != nullptr && table->table.weighted;
}

size_t polylsq_degree_table_rows(const polylsq_degree_table_t* table, polylsq_degree_row_t* rows,
                                 size_t capacity) {
  if (table == nullptr) return 0;
  const auto& source = table->table.rows;
  if (rows != nullptr) {
    for (std::size_t i = 0; i < source.size() && i < capacity; ++i) rows[i] = row_of(source[i]);
  }
  return source.size();
}

int polylsq_degree_table_recommended(const polylsq_degree_table_t* table,
                                     polylsq_criterion_t criterion) {
  const std::optional<DegreeCriterion> known = criterion_of(criterion);
  if (table == nullptr || !known) return -1;
  return polylsq::accurate::recommended_degree(table->table.recommended, *known);
}

size_t polylsq_degree_table_warning_count(const polylsq_degree_table_t* table) {
  return table != nullptr ? table->table.warnings.size() : 0;
}

size_t polylsq_degree_table_warning(const polylsq_degree_table_t* table, size_t index, char* text,
                                    size_t capacity) {
  const bool exists = table != nullptr && index < table->table.warnings.size();
  return polylsq::capi::copy_text(exists ? std::string_view(table->table.warnings[index]) : "",
                                  text, capacity);
}

}  // extern "C"
