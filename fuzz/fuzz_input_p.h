// Reads a fuzzer's bytes as a stream of small choices; past the end every choice is 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dendrokit::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // A value in [0, n).
  int Below(int n) { return n <= 1 ? 0 : Byte() % n; }
  std::uint32_t Word() {
    std::uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = w << 8 | Byte();
    return w;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace dendrokit::fuzz
