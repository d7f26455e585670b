#include "numeric/vector.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "gfxbase/errors.h"
#include "numeric/storage_p.h"

namespace dendrokit {

namespace {

template <typename T>
std::vector<T> NewStorage(std::int64_t count, const std::string& name, const char* suffix) {
  try {
    return detail::MakeStorage<T>(count);
  } catch (const std::bad_alloc&) {
    throw EVELVectorError(ComponentMessage(name, suffix));
  } catch (const std::length_error&) {
    throw EVELVectorError(ComponentMessage(name, suffix));
  }
}

// Builds the resized array beside the old one, so a failure leaves the vector untouched.
template <typename T>
void ResizeStorage(std::vector<T>& data, int n, const std::string& name) {
  std::vector<T> grown = NewStorage<T>(n, name, ": not enough memory");
  const std::size_t keep = std::min(data.size(), grown.size());
  std::copy_n(data.begin(), keep, grown.begin());
  data.swap(grown);
}

template <typename T>
void CopyStorage(std::vector<T>& data, const std::vector<T>& source, const std::string& name) {
  std::vector<T> copy =
      NewStorage<T>(static_cast<std::int64_t>(source.size()), name, ": not enough memory on heap");
  std::copy(source.begin(), source.end(), copy.begin());
  data.swap(copy);
}

template <typename T>
bool InRange(const std::vector<T>& data, int index) {
  return index >= 1 && static_cast<std::size_t>(index) <= data.size();
}

}  // namespace

// ---- TVector

TVector::TVector(TComponent* owner)
    : TComponent(owner), data_(NewStorage<double>(1, Name(), ": not enough memory on heap")) {}

int TVector::NrOfElem() const { return static_cast<int>(data_.size()); }

void TVector::SetNrOfElem(int n) {
  if (n < 1 || n == NrOfElem()) return;
  Resize(n);
}

bool TVector::Resize(int n) {
  if (n == NrOfElem()) return true;
  if (n < 1) return false;
  ResizeStorage(data_, n, Name());
  if (OnChange) OnChange(this);
  if (OnResize) OnResize(this);
  return true;
}

double TVector::Elem(int index) const {
  return InRange(data_, index) ? data_[static_cast<std::size_t>(index - 1)] : 0.0;
}

void TVector::SetElem(int index, double value) {
  if (!InRange(data_, index)) return;
  data_[static_cast<std::size_t>(index - 1)] = value;
  if (OnChange) OnChange(this);
}

void TVector::Clear() {
  std::fill(data_.begin(), data_.end(), 0.0);
  if (OnChange) OnChange(this);
}

void TVector::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TVector*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  // Everything that may fail comes first, so a failure leaves this vector as it was.
  TNotifyEvent onChange = src->OnChange, onResize = src->OnResize;
  TSortExchgEvent onSortExchange = src->OnSortExchange;
  CopyStorage(data_, src->data_, Name());
  OnChange = std::move(onChange);
  OnResize = std::move(onResize);
  OnSortExchange = std::move(onSortExchange);
}

std::span<const double> TVector::Values() const { return data_; }
std::span<double> TVector::Values() { return data_; }

// ---- TIntVector

TIntVector::TIntVector(TComponent* owner)
    : TComponent(owner),
      data_(NewStorage<std::int32_t>(1, Name(), ": not enough memory on heap")) {}

int TIntVector::NrOfElem() const { return static_cast<int>(data_.size()); }

void TIntVector::SetNrOfElem(int n) {
  if (n < 1 || n == NrOfElem()) return;
  Resize(n);
}

bool TIntVector::Resize(int n) {
  if (n == NrOfElem()) return true;
  if (n < 1) return false;
  ResizeStorage(data_, n, Name());
  if (OnChange) OnChange(this);
  if (OnResize) OnResize(this);
  return true;
}

std::int32_t TIntVector::Elem(int index) const {
  return InRange(data_, index) ? data_[static_cast<std::size_t>(index - 1)] : 0;
}

void TIntVector::SetElem(int index, std::int32_t value) {
  if (!InRange(data_, index)) return;
  data_[static_cast<std::size_t>(index - 1)] = value;
  if (OnChange) OnChange(this);
}

void TIntVector::Clear() {
  std::fill(data_.begin(), data_.end(), 0);
  if (OnChange) OnChange(this);
}

void TIntVector::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TIntVector*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  // Everything that may fail comes first, so a failure leaves this vector as it was.
  TNotifyEvent onChange = src->OnChange, onResize = src->OnResize;
  TSortExchgEvent onSortExchange = src->OnSortExchange;
  CopyStorage(data_, src->data_, Name());
  OnChange = std::move(onChange);
  OnResize = std::move(onResize);
  OnSortExchange = std::move(onSortExchange);
}

std::span<const std::int32_t> TIntVector::Values() const { return data_; }
std::span<std::int32_t> TIntVector::Values() { return data_; }

}  // namespace dendrokit
