// Turns a screen colour into the RGB and HEX texts shown in the main window.
#pragma once

#include <cstdint>

#include "readouts/text.h"

namespace pelmora {

struct ColourTexts {
  Text rgb;  // "r,g,b" in decimal
  Text hex;  // "#" and each component in upper-case hexadecimal without leading zeros
};

// `colour` is laid out as a COLORREF: red in bits 0-7, green 8-15, blue 16-23.
ColourTexts colourToTexts(std::uint32_t colour);

}  // namespace pelmora
