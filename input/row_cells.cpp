// Cells of a row: one character-class look-up a character.
#include "input/row_cells.h"

#include <algorithm>
#include <cctype>

namespace polylsq::input {
namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char p, char q) { return lower(p) == lower(q); });
}

}  // namespace

CellSplitter::CellSplitter() {
  classes_[' '] = classes_['\t'] = CharClass::kBlank;
  classes_[','] = classes_[';'] = CharClass::kDelimiter;
  classes_['#'] = CharClass::kComment;
  classes_['"'] = CharClass::kQuote;
}

void CellSplitter::use_decimal_comma() { classes_[','] = CharClass::kText; }

void CellSplitter::split(std::string_view line, RowCells& row) const {
  row.cells.clear();
  row.ends_with_delimiter = false;
  std::size_t i = 0;
  bool cell_ended = false;  // a cell ended and no delimiter followed it yet
  bool cell_owed = false;   // a delimiter was seen: a cell follows, possibly empty
  for (;;) {
    while (i < line.size() && class_of(line[i]) == CharClass::kBlank) ++i;
    const CharClass next = i < line.size() ? class_of(line[i]) : CharClass::kComment;
    if (next == CharClass::kComment) {
      if (cell_owed) row.cells.emplace_back();
      row.ends_with_delimiter = cell_owed;
      return;
    }
    if (next == CharClass::kDelimiter) {
      if (!cell_ended) row.cells.emplace_back();
      ++i;
      cell_ended = false;
      cell_owed = true;
      continue;
    }
    std::size_t start = i;
    std::size_t stop = i;
    if (next == CharClass::kQuote) {
      start = ++i;
      while (i < line.size() && !(line[i] == '"' && (i + 1 == line.size() || line[i + 1] != '"'))) {
        i += line[i] == '"' ? 2 : 1;  // "" inside quotes is one quote
      }
      stop = i;
      if (i < line.size()) ++i;  // the closing quote
    } else {
      while (i < line.size() && (class_of(line[i]) == CharClass::kText || line[i] == '"')) ++i;
      stop = i;
    }
    row.cells.push_back(line.substr(start, stop - start));
    cell_ended = true;
    cell_owed = false;
  }
}

bool is_missing_cell(std::string_view cell) {
  if (cell.empty()) return true;
  if (cell.size() > 4) return false;
  for (const std::string_view spelling : {"NA", "N/A", "NaN", "null"}) {
    if (equal_ignoring_case(cell, spelling)) return true;
  }
  return false;
}

std::string missing_cell_reason(std::string_view cell) {
  return cell.empty() ? "empty cell" : std::string(cell) + " cell";
}

std::string header_name(std::string_view cell) {
  std::string name;
  for (std::size_t i = 0; i < cell.size(); ++i) {
    name += cell[i];
    if (cell[i] == '"' && i + 1 < cell.size() && cell[i + 1] == '"') ++i;
  }
  return name;
}

}  // namespace polylsq::input
