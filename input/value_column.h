// A column of values read from a file: doubles, or the source lines of observations. When
// the caller can bound the count (from the file's size), the column reserves that much once
// and stores straight into the vector it returns: untouched reserved memory costs address
// space only, no resident memory. Values beyond the reservation go to fixed-size blocks
// that are moved into one exact-size vector at the end, so memory stays near 8 bytes per
// value either way, with no doubling copies.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace polylsq::input {

template <typename Value>
class StoredColumn {
 public:
  StoredColumn() = default;
  StoredColumn(const StoredColumn&) = delete;
  StoredColumn& operator=(const StoredColumn&) = delete;

  // Room for `count` values stored without a copy; only before the first push. Memory
  // that is not available is no error: the values then go to blocks.
  void reserve(std::size_t count);

  void push(Value value) {
    if (next_ == limit_) make_room();
    *next_++ = value;
  }

  // push() of each value in order.
  void append(std::span<const Value> values);

  std::size_t size() const;

  // The values in the order pushed; the column is empty afterwards. The vector may have
  // spare capacity (reserved, never touched). Each block is freed as soon as it is copied.
  std::vector<Value> take();

 private:
  static constexpr std::size_t kBatchValues = std::size_t{1} << 12;  // of the reserved vector
  static constexpr std::size_t kBlockValues = std::size_t{1} << 16;  // 512 KiB of doubles

  void make_room();

  // The reserved part: its size runs ahead of the values pushed by at most one batch.
  std::vector<Value> values_;
  std::vector<std::unique_ptr<Value[]>> blocks_;
  Value* next_ = nullptr;   // where the next value goes
  Value* limit_ = nullptr;  // end of the batch or block being filled
};

using ValueColumn = StoredColumn<double>;
using LineColumn = StoredColumn<std::size_t>;  // line numbers, 1 for the first

}  // namespace polylsq::input
