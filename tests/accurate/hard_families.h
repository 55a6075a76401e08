// Deterministic data sets on which plain double least squares loses digits, for the
// accuracy tests: abscissas far from 0 with a small span, raw-power polynomials with
// integer noise, y with a huge mean against its spread, high degrees on a narrow range,
// abscissas scaled by powers of ten, weighted versions; and the two reference data sets
// shipped with NIST's certified values.
#pragma once

#include <string>
#include <vector>

namespace polylsq::accurate::testing {

struct DataSet {
  std::string name;
  int degree = 0;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> w;  // empty: unweighted
};

// Every generated family, each set named after its family and parameters.
std::vector<DataSet> hard_families();

// y = 1 - 2x + 3x^2 at x = 0..n-1, exact in doubles: a fit of degree 2 has zero residuals.
DataSet exact_quadratic(int n);

// Ten abscissas 0..9 and one at 1e6, degree 3: the fit warns that it is badly conditioned.
DataSet clustered();

// NIST StRD Norris (degree 1, 36 observations) and Wampler1 (degree 5, 21 observations), as
// in /work/shared/nist/{Norris,Wampler1}/B2F.txt.
DataSet norris();
DataSet wampler1();

}  // namespace polylsq::accurate::testing
