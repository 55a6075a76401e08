"""polylsq.polyfit against numpy.polyfit (the drop-in promise) and against exact rational
least squares (the accuracy promise)."""
import threading
import time
import warnings
from fractions import Fraction

import numpy as np
import pytest

import polylsq

# Agreement with numpy on well-conditioned data: both sides are good to about 1e-14 of
# each array's largest element, so 1e-10 leaves room without hiding a wrong formula.
AGREEMENT = 1e-10

RNG = np.random.default_rng(20261208)
X = np.linspace(-2.0, 3.0, 40)
Y1 = 0.5 - 1.5 * X + 0.25 * X**3 + RNG.normal(scale=0.3, size=X.size)
Y2 = np.stack([Y1, np.cos(X), 2.0 + X], axis=1)
W = RNG.uniform(0.5, 2.0, X.size) * np.where(np.arange(X.size) % 7 == 0, -1.0, 1.0)
W_ZEROS = np.where(np.arange(X.size) % 9 == 4, 0.0, W)  # rows numpy keeps and the engine drops
FLAGS = [{}, {"full": True}, {"cov": True}, {"cov": "unscaled"}, {"full": True, "cov": True}]


def as_tuple(result):
    return result if isinstance(result, tuple) else (result,)


@pytest.mark.parametrize("flags", FLAGS, ids=str)
@pytest.mark.parametrize("weights", [None, W, W_ZEROS], ids=["unweighted", "weighted", "zero weights"])
@pytest.mark.parametrize("y", [Y1, Y2], ids=["1-D y", "2-D y"])
@pytest.mark.parametrize("degree", [0, 3])
def test_returns_what_numpy_returns(y, weights, flags, degree):
    ours = as_tuple(polylsq.polyfit(X, y, degree, w=weights, **flags))
    theirs = as_tuple(np.polyfit(X, y, degree, w=weights, **flags))
    assert len(ours) == len(theirs)
    for mine, reference in zip(ours, theirs):
        assert type(mine) is type(reference)
        if isinstance(reference, np.ndarray):
            assert mine.shape == reference.shape and mine.dtype == reference.dtype
            if reference.size:
                scale = np.max(np.abs(reference))
                assert np.max(np.abs(mine - reference)) <= AGREEMENT * scale
        else:
            assert mine == reference


def test_column_by_column_fits_equal_single_fits():
    together = polylsq.polyfit(X, Y2, 2, cov=True)
    for k in range(Y2.shape[1]):
        alone = polylsq.polyfit(X, Y2[:, k], 2, cov=True)
        np.testing.assert_array_equal(together[0][:, k], alone[0])
        np.testing.assert_array_equal(together[1][:, :, k], alone[1])


@pytest.mark.parametrize("weights", [None, W_ZEROS])
def test_polyfit_and_fit_give_the_same_coefficients(weights):
    # polyfit's w multiplies the residuals; fit's weights multiply their squares.
    engine_weights = None if weights is None else weights**2
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", UserWarning)
        ascending = polylsq.fit(X, Y1, 3, weights=engine_weights).coefficients
    np.testing.assert_array_equal(polylsq.polyfit(X, Y1, 3, w=weights)[::-1], ascending)


def test_strided_and_integer_input_is_read_as_numpy_reads_it():
    x = np.arange(0, 60, 2)[::2]  # integers, strided
    y = (x**2 - 3 * x + 1)
    np.testing.assert_allclose(polylsq.polyfit(x, y, 2), np.polyfit(x, y, 2), rtol=1e-12)
    np.testing.assert_allclose(polylsq.polyfit(list(x), list(y), 2), [1.0, -3.0, 1.0], rtol=1e-13)


# Each call raises what numpy.polyfit raises for it.
ERROR_CALLS = [
    ((X, Y1, -1), {}),
    ((X.reshape(4, 10), Y1, 2), {}),
    ((np.array([]), np.array([]), 1), {}),
    ((X, Y2.reshape(40, 3, 1), 1), {}),
    ((X, Y1[:-1], 1), {}),
    ((X, Y1, 1), {"w": W.reshape(4, 10)}),
    ((X, Y1, 1), {"w": W[:-1]}),
    ((X, Y1, "two"), {}),
    ((X, Y1, None), {}),
    ((X, Y1, 1), {"full": True, "cov": True, "w": [1.0]}),
    ((np.arange(3.0), np.arange(3.0), 2), {"cov": True}),
]


@pytest.mark.parametrize("args,kwargs", ERROR_CALLS)
def test_argument_errors_raise_what_numpy_raises(args, kwargs):
    with pytest.raises(Exception) as expected:
        np.polyfit(*args, **kwargs)
    with pytest.raises(expected.type):
        polylsq.polyfit(*args, **kwargs)


# Data the engine refuses: ValueError with its message.
REFUSED = [
    (X, Y1, 11, "degree"),
    (np.where(X > 0, np.nan, X), Y1, 2, "finite"),
    (np.repeat([1.0, 2.0], 20), Y1, 2, "distinct"),
]


@pytest.mark.parametrize("x,y,degree,words", REFUSED)
def test_data_the_engine_refuses_raise_value_error(x, y, degree, words):
    with pytest.raises(ValueError, match=words):
        polylsq.polyfit(x, y, degree)


def test_rank_warning_follows_numpy():
    x = 1e4 + np.linspace(0.0, 30.0, 60)
    y = np.cos(x)
    for degree, rcond in [(6, None), (3, None), (3, 1e-3)]:
        with warnings.catch_warnings(record=True) as theirs:
            warnings.simplefilter("always")
            numpy_rank = np.polyfit(x, y, degree, rcond=rcond, full=True)[2]
            np.polyfit(x, y, degree, rcond=rcond)
        with warnings.catch_warnings(record=True) as ours:
            warnings.simplefilter("always")
            our_rank = polylsq.polyfit(x, y, degree, rcond=rcond, full=True)[2]
            polylsq.polyfit(x, y, degree, rcond=rcond)
        assert our_rank == numpy_rank
        assert [w.category for w in ours] == [w.category for w in theirs]


def exact_least_squares(x, y, degree):
    """Coefficients, highest power first, of the least-squares fit of the doubles x, y in
    exact rational arithmetic (normal equations solved by Gauss-Jordan elimination)."""
    xs = [Fraction(v) for v in x]
    ys = [Fraction(v) for v in y]
    p = degree + 1
    powers = [[xi**k for k in range(p)] for xi in xs]
    a = [[sum(row[j] * row[k] for row in powers) for k in range(p)]
         + [sum(row[j] * yi for row, yi in zip(powers, ys))] for j in range(p)]
    for c in range(p):
        pivot = next(r for r in range(c, p) if a[r][c] != 0)
        a[c], a[pivot] = a[pivot], a[c]
        for r in range(p):
            if r != c and a[r][c] != 0:
                factor = a[r][c] / a[c][c]
                a[r] = [u - factor * v for u, v in zip(a[r], a[c])]
    return [float(a[k][p] / a[k][k]) for k in reversed(range(p))]


def correct_digits(coefficients, reference):
    errors = [abs(c - r) / abs(r) for c, r in zip(coefficients, reference)]
    worst = max(errors)
    return 17.0 if worst == 0 else -np.log10(worst)


NORRIS_X = [0.2, 337.4, 118.2, 884.6, 10.1, 226.5, 666.3, 996.3, 448.6, 777.0, 558.2, 0.4,
            0.6, 775.5, 666.9, 338.0, 447.5, 11.6, 556.0, 228.1, 995.8, 887.6, 120.2, 0.3,
            0.3, 556.8, 339.1, 887.2, 999.0, 779.0, 11.1, 118.3, 229.2, 669.1, 448.9, 0.5]
NORRIS_Y = [0.1, 338.8, 118.1, 888.0, 9.2, 228.1, 668.5, 998.5, 449.1, 778.9, 559.2, 0.3,
            0.1, 778.1, 668.8, 339.3, 448.9, 10.8, 557.7, 228.3, 998.0, 888.8, 119.6, 0.3,
            0.6, 557.6, 339.3, 888.0, 998.5, 778.9, 10.2, 117.6, 228.9, 668.4, 449.2, 0.2]
WAMPLER1_X = list(range(21))
WAMPLER1_Y = [sum(x**k for k in range(6)) for x in WAMPLER1_X]

# NIST's certified values (highest power first).
NIST = [
    ("Norris", NORRIS_X, NORRIS_Y, 1, [1.00211681802045, -0.262323073774029]),
    ("Wampler1", WAMPLER1_X, WAMPLER1_Y, 5, [1.0] * 6),
]


@pytest.mark.parametrize("name,x,y,degree,certified", NIST, ids=[s[0] for s in NIST])
def test_nist_sets_keep_twelve_digits(name, x, y, degree, certified):
    assert correct_digits(polylsq.polyfit(x, y, degree), certified) >= 12.0


def test_wampler1_beats_numpy():
    ours = correct_digits(polylsq.polyfit(WAMPLER1_X, WAMPLER1_Y, 5), [1.0] * 6)
    theirs = correct_digits(np.polyfit(WAMPLER1_X, WAMPLER1_Y, 5), [1.0] * 6)
    assert ours > theirs


# Data on which double least squares loses digits: x far from 0 with a small span, a
# high degree on a narrow range, a huge mean of y against its spread.
HARD = [
    ("far from 0", 1e5 + np.linspace(0.0, 1.0, 30), lambda t: 3.0 + (t - 1e5) * 2.0 - (t - 1e5) ** 2, 2),
    ("degree 8 on [2, 3]", np.linspace(2.0, 3.0, 41), lambda t: np.exp(t), 8),
    ("huge mean of y", np.linspace(-1.0, 1.0, 25), lambda t: 1e9 + t + 0.5 * t**2 + 0.25 * t**3, 3),
]


@pytest.mark.parametrize("name,x,f,degree", HARD, ids=[h[0] for h in HARD])
def test_hard_families_beat_numpy(name, x, f, degree):
    y = f(x)
    reference = exact_least_squares(x, y, degree)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", np.RankWarning)
        ours = correct_digits(polylsq.polyfit(x, y, degree), reference)
        theirs = correct_digits(np.polyfit(x, y, degree), reference)
    assert ours >= 12.0 and ours > theirs


def test_eight_threads_fitting_at_once_agree():
    x = np.linspace(-1.0, 4.0, 20001)
    y = np.sin(x)
    alone = polylsq.polyfit(x, y, 7, full=True)
    results = [None] * 8

    def work(slot):
        results[slot] = polylsq.polyfit(x, y, 7, full=True)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(8)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for result in results:
        for mine, reference in zip(result, alone):
            np.testing.assert_array_equal(mine, reference)


def test_other_threads_run_during_a_long_fit():
    x = np.linspace(0.0, 1.0, 2_000_000)
    y = np.cos(x)
    ticks = []
    stop = threading.Event()

    def count():
        while not stop.is_set():
            ticks.append(time.perf_counter())
            time.sleep(0.001)

    counter = threading.Thread(target=count)
    counter.start()
    time.sleep(0.01)
    start = time.perf_counter()
    polylsq.polyfit(x, np.stack([y] * 4, axis=1), 10)
    end = time.perf_counter()
    stop.set()
    counter.join()
    during = [t for t in ticks if start < t < end]
    # A lock held for the whole fit would leave no tick inside it (the fit takes tens
    # of milliseconds; the counter ticks every millisecond or so).
    assert end - start > 0.02 and len(during) >= 5


def exact_scaled_gram_determinant(x, w, degree):
    """det(B^T B) of the column-scaled weighted Vandermonde matrix B: the product of its
    squared singular values, in fractions (Gaussian elimination of the Gram matrix)."""
    rows = [[Fraction(wi) * Fraction(xi) ** k for k in range(degree + 1)] for xi, wi in zip(x, w)]
    p = degree + 1
    gram = [[sum(r[j] * r[k] for r in rows) for k in range(p)] for j in range(p)]
    scale = 1
    for k in range(p):
        scale *= gram[k][k]
    det = Fraction(1)
    for c in range(p):
        det *= gram[c][c]
        for r in range(c + 1, p):
            factor = gram[r][c] / gram[c][c]
            gram[r] = [u - factor * v for u, v in zip(gram[r], gram[c])]
    return det / scale


# Badly conditioned design matrices: x far from 0 against its span.
DESIGNS = [(1e4 + np.linspace(0.0, 30.0, 60), 3), (-250.0 + np.linspace(0.0, 2.0, 25), 4)]


@pytest.mark.parametrize("x,degree", DESIGNS)
def test_singular_values_keep_their_product_where_numpy_loses_it(x, degree):
    w = np.linspace(0.5, 1.5, x.size)
    exact = float(exact_scaled_gram_determinant(x, w, degree))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", np.RankWarning)
        ours = polylsq.polyfit(x, np.cos(x), degree, w=w, full=True)[3]
        theirs = np.polyfit(x, np.cos(x), degree, w=w, full=True)[3]
    our_error = abs(np.prod(ours**2) / exact - 1)
    assert our_error < 1e-9 and our_error < abs(np.prod(theirs**2) / exact - 1)
