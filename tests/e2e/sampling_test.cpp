// Colour sampling: stopping tracking reads the screen pixel at the point that 编辑框1 holds and
// shows it as the RGB text (编辑框3) and the HEX text (编辑框4). The driver paints the colours.
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "driver.h"
#include "steps.h"

namespace pelmora::e2e {
namespace {

struct ColourCase {
  const char* name;
  COLORREF colour;
  const wchar_t* rgb;
  const wchar_t* hex;
};

// Components below 16 take one HEX digit, 0 takes "0".
constexpr ColourCase kColours[] = {
    {"red 5 green 10 blue 255", RGB(5, 10, 255), L"5,10,255", L"#5AFF"},
    {"black", RGB(0, 0, 0), L"0,0,0", L"#000"},
    {"0 128 64", RGB(0, 128, 64), L"0,128,64", L"#08040"},
    {"16 15 255", RGB(16, 15, 255), L"16,15,255", L"#10FFF"},
    {"white", RGB(255, 255, 255), L"255,255,255", L"#FFFFFF"},
};

// A row of 100 x 100 colour windows in the upper left of the screen.
RECT swatchRect(int index) {
  const int left = 60 + 130 * index;
  return {left, 60, left + 100, 160};
}

::testing::AssertionResult showsColour(const Pelmora& app, const wchar_t* rgb, const wchar_t* hex) {
  if (auto r = textBecomes(app, Control::editBox3, rgb); !r) return r;
  return textBecomes(app, Control::editBox4, hex);
}

::testing::AssertionResult coloursStay(const Pelmora& app, const std::wstring& rgb,
                                       const std::wstring& hex) {
  if (auto r = textStays(app, Control::editBox3, rgb); !r) return r;
  return textStays(app, Control::editBox4, hex);
}

TEST(Sampling, F2ReadsTheColourUnderTheCursor) {
  std::vector<ColourWindow> swatches;
  for (int i = 0; i < static_cast<int>(std::size(kColours)); ++i) {
    swatches.push_back(paintColourWindow(kColours[i].colour, swatchRect(i)));
    ASSERT_TRUE(swatches.back().shown()) << kColours[i].name;
  }
  Pelmora app;
  ASSERT_TRUE(app.start());
  for (std::size_t i = 0; i < std::size(kColours); ++i) {
    SCOPED_TRACE(kColours[i].name);
    ASSERT_TRUE(startTrackingWithClick(app));
    const POINT point = swatches[i].centre();
    ASSERT_TRUE(moveShows(app, point));
    pressKey(VK_F2);
    EXPECT_TRUE(showsColour(app, kColours[i].rgb, kColours[i].hex));
    // The coordinate text still shows the sampled point, and tracking is off.
    EXPECT_TRUE(moveChangesNothing(app, kRest));
    EXPECT_EQ(app.text(Control::editBox1), coordinates(point));
  }
  EXPECT_EQ(app.close(), 0u);
}

TEST(Sampling, Button7SamplesAPointOnTheButton) {
  const ColourWindow swatch = paintColourWindow(RGB(5, 10, 255), swatchRect(0));
  ASSERT_TRUE(swatch.shown());
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(startTrackingWithClick(app));
  ASSERT_TRUE(moveShows(app, swatch.centre()));
  ASSERT_TRUE(clickControl(app.control(Control::button7)));
  ASSERT_TRUE(waitUntil([&] { return !app.text(Control::editBox3).value_or(L"").empty(); }));

  // The last move before the click ended over the button, so that is the point sampled.
  const auto point = parseCoordinates(app.text(Control::editBox1).value_or(L""));
  ASSERT_TRUE(point.has_value()) << utf8(app.text(Control::editBox1).value_or(L""));
  const RECT button = app.controlRect(Control::button7);
  EXPECT_TRUE(PtInRect(&button, *point)) << utf8(coordinates(*point));
  // A colour of the button, not of the swatch, in both forms alike.
  const std::wstring rgb = app.text(Control::editBox3).value_or(L"");
  unsigned red = 0, green = 0, blue = 0;
  ASSERT_EQ(std::swscanf(rgb.c_str(), L"%u,%u,%u", &red, &green, &blue), 3) << utf8(rgb);
  ASSERT_TRUE(red < 256 && green < 256 && blue < 256) << utf8(rgb);
  EXPECT_EQ(rgbText(RGB(red, green, blue)), rgb);
  EXPECT_NE(rgb, L"5,10,255");
  EXPECT_EQ(app.text(Control::editBox4), hexText(RGB(red, green, blue)));
  EXPECT_TRUE(moveChangesNothing(app, kRest));
  EXPECT_EQ(app.close(), 0u);
}

// Typed coordinate texts: tracking starts with F1 so that no move overwrites the typed text, and
// F2 samples at whatever 编辑框1 holds.
TEST(Sampling, TypedCoordinateTexts) {
  const ColourWindow atFarPoint = paintColourWindow(RGB(0, 128, 64), {100, 420, 160, 480});
  const ColourWindow atCorner = paintColourWindow(RGB(16, 15, 255), {0, 0, 40, 60});
  const ColourWindow swatch = paintColourWindow(RGB(5, 10, 255), swatchRect(1));
  ASSERT_TRUE(atFarPoint.shown() && atCorner.shown() && swatch.shown());
  ASSERT_TRUE(moveMouseTo(kRest.x, kRest.y));

  Pelmora app;
  ASSERT_TRUE(app.start());
  const std::wstring swatchText = coordinates(swatch.centre());
  const struct {
    std::wstring typed;
    const wchar_t* rgb;  // null: the texts keep their values
    const wchar_t* hex;
  } cases[] = {
      {swatchText, L"5,10,255", L"#5AFF"},
      {L"12", nullptr, nullptr},  // no y
      {L"", nullptr, nullptr},    // no field at all
      // Full-width digits, ordinary comma.
      {L"\uFF11\uFF12\uFF13,\uFF14\uFF15\uFF16", L"0,128,64", L"#08040"},
      {L"-5,-5", nullptr, nullptr},            // off the screen: no pixel to read
      {L"12,34,56", L"16,15,255", L"#10FFF"},  // a third field is ignored
      // A full-width comma is a character of its own, no separator: one field.
      {L"\uFF11\uFF12\uFF13\uFF0C\uFF14\uFF15\uFF16", nullptr, nullptr},
      {swatchText + L",", L"5,10,255", L"#5AFF"},
      {L"abc,def", L"16,15,255", L"#10FFF"},  // unreadable numbers read 0: the pixel at 0,0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("typed \"" + utf8(c.typed) + "\"");
    const std::wstring rgbBefore = app.text(Control::editBox3).value_or(L"?");
    const std::wstring hexBefore = app.text(Control::editBox4).value_or(L"?");
    pressKey(VK_F1);
    pumpFor(kSettle);
    ASSERT_TRUE(app.setText(Control::editBox1, c.typed));
    pressKey(VK_F2);
    if (c.rgb != nullptr) {
      EXPECT_TRUE(showsColour(app, c.rgb, c.hex));
    } else {
      EXPECT_TRUE(coloursStay(app, rgbBefore, hexBefore));
    }
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(showsNoDialog(app));
    // F2 ended tracking whatever it found.
    EXPECT_TRUE(moveChangesNothing(app, kRestNearby));
    EXPECT_TRUE(moveChangesNothing(app, kRest));
    EXPECT_EQ(app.text(Control::editBox1), c.typed);
  }
  EXPECT_EQ(app.close(), 0u);
}

TEST(Sampling, StopWhileStoppedChangesNothing) {
  const ColourWindow first = paintColourWindow(RGB(0, 128, 64), swatchRect(0));
  const ColourWindow second = paintColourWindow(RGB(16, 15, 255), swatchRect(1));
  ASSERT_TRUE(first.shown() && second.shown());
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(startTrackingWithClick(app));
  ASSERT_TRUE(moveShows(app, first.centre()));
  pressKey(VK_F2);
  ASSERT_TRUE(showsColour(app, L"0,128,64", L"#08040"));

  // A point of another colour in 编辑框1: a stop that sampled would show it.
  const std::wstring elsewhere = coordinates(second.centre());
  ASSERT_TRUE(app.setText(Control::editBox1, elsewhere));
  pressKey(VK_F2);
  EXPECT_TRUE(coloursStay(app, L"0,128,64", L"#08040"));
  ASSERT_TRUE(clickControl(app.control(Control::button7)));
  EXPECT_TRUE(coloursStay(app, L"0,128,64", L"#08040"));
  EXPECT_EQ(app.text(Control::editBox1), elsewhere);
  EXPECT_EQ(app.close(), 0u);
}

// The program's reading against the X screen itself: ImageMagick reads the same pixels straight
// from the X server, outside Wine's GDI. It runs as a Unix program started from the driver (Wine
// starts a non-Windows executable as a Unix process), so the colour window and the program stay
// up while it looks.
TEST(Sampling, AgreesWithTheXScreen) {
  const ColourWindow swatch = paintColourWindow(RGB(16, 15, 255), swatchRect(2));
  ASSERT_TRUE(swatch.shown());
  Pelmora app;
  ASSERT_TRUE(app.start());
  // A painted colour, the bare desktop, and a pixel of the program's own window.
  const RECT label = app.controlRect(Control::label1);
  const POINT points[] = {swatch.centre(), {1700, 1000}, {label.left + 2, label.top + 2}};
  for (const POINT point : points) {
    SCOPED_TRACE(utf8(coordinates(point)));
    ASSERT_TRUE(startTrackingWithClick(app));
    ASSERT_TRUE(moveShows(app, point));
    pressKey(VK_F2);
    ASSERT_TRUE(waitUntil([&] { return !app.text(Control::editBox3).value_or(L"").empty(); }));
    pumpFor(kSettle);
    const auto x = xScreenPixel(point.x, point.y);
    ASSERT_TRUE(x.has_value()) << "ImageMagick could not read the X screen";
    EXPECT_EQ(app.text(Control::editBox3), rgbText(*x));
    EXPECT_EQ(app.text(Control::editBox4), hexText(*x));
    ASSERT_TRUE(app.setText(Control::editBox3, L""));
  }
  EXPECT_EQ(app.close(), 0u);
}

}  // namespace
}  // namespace pelmora::e2e
