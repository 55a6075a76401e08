// Memory that cannot be had, at every allocation of a call in turn: the call reports
// POLYLSQ_OUT_OF_MEMORY (the C++ layer Status::kOutOfMemory) with a message, lets no
// exception out, and leaks nothing; when not even the error can be allocated, the one
// immutable error stands in, and freeing it is harmless. This program replaces the global
// operator new, which the library's allocations go through too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "polylsq/polylsq.hpp"

namespace {

// Allocations still allowed before they fail; negative: no failures.
long allowed_allocations = -1;
bool fail_all_after = false;  // after the first failure, every allocation fails

void* allocate(std::size_t size, std::size_t alignment) {
  if (allowed_allocations == 0) {
    if (!fail_all_after) allowed_allocations = -1;
    throw std::bad_alloc();
  }
  if (allowed_allocations > 0) --allowed_allocations;
  size = size == 0 ? 1 : size;
  void* memory =
      alignment <= alignof(std::max_align_t)
          ? std::malloc(size)
          : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size, 0); }
void* operator new[](std::size_t size) { return allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) { return allocate(size, std::size_t(a)); }
void* operator new[](std::size_t size, std::align_val_t a) {
  return allocate(size, std::size_t(a));
}
// The nothrow forms too: a sanitizer's run-time defines its own, which would not fail.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size, 0);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
// Every form allocates with malloc (allocate()), so every delete frees: GCC, seeing free in a
// replaced operator delete, takes it for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using V = std::vector<double>;

// Runs `call` with the allocation number `failing` (from 0) failing, and every later one
// too when `all_after`; returns the status.
template <class Call>
auto with_failing_allocation(long failing, bool all_after, Call call) {
  allowed_allocations = failing;
  fail_all_after = all_after;
  auto outcome = call();
  allowed_allocations = -1;
  return outcome;
}

const V kX{0, 1, 2, 3, 4, 5, 6}, kY{1, 3, 2, 5, 4, 7, 9};

// A C call that reports its status, its error taken and freed.
using CCall = std::function<polylsq_status_t(polylsq_error_t**)>;

void expect_out_of_memory_at_every_allocation(const CCall& call, const std::string& message) {
  int failures = 0;
  for (long failing = 0; failing < 100000; ++failing) {
    polylsq_error_t* error = nullptr;
    const polylsq_status_t status =
        with_failing_allocation(failing, false, [&] { return call(&error); });
    if (status == POLYLSQ_OK) break;  // every allocation of the call has had its turn
    ++failures;
    ASSERT_EQ(status, POLYLSQ_OUT_OF_MEMORY) << "allocation " << failing;
    ASSERT_EQ(polylsq_error_status(error), POLYLSQ_OUT_OF_MEMORY);
    EXPECT_EQ(polylsq_error_message(error), message) << "allocation " << failing;
    polylsq_error_free(error);
  }
  EXPECT_GT(failures, 0);
  polylsq_error_t* error = nullptr;
  EXPECT_EQ(with_failing_allocation(0, true, [&] { return call(&error); }), POLYLSQ_OUT_OF_MEMORY);
  EXPECT_STREQ(polylsq_error_message(error), "out of memory");  // the stand-in
  polylsq_error_free(error);
}

TEST(OutOfMemory, AFitFailsCleanlyAtEveryAllocation) {
  expect_out_of_memory_at_every_allocation(
      [](polylsq_error_t** error) {
        polylsq_fit_t* fit = polylsq_fit(kX.data(), kY.data(), nullptr, kX.size(), 3, error);
        polylsq_fit_free(fit);
        return fit != nullptr ? POLYLSQ_OK : polylsq_error_status(*error);
      },
      "not enough memory for the fit");
}

TEST(OutOfMemory, ADegreeTableFailsCleanlyAtEveryAllocation) {
  expect_out_of_memory_at_every_allocation(
      [](polylsq_error_t** error) {
        polylsq_degree_table_t* table = polylsq_degree_table(
            kX.data(), kY.data(), nullptr, kX.size(), POLYLSQ_DEFAULT_MAX_DEGREE, error);
        polylsq_degree_table_free(table);
        return table != nullptr ? POLYLSQ_OK : polylsq_error_status(*error);
      },
      "not enough memory for the degree table");
}

TEST(OutOfMemory, PredictionsAndIntervalsFailCleanlyAtEveryAllocation) {
  polylsq_fit_t* fit = polylsq_fit(kX.data(), kY.data(), nullptr, kX.size(), 2, nullptr);
  polylsq_prediction_t prediction;
  expect_out_of_memory_at_every_allocation(
      [&](polylsq_error_t** error) { return polylsq_predict(fit, 2.5, 0.95, &prediction, error); },
      "not enough memory for the prediction");
  double lower[3], upper[3];
  expect_out_of_memory_at_every_allocation(
      [&](polylsq_error_t** error) {
        return polylsq_coefficient_intervals(fit, 0.95, lower, upper, 3, error);
      },
      "not enough memory for the intervals");
  polylsq_fit_free(fit);
}

TEST(OutOfMemory, TheCppLayerReturnsAFailureAndThrowsNothing) {
  for (const bool all_after : {false, true}) {
    int failures = 0;
    for (long failing = 0; failing < 100000; ++failing) {
      const bool made = with_failing_allocation(failing, all_after, [] {
        const auto fit = polylsq::fit(kX, kY, 3);
        const auto table = polylsq::degree_table(kX, kY);
        if (!fit) {
          EXPECT_EQ(fit.error().status, polylsq::Status::kOutOfMemory);
        }
        if (!table) {
          EXPECT_EQ(table.error().status, polylsq::Status::kOutOfMemory);
        }
        return fit.has_value() && table.has_value();
      });
      if (made) break;
      ++failures;
    }
    EXPECT_GT(failures, 10);
  }
}

}  // namespace
