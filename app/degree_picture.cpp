// The picture of a degree table: the plot module's request filled from the series and the
// fits of three degrees at most.
#include "app/degree_picture.h"

#include <vector>

#include "accurate/polynomial_fit.h"
#include "accurate/prediction.h"
#include "app/atomic_file.h"
#include "app/degree_choice.h"
#include "app/output_target.h"
#include "plot/svg_plot.h"

namespace polylsq::app {

Expected<void> draw_degrees(const std::string& path, const input::Series& series, const accurate::DegreeTable& table,
                            accurate::DegreeCriterion criterion) {
  const int chosen = accurate::recommended_degree(table.recommended, criterion);
  const int last = static_cast<int>(table.rows.size()) - 1;
  std::vector<int> degrees{chosen};  // the recommended one first: its residuals are drawn
  if (chosen > 0) degrees.push_back(chosen - 1);
  if (chosen < last) degrees.push_back(chosen + 1);

  std::vector<accurate::PolynomialFit> fits;
  for (const int degree : degrees) {
    Expected<accurate::PolynomialFit> fit = accurate::fit_polynomial(series.x, series.y, series.w, degree);
    if (!fit) return Error{fit.error().kind, "--plot: degree " + std::to_string(degree) + ": " + fit.error().message};
    fits.push_back(std::move(*fit));
  }

  plot::PlotRequest request;
  request.x = series.x;
  request.y = series.y;
  for (const double weight : series.w) request.not_fitted.push_back(weight == 0.0);
  request.title = criterion_name(criterion) + " recommends degree " + std::to_string(chosen) + " of 0 to " +
                  std::to_string(last) + ", n = " + std::to_string(table.n);
  for (std::size_t i = 0; i < fits.size(); ++i) {
    const accurate::PolynomialFit& fit = fits[i];
    const std::string label = "degree " + std::to_string(fit.degree) +
                              (i == 0 ? " (" + criterion_name(criterion) + ")" : "");
    request.curves.push_back({[&fit](double x) { return accurate::evaluate(fit, x); }, label, i > 0});
  }
  if (series.header) request.y_label = *series.header;
  return write_file_atomically(path, with_generator_mark(plot::render_svg(request)));
}

}  // namespace polylsq::app
