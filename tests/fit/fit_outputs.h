// What the orthogonal fit routines R3ORP and R2ORP write, each output started from a value
// no result can take, and the check that a call that stopped wrote none of it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace polylsq::fit_testing {

constexpr float kUntouched = -777.0f;  // left in outputs that must not be written
inline const std::string kStop = "\r\nStop - Program terminated.\r\n";

struct FitOutputs {
  // RECA and RECB with `recurrence` elements, OCOEF and D with `coefficients`.
  FitOutputs(std::size_t recurrence, std::size_t coefficients)
      : reca(recurrence, kUntouched),
        recb(recurrence, kUntouched),
        ocoef(coefficients, kUntouched),
        d(coefficients, kUntouched) {}

  int ndeg = -99;
  float xscale = kUntouched, xshift = kUntouched, dfe = kUntouched, sse = kUntouched;
  float dfpe = kUntouched, sspe = kUntouched;
  std::vector<float> reca, recb, ocoef, d;
  std::string console;
  bool stopped = false;
};

inline void expect_nothing_written(const FitOutputs& fit) {
  EXPECT_EQ(fit.ndeg, -99);
  const std::pair<const char*, float> scalars[] = {{"XSCALE", fit.xscale}, {"XSHIFT", fit.xshift},
                                                   {"DFE", fit.dfe},       {"SSE", fit.sse},
                                                   {"DFPE", fit.dfpe},     {"SSPE", fit.sspe}};
  for (const auto& [name, value] : scalars) EXPECT_EQ(value, kUntouched) << name;
  const std::pair<const char*, const std::vector<float>*> arrays[] = {
      {"OCOEF", &fit.ocoef}, {"D", &fit.d}, {"RECA", &fit.reca}};
  for (const auto& [name, values] : arrays) {
    EXPECT_EQ(*values, std::vector<float>(values->size(), kUntouched)) << name;
  }
}

// Two calls that must fit the same polynomial in the same way.
inline void expect_same_fit(const FitOutputs& fit, const FitOutputs& reference) {
  EXPECT_EQ(fit.ndeg, reference.ndeg);
  EXPECT_EQ(fit.xscale, reference.xscale);
  EXPECT_EQ(fit.xshift, reference.xshift);
  EXPECT_EQ(fit.reca, reference.reca);
  EXPECT_EQ(fit.recb, reference.recb);
  EXPECT_EQ(fit.ocoef, reference.ocoef);
  EXPECT_EQ(fit.d, reference.d);
  EXPECT_EQ(fit.dfe, reference.dfe);
  EXPECT_EQ(fit.sse, reference.sse);
}

}  // namespace polylsq::fit_testing
