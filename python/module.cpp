// The extension polylsq._engine: the accurate engine for Python. Arrays of doubles are read
// in place when contiguous (pybind11 converts anything else once), the interpreter lock is
// released while the engine works, and an error of the engine raises ValueError with its
// message. Argument checks in numpy's manner, result shapes and warnings are the Python
// package's (polylsq/__init__.py).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "accurate/degree_table.h"
#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"
#include "python/design_matrix.h"
#include "python/least_squares.h"

namespace py = pybind11;

namespace polylsq::python {
namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::span<const double> view(const Doubles& a) {
  return {a.data(), static_cast<std::size_t>(a.size())};
}

template <class T>
T value_or_raise(Expected<T> result) {
  if (!result) throw py::value_error(result.error().message);
  return std::move(*result);
}

double or_nan(const std::optional<double>& v) {
  return v ? *v : std::numeric_limits<double>::quiet_NaN();
}

py::object or_none(const std::optional<double>& v) {
  return v ? py::object(py::float_(*v)) : py::object(py::none());
}

py::array_t<double> to_array(const std::vector<double>& values) {
  return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

py::array_t<double> to_array(const std::vector<std::optional<double>>& values) {
  std::vector<double> filled;
  for (const auto& v : values) filled.push_back(or_nan(v));
  return to_array(filled);
}

// What numpy.polyfit needs of the columns of y fitted one by one with the same x and
// weights, in its order (highest power first): the coefficients (p x K, a column per
// column of y), the weighted residual sums of squares (K), the singular values of the
// scaled design matrix and, when asked for, its unscaled covariance (p x p). y_columns
// is K x n, one column of y per row.
struct PolyfitColumns {
  std::vector<double> coefficients;
  std::vector<double> residual_sums;
  std::vector<double> singular_values;
  std::vector<double> covariance;
};

PolyfitColumns fit_columns(std::span<const double> x, const std::vector<std::span<const double>>& ys,
                           std::span<const double> w, int degree, bool want_covariance) {
  const std::size_t p = static_cast<std::size_t>(degree) + 1;
  const std::size_t columns = ys.size();
  PolyfitColumns out;
  out.coefficients.resize(p * columns);
  for (std::size_t column = 0; column < columns; ++column) {
    const LeastSquares fit = value_or_raise(least_squares(x, ys[column], w, degree));
    for (std::size_t k = 0; k < p; ++k) out.coefficients[(p - 1 - k) * columns + column] = fit.coefficients[k];
    out.residual_sums.push_back(fit.error_sum_of_squares);
    if (column == 0) {
      out.singular_values = scaled_singular_values(fit.basis, degree);
      if (want_covariance) {
        const std::vector<double> ascending = unscaled_covariance(fit.basis, degree);
        out.covariance.resize(p * p);
        for (std::size_t k = 0; k < p; ++k) {
          for (std::size_t l = 0; l < p; ++l) out.covariance[(p - 1 - k) * p + (p - 1 - l)] = ascending[k * p + l];
        }
      }
    }
  }
  return out;
}

py::tuple polyfit_columns(const Doubles& x, const Doubles& y_columns,
                          const std::optional<Doubles>& w, int degree, bool want_covariance) {
  const std::size_t n = static_cast<std::size_t>(x.size());
  const std::size_t columns = y_columns.ndim() == 2 ? static_cast<std::size_t>(y_columns.shape(0)) : 0;
  std::vector<double> squared_weights;
  if (w) {
    for (const double v : view(*w)) squared_weights.push_back(v * v);
  }
  std::vector<double> zeros;
  std::vector<std::span<const double>> ys;
  for (std::size_t c = 0; c < columns; ++c) ys.push_back(view(y_columns).subspan(c * n, n));
  if (ys.empty()) {  // no column of y: the design matrix alone, from a fit of zeros
    zeros.assign(n, 0.0);
    ys.push_back(zeros);
  }
  PolyfitColumns out;
  {
    py::gil_scoped_release unlocked;
    out = fit_columns(view(x), ys, squared_weights, degree, want_covariance);
  }
  if (columns == 0) out.coefficients.clear(), out.residual_sums.clear();
  const py::ssize_t p = degree + 1;
  py::array_t<double> coefficients = to_array(out.coefficients);
  coefficients.resize({p, static_cast<py::ssize_t>(columns)});
  py::object covariance = py::none();
  if (want_covariance) {
    py::array_t<double> matrix = to_array(out.covariance);
    matrix.resize({p, p});
    covariance = matrix;
  }
  return py::make_tuple(coefficients, to_array(out.residual_sums), to_array(out.singular_values),
                        covariance);
}

// An accurate fit kept for its report and its predictions.
struct FitHandle {
  accurate::PolynomialFit fit;
};

FitHandle fit(const Doubles& x, const Doubles& y, const std::optional<Doubles>& w, int degree) {
  std::span<const double> weights;
  if (w) weights = view(*w);
  Expected<accurate::PolynomialFit> result = Error{ErrorKind::kInvalidArgument, "", {}};
  {
    py::gil_scoped_release unlocked;
    result = accurate::fit_polynomial(view(x), view(y), weights, degree);
  }
  return FitHandle{value_or_raise(std::move(result))};
}

py::dict report(const FitHandle& handle) {
  const accurate::PolynomialFit& fit = handle.fit;
  const accurate::AnalysisOfVariance& anova = fit.anova;
  py::dict anova_dict;
  anova_dict["ss_regression"] = anova.regression_sum_of_squares;
  anova_dict["ss_error"] = anova.error_sum_of_squares;
  anova_dict["df_regression"] = anova.regression_df;
  anova_dict["df_error"] = anova.error_df;
  anova_dict["f"] = or_none(anova.f_value);
  anova_dict["p"] = or_none(anova.f_p_value);
  py::dict out;
  out["degree"] = fit.degree;
  out["n"] = fit.n;
  out["coefficients"] = to_array(fit.coefficients);
  out["standard_errors"] = to_array(fit.standard_errors);
  out["t_values"] = to_array(fit.t_values);
  out["p_values"] = to_array(fit.p_values);
  out["r_squared"] = or_none(fit.r_squared);
  out["adjusted_r_squared"] = or_none(fit.adjusted_r_squared);
  out["residual_sd"] = or_none(fit.residual_sd);
  out["anova"] = anova_dict;
  py::object covariance = py::none();
  if (!fit.covariance.empty()) {
    py::array_t<double> matrix = to_array(fit.covariance);
    matrix.resize({fit.degree + 1, fit.degree + 1});
    covariance = matrix;
  }
  out["covariance"] = covariance;
  out["warnings"] = fit.warnings;
  return out;
}

// fit, se_fit (n), confidence and prediction intervals (n x 2) at each x; NaN where
// undefined.
py::tuple predict(const FitHandle& handle, const Doubles& x, double level) {
  const std::size_t n = static_cast<std::size_t>(x.size());
  std::vector<double> fitted(n), se(n), confidence(2 * n), prediction(2 * n);
  std::optional<Error> failure;
  {
    py::gil_scoped_release unlocked;
    for (std::size_t i = 0; i < n && !failure; ++i) {
      const Expected<accurate::Prediction> at = accurate::predict(handle.fit, x.data()[i], level);
      if (!at) {
        failure = at.error();
        break;
      }
      fitted[i] = at->fit;
      se[i] = or_nan(at->se_fit);
      confidence[2 * i] = at->confidence ? at->confidence->lower : std::nan("");
      confidence[2 * i + 1] = at->confidence ? at->confidence->upper : std::nan("");
      prediction[2 * i] = at->prediction ? at->prediction->lower : std::nan("");
      prediction[2 * i + 1] = at->prediction ? at->prediction->upper : std::nan("");
    }
  }
  if (failure) throw py::value_error(failure->message);
  py::array_t<double> confidence_array = to_array(confidence);
  py::array_t<double> prediction_array = to_array(prediction);
  confidence_array.resize({static_cast<py::ssize_t>(n), py::ssize_t{2}});
  prediction_array.resize({static_cast<py::ssize_t>(n), py::ssize_t{2}});
  return py::make_tuple(to_array(fitted), to_array(se), confidence_array, prediction_array);
}

py::dict degree_row(const accurate::DegreeRow& row) {
  py::dict out;
  out["degree"] = row.degree;
  out["error_df"] = row.error_df;
  out["error_sum_of_squares"] = row.error_sum_of_squares;
  out["exact"] = row.exact;
  out["residual_sd"] = or_none(row.residual_sd);
  out["r_squared"] = or_none(row.r_squared);
  out["adjusted_r_squared"] = or_none(row.adjusted_r_squared);
  out["aic"] = or_none(row.aic);
  out["aicc"] = or_none(row.aicc);
  out["bic"] = or_none(row.bic);
  out["loocv_rmse"] = or_none(row.loocv_rmse);
  out["f_value"] = or_none(row.f_value);
  out["f_p_value"] = or_none(row.f_p_value);
  return out;
}

// The degree table as a dict: n, zero_weight_count, rows (a dict per degree),
// recommended (a degree per criterion), warnings.
py::dict degrees(const Doubles& x, const Doubles& y, const std::optional<Doubles>& w,
                 std::optional<int> max_degree) {
  std::span<const double> weights;
  if (w) weights = view(*w);
  Expected<accurate::DegreeTable> result = Error{ErrorKind::kInvalidArgument, "", {}};
  {
    py::gil_scoped_release unlocked;
    result = accurate::degree_table(view(x), view(y), weights, max_degree);
  }
  const accurate::DegreeTable table = value_or_raise(std::move(result));
  py::list rows;
  for (const accurate::DegreeRow& row : table.rows) rows.append(degree_row(row));
  py::dict recommended;
  recommended["bic"] = table.recommended.bic;
  recommended["aic"] = table.recommended.aic;
  recommended["aicc"] = table.recommended.aicc;
  recommended["loocv"] = table.recommended.loocv;
  recommended["ftest"] = table.recommended.ftest;
  py::dict out;
  out["n"] = table.n;
  out["zero_weight_count"] = table.zero_weight_count;
  out["rows"] = rows;
  out["recommended"] = recommended;
  out["warnings"] = table.warnings;
  return out;
}

}  // namespace
}  // namespace polylsq::python

PYBIND11_MODULE(_engine, module) {
  using namespace polylsq::python;
  module.doc() = "The accurate polynomial fit of polylsq; use the package polylsq.";
  module.attr("max_degree") = polylsq::accurate::kMaxDegree;
  module.def("polyfit_columns", &polyfit_columns, py::arg("x"), py::arg("y_columns"),
             py::arg("w"), py::arg("degree"), py::arg("want_covariance"));
  py::class_<FitHandle>(module, "FitHandle")
      .def("report", &report)
      .def("predict", &predict, py::arg("x"), py::arg("level"));
  module.def("fit", &fit, py::arg("x"), py::arg("y"), py::arg("w"), py::arg("degree"));
  module.def("degrees", &degrees, py::arg("x"), py::arg("y"), py::arg("w"), py::arg("max_degree"));
}
