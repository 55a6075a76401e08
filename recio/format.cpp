// Parsing and interpretation of format texts for the formatted write statement.
#include "recio/format.h"

#include <cctype>
#include <map>
#include <memory>
#include <optional>

#include "recio/edit.h"
#include "recio/io.h"
#include "recio/run_end.h"
#include "recio/units.h"

namespace polylsq::recio {
namespace detail {
namespace {

EditItem simple_item(EditKind kind, int repeat = 1, int k = 0) {
  EditItem item;
  item.kind = kind;
  item.repeat = repeat;
  item.k = k;
  return item;
}

// Scanner over a format text; blanks outside literals are insignificant.
class FormatParser {
 public:
  explicit FormatParser(std::string_view text) : text_(text) {}

  bool parse(Format& out) {
    if (!accept('(')) return false;
    if (!parse_list(out, 0)) return false;
    return peek() == '\0';
  }

 private:
  char peek() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  bool accept(char c) {
    if (std::toupper(static_cast<unsigned char>(peek())) != c) return false;
    ++pos_;
    return true;
  }
  bool is_digit() { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }
  // An unsigned decimal number; -1 when there is none or it is unreasonably large.
  int read_number() {
    if (!is_digit()) return -1;
    long value = 0;
    while (is_digit()) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > 100000) return -1;
    }
    return static_cast<int>(value);
  }

  // Items up to and including the ")" that closes the list opened at `depth`.
  bool parse_list(Format& out, int depth) {
    for (;;) {
      const char c = peek();
      if (c == '\0') return false;
      if (c == ')') {
        ++pos_;
        return true;
      }
      if (c == ',') {
        ++pos_;
        continue;
      }
      if (!parse_item(out, depth)) return false;
    }
  }

  bool parse_item(Format& out, int depth) {
    const char c = peek();
    if (c == '\'' || c == '"') return parse_literal(out, c);
    if (c == '/') {
      ++pos_;
      out.items.push_back(simple_item(EditKind::kSlash));
      return true;
    }
    bool negative = false;
    if (c == '-' || c == '+') {
      negative = c == '-';
      ++pos_;
      if (!is_digit()) return false;
    }
    int repeat = 1;
    const bool counted = is_digit();
    if (counted) repeat = read_number();
    if (repeat < 0) return false;
    if (accept('P')) {
      out.items.push_back(simple_item(EditKind::kScale, 1, negative ? -repeat : repeat));
      return true;
    }
    if (negative || repeat == 0) return false;
    if (accept('(')) return parse_group(out, depth, repeat);
    if (accept('/')) {
      out.items.push_back(simple_item(EditKind::kSlash, repeat));
      return true;
    }
    if (accept('X')) {
      out.items.push_back(simple_item(EditKind::kBlanks, counted ? repeat : 1));
      return true;
    }
    return parse_data_descriptor(out, repeat);
  }

  // A group after its "(": the items inside, between a GroupOpen and a GroupClose that name
  // each other. The last group at the top level is where the format reverts.
  bool parse_group(Format& out, int depth, int repeat) {
    const std::size_t open = out.items.size();
    out.items.push_back(simple_item(EditKind::kGroupOpen, repeat));
    if (depth == 0) out.revert = open;
    if (!parse_list(out, depth + 1)) return false;
    out.items.push_back(simple_item(EditKind::kGroupClose, 1));
    out.items[open].partner = static_cast<int>(out.items.size() - 1);
    out.items.back().partner = static_cast<int>(open);
    return true;
  }

  // Iw, Fw.d, Ew.d, A or Aw, after its repeat count.
  bool parse_data_descriptor(Format& out, int repeat) {
    EditItem item;
    item.repeat = repeat;
    if (accept('I')) {
      item.kind = EditKind::kInteger;
      item.w = read_number();
      if (item.w < 1) return false;
    } else if (accept('F') || accept('E')) {
      item.kind = std::toupper(static_cast<unsigned char>(text_[pos_ - 1])) == 'F'
                      ? EditKind::kFixed
                      : EditKind::kExponent;
      item.w = read_number();
      if (item.w < 1 || !accept('.')) return false;
      item.d = read_number();
      if (item.d < 0) return false;
    } else if (accept('A')) {
      item.kind = EditKind::kCharacter;
      if (is_digit()) {
        item.w = read_number();
        if (item.w < 1) return false;
      }
    } else {
      return false;
    }
    out.has_data = true;
    out.items.push_back(item);
    return true;
  }

  // 'It''s' -> It's
  bool parse_literal(Format& out, char quote) {
    ++pos_;
    EditItem item;
    for (;;) {
      if (pos_ >= text_.size()) return false;
      const char c = text_[pos_++];
      if (c == quote) {
        if (pos_ < text_.size() && text_[pos_] == quote) {
          item.text.push_back(quote);
          ++pos_;
          continue;
        }
        break;
      }
      item.text.push_back(c);
    }
    out.items.push_back(std::move(item));
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// Parsed formats by text; a format that fails to parse is cached as nullptr.
std::map<std::string, std::unique_ptr<Format>, std::less<>>& format_cache() {
  static std::map<std::string, std::unique_ptr<Format>, std::less<>> cache;
  return cache;
}

}  // namespace

const Format* parse_format(std::string_view text) {
  auto& cache = format_cache();
  if (auto found = cache.find(text); found != cache.end()) return found->second.get();
  auto format = std::make_unique<Format>();
  if (!FormatParser(text).parse(*format)) format.reset();
  return cache.emplace(std::string(text), std::move(format)).first->second.get();
}

}  // namespace detail

namespace {

using detail::EditItem;
using detail::EditKind;

// One item edited by a data descriptor; false when the item's kind does not fit.
bool edit_item(const EditItem& edit, const OutItem& item, int scale, std::string& record) {
  switch (edit.kind) {
    case EditKind::kInteger:
      if (!std::holds_alternative<int>(item)) return false;
      record += edit_I(std::get<int>(item), edit.w);
      return true;
    case EditKind::kFixed:
      if (!std::holds_alternative<float>(item)) return false;
      record += detail::edit_F_scaled(std::get<float>(item), edit.w, edit.d, scale);
      return true;
    case EditKind::kExponent:
      if (!std::holds_alternative<float>(item)) return false;
      record += edit_E(std::get<float>(item), edit.w, edit.d, scale);
      return true;
    case EditKind::kCharacter: {
      if (!std::holds_alternative<std::string_view>(item)) return false;
      const std::string_view text = std::get<std::string_view>(item);
      if (edit.w == 0) {
        record += text;
      } else if (text.size() >= static_cast<std::size_t>(edit.w)) {
        record += text.substr(0, edit.w);  // A3 of "ABCDE" -> "ABC"
      } else {
        record.append(edit.w - text.size(), ' ');
        record += text;
      }
      return true;
    }
    default:
      return false;
  }
}

// E editing needs -d < k < d + 2, so that at least one significant digit is shown.
bool scale_fits(const EditItem& edit, int scale) {
  return edit.kind != EditKind::kExponent || (scale > -edit.d && scale < edit.d + 2);
}

// The state of one write statement between items: the record being built, the groups
// open, the scale factor in force.
struct WriteState {
  int unit;
  std::string record;
  struct Group {
    std::size_t open;  // index of its GroupOpen
    int remaining;     // passes left, this one included
  };
  std::vector<Group> groups;
  int scale = 0;

  void end_record() {
    detail::put_record(unit, record);
    record.clear();
  }
};

// An item that edits no data: literal, blanks, slash, scale factor or group bracket. At the
// close of a group with passes left, `i` moves to its GroupOpen.
void run_control_item(const EditItem& edit, std::size_t& i, WriteState& state) {
  switch (edit.kind) {
    case EditKind::kLiteral:
      state.record += edit.text;
      break;
    case EditKind::kBlanks:
      state.record.append(edit.repeat, ' ');
      break;
    case EditKind::kSlash:
      for (int r = 0; r < edit.repeat; ++r) state.end_record();
      break;
    case EditKind::kScale:
      state.scale = edit.k;
      break;
    case EditKind::kGroupOpen:
      state.groups.push_back({i, edit.repeat});
      break;
    case EditKind::kGroupClose:
      if (--state.groups.back().remaining > 0) {
        i = state.groups.back().open;  // again from the first item inside the group
      } else {
        state.groups.pop_back();
      }
      break;
    default:
      break;
  }
}

// I, F, E and A edit an output item; every other kind shapes the record.
bool edits_data(EditKind kind) {
  return kind == EditKind::kInteger || kind == EditKind::kFixed || kind == EditKind::kExponent ||
         kind == EditKind::kCharacter;
}

// Runs the format over the items. Records go to the unit as they are completed; the
// last one is sent when a data descriptor finds no item left or the format ends with
// no item left. Returns the error that ended the statement early.
std::optional<detail::IoError> interpret(const detail::Format& format, int unit,
                                         std::initializer_list<OutItem> items) {
  using detail::IoError;
  const std::vector<EditItem>& edits = format.items;
  WriteState state{unit, {}, {}, 0};
  const OutItem* next = items.begin();
  for (std::size_t i = 0;; ++i) {
    if (i == edits.size()) {
      if (next == items.end()) break;
      if (!format.has_data) return IoError::kItemMismatch;
      state.end_record();  // items left: a new record from the revert point
      state.groups.clear();
      i = format.revert - 1;  // the loop's step lands on the revert point
      continue;
    }
    const EditItem& edit = edits[i];
    if (!edits_data(edit.kind)) {
      run_control_item(edit, i, state);
      continue;
    }
    if (!scale_fits(edit, state.scale)) return IoError::kBadFormat;
    for (int r = 0; r < edit.repeat; ++r) {
      if (next == items.end()) {  // no item left: the statement ends here
        detail::put_record(unit, state.record);
        return std::nullopt;
      }
      if (!edit_item(edit, *next++, state.scale, state.record)) return IoError::kItemMismatch;
    }
  }
  detail::put_record(unit, state.record);
  return std::nullopt;
}

}  // namespace

void write_formatted(int unit, std::string_view format, std::initializer_list<OutItem> items) {
  detail::check_output_unit(unit);
  const detail::Format* parsed = detail::parse_format(format);
  const std::optional<detail::IoError> error =
      parsed == nullptr ? detail::IoError::kBadFormat : interpret(*parsed, unit, items);
  if (error) detail::fail_io(*error, detail::Statement::kWrite, unit);
}

}  // namespace polylsq::recio
