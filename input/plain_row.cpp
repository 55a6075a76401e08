// Plain rows: one pass, one look-up a separator character.
#include "input/plain_row.h"

#include "input/number_text.h"
#include "input/second_reader.h"
#include "text/line_ends.h"

namespace polylsq::input {

FieldClasses make_field_classes(const char* delimiters, const char* stops) {
  FieldClasses classes{};
  classes[' '] = classes['\t'] = FieldClass::kBlank;
  for (const char* c = delimiters; *c != '\0'; ++c) {
    classes[static_cast<unsigned char>(*c)] = FieldClass::kDelimiter;
  }
  for (const char* c = stops; *c != '\0'; ++c)
    classes[static_cast<unsigned char>(*c)] = FieldClass::kStop;
  classes['\r'] = classes['\n'] = FieldClass::kStop;
  return classes;
}

const char* scan_plain_fields(const char* p, const char* end, std::size_t count, double* values,
                              const FieldClasses& classes) {
  const auto class_at = [&](const char* at) { return classes[static_cast<unsigned char>(*at)]; };
  const auto skip_blanks = [&] {
    while (p != end && class_at(p) == FieldClass::kBlank) ++p;
  };
  for (std::size_t i = 0; i < count; ++i) {
    skip_blanks();
    if (i > 0 && p != end && class_at(p) == FieldClass::kDelimiter) {
      ++p;
      skip_blanks();
    }
    p = scan_plain_real(p, end, values[i]);
    if (p == nullptr || (p != end && class_at(p) == FieldClass::kField)) return nullptr;
  }
  skip_blanks();
  return p;
}

namespace {

// The rows of `bytes` as scan_plain_rows() finds them, each row's values given to
// `take(const double*)`.
template <class Take>
PlainRun scan_rows(std::string_view bytes, const PlainRowForm& form, std::size_t most_rows,
                   Take&& take) {
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  const char* p = begin;
  std::size_t rows = 0;
  double fields[kMostPlainRowValues];
  while (rows < most_rows) {
    const char* const row_end = scan_plain_fields(p, end, form.count, fields, *form.classes);
    if (row_end == nullptr || static_cast<std::size_t>(row_end - p) > form.max_line_bytes) break;
    if (form.last_nonnegative && fields[form.count - 1] < 0.0) break;
    const std::size_t line_end = text::line_end_length(row_end, end);
    if (line_end == 0) break;
    take(fields);
    p = row_end + line_end;
    ++rows;
  }
  return {static_cast<std::size_t>(p - begin), rows};
}

}  // namespace

PlainRun scan_plain_rows(std::string_view bytes, const PlainRowForm& form, std::size_t most_rows,
                         const PlainRowTarget& target) {
  if (form.count == 2) {  // x y, the common case, without the loop over the columns
    ValueColumn& x = *target.columns[0];
    ValueColumn& y = *target.columns[1];
    return scan_rows(bytes, form, most_rows, [&](const double* fields) {
      x.push(fields[0]);
      y.push(fields[1]);
    });
  }
  return scan_rows(bytes, form, most_rows, [&](const double* fields) {
    for (std::size_t k = 0; k < form.count; ++k) target.columns[k]->push(fields[k]);
  });
}

PlainRun scan_plain_rows_into(std::string_view bytes, const PlainRowForm& form,
                              std::size_t most_rows, PlainColumns& columns) {
  for (std::vector<double>& column : columns) column.clear();
  return scan_rows(bytes, form, most_rows, [&](const double* fields) {
    for (std::size_t k = 0; k < form.count; ++k) columns[k].push_back(fields[k]);
  });
}

PlainRun scan_plain_rows_in_two(std::string_view bytes, const PlainRowForm& form,
                                std::size_t most_rows, const PlainRowTarget& target,
                                SecondReader& second) {
  const std::size_t newline = bytes.find('\n', bytes.size() / 2);
  if (newline == std::string_view::npos || newline + 1 == bytes.size()) {
    return scan_plain_rows(bytes, form, most_rows, target);
  }
  const std::size_t cut = newline + 1;
  const std::string_view second_bytes = bytes.substr(cut);
  if (!second.start(second_bytes, form, most_rows)) {
    return scan_plain_rows(bytes, form, most_rows, target);
  }
  PlainRun run;
  try {
    run = scan_plain_rows(bytes.substr(0, cut), form, most_rows, target);
  } catch (...) {
    second.abandon();
    throw;
  }
  PlainRun second_run = second.finish();
  if (run.bytes != cut || run.rows == most_rows) return run;
  if (run.rows + second_run.rows > most_rows) {
    // the count ends inside the second part: its first rows again, on this thread
    second_run = scan_plain_rows_into(second_bytes, form, most_rows - run.rows, second.columns());
  }
  for (std::size_t k = 0; k < form.count; ++k) target.columns[k]->append(second.columns()[k]);
  return {run.bytes + second_run.bytes, run.rows + second_run.rows};
}

}  // namespace polylsq::input
