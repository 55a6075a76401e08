// Expectations of record-shaped results (FITSTAT, AOV, a row of COEF, ...) written as one
// literal per record and compared at once; a failure names the slot that differs.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

namespace polylsq::testing {

// The expected value of one slot: a NaN stands for any NaN; an infinity, or a tolerance of
// 0, asks for exactly that value; otherwise the slot must lie within `tolerance` of it.
struct Slot {
  double value;
  double tolerance = 0.0;
};

// Checks one value; `name` is how a failure names it, as "FITSTAT(5)".
void expect_slot(std::string_view name, float actual, const Slot& expected);

// Checks actual[i] against expected[i] for every i; a failure names the slot
// "<record>(<i + 1>)". The two must have the same length.
void expect_record(std::string_view record, std::span<const float> actual, std::span<const Slot> expected);
void expect_record(std::string_view record, std::span<const float> actual, std::initializer_list<Slot> expected);

}  // namespace polylsq::testing
