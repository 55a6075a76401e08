// polylsq: least-squares polynomial fit of the (x, y) pairs in "B2F.txt".
#include "app/program.h"

int main() {
  polylsq::app::run_program();
  return 0;
}
