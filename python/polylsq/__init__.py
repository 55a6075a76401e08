"""Accurate least-squares polynomial fits, with a drop-in for numpy.polyfit.

polyfit(x, y, deg, rcond=None, full=False, w=None, cov=False) takes numpy.polyfit's
arguments and returns its values, shapes and dtypes, with coefficients correct to about 13
digits or more where numpy's may keep few. It differs from numpy.polyfit in these points:

* deg is at most 10;
* data that cannot determine the polynomial (fewer distinct x with nonzero weight than
  coefficients, x values too close together against their range) and non-finite values
  raise ValueError with the engine's message instead of a minimum-norm answer or a
  LinAlgError;
* cov=True on a fit numpy ranks deficient raises ValueError (numpy fails with a
  broadcasting error there);
* complex data raise TypeError; other numbers are read as float64.

fit(x, y, degree, weights=None) returns a Fit with the statistics of `polylsq fit --json`
and Fit.predict(x, level=0.95); degrees(x, y, weights=None, max_degree=None) compares the
degrees. Their warnings go through Python's warnings module.
"""
import collections
import operator
import warnings

import numpy as np

from polylsq import _engine

__version__ = "@PROJECT_VERSION@"
__all__ = ["polyfit", "fit", "Fit", "Prediction", "degrees", "DegreeTable", "__version__"]


def _as_doubles(values):
    if type(values) is np.ndarray and values.dtype == np.float64:
        return values
    array = np.asarray(values)
    if np.iscomplexobj(array):
        raise TypeError("polylsq fits real data only")
    return np.asarray(array, dtype=np.float64)


def polyfit(x, y, deg, rcond=None, full=False, w=None, cov=False):
    """Least-squares polynomial fit, highest power first, as numpy.polyfit.

    Returns p, or (p, residuals, rank, singular_values, rcond) when full, or (p, V) when
    cov is true ('unscaled' for V without the residual variance). w multiplies the
    residuals (w = 1/sigma). See the package's docstring for the differences from numpy.
    """
    order = int(deg) + 1
    x = _as_doubles(x)
    y = _as_doubles(y)
    if deg < 0:
        raise ValueError("expected deg >= 0")
    if x.ndim != 1:
        raise TypeError("expected 1D vector for x")
    if x.size == 0:
        raise TypeError("expected non-empty vector for x")
    if y.ndim < 1 or y.ndim > 2:
        raise TypeError("expected 1D or 2D array for y")
    if x.shape[0] != y.shape[0]:
        raise TypeError("expected x and y to have same length")
    if rcond is None:
        rcond = len(x) * np.finfo(np.float64).eps
    if w is not None:
        w = _as_doubles(w)
        if w.ndim != 1:
            raise TypeError("expected a 1-d array for weights")
        if w.shape[0] != y.shape[0]:
            raise TypeError("expected w and y to have the same length")

    columns = y.reshape(1, -1) if y.ndim == 1 else np.ascontiguousarray(y.T)
    c, residuals, singular_values, unscaled = _engine.polyfit_columns(
        x, columns, w, order - 1, bool(cov) and not full)
    if y.ndim == 1:
        c = c.reshape(order)
    threshold = (rcond if rcond >= 0 else np.finfo(np.float64).eps) * singular_values[0]
    rank = np.int32(np.count_nonzero(singular_values > threshold))
    if rank != order or len(x) <= order:
        residuals = np.array([], dtype=np.float64)

    if rank != order and not full:
        warnings.warn("Polyfit may be poorly conditioned", np.RankWarning, stacklevel=2)
    if full:
        return c, residuals, rank, singular_values, rcond
    if not cov:
        return c
    base = unscaled
    if cov == "unscaled":
        factor = 1
    else:
        if len(x) <= order:
            raise ValueError("the number of data points must exceed order "
                             "to scale the covariance matrix")
        if residuals.size == 0:
            raise ValueError("the fit is rank deficient at rcond: no residuals "
                             "to scale the covariance matrix")
        factor = residuals / (len(x) - order)
    if y.ndim == 1:
        return c, base * factor
    return c, base[:, :, np.newaxis] * factor


Prediction = collections.namedtuple("Prediction", ["fit", "se_fit", "confidence", "prediction"])
Prediction.__doc__ = """The fitted polynomial at each x: its value, the standard error of the value, and
the confidence and prediction intervals (a last axis of two: lower, upper). NaN where
undefined (a fit without error degrees of freedom)."""


def _emit(messages):
    for message in messages:
        warnings.warn(message, UserWarning, stacklevel=3)


class Fit:
    """An accurate least-squares fit with the figures of `polylsq fit --json`.

    degree, n, coefficients (ascending powers), standard_errors, t_values, p_values (arrays,
    NaN where undefined), r_squared, adjusted_r_squared, residual_sd (None where
    undefined), anova (dict: ss_regression, ss_error, df_regression, df_error, f, p),
    covariance ((degree + 1) x (degree + 1), ascending powers; None without error degrees
    of freedom), warnings (list of str).
    """

    def __init__(self, handle):
        self._handle = handle
        for key, value in handle.report().items():
            setattr(self, key, value)

    def predict(self, x, level=0.95):
        """Prediction at each x (a number or an array) for the two-sided level."""
        x = _as_doubles(x)
        fit, se_fit, confidence, prediction = self._handle.predict(x.ravel(), float(level))
        return Prediction(fit.reshape(x.shape), se_fit.reshape(x.shape),
                          confidence.reshape(x.shape + (2,)), prediction.reshape(x.shape + (2,)))

    def __repr__(self):
        return f"Fit(degree={self.degree}, n={self.n}, coefficients={self.coefficients!r})"


def _weights(weights):
    return None if weights is None else _as_doubles(weights)


def fit(x, y, degree, weights=None):
    """Fits y ~ sum a_k x^k, k = 0..degree (at most 10), minimising sum weights (y - f(x))^2.

    weights are R's lm weights (1/variance; 0 leaves an observation out), not
    numpy.polyfit's w. Data the fit refuses raise ValueError; its warnings go through the
    warnings module.
    """
    result = Fit(_engine.fit(_as_doubles(x), _as_doubles(y), _weights(weights),
                             operator.index(degree)))
    _emit(result.warnings)
    return result


class DegreeTable:
    """The figures for comparing the degrees 0..N: n, zero_weight_count, rows (a dict per
    degree: degree, error_df, error_sum_of_squares, exact, residual_sd, r_squared,
    adjusted_r_squared, aic, aicc, bic, loocv_rmse, f_value, f_p_value; None where
    undefined), recommended (dict: bic, aic, aicc, loocv, ftest) and warnings."""

    def __init__(self, table):
        for key, value in table.items():
            setattr(self, key, value)


def degrees(x, y, weights=None, max_degree=None):
    """The degree table of the data for the degrees 0..max_degree (by default as many as the
    data allow, at most 10); weights as for fit()."""
    limit = None if max_degree is None else operator.index(max_degree)
    table = DegreeTable(_engine.degrees(_as_doubles(x), _as_doubles(y), _weights(weights), limit))
    _emit(table.warnings)
    return table
