// The process floor for the end-to-end timing: reads "B2F.txt" as the program does (degree,
// count, count pairs) with fscanf and writes seven lines to "F2B.txt", with no fit and no
// checks. Any real program that does the same input and output takes at least this long.
#include <cstdio>
#include <vector>

int main() {
  std::FILE* in = std::fopen("B2F.txt", "r");
  if (in == nullptr) return 1;
  int ndeg = 0;
  int nobs = 0;
  if (std::fscanf(in, "%d %d", &ndeg, &nobs) != 2 || nobs < 0) return 1;
  std::vector<float> x(static_cast<std::size_t>(nobs));
  std::vector<float> y(static_cast<std::size_t>(nobs));
  for (int i = 0; i < nobs; ++i) {
    if (std::fscanf(in, "%f %f", &x[i], &y[i]) != 2) return 1;
  }
  std::fclose(in);
  float sum = 0.0f;
  for (int i = 0; i < nobs; ++i) sum += x[i] + y[i];
  std::FILE* out = std::fopen("F2B.txt", "w");
  if (out == nullptr) return 1;
  for (int i = 0; i < 6; ++i) std::fprintf(out, "%10.3f\r\n", i == 0 ? sum : 0.0f);
  std::fprintf(out, "%12.4f\r\n", double(ndeg));
  std::fclose(out);
  return 0;
}
