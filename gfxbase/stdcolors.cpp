#include "gfxbase/stdcolors.h"

#include <cstdint>

namespace dendrokit {
namespace {

constexpr char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ToLower(a[i]) != ToLower(b[i])) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = ToLower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<TColor> ParseHex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  TColor v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | TColor(d);
  }
  return v;
}

// Decimal in the range of a signed or unsigned 32-bit value; negatives wrap.
std::optional<TColor> ParseDecimal(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 10) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + std::uint64_t(c - '0');
  }
  if (negative) {
    if (v > 0x80000000ull) return std::nullopt;
    return TColor(std::uint32_t(0) - std::uint32_t(v));
  }
  if (v > 0xFFFFFFFFull) return std::nullopt;
  return TColor(v);
}

}  // namespace

std::string ColorToText(TColor color) {
  for (const auto& entry : StdColors)
    if (entry.value == color) return std::string(entry.ident);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text(9, '$');
  for (int i = 8; i >= 1; --i) {
    text[std::size_t(i)] = kHex[color & 0xF];
    color >>= 4;
  }
  return text;
}

std::optional<TColor> TextToColor(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  for (const auto& entry : StdColors)
    if (EqualNoCase(entry.ident, text)) return entry.value;
  if (text[0] == '$') return ParseHex(text.substr(1));
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return ParseHex(text.substr(2));
  return ParseDecimal(text);
}

int GrayValue(TColor color) {
  const int r = int(color & 0xFF);
  const int g = int((color >> 8) & 0xFF);
  const int b = int((color >> 16) & 0xFF);
  const int hundredths = 30 * r + 59 * g + 11 * b;
  int whole = hundredths / 100;
  const int rest = hundredths % 100;
  if (rest > 50 || (rest == 50 && whole % 2 != 0)) ++whole;
  return whole;
}

TColor ContrastColor(TColor color) { return GrayValue(color) >= 140 ? 0x000000 : 0xFFFFFF; }

}  // namespace dendrokit
