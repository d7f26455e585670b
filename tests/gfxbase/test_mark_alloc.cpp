// Marks are drawn thousands of times per repaint: the screen path of the glyph, square and
// line marks must not allocate. Counts every global operator new of the test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "gfxbase/draw.h"

namespace {
long long g_allocations = 0;
}

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The nothrow forms (std::stable_sort's buffer, for one) must pair with the free above.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept {
  return ::operator new(n, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace dendrokit {
namespace {

TEST(DrawMark, ScreenGlyphLineAndSquareMarksDoNotAllocate) {
  TBitmap bmp(64, 64);
  TCanvas& cv = bmp.Canvas();
  cv.Pen().SetColor(0x0000FF);
  const int types[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                       13, 18, 19, 20, 21, 22, 23, 25, 37, 38, 50, 51};
  for (int t : types) DrawMark(cv, std::uint8_t(t), 30, 30);  // warm-up
  const long long probe = g_allocations;
  ::operator delete(::operator new(8));
  ASSERT_EQ(g_allocations, probe + 1) << "allocation counter not in effect";

  const long long before = g_allocations;
  for (int i = 0; i < 20; ++i)
    for (int t : types) DrawMark(cv, std::uint8_t(t), 10 + 2 * i, 30);
  EXPECT_EQ(g_allocations - before, 0);
}

}  // namespace
}  // namespace dendrokit
