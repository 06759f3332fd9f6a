// The text operations against tables of cases. Code page 936 bytes are written as escapes so that
// the sources stay plain ASCII: "\xA3\xB1" is the full-width digit one, "\xA1\xA1" the
// ideographic space, "\xA3\xAC" the full-width comma, "\xA3\xAD" the full-width minus.
#include "readouts/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace pelmora {
namespace {

using namespace std::string_literals;

// Shows a byte string with its non-printable bytes as \xNN, so a failing case is readable.
std::string printable(std::string_view s) {
  std::string out = "\"";
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\' && b != '"') {
      out.push_back(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", b);
      out += buffer;
    }
  }
  return out + "\"";
}

// ---------------------------------------------------------------------------------------------
// splitText

struct SplitCase {
  const char* name;
  std::string text;
  std::string separator;
  std::vector<std::string> fields;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << c.name << ": " << printable(c.text) << " by " << printable(c.separator);
}

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, GivesTheFieldsAsViewsIntoTheText) {
  const SplitCase& c = GetParam();
  const auto fields = splitText(c.text, c.separator);
  std::vector<std::string> got;
  for (const auto f : fields) {
    got.emplace_back(f);
    // Every field is a range of the caller's text, not a copy.
    EXPECT_GE(f.data(), c.text.data());
    EXPECT_LE(f.data() + f.size(), c.text.data() + c.text.size());
  }
  EXPECT_EQ(got, c.fields) << "text " << printable(c.text);
}

const SplitCase kSplitCases[] = {
    {"Empty", "", ",", {}},
    {"OneField", "12", ",", {"12"}},
    {"TwoFields", "12,34", ",", {"12", "34"}},
    {"TrailingSeparatorAddsNoField", "12,34,", ",", {"12", "34"}},
    {"LeadingSeparatorGivesEmptyField", ",34", ",", {"", "34"}},
    {"SeparatorAloneIsOneEmptyField", ",", ",", {""}},
    {"TwoSeparatorsAreTwoEmptyFields", ",,", ",", {"", ""}},
    {"SeparatorsInARowGiveEmptyField", "1,,2", ",", {"1", "", "2"}},
    {"ThreeFields", "1,2,3", ",", {"1", "2", "3"}},
    {"NoSeparator", "abc def", ",", {"abc def"}},
    // 0x81 0x2C is one double-byte character whose second byte happens to be ','.
    {"CommaAsTrailByteDoesNotSplit", "\x81\x2C", ",", {"\x81\x2C"}},
    {"CommaAsTrailByteInsideField", "1\x81,2,3", ",", {"1\x81,2", "3"}},
    {"LeadByteAsTrailByte", "\x81\x81,2", ",", {"\x81\x81", "2"}},
    {"TrailByteCommaThenSeparator", "\x81,,", ",", {"\x81,"}},
    {"LoneLeadByteAtEnd", "12,\x81", ",", {"12", "\x81"}},
    {"LoneLeadByteAlone", "\x81", ",", {"\x81"}},
    {"LoneLeadByteAfterField", "12\x81", ",", {"12\x81"}},
    {"FullWidthCommaIsNoSeparator",
     "\xA3\xB1\xA3\xB2\xA3\xAC\xA3\xB3",
     ",",
     {"\xA3\xB1\xA3\xB2\xA3\xAC\xA3\xB3"}},
    {"FullWidthDigitsWithOrdinaryComma",
     "\xA3\xB1\xA3\xB2\xA3\xB3,\xA3\xB4\xA3\xB5\xA3\xB6",
     ",",
     {"\xA3\xB1\xA3\xB2\xA3\xB3", "\xA3\xB4\xA3\xB5\xA3\xB6"}},
    {"NulBytesAreOrdinary", "1\0,\0"s, ",", {"1\0"s, "\0"s}},
    {"EmptySeparatorGivesWholeText", "1,2", "", {"1,2"}},
    {"TwoByteSeparator", "a::b::", "::", {"a", "b"}},
    {"TwoByteSeparatorOverlapping", ":::", "::", {"", ":"}},
    {"SeparatorLongerThanText", "ab", "abc", {"ab"}},
    {"SeparatorEqualsText", "ab", "ab", {""}},
    // A double-byte separator is found only where a character starts.
    {"DoubleByteSeparator",
     "1\xA3\xAC"
     "2",
     "\xA3\xAC",
     {"1", "2"}},
    {"DoubleByteSeparatorAcrossCharacters", "\xB0\xA3\xAC\xB0", "\xA3\xAC", {"\xB0\xA3\xAC\xB0"}},
};

INSTANTIATE_TEST_SUITE_P(Table, SplitTextTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// textToInt

struct IntCase {
  const char* name;
  std::string text;
  std::int32_t value;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name << ": " << printable(c.text); }

class TextToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TextToIntTest, ReadsTheLeadingNumber) {
  const IntCase& c = GetParam();
  EXPECT_EQ(textToInt(c.text), c.value) << "text " << printable(c.text);
}

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const IntCase kIntCases[] = {
    {"Plain", "123", 123},
    {"Zero", "0", 0},
    {"LeadingZeros", "00012", 12},
    {"BlanksSignAndTrailingLetters", "  -45abc", -45},
    {"EveryBlankByte", "\t\n\v\f\r 8", 8},
    {"OtherControlByteIsNoBlank",
     "\x1C"
     "5",
     0},
    {"NulIsNoBlank",
     "\0"
     "5"s,
     0},
    {"Letters", "abc", 0},
    {"Empty", "", 0},
    {"Plus", "+7", 7},
    {"SignAlone", "-", 0},
    {"BlankAfterSign", "- 7", 0},
    {"TwoSigns", "+-7", 0},
    {"StopsAtPoint", "12.9", 12},
    {"StopsAtComma", "12,34", 12},
    {"Max", "2147483647", kMax},
    {"Min", "-2147483648", kMin},
    {"WrapsPastMax", "2147483648", kMin},
    {"WrapsPastMin", "-2147483649", kMax},
    {"WrapsAt2To32", "4294967296", 0},
    {"WrapsAt2To32Plus1", "4294967297", 1},
    {"MinusWrapsAt2To32Plus1", "-4294967297", -1},
    {"TwentyDigits", "99999999999999999999", 1661992959},  // 10^20 - 1 modulo 2^32
    {"IdeographicSpace",
     "\xA1\xA1"
     "12",
     12},
    {"IdeographicSpacesAndMinus", "\xA1\xA1\xA1\xA1-3", -3},
    {"FullWidthDigits", "\xA3\xB1\xA3\xB2\xA3\xB3", 123},
    {"FullWidthDigitsThenFullWidthComma",
     "\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xAC\xA3\xB4\xA3\xB5\xA3\xB6", 123},
    {"FullWidthMinus", "\xA3\xAD\xA3\xB1\xA3\xB2", -12},
    {"FullWidthPlus",
     "\xA3\xAB"
     "7",
     7},
    {"MixedWidthDigits",
     "1\xA3\xB2"
     "3",
     123},
    {"FullWidthZeroAndNine", "\xA3\xB9\xA3\xB0", 90},
    {"WhiteStarIsNoDigit",
     "\xA1\xEE"
     "5",
     0},
    {"BlackStarIsNoDigit",
     "\xA1\xEF"
     "5",
     0},
    {"FullWidthTildeIsNoDigit",
     "\xA1\xAB"
     "5",
     0},
    {"StarEndsNumber",
     "5\xA1\xEE"
     "5",
     5},
    {"A3A0IsNoSpace",
     "\xA3\xA0"
     "5",
     0},
    {"OtherDoubleByteIsNoBlank",
     "\xB0\xA1"
     "5",
     0},
    // A lead byte takes the next byte with it, even a digit.
    {"LeadByteSwallowsDigit",
     "\x81"
     "12",
     0},
    {"LoneLeadByteAtEndIsDropped", "12\x81", 12},
    {"LoneLeadByteAloneIsDropped", "\x81", 0},
};

INSTANTIATE_TEST_SUITE_P(Table, TextToIntTest, ::testing::ValuesIn(kIntCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The writers

TEST(IntToText, WritesPlainDecimal) {
  const struct {
    std::int32_t n;
    const char* text;
  } cases[] = {{0, "0"},   {15, "15"},           {16, "16"},           {255, "255"},
               {-1, "-1"}, {kMax, "2147483647"}, {kMin, "-2147483648"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(intToText(c.n), c.text);
    EXPECT_EQ(textToInt(intToText(c.n)), c.n);
  }
}

TEST(RealToText, WritesThirteenSignificantDigits) {
  const struct {
    double d;
    const char* text;
  } cases[] = {
      {0.0, "0"},
      {-0.0, "-0"},
      {15.0, "15"},
      {16.0, "16"},
      {255.0, "255"},
      {-1.0, "-1"},
      {2.5, "2.5"},
      {-0.125, "-0.125"},
      {9999999999999.0, "9999999999999"},  // thirteen digits stay plain
      {1e13, "1e+13"},
      {1.0 / 3.0, "0.3333333333333"},
      {1e-5, "1e-05"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(realToText(c.d), c.text);
  }
}

TEST(HexText, WritesUpperCaseWithoutLeadingZeros) {
  const struct {
    std::uint32_t n;
    const char* text;
  } cases[] = {{0, "0"},
               {5, "5"},
               {10, "A"},
               {15, "F"},
               {16, "10"},
               {255, "FF"},
               {0xABCDEF, "ABCDEF"},
               {0x80000000u, "80000000"},
               {0xFFFFFFFFu, "FFFFFFFF"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(hexText(c.n), c.text);
  }
}

// The readout writes each colour component with intToText or realToText and reads it back with
// textToNumber for its HEX digits: every byte value has to survive that trip unchanged.
TEST(TextToNumber, ReadsEveryComponentTextBackExactly) {
  for (int k = 0; k <= 255; ++k) {
    SCOPED_TRACE(k);
    const Text asInt = intToText(k);
    const Text asReal = realToText(static_cast<double>(k));
    EXPECT_EQ(asInt, asReal);
    EXPECT_EQ(asInt, std::to_string(k));
    EXPECT_EQ(textToNumber(asInt), static_cast<double>(k));
    EXPECT_EQ(textToNumber(asReal), static_cast<double>(k));
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(k));
    EXPECT_EQ(hexText(static_cast<std::uint32_t>(realToInt(textToNumber(asReal)))), hex);
  }
}

TEST(RealToInt, TruncatesTowardZeroAndSaturates) {
  constexpr auto kMax64 = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin64 = std::numeric_limits<std::int64_t>::min();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct {
    double d;
    std::int64_t n;
  } cases[] = {
      {2.9, 2},
      {-2.9, -2},
      {0.5, 0},
      {-0.5, 0},
      {-0.0, 0},
      {255.0, 255},
      {4294967295.0, 4294967295},
      {4503599627370495.5, 4503599627370495},        // 2^52 - 0.5
      {9223372036854774784.0, 9223372036854774784},  // the largest double below 2^63
      {-9223372036854775808.0, kMin64},              // -2^63 is in range
      {9223372036854775808.0, kMax64},               // 2^63 is not
      {1e300, kMax64},
      {-1e300, kMin64},
      {kInf, kMax64},
      {-kInf, kMin64},
      {std::numeric_limits<double>::quiet_NaN(), 0},
      {-std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.d);
    EXPECT_EQ(realToInt(c.d), c.n);
  }
}

TEST(ConcatTexts, JoinsInOrderWithNothingBetween) {
  EXPECT_EQ(concatTexts({"#", "5", "A", "FF"}), "#5AFF");
  EXPECT_EQ(concatTexts({"", "", ""}), "");
  EXPECT_EQ(concatTexts({"", "12", "", ",", "34", ""}), "12,34");
  EXPECT_EQ(concatTexts({"\xA3\xB1", "\x81", "\x2C"}), "\xA3\xB1\x81\x2C");
  EXPECT_EQ(concatTexts({"a\0b"s, "\0"s}), "a\0b\0"s);
}

// ---------------------------------------------------------------------------------------------
// Coordinate text

TEST(FormatCoordinateText, WritesXCommaYWithinItsCapacity) {
  const struct {
    std::int32_t x;
    std::int32_t y;
    const char* text;
  } cases[] = {
      {0, 0, "0,0"},
      {1919, 1079, "1919,1079"},
      {-1280, 300, "-1280,300"},
      {300, -1280, "300,-1280"},
      {kMax, kMax, "2147483647,2147483647"},
      {kMin, kMin, "-2147483648,-2147483648"},  // the longest text: 23 bytes
      {kMin, kMax, "-2147483648,2147483647"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    // Bytes past the capacity must stay untouched.
    char buffer[kCoordinateTextCapacity + 8];
    std::memset(buffer, 0x5A, sizeof buffer);
    const std::size_t length = formatCoordinateText(c.x, c.y, buffer);
    ASSERT_LE(length, kCoordinateTextCapacity);
    EXPECT_EQ(std::string_view(buffer, length), c.text);
    for (std::size_t i = kCoordinateTextCapacity; i < sizeof buffer; ++i) {
      EXPECT_EQ(buffer[i], 0x5A) << "byte " << i;
    }
    // The readers give the position back.
    const auto fields = splitText(std::string_view(buffer, length), ",");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(textToInt(fields[0]), c.x);
    EXPECT_EQ(textToInt(fields[1]), c.y);
  }
}

}  // namespace
}  // namespace pelmora
