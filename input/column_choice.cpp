// Column choice: references resolved once, at the first row; every later row is read by
// index.
#include "input/column_choice.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "text/message_text.h"

namespace polylsq::input {
namespace {

// Cells a message quotes from a row; the rest are counted.
constexpr std::size_t kListedCells = 8;

Error invalid(std::string message) { return {ErrorKind::kInvalidArgument, std::move(message)}; }

// "\"Girth\", \"Height\", \"Volume\"": the first names, then the count.
std::string quoted_names(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size() && i < kListedCells; ++i) {
    out += (i > 0 ? ", " : "") + text::quote_value(names[i]);
  }
  if (names.size() > kListedCells) out += ", ... (" + std::to_string(names.size()) + " names)";
  return out;
}

// "column 3", "column \"Girth\"".
std::string ref_text(const ColumnRef& ref) {
  return ref.number != 0 ? "column " + std::to_string(ref.number)
                         : "column " + text::quote_value(ref.name);
}

// The header column a name gives, 0-based; or why there is none.
Expected<std::size_t> find_name(const ColumnRef& ref, const TableHeader& header) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < header.names.size(); ++i) {
    if (header.names[i] == ref.name) found.push_back(i);
  }
  const std::string names = "the header " + quoted_names(header.names);
  if (found.empty()) {
    return invalid(text::at_line(header.line, "no " + ref_text(ref) + " in " + names));
  }
  if (found.size() > 1) {
    return invalid(text::at_line(header.line, ref_text(ref) + " is ambiguous: columns " +
                                                  std::to_string(found[0] + 1) + " and " +
                                                  std::to_string(found[1] + 1) + " of " + names));
  }
  return found.front();
}

// Where a reference lies among the `columns` cells of the first row of values, on line
// `line`, 0-based; or why it lies nowhere.
Expected<std::size_t> resolve(const ColumnRef& ref, const std::optional<TableHeader>& header,
                              std::size_t columns, std::size_t line) {
  std::size_t index = ref.number - 1;
  if (ref.number == 0) {
    if (!header) {
      return invalid(text::at_line(line, "no " + ref_text(ref) + ": the file has no header"));
    }
    Expected<std::size_t> found = find_name(ref, *header);
    if (!found) return found;
    index = *found;
  }
  if (index < columns) return index;
  const std::string named = ref.number == 0 ? " (column " + std::to_string(index + 1) + ")" : "";
  const std::string names = header ? "; the header: " + quoted_names(header->names) : "";
  return invalid(text::at_line(line, "no " + ref_text(ref) + named + " in a row of " +
                                         text::counted(columns, "value") + names));
}

// A role of the plan, for messages: "x", "y", "the weights".
struct RoleIndex {
  std::size_t column;
  const char* role;
};

Expected<void> check_distinct(const std::vector<RoleIndex>& taken, std::size_t line) {
  for (std::size_t i = 0; i < taken.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (taken[i].column != taken[j].column) continue;
      const std::string column = "column " + std::to_string(taken[i].column + 1);
      const std::string_view first = taken[j].role;
      const std::string_view second = taken[i].role;
      return invalid(text::at_line(
          line, column + (first == second ? " is chosen twice as " + std::string(first)
                                          : " is chosen as " + std::string(first) + " and as " +
                                                std::string(second))));
    }
  }
  return {};
}

// "columns 1 and 2 (x, y) of 3 used", "column 1 (x) of 2 used".
std::string unused_columns_warning(const std::vector<RoleIndex>& taken, std::size_t columns) {
  std::string numbers;
  std::string roles;
  for (std::size_t i = 0; i < taken.size(); ++i) {
    const char* joint = i == 0 ? "" : i + 1 == taken.size() ? " and " : ", ";
    numbers += joint + std::to_string(taken[i].column + 1);
    roles += (i == 0 ? "" : ", ") + std::string(taken[i].role);
  }
  return (taken.size() == 1 ? "column " : "columns ") + numbers + " (" + roles + ") of " +
         std::to_string(columns) + " used";
}

// The header name of column `index`, where the header names it.
std::optional<std::string> name_of(const std::optional<TableHeader>& header, std::size_t index) {
  if (!header || index >= header->names.size() || header->names[index].empty()) {
    return std::nullopt;
  }
  return header->names[index];
}

// Whether the columns are exactly x, the y (and w) in that order.
bool exactly_roles(const ColumnPlan& plan) {
  std::vector<std::size_t> order{plan.x};
  order.insert(order.end(), plan.y.begin(), plan.y.end());
  if (plan.w) order.push_back(*plan.w);
  bool in_order = order.size() == plan.columns;
  for (std::size_t i = 0; in_order && i < order.size(); ++i) in_order = order[i] == i;
  return in_order;
}

// " (x y)", " (x y y w)", " (x)": the roles of the columns in order.
std::string role_label(std::size_t y_count, bool weights) {
  std::string label = " (x";
  for (std::size_t k = 0; k < y_count; ++k) label += " y";
  return label + (weights ? " w)" : ")");
}

}  // namespace

Expected<ColumnRef> parse_column_ref(std::string_view text) {
  if (text.empty()) return invalid("an empty column name");
  if (text.find_first_not_of("0123456789") != std::string_view::npos) {
    return ColumnRef{0, std::string(text)};
  }
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) {
    return invalid("column " + std::string(text) + " is beyond any table");
  }
  if (number == 0) return invalid("column 0: columns are numbered from 1");
  return ColumnRef{number, {}};
}

TableHeader header_of(const RowCells& row, std::size_t line) {
  TableHeader header{line, {}, row.ends_with_delimiter};
  const std::size_t count = row.cells.size() - (row.ends_with_delimiter ? 1 : 0);
  for (std::size_t i = 0; i < count; ++i) header.names.push_back(header_name(row.cells[i]));
  return header;
}

Expected<void> check_names(const ColumnRoles& roles, const TableHeader& header) {
  std::vector<const ColumnRef*> refs{&roles.x};
  for (const ColumnRef& y : roles.y) refs.push_back(&y);
  if (roles.w) refs.push_back(&*roles.w);
  for (const ColumnRef* ref : refs) {
    if (ref->number != 0) continue;
    if (const Expected<std::size_t> found = find_name(*ref, header); !found) return found.error();
  }
  return {};
}

Expected<ColumnPlan> plan_columns(const ColumnRoles& roles,
                                  const std::optional<TableHeader>& header,
                                  const RowCells& first_row, std::size_t line) {
  ColumnPlan plan;
  plan.trailing_delimiter =
      first_row.ends_with_delimiter && (!header || header->ends_with_delimiter);
  plan.columns = first_row.cells.size() - (plan.trailing_delimiter ? 1 : 0);
  const std::size_t taken_count = 1 + roles.y.size() + (roles.w ? 1 : 0);
  if (!roles.chosen && plan.columns < taken_count) {
    return Error{ErrorKind::kBadData,
                 text::at_line(line, text::counted(plan.columns, "value") + ", expected " +
                                         std::to_string(taken_count) +
                                         role_label(roles.y.size(), roles.w.has_value()))};
  }
  std::vector<RoleIndex> taken;
  const auto take = [&](const ColumnRef& ref, const char* role) -> Expected<std::size_t> {
    Expected<std::size_t> index = resolve(ref, header, plan.columns, line);
    if (index) taken.push_back({*index, role});
    return index;
  };
  Expected<std::size_t> x = take(roles.x, "x");
  if (!x) return x.error();
  plan.x = *x;
  plan.x_header = name_of(header, plan.x);
  for (const ColumnRef& ref : roles.y) {
    Expected<std::size_t> y = take(ref, "y");
    if (!y) return y.error();
    plan.y.push_back(*y);
    plan.y_headers.push_back(name_of(header, *y));
    plan.y_names.push_back(plan.y_headers.back().value_or(
        roles.chosen ? "column " + std::to_string(*y + 1) : std::string("y")));
  }
  if (roles.w) {
    Expected<std::size_t> w = take(*roles.w, "w");
    if (!w) return w.error();
    plan.w = *w;
  }
  if (Expected<void> distinct = check_distinct(taken, line); !distinct) return distinct.error();
  plan.exactly_roles = exactly_roles(plan);
  plan.count_note = plan.exactly_roles ? role_label(plan.y.size(), plan.w.has_value())
                                       : " as on line " + std::to_string(line);
  if (!roles.chosen && plan.columns > taken.size()) {
    plan.unused_columns = unused_columns_warning(taken, plan.columns);
  }
  return plan;
}

}  // namespace polylsq::input
