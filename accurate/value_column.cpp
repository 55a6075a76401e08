// Block storage of a column of values.
#include "accurate/value_column.h"

namespace polylsq::accurate {

void ValueColumn::start_block() {
  blocks_.push_back(std::make_unique_for_overwrite<double[]>(kBlockValues));
  block_ = blocks_.back().get();
  fill_ = 0;
}

std::size_t ValueColumn::size() const {
  return blocks_.empty() ? 0 : (blocks_.size() - 1) * kBlockValues + fill_;
}

std::vector<double> ValueColumn::take() {
  std::vector<double> values;
  values.reserve(size());
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const std::size_t count = i + 1 == blocks_.size() ? fill_ : kBlockValues;
    values.insert(values.end(), blocks_[i].get(), blocks_[i].get() + count);
    blocks_[i].reset();
  }
  blocks_.clear();
  block_ = nullptr;
  fill_ = kBlockValues;
  return values;
}

}  // namespace polylsq::accurate
