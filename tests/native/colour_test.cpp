// The RGB and HEX texts of a screen colour. Colours are COLORREF values (red in the low byte), and
// the cases use different values for red, green and blue so that a swapped component shows.
#include "readouts/colour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ios>
#include <ostream>

namespace pelmora {
namespace {

struct ColourCase {
  const char* name;
  std::uint32_t colour;
  const char* rgb;
  const char* hex;
};

void PrintTo(const ColourCase& c, std::ostream* os) {
  *os << c.name << ": 0x" << std::hex << c.colour;
}

class ColourToTextsTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourToTextsTest, WritesRgbAndHex) {
  const ColourCase& c = GetParam();
  const ColourTexts texts = colourToTexts(c.colour);
  EXPECT_EQ(texts.rgb, c.rgb);
  EXPECT_EQ(texts.hex, c.hex);
}

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return r | (g << 8) | (b << 16);
}

const ColourCase kColourCases[] = {
    {"Red5Green10Blue255", 0x00FF0A05u, "5,10,255", "#5AFF"},
    {"Black", rgb(0, 0, 0), "0,0,0", "#000"},
    {"White", rgb(255, 255, 255), "255,255,255", "#FFFFFF"},
    {"Green128Blue64", rgb(0, 128, 64), "0,128,64", "#08040"},
    {"Sixteen15And255", rgb(16, 15, 255), "16,15,255", "#10FFF"},
    {"RedOnly", rgb(255, 0, 0), "255,0,0", "#FF00"},
    {"GreenOnly", rgb(0, 255, 0), "0,255,0", "#0FF0"},
    {"BlueOnly", rgb(0, 0, 255), "0,0,255", "#00FF"},
    {"HighBitsOfEachComponent", rgb(128, 129, 130), "128,129,130", "#808182"},
    // Bits 24 to 31 are no part of the colour.
    {"TopByteIgnored", 0xFF000000u | 0x00FF0A05u, "5,10,255", "#5AFF"},
    {"TopBitIgnored", 0x80000000u | rgb(1, 2, 3), "1,2,3", "#123"},
    // An unreadable pixel (CLR_INVALID, every bit set) reads as white.
    {"InvalidReadsAsWhite", 0xFFFFFFFFu, "255,255,255", "#FFFFFF"},
};

INSTANTIATE_TEST_SUITE_P(Table, ColourToTextsTest, ::testing::ValuesIn(kColourCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelmora
