// Drawing a measured plot as SVG: panels, markers, curves, band, axes, title, legend.
#include "plot/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>

#include "plot/curve_path.h"
#include "plot/marker_set.h"
#include "plot/svg_writer.h"

namespace polylsq::plot {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans, Arial, Helvetica, sans-serif";
constexpr const char* kInkColour = "#000000";
constexpr const char* kZeroLineColour = "#808080";
constexpr const char* kDashPattern = "8 5";
constexpr double kBandOpacity = 0.18;
constexpr double kFontSize = 12;
constexpr double kTitleFontSize = 15;
constexpr double kTitleBaseline = 27;
constexpr std::size_t kTitleChars = 80;  // about the picture width at the title font size
// Axis names are cut to leave room for the offset and power within the panels' sizes.
constexpr std::size_t kXNameChars = 50;
constexpr std::size_t kYNameChars = 30;
constexpr double kTickLength = 5;
constexpr double kTextCentring = 4;     // baseline below a text's vertical centre
constexpr double kXLabelBaseline = 18;  // below the residual panel
constexpr double kXTitleBaseline = 42;  // below the residual panel
constexpr double kYTitleCentre = 14;    // from the picture's left edge
constexpr double kLegendRowHeight = 20;
constexpr double kHollowStroke = 1.2;
constexpr const char* kMainClipId = "main-plot";
constexpr const char* kMainClipUrl = "url(#main-plot)";

const char* curve_colour(std::size_t index) {
  return kCurveColours[index % std::size(kCurveColours)];
}

void rectangle(std::string& out, const PixelBox& box, const char* fill, const char* stroke) {
  Tag(out, "rect")
      .set("x", box.left)
      .set("y", box.top)
      .set("width", box.width)
      .set("height", box.height)
      .set("fill", fill)
      .set("stroke", stroke)
      .empty();
}

void clip_path(std::string& out, const char* id, const PixelBox& box) {
  Tag(out, "clipPath").set("id", id).open();
  rectangle(out, box, kInkColour, "none");
  close_tag(out, "clipPath");
}

void stroke_curve(Tag& tag, std::size_t index, bool dashed) {
  tag.set("fill", "none").set("stroke", curve_colour(index)).set("stroke-width", kCurveWidth);
  tag.set("stroke-linejoin", "round");
  if (dashed) tag.set("stroke-dasharray", kDashPattern);
}

void label(std::string& out, double x, double y, const char* anchor, std::string_view text) {
  Tag(out, "text").set("x", x).set("y", y).set("text-anchor", anchor).text(text);
}

void rotated_title(std::string& out, double centre_y, std::string_view text) {
  std::string turn = "rotate(-90 ";
  append_number(turn, kYTitleCentre);
  turn += ' ';
  append_number(turn, centre_y);
  turn += ')';
  Tag(out, "text")
      .set("x", kYTitleCentre)
      .set("y", centre_y)
      .set("text-anchor", "middle")
      .set("transform", turn)
      .text(text);
}

// Filled markers, or hollow rings for observations the fit left out.
void markers(std::string& out, const MarkerSet& set, bool hollow = false, const char* colour = kMarkerColour) {
  const std::vector<PixelPoint> drawn = set.markers();
  if (hollow && drawn.empty()) return;
  if (hollow) {
    Tag(out, "g").set("fill", "none").set("stroke", colour).set("stroke-width", kHollowStroke).open();
  } else {
    Tag(out, "g").set("fill", colour).set("stroke", "none").open();
  }
  for (const PixelPoint& p : drawn)
    Tag(out, "circle").set("cx", p.x).set("cy", p.y).set("r", kMarkerRadius).empty();
  close_tag(out, "g");
}

// Frame, tick marks and y labels of a panel; x labels only when `label_x`.
void axes(std::string& out, const PanelMap& panel, const Ticks& x_ticks, bool label_x) {
  rectangle(out, panel.box, "none", kInkColour);
  std::string marks;
  for (double x : x_ticks.values) {
    marks += 'M';
    append_number(marks, panel.pixel_x(x));
    marks += ' ';
    append_number(marks, panel.box.bottom());
    marks += 'v';
    append_number(marks, kTickLength);
  }
  for (double y : panel.y_ticks.values) {
    marks += 'M';
    append_number(marks, panel.box.left - kTickLength);
    marks += ' ';
    append_number(marks, panel.pixel_y(y));
    marks += 'h';
    append_number(marks, kTickLength);
  }
  Tag(out, "path").set("d", marks).set("stroke", kInkColour).set("fill", "none").empty();
  for (std::size_t i = 0; i < panel.y_ticks.values.size(); ++i)
    label(out, panel.box.left - kTickLength - 3,
          panel.pixel_y(panel.y_ticks.values[i]) + kTextCentring, "end", panel.y_ticks.labels[i]);
  if (!label_x) return;
  for (std::size_t i = 0; i < x_ticks.values.size(); ++i)
    label(out, panel.pixel_x(x_ticks.values[i]), panel.box.bottom() + kXLabelBaseline, "middle",
          x_ticks.labels[i]);
}

// The markers of one series: filled, and rings for the pairs not fitted.
void observation_markers(std::string& out, const PanelMap& panel, std::span<const double> x, std::span<const double> y,
                         const std::vector<bool>& not_fitted, const char* colour) {
  MarkerSet points(panel.box);
  MarkerSet left_out(panel.box);
  const std::size_t pairs = std::min(x.size(), y.size());
  for (std::size_t i = 0; i < pairs; ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
    const bool fitted = i >= not_fitted.size() || !not_fitted[i];
    (fitted ? points : left_out).add({panel.pixel_x(x[i]), panel.pixel_y(y[i])});
  }
  markers(out, points, false, colour);
  markers(out, left_out, true, colour);
}

void band_area(std::string& out, const MeasuredPlot& measured, const std::vector<double>& low,
               const std::vector<double>& high, std::size_t colour) {
  Tag band(out, "path");
  band.set("d", band_path(measured.sample_x, low, high, measured.layout.main));
  band.set("fill", curve_colour(colour)).set("fill-opacity", kBandOpacity).set("stroke", "none");
  band.empty();
}

void curve_line(std::string& out, const MeasuredPlot& measured, const std::vector<double>& ys, std::size_t colour,
                bool dashed) {
  Tag curve(out, "path");
  curve.set("d", curve_path(measured.sample_x, ys, measured.layout.main));
  stroke_curve(curve, colour, dashed);
  curve.empty();
}

// The colour of the markers of series `s`: the marker colour for a single series.
const char* marker_colour(const PlotRequest& request, std::size_t s) {
  return request.more_series.empty() ? kMarkerColour : curve_colour(series_colour(request, s));
}

void main_panel(std::string& out, const PlotRequest& request, const MeasuredPlot& measured) {
  const PanelMap& panel = measured.layout.main;
  Tag(out, "g").set("clip-path", kMainClipUrl).open();
  if (request.band) band_area(out, measured, measured.band_low, measured.band_high, 0);
  for (std::size_t s = 0; s < request.more_series.size(); ++s) {
    const MeasuredPlot::SeriesSamples& samples = measured.more_series[s];
    if (request.more_series[s].band)
      band_area(out, measured, samples.band_low, samples.band_high, series_colour(request, s + 1));
  }
  close_tag(out, "g");

  observation_markers(out, panel, request.x, request.y, request.not_fitted, marker_colour(request, 0));
  for (std::size_t s = 0; s < request.more_series.size(); ++s) {
    const SeriesPlot& series = request.more_series[s];
    observation_markers(out, panel, series.x, series.y, series.not_fitted, marker_colour(request, s + 1));
  }

  Tag(out, "g").set("clip-path", kMainClipUrl).open();
  for (std::size_t c = 0; c < request.curves.size(); ++c)
    curve_line(out, measured, measured.curve_y[c], c, request.curves[c].dashed);
  for (std::size_t s = 0; s < request.more_series.size(); ++s)
    curve_line(out, measured, measured.more_series[s].curve_y, series_colour(request, s + 1),
               request.more_series[s].curve.dashed);
  close_tag(out, "g");
  axes(out, panel, measured.layout.x_ticks, false);
}

void residual_markers(std::string& out, const PanelMap& panel, std::span<const double> x,
                      const std::vector<double>& residuals, const char* colour) {
  MarkerSet points(panel.box);
  for (std::size_t i = 0; i < residuals.size(); ++i)
    if (std::isfinite(residuals[i])) points.add({panel.pixel_x(x[i]), panel.pixel_y(residuals[i])});
  markers(out, points, false, colour);
}

void residual_panel(std::string& out, const PlotRequest& request, const MeasuredPlot& measured) {
  const PanelMap& panel = measured.layout.residual;
  const double zero = panel.pixel_y(0);
  Tag(out, "line")
      .set("x1", panel.box.left)
      .set("y1", zero)
      .set("x2", panel.box.right())
      .set("y2", zero)
      .set("stroke", kZeroLineColour)
      .empty();
  residual_markers(out, panel, request.x, measured.residuals, marker_colour(request, 0));
  for (std::size_t s = 0; s < request.more_series.size(); ++s)
    residual_markers(out, panel, request.more_series[s].x, measured.more_series[s].residuals,
                     marker_colour(request, s + 1));
  axes(out, panel, measured.layout.x_ticks, true);
}

// A legend row's marker, in the middle of the sample width: filled, or a ring.
void legend_marker(std::string& out, double left, double row, bool hollow, const char* colour = kMarkerColour) {
  Tag marker(out, "circle");
  marker.set("cx", left + kLegendSampleWidth / 2).set("cy", row).set("r", kMarkerRadius);
  if (hollow) {
    marker.set("fill", "none").set("stroke", colour).set("stroke-width", kHollowStroke);
  } else {
    marker.set("fill", colour);
  }
  marker.empty();
}

// A legend row of a curve: its line sample and label, and the note under it when it leaves
// the frame; returns the next row.
double curve_row(std::string& out, double left, double row, std::size_t colour, bool dashed, std::string_view text,
                 bool leaves_frame) {
  const double text_x = left + kLegendSampleWidth + kLegendTextGap;
  Tag sample(out, "line");
  sample.set("x1", left).set("y1", row).set("x2", left + kLegendSampleWidth).set("y2", row);
  stroke_curve(sample, colour, dashed);
  sample.empty();
  label(out, text_x, row + kTextCentring, "start", shortened(text, kLegendLabelChars));
  if (leaves_frame) {
    row += kLegendRowHeight;
    Tag(out, "text").set("x", text_x).set("y", row + kTextCentring).set("font-style", "italic").text(kLeavesFrameNote);
  }
  return row + kLegendRowHeight;
}

// Several series: one row each, its curve's sample with a marker on it and its name; then
// the further curves of the request.
double series_rows(std::string& out, const PlotRequest& request, const MeasuredPlot& measured, double left,
                   double row) {
  const std::size_t count = request.more_series.size() + 1;
  for (std::size_t s = 0; s < count; ++s) {
    const std::size_t colour = series_colour(request, s);
    const bool dashed = s == 0 ? !request.curves.empty() && request.curves[0].dashed : request.more_series[s - 1].curve.dashed;
    const bool leaves_frame = s == 0 ? !measured.curve_leaves_frame.empty() && measured.curve_leaves_frame[0]
                                     : measured.more_series[s - 1].curve_leaves_frame;
    legend_marker(out, left, row, false, curve_colour(colour));
    row = curve_row(out, left, row, colour, dashed, s == 0 ? request.observations_label : request.more_series[s - 1].label,
                    leaves_frame);
  }
  for (std::size_t c = 1; c < request.curves.size(); ++c)
    row = curve_row(out, left, row, c, request.curves[c].dashed, request.curves[c].label, measured.curve_leaves_frame[c]);
  return row;
}

// Observations (and those not fitted), curves, band: one row each.
void legend(std::string& out, const PlotRequest& request, const MeasuredPlot& measured) {
  const PlotLayout& layout = measured.layout;
  const double left = layout.legend_left;
  double row = layout.main.box.top + kLegendRowHeight / 2;
  const double text_x = left + kLegendSampleWidth + kLegendTextGap;
  if (!request.more_series.empty()) {
    row = series_rows(out, request, measured, left, row);
  } else {
    legend_marker(out, left, row, false);
    label(out, text_x, row + kTextCentring, "start", shortened(request.observations_label, kLegendLabelChars));
    row += kLegendRowHeight;
  }
  if (measured.any_not_fitted) {
    legend_marker(out, left, row, true);
    label(out, text_x, row + kTextCentring, "start", kNotFittedLabel);
    row += kLegendRowHeight;
  }
  if (request.more_series.empty()) {
    for (std::size_t c = 0; c < request.curves.size(); ++c)
      row = curve_row(out, left, row, c, request.curves[c].dashed, request.curves[c].label,
                      measured.curve_leaves_frame[c]);
  }
  if (request.band) {
    Tag swatch(out, "rect");
    swatch.set("x", left).set("y", row - kLegendRowHeight / 3);
    swatch.set("width", kLegendSampleWidth).set("height", kLegendRowHeight * 2 / 3);
    swatch.set("fill", curve_colour(0)).set("fill-opacity", kBandOpacity).empty();
    label(out, text_x, row + kTextCentring, "start", shortened(request.band->label, kLegendLabelChars));
  }
}

}  // namespace

std::string render_svg(const PlotRequest& request) {
  const MeasuredPlot measured = measure_plot(request);
  const PlotLayout& layout = measured.layout;
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  std::string view_box = "0 0 ";
  append_number(view_box, layout.width);
  view_box += ' ';
  append_number(view_box, layout.height);
  Tag(out, "svg")
      .set("xmlns", "http://www.w3.org/2000/svg")
      .set("width", layout.width)
      .set("height", layout.height)
      .set("viewBox", view_box)
      .set("font-family", kFontFamily)
      .set("font-size", kFontSize)
      .open();
  rectangle(out, {0, 0, layout.width, layout.height}, kBackgroundColour, "none");
  Tag(out, "defs").open();
  clip_path(out, kMainClipId, layout.main.box);
  close_tag(out, "defs");
  Tag(out, "text")
      .set("x", layout.width / 2)
      .set("y", kTitleBaseline)
      .set("text-anchor", "middle")
      .set("font-size", kTitleFontSize)
      .text(shortened(request.title, kTitleChars));

  main_panel(out, request, measured);
  residual_panel(out, request, measured);
  const PixelBox& bottom = layout.residual.box;
  label(out, bottom.left + bottom.width / 2, bottom.bottom() + kXTitleBaseline, "middle",
        axis_title(shortened(request.x_label, kXNameChars), layout.x_ticks));
  rotated_title(out, layout.main.box.top + layout.main.box.height / 2,
                axis_title(shortened(request.y_label, kYNameChars), layout.main.y_ticks));
  rotated_title(out, bottom.top + bottom.height / 2,
                axis_title("residual", layout.residual.y_ticks));
  legend(out, request, measured);
  close_tag(out, "svg");
  return out;
}

}  // namespace polylsq::plot
