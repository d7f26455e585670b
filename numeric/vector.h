// 1-based vectors of doubles and 32-bit integers. Out-of-range reads give 0, out-of-range
// writes are ignored; a vector always holds at least one element.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gfxbase/component.h"
#include "gfxbase/types.h"

namespace dendrokit {

class TVector : public TComponent {
 public:
  explicit TVector(TComponent* owner = nullptr);
  std::string_view ClassName() const override { return "TVector"; }

  int NrOfElem() const;
  // Values below 1 or equal to the current size are ignored; others go through Resize.
  void SetNrOfElem(int n);
  // True when the size is (now) n; false for n < 1. Kept elements keep their values, new
  // ones are 0. A change raises OnChange, then OnResize. EVELVectorError when storage
  // cannot be obtained; size and contents then stay as they were.
  bool Resize(int n);

  double Elem(int index) const;
  // Stores and raises OnChange once; ignored outside 1..NrOfElem.
  void SetElem(int index, double value);
  // All elements 0, then OnChange once.
  void Clear();

  // Copies size, elements and handlers of another TVector without notifying; other sources
  // take the standard fallback. EVELVectorError (": not enough memory on heap") when storage
  // cannot be obtained; the vector then stays as it was.
  void Assign(const TPersistent* source) override;

  // Direct access to the storage (element 1 at index 0). Writes through it raise nothing.
  std::span<const double> Values() const;
  std::span<double> Values();

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TSortExchgEvent OnSortExchange;

 private:
  std::vector<double> data_;
};

class TIntVector : public TComponent {
 public:
  explicit TIntVector(TComponent* owner = nullptr);
  std::string_view ClassName() const override { return "TIntVector"; }

  int NrOfElem() const;
  void SetNrOfElem(int n);
  bool Resize(int n);

  std::int32_t Elem(int index) const;
  void SetElem(int index, std::int32_t value);
  void Clear();

  void Assign(const TPersistent* source) override;

  std::span<const std::int32_t> Values() const;
  std::span<std::int32_t> Values();

  TNotifyEvent OnChange;
  TNotifyEvent OnResize;
  TSortExchgEvent OnSortExchange;

 private:
  std::vector<std::int32_t> data_;
};

}  // namespace dendrokit
