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

template <typename T>
TBasicVector<T>::TBasicVector(TComponent* owner)
    : TComponent(owner), data_(NewStorage<T>(1, Name(), ": not enough memory on heap")) {}

template <typename T>
int TBasicVector<T>::NrOfElem() const {
  return static_cast<int>(data_.size());
}

template <typename T>
void TBasicVector<T>::SetNrOfElem(int n) {
  if (n < 1 || n == NrOfElem()) return;
  Resize(n);
}

template <typename T>
bool TBasicVector<T>::Resize(int n) {
  if (n == NrOfElem()) return true;
  if (n < 1) return false;
  ResizeStorage(data_, n, Name());
  if (OnChange) OnChange(this);
  if (OnResize) OnResize(this);
  return true;
}

template <typename T>
T TBasicVector<T>::Elem(int index) const {
  return InRange(data_, index) ? data_[static_cast<std::size_t>(index - 1)] : T{};
}

template <typename T>
void TBasicVector<T>::SetElem(int index, T value) {
  if (!InRange(data_, index)) return;
  data_[static_cast<std::size_t>(index - 1)] = value;
  if (OnChange) OnChange(this);
}

template <typename T>
void TBasicVector<T>::Clear() {
  std::fill(data_.begin(), data_.end(), T{});
  if (OnChange) OnChange(this);
}

template <typename T>
void TBasicVector<T>::Assign(const TPersistent* source) {
  // TVector and TIntVector are distinct instantiations, so this accepts only the same class.
  const auto* src = dynamic_cast<const TBasicVector<T>*>(source);
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

template class TBasicVector<double>;
template class TBasicVector<std::int32_t>;

}  // namespace dendrokit
