/* What the C99 client of the C interface (c_client.c) saw, for a C++ test to check. */
#ifndef POLYLSQ_TESTS_CAPI_C_CLIENT_H
#define POLYLSQ_TESTS_CAPI_C_CLIENT_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

struct c_client_result {
  int fitted;
  size_t coefficient_count;
  double coefficients[2];
  int predicted;
  double se_fit;
  int failed;
  int error_status;
  char message[128];
};

void c_client_run(struct c_client_result* result);

#ifdef __cplusplus
}
#endif

#endif
