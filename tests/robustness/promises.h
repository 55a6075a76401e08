// The promises that every run of the program keeps, whatever "B2F.txt" holds and whatever
// the file system does, as checks over what one run left behind:
//   - exit status 0 after the console report and "Stop - Program terminated."; 3 after
//     "Stop - Program terminated." without the report (a TERMINAL or FATAL message); or 1
//     after exactly one run-time report on standard error; nothing else on standard error;
//   - "F2B.txt" left exactly as it was, or holding exactly the seven records of this run,
//     which agree with the coefficient and R-squared lines of the console report.
// Each check returns an empty string when the promise holds, else what broke. Shared by
// the robustness suites (real processes) and the fuzz harnesses (in-process runs), so it
// depends on the standard library only.
#pragma once

#include <optional>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace polylsq::robustness {

// The banner's three records as the console shows them, and the last record of the report.
inline constexpr std::string_view kBanner = " \r\n  --- Least Squares Approximation ---\r\n ";
inline constexpr std::string_view kPushEnter = "\r\n   -------  Push Enter key  -------";
inline constexpr std::string_view kStopLine = "Stop - Program terminated.\r\n";

// A result file of another run, longer than seven records, planted before a run.
inline const std::string kOldResult =
    "    99.000\r\n    98.000\r\n    97.000\r\n    96.000\r\n    95.000\r\n    94.000\r\n"
    "     93.0000\r\n  an older, longer result file\r\n";

// What one run left behind.
struct RunView {
  int status = -1;                       // exit status (0 or 1 when a promise holds)
  std::string_view out;                  // standard output
  std::string_view err;                  // standard error
  std::optional<std::string> f2b_before; // "F2B.txt" before the run (nullopt: absent)
  std::optional<std::string> f2b_after;  // "F2B.txt" after the run
};

inline bool ends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Takes `prefix` off the front of `text`; false when `text` does not start with it.
inline bool take(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Takes `n` decimal digits off the front of `text`.
inline bool take_digits(std::string_view& text, std::size_t n) {
  if (text.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (!is_digit(text[i])) return false;
  }
  text.remove_prefix(n);
  return true;
}

// Takes a line number off the front of `text`: digits without a leading zero, or "0".
inline bool take_line_number(std::string_view& text) {
  if (take(text, "0")) return true;
  if (text.empty() || text[0] < '1' || text[0] > '9') return false;
  while (!text.empty() && is_digit(text[0])) text.remove_prefix(1);
  return true;
}

// The location line of a failing read on a file, after its "- ": "after line 5" for an end
// of file, else `line 7: "3.O512"` (the value quoted, with its escapes; "..." after the
// quote when it was cut).
inline bool is_read_location(std::string_view text, bool end_of_file) {
  if (end_of_file) return take(text, "after line ") && take_line_number(text) && text.empty();
  if (!take(text, "line ") || !take_line_number(text) || !take(text, ": \"")) return false;
  if (ends_with(text, "\"...")) text.remove_suffix(3);
  if (!ends_with(text, "\"") || text.size() < 2) return false;
  text.remove_suffix(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;  // an escaped quote, backslash or \xNN
    } else if (text[i] == '"') {
      return false;
    }
  }
  return true;
}

// "\r\nrun-time error F6201: READ(B2F.txt)\r\n- end of file encountered\r\n- after line 5\r\n"
// (a read on a file that stops at its end or at a value adds where), the ": ALLOCATE" form
// without a file, or the ": MATH" form with the letter M; one report and nothing more.
inline std::string check_report(std::string_view err) {
  const std::string broken = "standard error is not exactly one run-time report: \"" + std::string(err) + "\"";
  std::string_view rest = err;
  if (!take(rest, "\r\nrun-time error ")) return broken;
  bool located = false;     // a read on a file that must say where it stopped
  bool end_of_file = false;
  if (take(rest, "F")) {
    const std::string_view number = rest.substr(0, 4);
    if (!take_digits(rest, 4) || !take(rest, ": ")) return broken;
    if (!take(rest, "ALLOCATE")) {  // the one label outside unit statements: no file name
      const bool read = take(rest, "READ(");
      if (!read && !take(rest, "OPEN(") && !take(rest, "CLOSE(") && !take(rest, "WRITE(")) {
        return broken;
      }
      located = read && rest.substr(0, 4) != "CON)" && number != "6202" && number > "6200" &&
                number < "6207";
      end_of_file = number == "6201";
      const std::size_t close = rest.find(')');
      if (close == 0 || close == std::string_view::npos ||
          rest.substr(0, close).find_first_of("\r\n") != std::string_view::npos) {
        return broken;
      }
      rest.remove_prefix(close + 1);
    }
  } else if (!take(rest, "M") || !take_digits(rest, 4) || !take(rest, ": MATH")) {
    return broken;
  }
  if (!take(rest, "\r\n- ")) return broken;
  const std::size_t end = rest.find("\r\n");
  if (end == 0 || end == std::string_view::npos ||
      rest.substr(0, end).find_first_of("\r\n") != std::string_view::npos) {
    return broken;
  }
  rest.remove_prefix(end + 2);
  if (located) {
    if (!take(rest, "- ") || !ends_with(rest, "\r\n")) return broken;
    const std::string_view location = rest.substr(0, rest.size() - 2);
    if (location.find_first_of("\r\n") != std::string_view::npos ||
        !is_read_location(location, end_of_file)) {
      return broken;
    }
    return {};
  }
  return rest.empty() ? std::string() : broken;
}

// One field of a result or report line: Fw.d of a value, w asterisks, or a NaN/infinity
// text filled with periods.
inline bool is_f_field(std::string_view field, std::size_t w, std::size_t d) {
  if (field.size() != w) return false;
  if (field.find_first_not_of('*') == std::string_view::npos) return true;
  std::string_view rest = field;
  if (take(rest, "1#")) {
    if (!take(rest, "QNAN") && !take(rest, "IND") && !take(rest, "SNAN") && !take(rest, "INF")) return false;
    return rest.find_first_not_of('.') == std::string_view::npos;
  }
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  take(rest, "-");
  while (!rest.empty() && is_digit(rest[0])) rest.remove_prefix(1);
  return take(rest, ".") && take_digits(rest, d) && rest.empty();
}

// The records of a text whose records all end with "\r\n"; nullopt when it has other
// line ends or an unterminated last record.
inline std::optional<std::vector<std::string_view>> split_records(std::string_view text) {
  std::vector<std::string_view> records;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view record = text.substr(0, end);
    if (record.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    records.push_back(record);
    text.remove_prefix(end + 2);
  }
  return records;
}

// Exactly seven records: B(1..6) in F10.3, then R-squared in F12.4.
inline std::string check_result_file(std::string_view f2b) {
  const auto records = split_records(f2b);
  if (!records || records->size() != 7) {
    return "F2B.txt is not seven records ending in CR LF: \"" + std::string(f2b) + "\"";
  }
  for (std::size_t i = 0; i < 6; ++i) {
    if (!is_f_field((*records)[i], 10, 3)) {
      return "F2B.txt record " + std::to_string(i + 1) + " is no F10.3 field: \"" +
             std::string((*records)[i]) + "\"";
    }
  }
  if (!is_f_field((*records)[6], 12, 4)) {
    return "F2B.txt record 7 is no F12.4 field: \"" + std::string((*records)[6]) + "\"";
  }
  return {};
}

// The same value in F9.3 on the console and in F10.3 in the file: one more leading blank,
// one more period after a NaN or infinity text, or asterisks on the console only.
inline bool same_value_f9_f10(std::string_view f9, std::string_view f10) {
  if (f9.find_first_not_of('*') == std::string_view::npos) return true;
  if (f9.substr(0, 2) == "1#") return std::string(f9) + "." == f10;
  return " " + std::string(f9) == f10;
}

// The coefficient and R-squared lines of the console report against the result file.
inline std::string check_report_matches_file(std::string_view out, std::string_view f2b) {
  const auto records = split_records(f2b);
  if (!records || records->size() != 7) return "F2B.txt has no seven records";
  for (int i = 1; i <= 6; ++i) {
    const std::string label = "\r\n  B(" + std::to_string(i) + ") = ";
    const std::size_t at = out.find(label);
    if (at == std::string_view::npos) return "the console shows no line for B(" + std::to_string(i) + ")";
    const std::string_view shown = out.substr(at + label.size(), 9);
    if (!same_value_f9_f10(shown, (*records)[i - 1])) {
      return "B(" + std::to_string(i) + ") is \"" + std::string(shown) + "\" on the console but \"" +
             std::string((*records)[i - 1]) + "\" in F2B.txt";
    }
  }
  const std::string_view label = "\r\n  R-squared = ";
  const std::size_t at = out.find(label);
  if (at == std::string_view::npos) return "the console shows no R-squared line";
  if (out.substr(at + label.size(), 12) != (*records)[6]) {
    return "R-squared differs between the console and F2B.txt";
  }
  return {};
}

// Every promise over one run.
inline std::string check_run(const RunView& run) {
  if (run.out.substr(0, kBanner.size()) != kBanner) return "standard output does not start with the banner";
  const bool reported = run.out.find(kPushEnter) != std::string_view::npos;
  if (run.status == 0 || run.status == 3) {
    const std::string status = std::to_string(run.status);
    if (!run.err.empty()) return "exit status " + status + " with standard error \"" + std::string(run.err) + "\"";
    if (!ends_with(run.out, kStopLine)) {
      return "exit status " + status + " without the stop line at the end of standard output";
    }
    if (reported != (run.status == 0)) {
      return "exit status " + status + (reported ? " after" : " without") + " the console report";
    }
  } else if (run.status == 1) {
    if (std::string e = check_report(run.err); !e.empty()) return e;
    if (!ends_with(run.out, "\r\n")) return "the owed console line end is missing after the report";
    if (reported) return "a run-time report after the console report";
  } else {
    return "exit status " + std::to_string(run.status) + " (stderr: \"" + std::string(run.err) + "\")";
  }
  if (reported) {
    if (run.status != 0) return "the console report was shown but the run failed";
    if (!run.f2b_after) return "the console report was shown but F2B.txt is missing";
    if (std::string e = check_result_file(*run.f2b_after); !e.empty()) return e;
    return check_report_matches_file(run.out, *run.f2b_after);
  }
  // No report: the result file is exactly as it was, unless its own statements failed.
  const bool result_file_failed = run.err.find("(F2B.txt)") != std::string_view::npos;
  if (!result_file_failed && run.f2b_after != run.f2b_before) {
    return "F2B.txt changed by a run that did not reach its report: \"" +
           run.f2b_after.value_or("<absent>") + "\"";
  }
  return {};
}

}  // namespace polylsq::robustness
