#include "readouts/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace pelmora {
namespace {

constexpr bool isLeadByte(unsigned char b) { return b >= 0x80; }
constexpr bool isBlank(unsigned char b) { return (b >= 0x09 && b <= 0x0D) || b == 0x20; }

// The single byte a double-byte character reads as, or 0 when it stays as it is.
constexpr char foldDoubleByte(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead == 0xA1) {
    switch (trail) {
      case 0xA1: return ' ';
      case 0xAB: return '~';
      case 0xEE:
      case 0xEF: return '*';
      default: break;
    }
  }
  return 0;
}

std::string_view skipBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && isBlank(static_cast<unsigned char>(s[i]))) ++i;
  return s.substr(i);
}

}  // namespace

std::vector<std::string_view> splitText(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> fields;
  if (text.empty()) return fields;
  if (separator.empty()) {
    fields.push_back(text);
    return fields;
  }
  std::size_t fieldStart = 0;
  std::size_t pos = 0;
  while (text.size() - pos >= separator.size()) {
    if (text.compare(pos, separator.size(), separator) == 0) {
      fields.push_back(text.substr(fieldStart, pos - fieldStart));
      pos += separator.size();
      fieldStart = pos;
      continue;
    }
    if (isLeadByte(static_cast<unsigned char>(text[pos]))) {
      if (pos + 1 >= text.size()) {
        pos = text.size();
        break;
      }
      pos += 2;
    } else {
      pos += 1;
    }
  }
  if (fieldStart < text.size()) fields.push_back(text.substr(fieldStart));
  return fields;
}

Text normaliseText(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (!isLeadByte(b)) {
      out.push_back(static_cast<char>(b));
      continue;
    }
    if (i + 1 >= text.size()) break;  // a lone lead byte at the end is dropped
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (const char folded = foldDoubleByte(b, trail); folded != 0) {
      out.push_back(folded);
    } else {
      out.push_back(static_cast<char>(b));
      out.push_back(static_cast<char>(trail));
    }
    ++i;
  }
  return out;
}

std::int32_t textToInt(std::string_view text) {
  const Text normal = normaliseText(text);
  std::string_view s = skipBlanks(normal);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::uint32_t value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

double textToNumber(std::string_view text) {
  const Text normal = normaliseText(text);
  std::string_view s = skipBlanks(normal);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // Decimal digits with an optional fraction and exponent. The first 19 significant digits are
  // kept exactly; whole numbers of up to 15 digits read back exactly.
  std::uint64_t mantissa = 0;
  int significant = 0;
  int exponent = 0;
  bool anyDigit = false;
  std::size_t i = 0;
  const auto takeDigits = [&](bool fraction) {
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      anyDigit = true;
      if (significant < 19) {
        mantissa = mantissa * 10u + static_cast<std::uint64_t>(s[i] - '0');
        if (mantissa != 0) ++significant;
        if (fraction) --exponent;
      } else if (!fraction) {
        ++exponent;
      }
    }
  };
  takeDigits(false);
  if (i < s.size() && s[i] == '.') {
    ++i;
    takeDigits(true);
  }
  if (!anyDigit) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
    if (j < s.size() && s[j] >= '0' && s[j] <= '9') {
      int value = 0;
      for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j) {
        value = std::min(value * 10 + (s[j] - '0'), 100000);
      }
      exponent += negativeExponent ? -value : value;
    }
  }
  double value = static_cast<double>(mantissa);
  if (mantissa != 0) {
    if (exponent > 0) value *= std::pow(10.0, exponent);
    if (exponent < 0) value /= std::pow(10.0, -exponent);
  }
  return negative ? -value : value;
}

Text intToText(std::int32_t n) {
  char buffer[12];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
  return Text(buffer, result.ptr);
}

Text realToText(double d) {
  // Whole numbers below 10^13 are plain decimal digits under "%.13g"; they are written directly.
  if (std::isfinite(d) && std::fabs(d) < 1e13 && d == std::trunc(d)) {
    const auto whole = static_cast<std::int64_t>(d);
    char buffer[24];
    char* p = buffer;
    if (whole == 0 && std::signbit(d)) *p++ = '-';
    p = std::to_chars(p, buffer + sizeof buffer, whole).ptr;
    return Text(buffer, p);
  }
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.13g", d);
  return Text(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
}

Text hexText(std::uint32_t n) {
  static constexpr char digits[] = "0123456789ABCDEF";
  char buffer[8];
  char* end = buffer + sizeof buffer;
  char* p = end;
  do {
    *--p = digits[n & 0xFu];
    n >>= 4;
  } while (n != 0);
  return Text(p, end);
}

std::int64_t realToInt(double d) {
  if (std::isnan(d)) return 0;
  constexpr double limit = 9223372036854775808.0;  // 2^63
  if (d >= limit) return std::numeric_limits<std::int64_t>::max();
  if (d < -limit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::trunc(d));
}

Text concatTexts(std::initializer_list<std::string_view> texts) {
  std::size_t size = 0;
  for (const auto t : texts) size += t.size();
  Text out;
  out.reserve(size);
  for (const auto t : texts) out.append(t);
  return out;
}

std::size_t formatCoordinateText(std::int32_t x, std::int32_t y, char* out) {
  char* const end = out + kCoordinateTextCapacity;
  char* p = std::to_chars(out, end, x).ptr;
  *p++ = ',';
  p = std::to_chars(p, end, y).ptr;
  return static_cast<std::size_t>(p - out);
}

}  // namespace pelmora
