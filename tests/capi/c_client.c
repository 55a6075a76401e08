/* A client of the C interface written in strict C99 (built with -std=c99 -pedantic
 * -Werror): it fits the line through (0, 1), (1, 3), (2, 2), (3, 5), predicts at x = 4,
 * asks for an impossible degree, and frees everything it was given. */
#include "tests/capi/c_client.h"

#include "polylsq/polylsq.h"

void c_client_run(struct c_client_result* result) {
  const double x[] = {0, 1, 2, 3};
  const double y[] = {1, 3, 2, 5};
  polylsq_error_t* error = NULL;
  polylsq_fit_t* fit = polylsq_fit(x, y, NULL, 4, 1, &error);
  polylsq_prediction_t prediction;

  result->fitted = fit != NULL && error == NULL;
  result->coefficient_count = polylsq_fit_coefficients(fit, result->coefficients, 2);
  result->predicted = polylsq_predict(fit, 4.0, 0.95, &prediction, NULL) == POLYLSQ_OK;
  result->se_fit = result->predicted ? prediction.se_fit : 0.0;
  polylsq_fit_free(fit);

  fit = polylsq_fit(x, y, NULL, 4, POLYLSQ_MAX_DEGREE + 1, &error);
  result->failed = fit == NULL;
  result->error_status = polylsq_error_status(error);
  {
    const char* message = polylsq_error_message(error);
    size_t i = 0;
    for (; message[i] != '\0' && i + 1 < sizeof result->message; ++i)
      result->message[i] = message[i];
    result->message[i] = '\0';
  }
  polylsq_error_free(error);
}
