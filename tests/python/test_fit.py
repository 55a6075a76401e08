"""polylsq.fit, Fit.predict and polylsq.degrees against closed forms of the straight-line
fit in exact rational arithmetic."""
import math
import warnings
from fractions import Fraction

import numpy as np
import pytest

import polylsq

# Closed forms are exact; the engine's figures are good to about 1e-15 relative.
CLOSE = 1e-12

# Student's t quantiles from printed tables (0.975 and 0.95 for 8 and 5 degrees of freedom).
T_QUANTILE = {(0.95, 8): 2.306004135204166, (0.90, 8): 1.859548037530898,
              (0.95, 5): 2.570581835636314}


def line_by_hand(x, y, w):
    """Weighted straight-line least squares by the textbook formulas, in fractions."""
    x = [Fraction(v) for v in x]
    y = [Fraction(v) for v in y]
    w = [Fraction(1)] * len(x) if w is None else [Fraction(v) for v in w]
    sw = sum(w)
    mx = sum(wi * xi for wi, xi in zip(w, x)) / sw
    my = sum(wi * yi for wi, yi in zip(w, y)) / sw
    sxx = sum(wi * (xi - mx) ** 2 for wi, xi in zip(w, x))
    sxy = sum(wi * (xi - mx) * (yi - my) for wi, xi, yi in zip(w, x, y))
    syy = sum(wi * (yi - my) ** 2 for wi, yi in zip(w, y))
    slope = sxy / sxx
    intercept = my - slope * mx
    sse = syy - slope * sxy
    df = len(x) - 2
    variance = sse / df
    return dict(coefficients=[intercept, slope], sse=sse, ssr=syy - sse, r_squared=1 - sse / syy,
                variance=variance, df=df, sw=sw, mx=mx, sxx=sxx,
                covariance=[[variance * (1 / sw + mx * mx / sxx), -variance * mx / sxx],
                            [-variance * mx / sxx, variance / sxx]])


X = [0.5, 1.0, 2.0, 3.5, 4.0, 5.5, 6.0, 7.5, 8.0, 9.0]
Y = [1.2, 1.9, 3.1, 4.2, 5.5, 6.1, 7.4, 8.0, 9.3, 9.9]
WEIGHTS = [1.0, 2.0, 0.5, 1.0, 3.0, 1.0, 0.25, 2.0, 1.0, 1.5]
CASES = [("unweighted", None, 0.95), ("weighted", WEIGHTS, 0.95), ("level 0.90", None, 0.90)]


@pytest.mark.parametrize("name,weights,level", CASES, ids=[c[0] for c in CASES])
def test_straight_line_matches_the_textbook(name, weights, level):
    hand = line_by_hand(X, Y, weights)
    result = polylsq.fit(np.array(X), Y, 1, weights=weights)
    np.testing.assert_allclose(result.coefficients, [float(c) for c in hand["coefficients"]], rtol=CLOSE)
    np.testing.assert_allclose(result.covariance, [[float(v) for v in row] for row in hand["covariance"]],
                               rtol=CLOSE)
    np.testing.assert_allclose(result.standard_errors ** 2, np.diag(result.covariance), rtol=CLOSE)
    assert result.r_squared == pytest.approx(float(hand["r_squared"]), rel=CLOSE)
    assert result.residual_sd == pytest.approx(math.sqrt(hand["variance"]), rel=CLOSE)
    assert result.anova["ss_error"] == pytest.approx(float(hand["sse"]), rel=CLOSE)
    assert result.anova["df_error"] == hand["df"] and result.n == len(X)

    x0 = np.array([-1.0, 4.25, 12.0])
    at = result.predict(x0, level=level)
    se = [math.sqrt(hand["variance"] * (1 / hand["sw"] + (Fraction(v) - hand["mx"]) ** 2 / hand["sxx"]))
          for v in x0]
    np.testing.assert_allclose(at.se_fit, se, rtol=CLOSE)
    q = T_QUANTILE[(level, hand["df"])]
    np.testing.assert_allclose(at.confidence[:, 1] - at.fit, q * np.array(se), rtol=1e-10)
    spread = q * np.sqrt(np.array(se) ** 2 + float(hand["variance"]))
    np.testing.assert_allclose(at.prediction[:, 1] - at.fit, spread, rtol=1e-10)


def test_prediction_keeps_the_shape_of_x():
    result = polylsq.fit(X, Y, 1)
    assert result.predict(2.0).fit.shape == () and result.predict(2.0).confidence.shape == (2,)
    assert result.predict(np.ones((2, 3))).prediction.shape == (2, 3, 2)


def test_exact_fit_leaves_undefined_figures_undefined():
    with pytest.warns(UserWarning, match="passes through every point"):
        result = polylsq.fit([0.0, 1.0, 3.0], [1.0, 2.0, 10.0], 2)  # three points, three coefficients
    np.testing.assert_allclose(result.coefficients, [1.0, 0.0, 1.0], atol=1e-15)
    assert result.residual_sd is None and result.covariance is None
    assert np.isnan(result.standard_errors).all()
    assert np.isnan(result.predict(2.0).se_fit)


@pytest.mark.parametrize("call,words", [
    (lambda: polylsq.fit(X, Y, 11), "degree"),
    (lambda: polylsq.fit(X, Y, 1, weights=[-1.0] + WEIGHTS[1:]), "negative|weight"),
    (lambda: polylsq.fit(X, Y[:-1], 1), "values but"),
    (lambda: polylsq.fit(X, Y, 1).predict(1.0, level=1.5), "level"),
])
def test_refused_input_raises_value_error(call, words):
    with pytest.raises(ValueError, match=words):
        call()


def test_engine_warnings_go_through_the_warnings_module():
    x = list(range(10)) + [1e6]  # one abscissa far from the rest: badly conditioned
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = polylsq.fit(x, [v * 0.5 + 1.0 for v in x], 3)
    assert result.warnings and [str(w.message) for w in caught] == result.warnings


def test_degree_table_of_a_line():
    with pytest.warns(UserWarning, match="degree 0"):
        table = polylsq.degrees(X, Y, max_degree=3)
    hand = line_by_hand(X, Y, None)
    assert [row["degree"] for row in table.rows] == [0, 1, 2, 3]
    assert table.rows[1]["error_sum_of_squares"] == pytest.approx(float(hand["sse"]), rel=CLOSE)
    assert table.rows[1]["r_squared"] == pytest.approx(float(hand["r_squared"]), rel=CLOSE)
    # The slope's F test: F = SSR / (SSE / df) of the line against the constant.
    assert table.rows[1]["f_value"] == pytest.approx(float(hand["ssr"] / hand["variance"]), rel=CLOSE)
    assert table.recommended["ftest"] == 1
