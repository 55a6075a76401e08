// The data reader: finds the format from the first lines that are neither blank nor
// comments, then hands the lines to the reader of that format. The lines looked at to
// choose are not read twice: a columns file gets them passed on.
#include "input/data_reader.h"

#include <algorithm>
#include <new>
#include <span>

#include "input/column_reader.h"
#include "input/list_directed_reader.h"
#include "input/number_text.h"
#include "input/value_column.h"
#include "text/message_text.h"

namespace polylsq::input {
namespace {

constexpr std::string_view kBlanks = " \t";

enum class LineKind { kBlank, kComment, kSingleNumber, kOther };

struct ClassifiedLine {
  LineKind kind = LineKind::kBlank;
  std::size_t number = 0;
  std::string_view text;   // the whole line
  std::string_view token;  // for kSingleNumber: the number
};

bool is_number_form(std::string_view token) {
  int integer = 0;
  double real = 0.0;
  return text::parse_integer(token, integer) != Conversion::kMalformed ||
         parse_real(token, real) != Conversion::kMalformed;
}

// "  16#FF " is a single number, "# x y" a comment, "#FF" a single number (base 16).
ClassifiedLine classify(std::size_t number, std::string_view line) {
  ClassifiedLine out{LineKind::kBlank, number, line, {}};
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return out;
  const std::string_view token = line.substr(first, line.find_last_not_of(kBlanks) + 1 - first);
  if (token.find_first_of(kBlanks) == std::string_view::npos && is_number_form(token)) {
    out.kind = LineKind::kSingleNumber;
    out.token = token;
  } else {
    out.kind = token[0] == '#' ? LineKind::kComment : LineKind::kOther;
  }
  return out;
}

// The next line that is neither blank nor a comment, in `line`.
LineSource::Status next_significant(LineSource& lines, ClassifiedLine& line) {
  std::string_view text;
  for (;;) {
    const LineSource::Status status = lines.next(text);
    if (status != LineSource::Status::kLine) return status;
    line = classify(lines.line_number(), text);
    if (line.kind != LineKind::kBlank && line.kind != LineKind::kComment) return status;
  }
}

Error bad_data(std::string message) { return {ErrorKind::kBadData, std::move(message)}; }

// "no observations", "no x values: every row has an empty or NA cell".
Error nothing_read(std::string_view what, std::size_t skipped_rows) {
  return bad_data(std::string(what) +
                  (skipped_rows == 0 ? "" : ": every row has an empty or NA cell"));
}

Error weights_of_data_file() {
  return {ErrorKind::kInvalidArgument, "--weights needs plain columns, not the data-file format"};
}

Error columns_of_data_file() {
  return {ErrorKind::kInvalidArgument,
          "a choice of columns needs plain columns, not the data-file format"};
}

bool chooses_columns(const ReadOptions& options) {
  return options.x_column || !options.y_columns.empty() || options.weights_column;
}

// Why `options` cannot read a data file; none when they can.
std::optional<Error> refusal_of_data_file(const ReadOptions& options) {
  if (chooses_columns(options)) return columns_of_data_file();
  if (options.weights) return weights_of_data_file();
  return std::nullopt;
}

ColumnRoles roles_of(const ReadOptions& options) {
  ColumnRoles roles;
  roles.chosen = chooses_columns(options);
  if (options.x_column) roles.x = *options.x_column;
  if (!options.y_columns.empty()) roles.y = options.y_columns;
  if (options.weights_column) {
    roles.w = *options.weights_column;
  } else if (options.weights) {
    roles.w = ColumnRef{3, {}};
  }
  return roles;
}

// One of the two header integers of a data file; `what` names it in messages.
Expected<void> read_header_integer(const ClassifiedLine& line, std::string_view what, int& value) {
  std::string why;
  switch (text::parse_integer(line.token, value)) {
    case Conversion::kOk:
      return {};
    case Conversion::kMalformed:
      why = " is not an integer (";
      break;
    case Conversion::kOutOfRange:
      why = " is outside the 32-bit integer range (";
      break;
  }
  return bad_data(text::at_line(line.number, text::quote_value(line.token) + why +
                                                 std::string(what) + ")"));
}

// Bytes from the file's position to its end, when the file can tell (not a pipe).
std::optional<std::size_t> bytes_left(std::FILE* file) {
  const long at = std::ftell(file);
  if (at < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
  const long end = std::ftell(file);
  if (std::fseek(file, at, SEEK_SET) != 0) return std::nullopt;
  if (end < at) return std::nullopt;
  return static_cast<std::size_t>(end - at);
}

// After the observations: the first line whose first item is a number, which the count
// leaves unread, as a warning; none when there is none or the rest cannot be read. The scan
// stops there, so an endless source of values ends it too.
std::optional<std::string> unread_values(LineSource& lines, int count) {
  std::string_view text;
  while (lines.next(text) == LineSource::Status::kLine) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) continue;
    const std::string_view item = text.substr(start, text.find_first_of(" \t,;/", start) - start);
    if (!is_number_form(item)) continue;
    return text::at_line(lines.line_number(),
                   "values beyond the " + std::to_string(count) +
                       (count == 1 ? " observation" : " observations") +
                       " that the count announces; this line and those after it are not read");
  }
  return std::nullopt;
}

// The observations of a data file whose header gave `degree` and `count` (>= 1).
Expected<DataSet> read_observations(LineSource& lines, std::optional<std::size_t> file_bytes,
                                    bool source_lines, int degree, int count) {
  DataSet data;
  data.format = DataFormat::kDataFile;
  data.file_degree = degree;
  ValueColumn x;
  ValueColumn y;
  LineColumn line_numbers;
  if (file_bytes) {
    // an observation takes at least a line "/": two bytes, the last one one byte
    const std::size_t most = std::min(static_cast<std::size_t>(count), (*file_bytes + 1) / 2);
    x.reserve(most);
    y.reserve(most);
    if (source_lines) line_numbers.reserve(most);
  }
  if (const Expected<void> read = read_list_observations(
          lines, count, x, y, source_lines ? &line_numbers : nullptr);
      !read) {
    return read.error();
  }
  if (auto warning = unread_values(lines, count)) data.warnings.push_back(std::move(*warning));
  Series& series = data.series.emplace_back();
  series.name = "y";
  series.x = x.take();
  series.y = y.take();
  series.lines = line_numbers.take();
  return data;
}

Error count_too_small(std::size_t line, int count) {
  return bad_data(text::at_line(line, "the count of observations is " + std::to_string(count) +
                                          ", at least 1 is needed"));
}

Expected<DataSet> read_data_file(LineSource& lines, std::optional<std::size_t> file_bytes,
                                 bool source_lines, const ClassifiedLine& degree_line,
                                 const ClassifiedLine& count_line) {
  int degree = 0;
  int count = 0;
  if (const Expected<void> read = read_header_integer(degree_line, "the degree", degree); !read) {
    return read.error();
  }
  if (const Expected<void> read =
          read_header_integer(count_line, "the count of observations", count);
      !read) {
    return read.error();
  }
  if (count < 1) return count_too_small(count_line.number, count);
  return read_observations(lines, file_bytes, source_lines, degree, count);
}

// A data file whatever its first lines look like: the header read list-directed.
Expected<DataSet> read_forced_data_file(LineSource& lines, std::optional<std::size_t> file_bytes,
                                        bool source_lines) {
  int degree = 0;
  int count = 0;
  if (const Expected<void> read = read_list_header(lines, degree, count); !read) {
    return read.error();
  }
  if (count < 1) return count_too_small(lines.line_number(), count);
  return read_observations(lines, file_bytes, source_lines, degree, count);
}

// `classified`: lines already taken from `lines` to choose the format, in order.
Expected<DataSet> read_columns(LineSource& lines, std::optional<std::size_t> file_bytes,
                               const ReadOptions& options,
                               std::span<const ClassifiedLine> classified) {
  DataSet data;
  ColumnReader reader(roles_of(options), file_bytes, options.source_lines, data.warnings);
  std::vector<HeldLine> held;
  for (const ClassifiedLine& line : classified) held.push_back({line.number, line.text});
  if (const Expected<void> read = read_table(lines, held, reader); !read) return read.error();
  data.series = reader.take_series();
  const bool several = data.series.size() > 1;
  for (std::size_t k = 0; k < data.series.size(); ++k) {
    if (!data.series[k].x.empty()) continue;
    if (reader.skipped_rows() == 0) return nothing_read("no observations", 0);
    return nothing_read(several ? "no observations for " + data.series[k].name : "no observations",
                        reader.skipped_rows(k));
  }
  data.x_header = reader.plan()->x_header;
  data.columns = reader.plan();
  data.decimal_comma = reader.decimal_comma();
  return data;
}

Expected<DataSet> read_any(std::FILE* file, const ReadOptions& options,
                           const StreamLimits& limits) {
  const std::optional<std::size_t> file_bytes = bytes_left(file);
  LineSource lines(file, limits);
  if (options.data_file_only) {
    if (auto refusal = refusal_of_data_file(options)) return *refusal;
    return read_forced_data_file(lines, file_bytes, options.source_lines);
  }
  ClassifiedLine first;
  LineSource::Status status = next_significant(lines, first);
  if (status == LineSource::Status::kEnd) return nothing_read("no observations", 0);
  if (status == LineSource::Status::kFailed) return lines.failure();
  if (first.kind != LineKind::kSingleNumber) {
    return read_columns(lines, file_bytes, options, std::span(&first, 1));
  }

  // The next read reuses the buffer: keep the first line.
  const std::string first_text(first.text);
  first = classify(first.number, first_text);
  ClassifiedLine second;
  status = next_significant(lines, second);
  if (status == LineSource::Status::kFailed) return lines.failure();
  if (status == LineSource::Status::kEnd) {
    return read_columns(lines, file_bytes, options, std::span(&first, 1));
  }
  if (second.kind != LineKind::kSingleNumber) {
    const ClassifiedLine held[] = {first, second};
    return read_columns(lines, file_bytes, options, held);
  }
  if (auto refusal = refusal_of_data_file(options)) return *refusal;
  return read_data_file(lines, file_bytes, options.source_lines, first, second);
}

Expected<XValues> read_x_list(std::FILE* file, const std::optional<ColumnRef>& x_column,
                              const StreamLimits& limits) {
  XValues values;
  ColumnRoles roles;
  roles.y.clear();
  if (x_column) {
    roles.x = *x_column;
    roles.chosen = true;
  }
  const std::optional<std::size_t> file_bytes = bytes_left(file);
  LineSource lines(file, limits);
  ColumnReader reader(roles, file_bytes, false, values.warnings);
  if (const Expected<void> read = read_table(lines, {}, reader); !read) return read.error();
  values.x = std::move(reader.take_series().front().x);
  if (values.x.empty()) return nothing_read("no x values", reader.skipped_rows());
  values.header = reader.plan()->x_header;
  return values;
}

std::string with_name(std::string_view display_name, std::string message) {
  if (display_name.empty()) return message;
  return std::string(display_name) + ": " + message;
}

// `read`'s message and warnings named after the file; memory that runs out as an error.
template <typename Result, typename Read>
Expected<Result> named_read(std::string_view display_name, const Read& read_file) {
  try {
    Expected<Result> read = read_file();
    if (!read) {
      read.error().message = with_name(display_name, std::move(read.error().message));
      return read;
    }
    for (std::string& warning : read->warnings) {
      warning = with_name(display_name, std::move(warning));
    }
    return read;
  } catch (const std::bad_alloc&) {
    return Error{ErrorKind::kOutOfMemory,
                 with_name(display_name, "not enough memory to read the file")};
  }
}

}  // namespace

Expected<DataSet> read_data(std::FILE* file, std::string_view display_name,
                            const ReadOptions& options, const StreamLimits& limits) {
  return named_read<DataSet>(display_name, [&] { return read_any(file, options, limits); });
}

Expected<XValues> read_x_values(std::FILE* file, std::string_view display_name,
                                const std::optional<ColumnRef>& x_column,
                                const StreamLimits& limits) {
  return named_read<XValues>(display_name, [&] { return read_x_list(file, x_column, limits); });
}

}  // namespace polylsq::input
