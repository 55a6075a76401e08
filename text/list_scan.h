// List-directed reads: the values of one read statement taken from a sequence of records.
// The legacy run's reads and the accurate reader's data-file reads are this one scanner;
// each face converts the values to its own types.
//
// Values are separated by blanks, tabs, a comma (with optional blanks) or the end of a
// record; r*v repeats v, r* gives r null values (r an unsigned decimal from 1 to
// 2^31-1); a null value (",," or a comma before the first value of a statement) leaves
// its item unchanged; a slash ends the statement (and a value). A statement starts at the
// next record and skips the rest of the last record it read.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/number_grammar.h"

namespace polylsq::text {

// The records of a file, one at a time.
class RecordSource {
 public:
  // The next record in `record`, valid until the next call; false when no record is left
  // or none can be read.
  virtual bool next_record(std::string_view& record) = 0;

 protected:
  ~RecordSource() = default;
};

// Converts `value`, one value token (not empty: no separator, no repeat count), and
// stores it in item `item` of a read statement; its verdict: kOk when it was stored. A
// reference to a callable `Conversion(std::size_t item, std::string_view value)`, which
// must outlive it.
class StoreValue {
 public:
  template <class Store>
  StoreValue(const Store& store)
      : store_(&store), call_([](const void* target, std::size_t item, std::string_view value) {
          return (*static_cast<const Store*>(target))(item, value);
        }) {}
  Conversion operator()(std::size_t item, std::string_view value) const {
    return call_(store_, item, value);
  }

 private:
  const void* store_;
  Conversion (*call_)(const void* store, std::size_t item, std::string_view value);
};

enum class ListEnd {
  kComplete,   // every item was reached, or a slash ended the statement
  kNoRecord,   // the records ran out while items still needed values
  kBadRepeat,  // a repeat count that is not an unsigned decimal from 1 to 2^31-1
  kBadValue,   // an item refused its value
};

struct ListRead {
  ListEnd end = ListEnd::kComplete;
  // kBadRepeat, kBadValue: the value as written ("3*x"), a view into the record (valid
  // until the source's next record), the item it was for, and why it was refused
  // (kMalformed for a bad repeat count).
  std::string_view token;
  std::size_t item = 0;
  Conversion verdict = Conversion::kOk;
};

// One read statement of `item_count` items: starts with a new record and stores each
// value in its item, in order. On a failure the items before the failing one hold their
// new values.
ListRead read_list_statement(RecordSource& records, std::size_t item_count, StoreValue store);

}  // namespace polylsq::text
