// The chart's retained drawing records and the lists that hold them. Plain C++ so that the
// store can be used and tested without a display.
//
// A list grows in steps of AllocSize records. Each step allocates one block of its own and
// never moves the records already stored, so adding an item costs amortised O(1) whatever
// the list length, and the memory held is the records plus at most one step of slack.
#pragma once

#include "gfxbase/export.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfxbase/enums.h"
#include "gfxbase/graphics_types.h"
#include "gfxbase/types.h"

namespace dendrokit {

// Item kind codes (TplChartItem::Kind). Codes 0, 10 and 11 draw nothing.
inline constexpr std::uint8_t ckNone = 0;
inline constexpr std::uint8_t ckMark = 1;           // mark glyph of type Alignment at (X, Y)
inline constexpr std::uint8_t ckLine = 2;           // (X, Y) to (X2, Y2)
inline constexpr std::uint8_t ckDrawTo = 3;         // continue the polyline to (X, Y)
inline constexpr std::uint8_t ckRectangle = 4;      // corners (X, Y), (X2, Y2)
inline constexpr std::uint8_t ckFramedBox = 5;      // filled rectangle with a 3-D edge
inline constexpr std::uint8_t ck3DBar = 6;          // rectangle with top and side faces
inline constexpr std::uint8_t ckText = 7;           // text at (X, Y)
inline constexpr std::uint8_t ckMoveTo = 8;         // current point := (X, Y)
inline constexpr std::uint8_t ckEllipse = 9;        // centre (X, Y), half-axes X2, Y2
inline constexpr std::uint8_t ckReserved10 = 10;    // draws nothing
inline constexpr std::uint8_t ckReserved11 = 11;    // draws nothing
inline constexpr std::uint8_t ckMoveBy = 12;        // move the current point by (X, Y) px
inline constexpr std::uint8_t ckDrawBy = 13;        // draw from the current point by (X, Y) px
inline constexpr std::uint8_t ckArrow = 14;         // line with a head at the second point
inline constexpr std::uint8_t ckDoubleArrow = 15;   // line with heads at both ends
inline constexpr std::uint8_t ckOffsetText = 16;    // text at (X, Y) shifted by (X2, Y2) px
inline constexpr std::uint8_t ckFixedSizeBox = 17;  // box of half-size (Size, BkStyle) px
inline constexpr std::uint8_t ckErrorBarMark = 18;  // mark with bars of half-length X2, Y2
inline constexpr std::uint8_t ckShiftedLine = 19;   // line shifted by (Size, BkStyle) px
inline constexpr std::uint8_t ckArc = 20;           // elliptic arc
inline constexpr std::uint8_t ckDrawByOffset = 21;  // segment from (X, Y) by (X2, Y2) px
inline constexpr std::uint8_t ckVertRule = 22;      // vertical line at X, full height
inline constexpr std::uint8_t ckHorizRule = 23;     // horizontal line at Y, full width
inline constexpr std::uint8_t ckCross = 24;         // cross through the box X±X2, Y±Y2
inline constexpr std::uint8_t ckMaxKind = 24;

// A text of at most 15 single-byte characters held inline: a length byte and the bytes.
struct DENDROKIT_EXPORT TShortString15 {
  static constexpr std::size_t kMaxLength = 15;
  std::uint8_t Length = 0;
  char Chars[kMaxLength] = {};

  std::string_view View() const { return {Chars, Length}; }
  // Keeps the first 15 bytes of text.
  void Assign(std::string_view text);
};

// One drawing record. Fixed size; only texts over 15 characters live outside it.
struct DENDROKIT_EXPORT TplChartItem {
  double X = 0.0;
  double Y = 0.0;
  double X2 = 0.0;  // second x; text offset in pixels; half-size of centred kinds
  double Y2 = 0.0;
  TColor Color = 0;
  TColor FillColor = 0;
  TColor EdgeColor1 = 0;
  TColor EdgeColor2 = 0;
  TPenStyle PenStyle = psSolid;
  std::int32_t Tag = 0;
  // Pen width of line kinds; for text kinds the long-text slot 1..50, or 0.
  std::int32_t LineWidth = 0;
  std::uint8_t ItemClass = 0;
  std::uint8_t Kind = ckNone;
  std::int32_t Layer = 1;
  bool Hollow = false;
  TFrameStyle FrameStyle = fsNone;
  TShortString15 ShortText;
  std::int32_t Size = 0;
  std::int32_t BkStyle = 0;
  std::int32_t Alignment = 0;
  std::uint8_t CoordMode = 0;
};

// The table of whole texts longer than 15 characters: 50 slots, numbered 1..50, never
// reclaimed. Full tables leave later long texts cut to 15 characters.
class DENDROKIT_EXPORT TLongTextArray {
 public:
  static constexpr int kSlots = 50;
  // The slots are reserved up front, so adding a moved string never allocates or throws.
  TLongTextArray() { texts_.reserve(kSlots); }
  TLongTextArray(const TLongTextArray& other) : TLongTextArray() { texts_ = other.texts_; }
  TLongTextArray& operator=(const TLongTextArray&) = delete;
  int Count() const { return static_cast<int>(texts_.size()); }
  // Stores text in the next slot and returns its number, or 0 when all slots are used.
  int Add(std::string text) noexcept;
  // Text of slot 1..Count(); empty outside.
  std::string_view Text(int slot) const;

 private:
  std::vector<std::string> texts_;
};

// A growable list of chart items with a count and a capacity. Storage failures throw
// std::bad_alloc and leave the list as it was; the chart turns them into its own error.
class DENDROKIT_EXPORT TPlItemContainer {
 public:
  TPlItemContainer() = default;
  // Copies the records into one block of the given capacity (at least Count()).
  TPlItemContainer(const TPlItemContainer& other, std::int64_t capacity);
  TPlItemContainer(const TPlItemContainer&) = delete;
  TPlItemContainer& operator=(const TPlItemContainer&) = delete;

  int Count() const { return count_; }
  std::int64_t Capacity() const { return capacity_; }
  // Record 0..Count()-1 (unchecked).
  const TplChartItem& operator[](int index) const;
  TplChartItem& operator[](int index);

  // Appends a copy of item; when the list is full, first adds a block of growBy records.
  // Throws std::bad_alloc (and changes nothing) when the block cannot be had.
  void Append(const TplChartItem& item, int growBy) {
    if (next_ == end_) Grow(growBy);
    std::construct_at(next_++, item);
    ++count_;
  }
  // Two-step append for callers that fill the record in place: Prepare grows like Append
  // and returns a default record at index Count() (not yet counted); Commit counts it.
  TplChartItem& Prepare(int growBy) {
    if (next_ == end_) Grow(growBy);
    return *std::construct_at(next_);
  }
  void Commit() {
    if (next_ == end_) return;  // nothing prepared
    ++next_;
    ++count_;
  }
  // Appends n copies of proto, each passed to set(record, i) for i = 0..n-1 to fill in
  // what differs. All the room is had first, in blocks of growBy records as n single
  // appends would take it; when it cannot be had, std::bad_alloc is thrown and the list is
  // unchanged. set must not throw.
  template <typename F> void AppendMany(int n, int growBy, const TplChartItem& proto, F&& set) {
    if (n <= 0) return;
    std::size_t bi = Reserve(n, growBy);
    for (int done = 0; done < n; ++bi) {
      const Block& b = blocks_[bi];
      TplChartItem* p = b.items.get() + (count_ - b.start);
      const int m = static_cast<int>(std::min<std::int64_t>(b.start + b.size - count_, n - done));
      for (int k = 0; k < m; ++k) set(*std::construct_at(p + k, proto), done + k);
      done += m;
      count_ += m;
    }
    SetCursor();
  }
  // Count and capacity 0; the storage is released.
  void Clear();

  // Calls f(item, index) for every record in index order, block by block. f may append
  // (a render handler can): records never move, the block table is re-read after growth,
  // and records appended during the walk are not visited.
  template <typename F> void ForEach(F&& f) const {
    const int total = count_;
    int index = 0;
    for (std::size_t bi = 0; index < total && bi < blocks_.size(); ++bi) {
      const TplChartItem* items = blocks_[bi].items.get();
      const int n = static_cast<int>(std::min<std::int64_t>(blocks_[bi].size, total - index));
      for (int i = 0; i < n; ++i, ++index) f(items[i], index);
    }
  }

  // Where the long text of a text item added by a chart is kept: the item's slot number
  // refers to this table. Items without an entry use the displaying chart's own table.
  // Reserve first, and the following SetTextTable for index Count() - 1 cannot fail.
  void ReserveTextTable() { textRefs_.reserve(textRefs_.size() + 1); }
  void SetTextTable(int index, std::shared_ptr<const TLongTextArray> table);
  const TLongTextArray* TextTable(int index) const;
  // Points every entry that refers to from at to instead (a copied chart keeps its own).
  void RetargetTextTables(const TLongTextArray* from, std::shared_ptr<const TLongTextArray> to);

 private:
  // Records are constructed as they are appended; a block's spare capacity stays
  // untouched raw memory.
  struct RawDelete {
    void operator()(TplChartItem* p) const { ::operator delete(static_cast<void*>(p)); }
  };
  struct Block {
    std::unique_ptr<TplChartItem, RawDelete> items;
    std::int64_t start = 0;
    std::int64_t size = 0;
  };
  struct TextRef {
    int index;
    std::shared_ptr<const TLongTextArray> table;
  };
  const Block& BlockOf(int index) const;
  void Grow(int growBy);
  // Room for n more records (blocks of growBy, all or none); returns the block that takes
  // record Count().
  std::size_t Reserve(int n, int growBy);
  void SetCursor();

  std::vector<Block> blocks_;
  std::vector<TextRef> textRefs_;  // sorted by index; at most 50 per contributing chart
  TplChartItem* next_ = nullptr;  // where the next record goes, in the last block
  TplChartItem* end_ = nullptr;
  int count_ = 0;
  std::int64_t capacity_ = 0;
  bool uniform_ = true;  // all blocks the same size: block found by one division
};

}  // namespace dendrokit
