// A column of doubles read from a file, collected in fixed-size blocks and moved into one
// vector of exactly its length at the end: memory stays near 8 bytes per value while the
// count is unknown, with no doubling copies and no spare capacity left over.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace polylsq::accurate {

class ValueColumn {
 public:
  void push(double value) {
    if (fill_ == kBlockValues) start_block();
    block_[fill_++] = value;
  }

  std::size_t size() const;

  // The values in the order pushed; the column is empty afterwards. Each block is freed as
  // soon as it is copied, so the peak is the result plus one block.
  std::vector<double> take();

 private:
  static constexpr std::size_t kBlockValues = std::size_t{1} << 16;  // 512 KiB

  void start_block();

  std::vector<std::unique_ptr<double[]>> blocks_;
  double* block_ = nullptr;
  std::size_t fill_ = kBlockValues;  // values in the last block
};

}  // namespace polylsq::accurate
