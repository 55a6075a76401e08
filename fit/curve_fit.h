// The curve-fit entry: checks NOBS and NDEG, allocates the driver's workspace on the heap,
// calls R2URV and releases the workspace. A workspace request that cannot be represented
// or that the allocator refuses counts as failed (type 5, code 3). The allocator is
// std::malloc and std::free; tests replace it through fit/testing.h.
#pragma once

namespace polylsq {

void RCURV(int NOBS, const float* XOBS, const float* YOBS, int NDEG, float* B, float* SSDEG,
           float* FITSTAT);

}  // namespace polylsq
