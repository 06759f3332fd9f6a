#include "readouts/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

// Takes an optional "+" or "-" off the front; true for "-".
bool takeSign(std::string_view& s) {
  if (s.empty() || (s.front() != '+' && s.front() != '-')) return false;
  const bool negative = s.front() == '-';
  s.remove_prefix(1);
  return negative;
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
  const bool negative = takeSign(s);
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
  const bool negative = takeSign(s);
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

namespace {

// The exact decimal digits of a finite, non-zero magnitude: |d| = digits * 10^-scale. A double is
// m * 2^e; for e < 0 that is (m * 5^-e) / 10^-e, so the digits come from an integer product.
struct ExactDecimal {
  std::string digits;
  int scale = 0;
};

ExactDecimal exactDecimal(double magnitude) {
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction * 2^exponent
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  while ((mantissa & 1u) == 0) {
    mantissa >>= 1;
    ++exponent;
  }
  std::vector<std::uint32_t> words{static_cast<std::uint32_t>(mantissa),
                                   static_cast<std::uint32_t>(mantissa >> 32)};
  const auto multiply = [&words](std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& word : words) {
      const std::uint64_t product = static_cast<std::uint64_t>(word) * factor + carry;
      word = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) words.push_back(static_cast<std::uint32_t>(carry));
  };
  ExactDecimal result;
  if (exponent >= 0) {
    for (int left = exponent; left > 0; left -= 16) multiply(1u << std::min(left, 16));
  } else {
    result.scale = -exponent;
    for (int left = result.scale; left > 0; left -= 13) {
      std::uint32_t factor = 1;
      for (int i = 0; i < std::min(left, 13); ++i) factor *= 5;
      multiply(factor);
    }
  }
  // Base 10^9 chunks, least significant first, by repeated division.
  std::vector<std::uint32_t> chunks;
  while (!(words.size() == 1 && words[0] == 0) && !words.empty()) {
    std::uint64_t remainder = 0;
    for (std::size_t i = words.size(); i-- > 0;) {
      const std::uint64_t current = (remainder << 32) | words[i];
      words[i] = static_cast<std::uint32_t>(current / 1000000000u);
      remainder = current % 1000000000u;
    }
    chunks.push_back(static_cast<std::uint32_t>(remainder));
    while (words.size() > 1 && words.back() == 0) words.pop_back();
  }
  for (std::size_t i = chunks.size(); i-- > 0;) {
    char buffer[9];
    std::uint32_t chunk = chunks[i];
    for (int k = 8; k >= 0; --k, chunk /= 10) buffer[k] = static_cast<char>('0' + chunk % 10);
    result.digits.append(buffer, sizeof buffer);
  }
  result.digits.erase(0, std::min(result.digits.find_first_not_of('0'), result.digits.size() - 1));
  return result;
}

}  // namespace

Text realToText(double d) {
  constexpr int kPrecision = 13;
  Text out;
  if (std::signbit(d)) out.push_back('-');
  if (std::isnan(d)) return out + "nan";
  if (std::isinf(d)) return out + "inf";
  if (d == 0.0) return out + "0";

  // Round the exact digits to 13 significant ones, ties to even, as printf does.
  ExactDecimal exact = exactDecimal(std::fabs(d));
  std::string& digits = exact.digits;
  int point = static_cast<int>(digits.size()) - exact.scale;  // digits before the decimal point
  if (digits.size() > static_cast<std::size_t>(kPrecision)) {
    const char next = digits[kPrecision];
    const bool beyond = digits.find_first_not_of('0', kPrecision + 1) != std::string::npos;
    const bool odd = (digits[kPrecision - 1] - '0') % 2 == 1;
    digits.resize(kPrecision);
    if (next > '5' || (next == '5' && (beyond || odd))) {
      int i = kPrecision - 1;
      while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
        digits[static_cast<std::size_t>(i--)] = '0';
      }
      if (i >= 0) {
        ++digits[static_cast<std::size_t>(i)];
      } else {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++point;
      }
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  const int exponent10 = point - 1;
  if (exponent10 < -4 || exponent10 >= kPrecision) {
    out.push_back(digits[0]);
    if (digits.size() > 1) {
      out.push_back('.');
      out.append(digits, 1);
    }
    out.push_back('e');
    out.push_back(exponent10 < 0 ? '-' : '+');
    const int magnitude = exponent10 < 0 ? -exponent10 : exponent10;
    if (magnitude < 10) out.push_back('0');
    out.append(intToText(magnitude));
  } else if (point <= 0) {
    out.append("0.");
    out.append(static_cast<std::size_t>(-point), '0');
    out.append(digits);
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    out.append(digits);
    out.append(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    out.append(digits, 0, static_cast<std::size_t>(point));
    out.push_back('.');
    out.append(digits, static_cast<std::size_t>(point));
  }
  return out;
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
