// The residual and prediction tables, written into one buffer with std::to_chars: a million
// rows take a fraction of a second.
#include "app/result_tables.h"

#include <charconv>
#include <optional>
#include <vector>

#include "accurate/prediction.h"

namespace polylsq::app {
namespace {

constexpr std::size_t kResidualRowBytes = 96;  // a row of five numbers and a line, reserved

void append_number(std::string& out, double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value == 0.0 ? 0.0 : value).ptr;
  out.append(text, end);
}

void append_count(std::string& out, std::size_t value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, end);
}

void append_optional(std::string& out, std::optional<double> value) {
  if (value) {
    append_number(out, *value);
  } else {
    out += "NA";
  }
}

// The series name as a CSV cell.
std::string cell_of(const std::string& name) {
  const bool quoted = name.find_first_of(",\"\r\n") != std::string::npos ||
                      (!name.empty() && (name.front() == ' ' || name.back() == ' '));
  if (!quoted) return name;
  std::string cell = "\"";
  for (const char c : name) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
  return cell + "\"";
}

void append_residual_rows(std::string& out, const SeriesResult& series, const std::string* series_cell) {
  const input::Series& data = *series.data;
  const std::vector<double> fitted_values = accurate::evaluate_all(series.fit, data.x);
  for (std::size_t i = 0; i < data.x.size(); ++i) {
    const double fitted = fitted_values[i];
    append_number(out, data.x[i]);
    out += ',';
    append_number(out, data.y[i]);
    out += ',';
    append_number(out, fitted);
    out += ',';
    append_number(out, data.y[i] - fitted);
    if (!data.w.empty()) {
      out += ',';
      append_number(out, data.w[i]);
    }
    out += ',';
    if (i < data.lines.size()) append_count(out, data.lines[i]);
    if (series_cell != nullptr) {
      out += ',';
      out += *series_cell;
    }
    out += '\n';
  }
}

}  // namespace

std::string residuals_csv(std::span<const SeriesResult> series) {
  const bool several = series.size() > 1;
  const bool weighted = !series.empty() && !series.front().data->w.empty();
  std::size_t rows = 0;
  for (const SeriesResult& one : series) rows += one.data->x.size();
  std::string out;
  out.reserve(rows * kResidualRowBytes);
  out += weighted ? "x,y,fitted,residual,weight,line" : "x,y,fitted,residual,line";
  out += several ? ",series\n" : "\n";
  for (const SeriesResult& one : series) {
    const std::string cell = cell_of(one.data->name);
    append_residual_rows(out, one, several ? &cell : nullptr);
  }
  return out;
}

std::string predictions_csv(std::span<const SeriesResult> series) {
  const bool several = series.size() > 1;
  std::string out = "x,fit,se_fit,confidence_low,confidence_high,prediction_low,prediction_high";
  out += several ? ",series\n" : "\n";
  for (const SeriesResult& one : series) {
    const std::string cell = cell_of(one.data->name);
    for (const PredictionAt& at : one.predictions) {
      const accurate::Prediction& p = at.prediction;
      append_number(out, at.x);
      out += ',';
      append_number(out, p.fit);
      for (const std::optional<double> value :
           {p.se_fit, p.confidence ? std::optional(p.confidence->lower) : std::nullopt,
            p.confidence ? std::optional(p.confidence->upper) : std::nullopt,
            p.prediction ? std::optional(p.prediction->lower) : std::nullopt,
            p.prediction ? std::optional(p.prediction->upper) : std::nullopt}) {
        out += ',';
        append_optional(out, value);
      }
      if (several) out += "," + cell;
      out += '\n';
    }
  }
  return out;
}

}  // namespace polylsq::app
