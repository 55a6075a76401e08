// Storage of a column of values: the reserved vector is filled a batch at a time (its size
// grown within its capacity, never moved), then blocks.
#include "input/value_column.h"

#include <algorithm>
#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace polylsq::input {
namespace {

// Asks for 2 MiB pages over the whole 2 MiB pages of [data, data + bytes), where the
// system offers them on request: the first write to each 4 KiB page costs a page fault,
// and a million values touch four thousand pages. Advice only: failure changes nothing.
void advise_large_pages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLargePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

template <typename Value>
void reserve_advised(std::vector<Value>& values, std::size_t count) {
  values.reserve(count);
  advise_large_pages(values.data(), values.capacity() * sizeof(Value));
}

}  // namespace

template <typename Value>
void StoredColumn<Value>::reserve(std::size_t count) {
  if (next_ != nullptr || count > values_.max_size()) return;
  try {
    reserve_advised(values_, count);
  } catch (const std::bad_alloc&) {
  }
}

template <typename Value>
void StoredColumn<Value>::make_room() {
  if (blocks_.empty() && values_.size() < values_.capacity()) {
    const std::size_t filled = values_.size();
    values_.resize(filled + std::min(kBatchValues, values_.capacity() - filled));
    next_ = values_.data() + filled;
    limit_ = values_.data() + values_.size();
    return;
  }
  blocks_.push_back(std::make_unique_for_overwrite<Value[]>(kBlockValues));
  next_ = blocks_.back().get();
  limit_ = next_ + kBlockValues;
}

template <typename Value>
void StoredColumn<Value>::append(std::span<const Value> values) {
  while (!values.empty()) {
    if (next_ == limit_) make_room();
    const std::size_t room = std::min(values.size(), static_cast<std::size_t>(limit_ - next_));
    std::copy_n(values.data(), room, next_);
    next_ += room;
    values = values.subspan(room);
  }
}

template <typename Value>
std::size_t StoredColumn<Value>::size() const {
  if (blocks_.empty()) {
    return next_ == nullptr ? 0 : static_cast<std::size_t>(next_ - values_.data());
  }
  return values_.size() + (blocks_.size() - 1) * kBlockValues +
         static_cast<std::size_t>(next_ - blocks_.back().get());
}

template <typename Value>
std::vector<Value> StoredColumn<Value>::take() {
  const std::size_t count = size();
  std::vector<Value> all;
  if (blocks_.empty()) {
    values_.resize(count);
    all = std::move(values_);
  } else {
    reserve_advised(all, count);
    all.insert(all.end(), values_.begin(), values_.end());
    values_ = std::vector<Value>();
    for (std::unique_ptr<Value[]>& block : blocks_) {
      const std::size_t in_block = std::min(kBlockValues, count - all.size());
      all.insert(all.end(), block.get(), block.get() + in_block);
      block.reset();
    }
  }
  values_ = std::vector<Value>();
  blocks_.clear();
  next_ = limit_ = nullptr;
  return all;
}

template class StoredColumn<double>;
template class StoredColumn<std::size_t>;

}  // namespace polylsq::input
