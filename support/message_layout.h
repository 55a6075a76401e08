// The layout of the error handler's records, as pure functions of what they show: a message
// (type, code, routine name, text) becomes a blank record, a first line and continuation
// lines; the name stack becomes a traceback. Records are handed to a sink one by one, so
// that laying out needs no memory beyond one record.
#pragma once

#include <span>
#include <string_view>

namespace polylsq {

// The first line is " *** ", the type's label, " ERROR", the prefix " <code> from <name>"
// (".  " added when the text does not begin with it) and the first part of the text; that
// prefix and text together take at most kFirstLineWidth columns, three fewer when ".  " was
// added (it is counted once in the prefix and once more against the text). Continuation lines are
// " *** ", kContinuationIndent blanks and at most kContinuationWidth characters of text.
// Lines break before a "%/" pair (which is not shown) or at the last blank that fits.
constexpr int kFirstLineWidth = 59;
constexpr int kContinuationIndent = 9;
constexpr int kContinuationWidth = 64;
constexpr int kRecordCapacity = 128;  // longest record laid out: 78 characters

struct MessageToShow {
  int type;                       // labelled 1 NOTE ... 7 FATAL; any other value UNKNOWN
  int code;
  std::string_view routine_name;  // as stored: the name blank-padded (shown up to a blank)
  std::string_view text;          // the built message, normally beginning ".  "
};

struct TracebackRow {
  std::string_view routine_name;  // as stored: the name blank-padded, shown in full
  int type;
  int code;
  bool called_internally;         // "    (Called internally)" after the code
};

class RecordSink {
 public:
  virtual void put(std::string_view record) = 0;

 protected:
  ~RecordSink() = default;
};

// Hands the records of `message` to `out`: "", the first line, then a continuation line
// for each further part of the text. A message without text gives "" and a first line
// that ends after the prefix.
void lay_out_message(const MessageToShow& message, RecordSink& out);

// Hands the three header records of a traceback to `out`, then one record per row.
// Each row shows the name, then its type and code right-justified in 6 columns each
// (asterisks when they do not fit).
void lay_out_traceback(std::span<const TracebackRow> rows, RecordSink& out);

// VALUE right-justified in WIDTH characters of `field`, "-" before the first digit of a
// negative value, blanks to the left. False (field untouched) when it does not fit.
bool INT_TO_TEXT(int VALUE, int WIDTH, char* field);

}  // namespace polylsq
