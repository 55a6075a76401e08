/* polylsq: accurate polynomial least-squares fits, the C interface (C99).
 *
 * Fits y ~ a0 + a1 x + ... + ad x^d (degree 0 to 10) by least squares, weighted or not,
 * from double-double sums and a 50-digit solve, with the statistics `polylsq fit --json`
 * shows, the covariance matrix, predictions with intervals, and the degree table that
 * compares degrees 0..N. docs/library.md has examples.
 *
 * Ownership. Every object the library makes (a fit, a degree table, an error) belongs to
 * the caller and is released by its own free function; each free function accepts NULL.
 * The library keeps no pointer to the caller's arrays: they may change or go as soon as a
 * call returns. Accessors copy into buffers the caller owns; no accessor returns a pointer
 * into an object, except polylsq_error_message, valid until that error is freed.
 *
 * Errors. A call that can fail takes `polylsq_error_t** error` last. When error is not
 * NULL, *error receives NULL on success and, on failure, a new error (a status and a UTF-8
 * message for the user) that the caller frees with polylsq_error_free. A failing call that
 * makes an object returns NULL; one that fills a structure returns its status.
 *
 * Threads. The library has no mutable static or global state: any number of threads may
 * call it at once. An object may be read (accessors, predictions) by several threads at
 * once; freeing it while another thread uses it is the caller's error.
 *
 * Floating point. Every call computes under the default environment (round to nearest,
 * every exception masked) and gives the caller's environment back as it was: its rounding
 * mode, its enabled traps and its raised flags. Results are therefore the same bits
 * whatever the caller's environment. An undefined figure (a standard error without
 * degrees of freedom, R-squared of constant y, ...) is a quiet NaN; a defined figure is
 * never a NaN and never an infinity. Reading a NaN with a quiet comparison or isnan()
 * raises nothing.
 */
#ifndef POLYLSQ_POLYLSQ_H
#define POLYLSQ_POLYLSQ_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(POLYLSQ_BUILDING_LIBRARY)
#define POLYLSQ_API __declspec(dllexport)
#else
#define POLYLSQ_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define POLYLSQ_API __attribute__((visibility("default")))
#else
#define POLYLSQ_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What a call's failure was. The values are fixed for every version 1.x. */
typedef enum polylsq_status {
  POLYLSQ_OK = 0,
  POLYLSQ_INVALID_ARGUMENT = 1,       /* a NULL pointer where data are needed, a confidence
                                         level outside (0, 1), a non-finite x to predict at,
                                         buffers too small */
  POLYLSQ_DEGREE_OUT_OF_RANGE = 2,    /* a degree outside 0..POLYLSQ_MAX_DEGREE; a maximum
                                         degree below 0 */
  POLYLSQ_SIZE_MISMATCH = 3,          /* x, y and weights of different lengths (the C++
                                         layer; the C functions take one count) */
  POLYLSQ_NON_FINITE_VALUE = 4,       /* an x, y or weight is infinite or NaN */
  POLYLSQ_NEGATIVE_WEIGHT = 5,        /* a weight below zero */
  POLYLSQ_TOO_FEW_OBSERVATIONS = 6,   /* fewer observations of positive weight than
                                         coefficients (than 2 for a degree table) */
  POLYLSQ_CONSTANT_X = 7,             /* every x equal while the degree is 1 or more */
  POLYLSQ_TOO_FEW_DISTINCT_X = 8,     /* fewer distinct x than coefficients */
  POLYLSQ_ILL_CONDITIONED = 9,        /* x values too close together against their range */
  POLYLSQ_OUT_OF_RANGE = 10,          /* a result beyond the largest double */
  POLYLSQ_OUT_OF_MEMORY = 11,
  /* The engine's errors of reading and writing files, which the functions of this version
     take no files to make; kept so that every error of the engine has its own status. */
  POLYLSQ_CANNOT_READ = 12,           /* a file that cannot be opened or read */
  POLYLSQ_BAD_DATA = 13,              /* text a data format does not allow */
  POLYLSQ_CANNOT_WRITE = 14           /* an output that cannot be written whole */
} polylsq_status_t;

typedef struct polylsq_error polylsq_error_t;
typedef struct polylsq_fit polylsq_fit_t;
typedef struct polylsq_degree_table polylsq_degree_table_t;

/* ---- Errors ---- */

/* The error's status; POLYLSQ_INVALID_ARGUMENT for NULL. */
POLYLSQ_API polylsq_status_t polylsq_error_status(const polylsq_error_t* error);
/* Its message, UTF-8 and NUL-terminated, e.g. "observation 3: y is not a finite number
 * (nan)"; owned by the error. "" for NULL. */
POLYLSQ_API const char* polylsq_error_message(const polylsq_error_t* error);
/* The 0-based index of the observation the message names, or -1 when it names none. */
POLYLSQ_API int64_t polylsq_error_observation(const polylsq_error_t* error);
POLYLSQ_API void polylsq_error_free(polylsq_error_t* error);

/* The library's version, "1.1.0"; a static string. */
POLYLSQ_API const char* polylsq_version(void);

/* ---- The fit ---- */

/* The highest degree fitted. */
#define POLYLSQ_MAX_DEGREE 10

/* Fits y ~ sum_k a_k x^k, k = 0..degree, minimising sum w (y - f(x))^2. x, y: count
 * observations each; weights: NULL for an unweighted fit, else count weights, each finite
 * and >= 0 (observations of weight 0 count neither in n nor in the degrees of freedom).
 * x, y and weights may be NULL only when count is 0. Failures, first one wins:
 * POLYLSQ_INVALID_ARGUMENT, DEGREE_OUT_OF_RANGE, NON_FINITE_VALUE or NEGATIVE_WEIGHT (the
 * first such observation, named in the message and by polylsq_error_observation),
 * TOO_FEW_OBSERVATIONS, CONSTANT_X, TOO_FEW_DISTINCT_X, ILL_CONDITIONED, OUT_OF_RANGE,
 * OUT_OF_MEMORY. Returns the fit, or NULL on failure. */
POLYLSQ_API polylsq_fit_t* polylsq_fit(const double* x, const double* y, const double* weights,
                                       size_t count, int degree, polylsq_error_t** error);
POLYLSQ_API void polylsq_fit_free(polylsq_fit_t* fit);

/* The fit's counts and flags; 0 for a NULL fit. */
POLYLSQ_API int polylsq_fit_degree(const polylsq_fit_t* fit);
POLYLSQ_API int64_t polylsq_fit_observations(const polylsq_fit_t* fit); /* n: weight > 0 */
POLYLSQ_API int64_t polylsq_fit_zero_weight_count(const polylsq_fit_t* fit);
POLYLSQ_API int polylsq_fit_weighted(const polylsq_fit_t* fit);
/* 1 when the residuals are zero to the fit's working precision or n = degree + 1: the
 * error sum of squares, the residual SD and the standard errors are then exactly 0. */
POLYLSQ_API int polylsq_fit_exact(const polylsq_fit_t* fit);

/* The array accessors copy min(capacity, N) values into `values` (which may be NULL when
 * capacity is 0) and return N, the number of values the figure has: degree + 1 for the
 * per-coefficient figures, in ascending powers of x (coefficients[k] multiplies x^k). */
POLYLSQ_API size_t polylsq_fit_coefficients(const polylsq_fit_t* fit, double* values,
                                            size_t capacity);
/* Standard errors, t values, two-sided p values; NaN where undefined (no error degrees of
 * freedom; t and p also for an exact fit). */
POLYLSQ_API size_t polylsq_fit_standard_errors(const polylsq_fit_t* fit, double* values,
                                               size_t capacity);
POLYLSQ_API size_t polylsq_fit_t_values(const polylsq_fit_t* fit, double* values,
                                        size_t capacity);
POLYLSQ_API size_t polylsq_fit_p_values(const polylsq_fit_t* fit, double* values,
                                        size_t capacity);
/* The covariance matrix of the coefficients, as R's vcov: (degree + 1)^2 values, row-major,
 * entry [k * (degree + 1) + l] for the coefficients of x^k and x^l. N is 0 when it is
 * undefined: no error degrees of freedom, or (with a warning) an entry beyond the largest
 * double. */
POLYLSQ_API size_t polylsq_fit_covariance(const polylsq_fit_t* fit, double* values,
                                          size_t capacity);

/* R-squared (a fraction; NaN for constant y), adjusted R-squared (NaN also without error
 * degrees of freedom), residual standard deviation sqrt(SSE / error df) (NaN without error
 * degrees of freedom). NaN for a NULL fit. */
POLYLSQ_API double polylsq_fit_r_squared(const polylsq_fit_t* fit);
POLYLSQ_API double polylsq_fit_adjusted_r_squared(const polylsq_fit_t* fit);
POLYLSQ_API double polylsq_fit_residual_sd(const polylsq_fit_t* fit);

/* The analysis of variance about the weighted mean of y. */
typedef struct polylsq_anova {
  double ss_regression; /* sum w (f(x) - mean)^2 */
  double ss_error;      /* sum w (y - f(x))^2 */
  double ss_total;      /* sum w (y - mean)^2 */
  int64_t df_regression; /* degree */
  int64_t df_error;      /* n - (degree + 1) */
  int64_t df_total;      /* n - 1 */
  double ms_regression;  /* NaN when df_regression is 0 */
  double ms_error;       /* NaN when df_error is 0 */
  double f;              /* NaN when either df is 0 or ss_error is 0 */
  double p;              /* upper tail of F(df_regression, df_error); NaN with f */
} polylsq_anova_t;

/* Fills *anova (when both are not NULL). */
POLYLSQ_API void polylsq_fit_anova(const polylsq_fit_t* fit, polylsq_anova_t* anova);

/* Warnings: values rounded below the smallest normal double, a covariance that does not
 * fit in a double. polylsq_fit_warning copies warning `index` (from 0) into text as
 * snprintf would: at most capacity - 1 bytes, cut at a UTF-8 character boundary, then a
 * NUL (nothing when capacity is 0). Returns the warning's whole length in bytes without
 * the NUL, or 0 when index is past the last warning. */
POLYLSQ_API size_t polylsq_fit_warning_count(const polylsq_fit_t* fit);
POLYLSQ_API size_t polylsq_fit_warning(const polylsq_fit_t* fit, size_t index, char* text,
                                       size_t capacity);

/* ---- Values of the fitted polynomial ---- */

/* f(x), accurate to about 30 digits before its rounding to double; plus or minus infinity
 * beyond the double range; NaN for a NULL fit or an x that is not finite. */
POLYLSQ_API double polylsq_evaluate(const polylsq_fit_t* fit, double x);

typedef struct polylsq_prediction {
  double fit;    /* f(x) */
  double se_fit; /* its standard error; 0 for an exact fit; NaN, with everything below,
                    when the fit has no error degrees of freedom */
  double confidence_lower; /* f(x) -/+ q se_fit */
  double confidence_upper;
  double prediction_lower; /* f(x) -/+ q sqrt(se_fit^2 + sigma^2): a new observation of */
  double prediction_upper; /* weight 1, as R's predict.lm assumes */
  double quantile;         /* q: Student's t at (1 + level) / 2, error df */
} polylsq_prediction_t;

/* The prediction at x for the two-sided confidence level (0.95 for 95 %). Failures:
 * POLYLSQ_INVALID_ARGUMENT (a NULL pointer, x not finite, level not strictly between 0
 * and 1), OUT_OF_RANGE (a value beyond the double range), OUT_OF_MEMORY. *prediction is
 * written only on success. */
POLYLSQ_API polylsq_status_t polylsq_predict(const polylsq_fit_t* fit, double x, double level,
                                             polylsq_prediction_t* prediction,
                                             polylsq_error_t** error);

/* The coefficients' confidence intervals at the level, as R's confint: a_k -/+ q se_k.
 * lower and upper receive degree + 1 bounds each (NaN when the standard errors are
 * undefined). Failures: POLYLSQ_INVALID_ARGUMENT (a NULL pointer, capacity below
 * degree + 1, level not strictly between 0 and 1), OUT_OF_RANGE, OUT_OF_MEMORY; the
 * buffers are written only on success. */
POLYLSQ_API polylsq_status_t polylsq_coefficient_intervals(const polylsq_fit_t* fit,
                                                           double level, double* lower,
                                                           double* upper, size_t capacity,
                                                           polylsq_error_t** error);

/* ---- Choosing the degree ---- */

/* The criteria the degree table recommends a degree by. The values are fixed. */
typedef enum polylsq_criterion {
  POLYLSQ_CRITERION_BIC = 0,
  POLYLSQ_CRITERION_AIC = 1,
  POLYLSQ_CRITERION_AICC = 2,
  POLYLSQ_CRITERION_LOOCV = 3, /* leave-one-out RMSE */
  POLYLSQ_CRITERION_FTEST = 4  /* the highest degree whose added terms all have p < 0.05 */
} polylsq_criterion_t;

/* max_degree of polylsq_degree_table for the default: the least of 10, the distinct x
 * values of positive weight less 1, and n - 2. */
#define POLYLSQ_DEFAULT_MAX_DEGREE (-1)

/* The figures of degrees 0..N for comparing them (R's lm, logLik, AIC and anova). With n
 * the observations of positive weight, p = degree + 1 and k = p + 1 parameters. */
typedef struct polylsq_degree_row {
  int degree;
  int exact;                   /* as polylsq_fit_exact */
  int64_t error_df;            /* n - p */
  double error_sum_of_squares; /* sum w r^2 */
  double residual_sd;          /* the fit's figures at this degree */
  double r_squared;
  double adjusted_r_squared;
  double aic;        /* -2 log L + 2k; NaN for an exact fit (it ranks first) */
  double aicc;       /* AIC + 2k(k + 1) / (n - k - 1); NaN also when n - k - 1 <= 0 */
  double bic;        /* -2 log L + k log n; NaN for an exact fit */
  double loocv_rmse; /* sqrt(PRESS / n); NaN when an observation has leverage 1 */
  double f;   /* F of the added term against the degree below; NaN for degree 0 and for
                 an exact fit */
  double f_p; /* its p value; NaN with f */
} polylsq_degree_row_t;

/* The degree table of the observations (x, y, weights, count as for polylsq_fit) for the
 * degrees 0..N, N = max_degree or, for POLYLSQ_DEFAULT_MAX_DEGREE, the default above; a
 * larger max_degree is reduced to the default with a warning, and a degree the data cannot
 * determine ends the table at the degree below with a warning. Failures, first one wins:
 * POLYLSQ_INVALID_ARGUMENT, DEGREE_OUT_OF_RANGE (max_degree below 0 and not the default),
 * the value checks of polylsq_fit, TOO_FEW_OBSERVATIONS (fewer than 2 of positive weight),
 * the failures of polylsq_fit at degree 0. Returns the table, or NULL on failure. */
POLYLSQ_API polylsq_degree_table_t* polylsq_degree_table(const double* x, const double* y,
                                                         const double* weights, size_t count,
                                                         int max_degree,
                                                         polylsq_error_t** error);
POLYLSQ_API void polylsq_degree_table_free(polylsq_degree_table_t* table);

POLYLSQ_API int64_t polylsq_degree_table_observations(const polylsq_degree_table_t* table);
POLYLSQ_API int64_t polylsq_degree_table_zero_weight_count(const polylsq_degree_table_t* table);
POLYLSQ_API int polylsq_degree_table_weighted(const polylsq_degree_table_t* table);
/* Copies min(capacity, N) rows, degrees 0, 1, ..., into rows and returns N. */
POLYLSQ_API size_t polylsq_degree_table_rows(const polylsq_degree_table_t* table,
                                             polylsq_degree_row_t* rows, size_t capacity);
/* The degree the criterion recommends (ties go to the lower degree), or -1 for a NULL
 * table or an unknown criterion. */
POLYLSQ_API int polylsq_degree_table_recommended(const polylsq_degree_table_t* table,
                                                 polylsq_criterion_t criterion);
/* As polylsq_fit_warning_count and polylsq_fit_warning. */
POLYLSQ_API size_t polylsq_degree_table_warning_count(const polylsq_degree_table_t* table);
POLYLSQ_API size_t polylsq_degree_table_warning(const polylsq_degree_table_t* table,
                                                size_t index, char* text, size_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* POLYLSQ_POLYLSQ_H */
