#include "readouts/colour.h"

namespace pelmora {

ColourTexts colourToTexts(std::uint32_t colour) {
  // Green and blue are taken through a real division, as the readout has always done; for the
  // byte values a colour holds the division is exact and the digits equal the integer ones.
  const Text red = intToText(static_cast<std::int32_t>(colour & 0xFFu));
  const Text green =
      realToText(static_cast<double>(static_cast<std::int32_t>(colour & 0xFF00u)) / 256.0);
  const Text blue =
      realToText(static_cast<double>(static_cast<std::int32_t>(colour & 0xFF0000u)) / 65536.0);

  ColourTexts texts;
  texts.rgb = concatTexts({red, ",", green, ",", blue});

  const auto digits = [](const Text& component) {
    return hexText(static_cast<std::uint32_t>(realToInt(textToNumber(component))));
  };
  texts.hex = concatTexts({"#", digits(red), digits(green), digits(blue)});
  return texts;
}

}  // namespace pelmora
