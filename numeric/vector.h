// 1-based vectors of doubles and 32-bit integers. Out-of-range reads give 0, out-of-range
// writes are ignored; a vector always holds at least one element.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gfxbase/component.h"
#include "gfxbase/types.h"

namespace dendrokit {

namespace detail {
struct StorageAccess;
}

// The body shared by TVector and TIntVector; T is the element type.
template <typename T>
class TBasicVector : public TComponent {
 public:
  explicit TBasicVector(TComponent* owner = nullptr);

  int NrOfElem() const;
  // Values below 1 or equal to the current size are ignored; others go through Resize.
  void SetNrOfElem(int n);
  // True when the size is (now) n; false for n < 1. Kept elements keep their values, new
  // ones are 0. A change raises OnChange, then OnResize. EVELVectorError when storage
  // cannot be obtained; size and contents then stay as they were.
  bool Resize(int n);

  T Elem(int index) const;
  // Stores and raises OnChange once; ignored outside 1..NrOfElem.
  void SetElem(int index, T value);
  // All elements 0, then OnChange once.
  void Clear();

  // Copies size, elements and handlers of a vector of the same class without notifying;
  // any other source takes the standard fallback.
  void Assign(const TPersistent* source) override;

  // Direct access to the storage (element 1 at index 0). Writes through it raise nothing.
  std::span<const T> Values() const { return data_; }
  std::span<T> Values() { return data_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TSortExchgEvent OnSortExchange;

 private:
  friend struct detail::StorageAccess;
  std::vector<T> data_;
};

extern template class TBasicVector<double>;
extern template class TBasicVector<std::int32_t>;

// A list of doubles.
class TVector final : public TBasicVector<double> {
 public:
  using TBasicVector::TBasicVector;
  std::string_view ClassName() const override { return "TVector"; }
};

// A list of 32-bit signed integers.
class TIntVector final : public TBasicVector<std::int32_t> {
 public:
  using TBasicVector::TBasicVector;
  std::string_view ClassName() const override { return "TIntVector"; }
};

}  // namespace dendrokit
