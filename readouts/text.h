// Text operations on code page 936 byte strings: the coordinate, RGB and HEX texts and the
// readers that take them apart. Pure functions, free of any platform header, so they build and
// test on any host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// A text is a byte string in code page 936: a byte of 0x80 or above opens a double-byte
// character whose second byte is the byte after it. An empty text and an absent text are the same.
using Text = std::string;

// Splits at every occurrence of the separator that does not lie inside a double-byte character.
// Each field is a view into `text`. An empty text gives no field; a trailing separator adds no
// field, a leading separator or two in a row give an empty field. An empty separator gives the
// whole text as one field.
std::vector<std::string_view> splitText(std::string_view text, std::string_view separator);

// Maps full-width forms (A3A1..A3FE), the ideographic space and a few look-alikes to their single
// byte; drops a lone lead byte at the very end; keeps every other byte.
Text normaliseText(std::string_view text);

// Reads an optionally signed decimal integer after leading white space (0x09..0x0D, 0x20), in
// 32-bit arithmetic that wraps around modulo 2^32. No digit gives 0.
std::int32_t textToInt(std::string_view text);

// Reads a decimal number (with an optional fraction and exponent) after normalisation; what
// cannot be read gives 0.
double textToNumber(std::string_view text);

Text intToText(std::int32_t n);    // "%d"
Text realToText(double d);         // "%.13g"
Text hexText(std::uint32_t n);     // "%X"
std::int64_t realToInt(double d);  // truncation toward zero, saturating outside the 64-bit range
Text concatTexts(std::initializer_list<std::string_view> texts);

// Writes "x,y" into `out` (at least kCoordinateTextCapacity bytes) and returns its length. The
// mouse hook calls this on every movement, so it allocates nothing.
inline constexpr std::size_t kCoordinateTextCapacity = 24;
std::size_t formatCoordinateText(std::int32_t x, std::int32_t y, char* out);

}  // namespace pelmora
