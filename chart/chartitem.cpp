#include "chart/chartitem.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <cstdint>

namespace dendrokit {

void TShortString15::Assign(std::string_view text) {
  Length = static_cast<std::uint8_t>(std::min(text.size(), kMaxLength));
  std::memcpy(Chars, text.data(), Length);
  std::memset(Chars + Length, 0, kMaxLength - Length);
}

int TLongTextArray::Add(std::string text) noexcept {
  if (Count() >= kSlots) return 0;
  texts_.push_back(std::move(text));
  return Count();
}

std::string_view TLongTextArray::Text(int slot) const {
  if (slot < 1 || slot > Count()) return {};
  return texts_[static_cast<std::size_t>(slot - 1)];
}

namespace {

// Uninitialised room for n records; throws std::bad_alloc.
TplChartItem* AllocateRecords(std::int64_t n) {
  if (n <= 0 || static_cast<std::uint64_t>(n) > SIZE_MAX / sizeof(TplChartItem))
    throw std::bad_alloc();
  return static_cast<TplChartItem*>(::operator new(static_cast<std::size_t>(n) * sizeof(TplChartItem)));
}

}  // namespace

TPlItemContainer::TPlItemContainer(const TPlItemContainer& other, std::int64_t capacity)
    : textRefs_(other.textRefs_) {
  capacity = std::max<std::int64_t>(capacity, other.count_);
  if (capacity > 0) {
    Block b;
    b.items.reset(AllocateRecords(capacity));
    b.size = capacity;
    TplChartItem* out = b.items.get();
    other.ForEach([&](const TplChartItem& item, int i) { std::construct_at(out + i, item); });
    blocks_.push_back(std::move(b));
  }
  count_ = other.count_;
  capacity_ = capacity;
  SetCursor();
}

void TPlItemContainer::SetCursor() {
  if (blocks_.empty()) {
    next_ = end_ = nullptr;
    return;
  }
  const Block& last = blocks_.back();
  next_ = last.items.get() + std::max<std::int64_t>(0, count_ - last.start);
  end_ = last.items.get() + last.size;
}

const TPlItemContainer::Block& TPlItemContainer::BlockOf(int index) const {
  if (uniform_) return blocks_[static_cast<std::size_t>(index / blocks_.front().size)];
  // Blocks of different sizes (AllocSize changed): the last block starting at or before
  // index.
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), std::int64_t{index},
                             [](std::int64_t v, const Block& b) { return v < b.start; });
  return *(it - 1);
}

const TplChartItem& TPlItemContainer::operator[](int index) const {
  const Block& b = BlockOf(index);
  return b.items.get()[index - b.start];
}

TplChartItem& TPlItemContainer::operator[](int index) {
  const Block& b = BlockOf(index);
  return b.items.get()[index - b.start];
}

void TPlItemContainer::Grow(int growBy) {
  if (count_ == std::numeric_limits<int>::max()) throw std::bad_alloc();
  growBy = std::max(growBy, 1);
  blocks_.reserve(blocks_.size() + 1);  // may throw: nothing changed yet
  Block b;
  b.items.reset(AllocateRecords(growBy));
  b.start = capacity_;
  b.size = growBy;
  if (!blocks_.empty() && blocks_.front().size != growBy) uniform_ = false;
  blocks_.push_back(std::move(b));
  capacity_ += growBy;
  SetCursor();
}

std::size_t TPlItemContainer::Reserve(int n, int growBy) {
  if (n > std::numeric_limits<int>::max() - count_) throw std::bad_alloc();
  growBy = std::max(growBy, 1);
  const std::int64_t room = end_ - next_;
  std::size_t first = blocks_.empty() ? 0 : blocks_.size() - 1;
  if (room == 0) first = blocks_.size();
  if (n <= room) return first;
  const std::int64_t steps = (n - room + growBy - 1) / growBy;
  // Everything is allocated before anything changes; the local blocks go on failure.
  std::vector<Block> added;
  added.reserve(static_cast<std::size_t>(steps));
  blocks_.reserve(blocks_.size() + static_cast<std::size_t>(steps));
  std::int64_t start = capacity_;
  for (std::int64_t k = 0; k < steps; ++k, start += growBy) {
    Block b;
    b.items.reset(AllocateRecords(growBy));
    b.start = start;
    b.size = growBy;
    added.push_back(std::move(b));
  }
  if (!blocks_.empty() && blocks_.front().size != growBy) uniform_ = false;
  for (Block& b : added) blocks_.push_back(std::move(b));
  capacity_ = start;
  return first;
}

void TPlItemContainer::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  textRefs_.clear();
  textRefs_.shrink_to_fit();
  count_ = 0;
  capacity_ = 0;
  uniform_ = true;
  SetCursor();
}

void TPlItemContainer::SetTextTable(int index, std::shared_ptr<const TLongTextArray> table) {
  auto it = std::lower_bound(textRefs_.begin(), textRefs_.end(), index,
                             [](const TextRef& r, int v) { return r.index < v; });
  if (it != textRefs_.end() && it->index == index)
    it->table = std::move(table);
  else
    textRefs_.insert(it, TextRef{index, std::move(table)});
}

const TLongTextArray* TPlItemContainer::TextTable(int index) const {
  auto it = std::lower_bound(textRefs_.begin(), textRefs_.end(), index,
                             [](const TextRef& r, int v) { return r.index < v; });
  return it != textRefs_.end() && it->index == index ? it->table.get() : nullptr;
}

void TPlItemContainer::RetargetTextTables(const TLongTextArray* from,
                                          std::shared_ptr<const TLongTextArray> to) {
  for (TextRef& r : textRefs_)
    if (r.table.get() == from) r.table = to;
}

}  // namespace dendrokit
