// Fuzzes the text operations with arbitrary bytes and checks what each must give, not only that
// nothing crashes:
//  - splitText: the fields and the separators between them tile the text exactly as the
//    character walk defines it;
//  - normaliseText and textToInt: agree with a reference reader written here independently;
//  - intToText, realToText, hexText, realToInt and colourToTexts: agree with the C library's
//    formats and read back to the value they were made from.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "readouts/colour.h"
#include "readouts/text.h"

namespace {

using pelmora::Text;

[[noreturn]] void fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "CHECK FAILED: %s\n  got:      \"", what);
  for (const char c : a) std::fprintf(stderr, "\\x%02X", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\"\n  expected: \"");
  for (const char c : b) std::fprintf(stderr, "\\x%02X", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\"\n");
  std::abort();
}

void check(bool ok, const char* what, std::string_view a = {}, std::string_view b = {}) {
  if (!ok) fail(what, a, b);
}

bool isLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Reads `n` bytes of the input at `at` (zeros past its end) as a little-endian number.
template <typename T>
T takeNumber(std::string_view data, std::size_t at) {
  unsigned char bytes[sizeof(T)] = {};
  for (std::size_t i = 0; i < sizeof(T) && at + i < data.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(data[at + i]);
  }
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

// ---------------------------------------------------------------------------------------------
// splitText

// The fields, with the separator between them, must cover the text from its first byte in
// order: field 1, separator, field 2, ..., field n, and at most one trailing separator. Walking a
// field from its start one character at a time (a lead byte with the byte after it), no
// separator may start at any step, and a field that a separator follows must end exactly on a
// step. The walk ends early where fewer bytes remain than the separator has, or at a lone lead
// byte at the end of the text; those bytes belong to the last field. A field without a separator
// after it is never empty. These rules admit exactly one list of fields for every text.
void checkSplit(std::string_view text, std::string_view separator) {
  const auto fields = pelmora::splitText(text, separator);
  if (text.empty()) {
    check(fields.empty(), "split of the empty text gives no field");
    return;
  }
  if (separator.empty()) {
    check(fields.size() == 1 && fields[0].data() == text.data() && fields[0].size() == text.size(),
          "split with an empty separator gives the whole text");
    return;
  }
  check(!fields.empty(), "split of a non-empty text gives a field");

  const std::size_t size = text.size();
  const std::size_t sepSize = separator.size();
  std::size_t start = 0;
  bool trailingSeparator = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string_view f = fields[i];
    check(f.data() == text.data() + start, "field starts where the previous separator ends");
    check(f.size() <= size - start, "field lies inside the text");
    const std::size_t end = start + f.size();

    std::size_t p = start;
    while (p < end && size - p >= sepSize) {
      check(text.compare(p, sepSize, separator) != 0, "no separator starts inside a field", f,
            separator);
      if (isLead(text[p])) {
        if (p + 1 >= size) {
          p = size;
          break;
        }
        p += 2;
      } else {
        p += 1;
      }
    }

    const bool last = i + 1 == fields.size();
    if (last && end == size) {
      check(!f.empty(), "a field without a separator after it is not empty");
      break;
    }
    check(p == end, "a separator starts on a character boundary", f);
    check(size - end >= sepSize && text.compare(end, sepSize, separator) == 0,
          "a separator follows every field but an unterminated last one", text.substr(end),
          separator);
    start = end + sepSize;
    if (last) {
      check(start == size, "at most one separator after the last field", text.substr(start));
      trailingSeparator = true;
    }
  }

  // The same, stated as a rejoin: the fields joined by the separator give the text, less one
  // trailing separator when the walk ended on one.
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) joined.append(separator);
    joined.append(fields[i]);
  }
  if (trailingSeparator) joined.append(separator);
  check(joined == text, "fields rejoined give the text", joined, text);
}

// ---------------------------------------------------------------------------------------------
// Reading numbers

// The single byte a listed double-byte character reads as, else 0.
char referenceFold(unsigned char lead, unsigned char trail) {
  switch ((lead << 8) | trail) {
    case 0xA1A1: return ' ';
    case 0xA1AB: return '~';
    case 0xA1EE: return '*';
    case 0xA1EF: return '*';
    default: break;
  }
  if (lead == 0xA3 && trail >= 0xA1 && trail != 0xFF) return static_cast<char>(trail - 0x80);
  return 0;
}

std::string referenceNormalise(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!isLead(text[i])) {
      out += text[i++];
    } else if (i + 1 == text.size()) {
      break;
    } else {
      const char folded = referenceFold(static_cast<unsigned char>(text[i]),
                                        static_cast<unsigned char>(text[i + 1]));
      if (folded != 0) {
        out += folded;
      } else {
        out += text.substr(i, 2);
      }
      i += 2;
    }
  }
  return out;
}

// Reads the number of a normalised text: its digit run is summed from the last digit up, each
// times its power of ten, all modulo 2^32.
std::int32_t referenceRead(std::string_view s) {
  std::size_t i = s.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  std::size_t digitsEnd = i;
  while (digitsEnd < s.size() && s[digitsEnd] >= '0' && s[digitsEnd] <= '9') ++digitsEnd;
  std::uint32_t value = 0;
  std::uint32_t power = 1;
  for (std::size_t k = digitsEnd; k > i; --k) {
    value += static_cast<std::uint32_t>(s[k - 1] - '0') * power;
    power *= 10u;
  }
  if (negative) value = ~value + 1u;
  std::int32_t result;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

void checkReading(std::string_view text) {
  const Text normal = pelmora::normaliseText(text);
  check(normal == referenceNormalise(text), "normaliseText", normal, referenceNormalise(text));
  const std::int32_t got = pelmora::textToInt(text);
  const std::int32_t want = referenceRead(normal);
  if (got != want) fail("textToInt", std::to_string(got), std::to_string(want));
  check(!std::isnan(pelmora::textToNumber(text)), "textToNumber gives a number", text);
}

// The full-width form of a decimal text, as a user would type it with a Chinese input method.
std::string fullWidth(std::string_view ascii) {
  std::string out;
  for (const char c : ascii) {
    out += '\xA3';
    out += static_cast<char>(static_cast<unsigned char>(c) + 0x80);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Writing numbers

void checkInt(std::int32_t n) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d", n);
  const Text text = pelmora::intToText(n);
  check(text == buffer, "intToText writes %d", text, buffer);
  if (pelmora::textToInt(text) != n) fail("textToInt(intToText(n))", text, buffer);
  if (pelmora::textToInt(fullWidth(text)) != n)
    fail("textToInt of full-width digits", text, buffer);
  check(pelmora::textToNumber(text) == static_cast<double>(n), "textToNumber(intToText(n))", text);
  check(pelmora::realToText(static_cast<double>(n)) == text, "realToText of a whole number",
        pelmora::realToText(static_cast<double>(n)), text);
  check(pelmora::realToInt(static_cast<double>(n)) == n, "realToInt of a whole number", text);
}

void checkHex(std::uint32_t n) {
  const Text text = pelmora::hexText(n);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", n);
  check(text == buffer, "hexText writes %X", text, buffer);
  check(!text.empty() && text.size() <= 8, "hexText has 1 to 8 digits", text);
  check(text.find_first_not_of("0123456789ABCDEF") == Text::npos, "hexText is upper case", text);
  check(text == "0" || text[0] != '0', "hexText has no leading zero", text);
  char* end = nullptr;
  const unsigned long back = std::strtoul(text.c_str(), &end, 16);
  check(*end == '\0' && back == n, "hexText reads back", text, buffer);
}

void checkColour(std::uint32_t colour) {
  const unsigned red = colour & 0xFFu;
  const unsigned green = (colour >> 8) & 0xFFu;
  const unsigned blue = (colour >> 16) & 0xFFu;
  char rgb[16];
  char hex[16];
  std::snprintf(rgb, sizeof rgb, "%u,%u,%u", red, green, blue);
  std::snprintf(hex, sizeof hex, "#%X%X%X", red, green, blue);
  const pelmora::ColourTexts texts = pelmora::colourToTexts(colour);
  check(texts.rgb == rgb, "RGB text", texts.rgb, rgb);
  check(texts.hex == hex, "HEX text", texts.hex, hex);
  check(pelmora::colourToTexts(colour & 0xFFFFFFu).rgb == texts.rgb, "top byte ignored", texts.rgb);
}

void checkReal(double d) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", d);
  const Text text = pelmora::realToText(d);
  check(text == buffer, "realToText writes %.13g", text, buffer);

  const std::int64_t n = pelmora::realToInt(d);
  constexpr double kTwo63 = 9223372036854775808.0;
  if (std::isnan(d)) {
    check(n == 0, "realToInt of NaN", std::to_string(n));
  } else if (d >= kTwo63) {
    check(n == std::numeric_limits<std::int64_t>::max(), "realToInt saturates", std::to_string(n));
  } else if (d < -kTwo63) {
    check(n == std::numeric_limits<std::int64_t>::min(), "realToInt saturates", std::to_string(n));
  } else {
    // In range: the whole part, closer to zero than d or equal to it.
    const double back = static_cast<double>(n);
    check(back == std::trunc(d), "realToInt truncates", std::to_string(n), buffer);
    check(std::fabs(back) <= std::fabs(d) && std::fabs(d - back) < 1.0,
          "realToInt drops the fraction only", std::to_string(n), buffer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  checkSplit(input, ",");
  checkSplit(input, "");
  if (size >= 1) checkSplit(input.substr(1), input.substr(0, 1));
  if (size >= 2) checkSplit(input.substr(2), input.substr(0, 2));

  checkReading(input);
  for (const auto field : pelmora::splitText(input, ",")) checkReading(field);

  checkInt(takeNumber<std::int32_t>(input, 0));
  checkInt(takeNumber<std::int32_t>(input, size >= 4 ? size - 4 : 0));
  checkHex(takeNumber<std::uint32_t>(input, 0));
  checkColour(takeNumber<std::uint32_t>(input, 0));
  checkColour(takeNumber<std::uint32_t>(input, 4));
  checkReal(takeNumber<double>(input, 0));
  // Whole and half numbers around the range that is written as plain digits.
  const auto whole = takeNumber<std::int64_t>(input, 0) % 40000000000000;
  checkReal(static_cast<double>(whole));
  checkReal(static_cast<double>(whole) / 2.0);
  return 0;
}
