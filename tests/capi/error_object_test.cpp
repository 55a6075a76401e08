// Engine errors as C errors: every error kind has a status of its own, with the number
// docs/library.md fixes for every version 1.x, and its message and observation pass through.
#include "capi/error_object.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

namespace polylsq::capi {
namespace {

TEST(ErrorObject, EveryEngineErrorKindHasItsOwnStatusAndKeepsItsMessage) {
  const struct {
    ErrorKind kind;
    int status;  // the documented value
    const char* message;
    std::optional<std::size_t> observation;
    std::int64_t observation_read;
  } cases[] = {
      {ErrorKind::kCannotRead, 12, "data.txt: no such file", {}, -1},
      {ErrorKind::kBadData, 13, "data.txt: line 7: \"3.O512\" is not a number", 6, 6},
      {ErrorKind::kDegreeOutOfRange, 2, "the degree must be an integer from 0 to 10", {}, -1},
      {ErrorKind::kSizeMismatch, 3, "x has 3 values but y has 2", {}, -1},
      {ErrorKind::kNonFiniteValue, 4, "observation 3: y is not a finite number (nan)", 2, 2},
      {ErrorKind::kNegativeWeight, 5, "observation 1: the weight -2 is negative", 0, 0},
      {ErrorKind::kTooFewObservations, 6, "2 observations cannot determine ...", {}, -1},
      {ErrorKind::kConstantX, 7, "x is constant (2)", {}, -1},
      {ErrorKind::kTooFewDistinctX, 8, "2 distinct x values", {}, -1},
      {ErrorKind::kIllConditioned, 9, "the x values are too close together", {}, -1},
      {ErrorKind::kOutOfRange, 10, "the total sum of squares does not fit in a double", {}, -1},
      {ErrorKind::kInvalidArgument, 1, "the confidence level must lie strictly between 0 and 1",
       {}, -1},
      {ErrorKind::kOutOfMemory, 11, "not enough memory for the fit", {}, -1},
      {ErrorKind::kCannotWrite, 14, "plot.svg: the disk is full", {}, -1},
  };
  std::set<int> kinds_seen, statuses_seen;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    polylsq_error_t* error = nullptr;
    EXPECT_EQ(report(&error, Error{c.kind, c.message, c.observation}), c.status);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(polylsq_error_status(error), c.status);
    EXPECT_STREQ(polylsq_error_message(error), c.message);
    EXPECT_EQ(polylsq_error_observation(error), c.observation_read);
    polylsq_error_free(error);
    kinds_seen.insert(static_cast<int>(c.kind));
    statuses_seen.insert(c.status);
  }
  // The table holds every kind, the last one appended included, and no status twice.
  EXPECT_EQ(kinds_seen.size(), static_cast<std::size_t>(ErrorKind::kCannotWrite) + 1);
  EXPECT_EQ(statuses_seen.size(), std::size(cases));
}

TEST(ErrorObject, NoErrorPointerStillGivesTheStatus) {
  EXPECT_EQ(report(nullptr, Error{ErrorKind::kBadData, "x"}), POLYLSQ_BAD_DATA);
}

}  // namespace
}  // namespace polylsq::capi
