// Values of a fitted polynomial through the C interface: polylsq_evaluate, polylsq_predict
// and the coefficients' confidence intervals.
#include <cmath>
#include <string>

#include "accurate/coefficient_intervals.h"
#include "accurate/prediction.h"
#include "capi/error_object.h"
#include "capi/fit_object.h"

namespace {

using polylsq::capi::kUndefined;
using polylsq::capi::or_undefined;

// "the buffers hold 2 values; the fit has 3 coefficients"
std::string buffers_too_small(std::size_t capacity, std::size_t needed) {
  return "the buffers hold " + std::to_string(capacity) + (capacity == 1 ? " value" : " values") +
         "; the fit has " + std::to_string(needed) +
         (needed == 1 ? " coefficient" : " coefficients");
}

}  // namespace

extern "C" {

double polylsq_evaluate(const polylsq_fit_t* fit, double x) {
  // isfinite is a quiet test: a NaN x raises no exception.
  if (fit == nullptr || !std::isfinite(x)) return kUndefined;
  return polylsq::accurate::evaluate(fit->fit, x);
}

polylsq_status_t polylsq_predict(const polylsq_fit_t* fit, double x, double level,
                                 polylsq_prediction_t* prediction, polylsq_error_t** error) {
  using namespace polylsq::capi;
  return guarded_call(error, "the prediction", POLYLSQ_OUT_OF_MEMORY, [&] {
    if (fit == nullptr) return report(error, POLYLSQ_INVALID_ARGUMENT, "the fit is a null pointer");
    if (prediction == nullptr) {
      return report(error, POLYLSQ_INVALID_ARGUMENT, "the prediction is a null pointer");
    }
    auto predicted = polylsq::accurate::predict(fit->fit, x, level);
    if (!predicted) return report(error, std::move(predicted.error()));
    const polylsq::accurate::Prediction& p = *predicted;
    *prediction = polylsq_prediction_t{p.fit,
                                       or_undefined(p.se_fit),
                                       p.confidence ? p.confidence->lower : kUndefined,
                                       p.confidence ? p.confidence->upper : kUndefined,
                                       p.prediction ? p.prediction->lower : kUndefined,
                                       p.prediction ? p.prediction->upper : kUndefined,
                                       or_undefined(p.quantile)};
    return POLYLSQ_OK;
  });
}

polylsq_status_t polylsq_coefficient_intervals(const polylsq_fit_t* fit, double level,
                                               double* lower, double* upper, size_t capacity,
                                               polylsq_error_t** error) {
  using namespace polylsq::capi;
  return guarded_call(error, "the intervals", POLYLSQ_OUT_OF_MEMORY, [&] {
    if (fit == nullptr) return report(error, POLYLSQ_INVALID_ARGUMENT, "the fit is a null pointer");
    if (lower == nullptr || upper == nullptr) {
      return report(error, POLYLSQ_INVALID_ARGUMENT, "a bounds buffer is a null pointer");
    }
    const std::size_t needed = fit->fit.coefficients.size();
    if (capacity < needed) {
      return report(error, POLYLSQ_INVALID_ARGUMENT, buffers_too_small(capacity, needed));
    }
    auto intervals = polylsq::accurate::coefficient_intervals(fit->fit, level);
    if (!intervals) return report(error, std::move(intervals.error()));
    for (std::size_t k = 0; k < needed; ++k) {
      const bool defined = k < intervals->size();  // none without error degrees of freedom
      lower[k] = defined ? (*intervals)[k].lower : kUndefined;
      upper[k] = defined ? (*intervals)[k].upper : kUndefined;
    }
    return POLYLSQ_OK;
  });
}

}  // extern "C"
