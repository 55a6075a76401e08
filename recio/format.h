// Format texts parsed once into a flat list of edit items, cached by text.
//
//   "('   B(',I1,') = ',F9.3)" -> Literal "   B(", Integer w1, Literal ") = ", Fixed w9 d3
//
// Groups are a GroupOpen/GroupClose pair that name each other; `repeat` is the count
// in front of a descriptor or group. When the items outlast the format, output goes on
// in a new record from `revert` (the last top-level group, else the first item).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace polylsq::recio::detail {

enum class EditKind {
  kLiteral,     // 'text' or "text"
  kInteger,     // Iw
  kFixed,       // Fw.d
  kExponent,    // Ew.d
  kCharacter,   // A or Aw (w = 0: the item's own length)
  kBlanks,      // nX
  kSlash,       // "/": ends the record
  kScale,       // kP: scale factor for the following F and E items
  kGroupOpen,   // "(" with partner = index of its GroupClose
  kGroupClose,  // ")" with partner = index of its GroupOpen
};

struct EditItem {
  EditKind kind = EditKind::kLiteral;
  int repeat = 1;
  int w = 0;
  int d = 0;
  int k = 0;  // kScale only
  int partner = -1;
  std::string text;  // kLiteral only
};

struct Format {
  std::vector<EditItem> items;
  std::size_t revert = 0;
  bool has_data = false;  // some item consumes an output item
};

// The parsed format, or nullptr when the text is not a valid format. The result stays
// valid for the life of the process.
const Format* parse_format(std::string_view text);

}  // namespace polylsq::recio::detail
