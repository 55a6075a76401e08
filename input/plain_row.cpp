// Plain rows: one pass, one look-up a separator character.
#include "input/plain_row.h"

#include "input/number_text.h"

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

}  // namespace polylsq::input
