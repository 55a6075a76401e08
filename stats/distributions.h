// Distribution functions and the F and t statistics with their probabilities.
//
// FDF and TDF rest on BETAI (and TDF on ERFC). Each routine pushes its name and reports
// through the error handler; missing results are the NaN AMACH(6). Where a NaN argument
// reaches an ordered comparison the run ends through the invalid-operation trap.
#pragma once

namespace polylsq {

float FDF(float F, float DFN, float DFD);   // P(F variable <= F)
float TDF(float T, float DF);               // P(t variable <= T)
float BETAI(float X, float PIN, float QIN);  // I_X(PIN, QIN)
// F = MSN / MSD (guarded); P = probability that an F(DFN, DFD) variable exceeds F.
void C1F(float MSN, float MSD, float DFN, float DFD, float& F, float& P);
// T = EST / SE (guarded); P = two-sided probability of a larger |t| with DF.
void C1T(float EST, float SE, float DF, float& T, float& P);

}  // namespace polylsq
