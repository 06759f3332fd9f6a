// The system-wide hotkeys: F1 starts tracking and F2 stops and samples, from anywhere on the
// desktop, pressed through the real keyboard input.
#include <gtest/gtest.h>

#include <vector>

#include "driver.h"
#include "steps.h"

namespace pelmora::e2e {
namespace {

bool sampled(const Pelmora& app) { return !app.text(Control::editBox3).value_or(L"").empty(); }

TEST(Hotkeys, F1StartsAndF2StopsAndSamples) {
  const ColourWindow green = paintColourWindow(RGB(0, 128, 64), {60, 60, 160, 160});
  const ColourWindow blue = paintColourWindow(RGB(16, 15, 255), {190, 60, 290, 160});
  ASSERT_TRUE(green.shown() && blue.shown());
  Pelmora app;
  ASSERT_TRUE(app.start());
  pressKey(VK_F1);
  ASSERT_TRUE(trackingStarts(app));
  for (const POINT point : {POINT{400, 300}, POINT{1800, 50}, green.centre()}) {
    EXPECT_TRUE(moveShows(app, point));
  }
  // F1 while tracking: no sample, tracking goes on.
  pressKey(VK_F1);
  EXPECT_TRUE(textStays(app, Control::editBox3, L""));
  EXPECT_TRUE(moveShows(app, {green.centre().x + 5, green.centre().y}));

  pressKey(VK_F2);
  EXPECT_TRUE(textBecomes(app, Control::editBox3, L"0,128,64"));
  EXPECT_TRUE(textBecomes(app, Control::editBox4, L"#08040"));
  // F2 while stopped: another colour's point in 编辑框1 is not sampled.
  ASSERT_TRUE(app.setText(Control::editBox1, coordinates(blue.centre())));
  pressKey(VK_F2);
  EXPECT_TRUE(textStays(app, Control::editBox3, L"0,128,64"));
  EXPECT_TRUE(textStays(app, Control::editBox4, L"#08040"));
  // The second F1 added no hook: nothing follows the mouse after one stop.
  EXPECT_TRUE(moveChangesNothing(app, kRest));
  EXPECT_EQ(app.close(), 0u);
}

TEST(Hotkeys, HeldF1InstallsOneHook) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  // Auto-repeat: key-downs without a key-up in between, then one key-up.
  for (int i = 0; i < 5; ++i) {
    keyDown(VK_F1);
    pumpFor(40ms);
  }
  keyUp(VK_F1);
  ASSERT_TRUE(trackingStarts(app));
  pressKey(VK_F2);
  ASSERT_TRUE(waitUntil([&] { return sampled(app); }));
  EXPECT_TRUE(moveChangesNothing(app, kRest));
  EXPECT_TRUE(moveChangesNothing(app, {200, 700}));
  EXPECT_EQ(app.close(), 0u);
}

TEST(Hotkeys, SecondCopyComesUpSilentlyAndKeepsItsButtons) {
  const ColourWindow green = paintColourWindow(RGB(0, 128, 64), {60, 60, 160, 160});
  ASSERT_TRUE(green.shown());
  Pelmora first;
  ASSERT_TRUE(first.start());
  Pelmora second;
  ASSERT_TRUE(second.start());
  // Both windows come up in the same place: move the second copy's aside.
  ASSERT_TRUE(SetWindowPos(second.mainWindow(), nullptr, 300, 650, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  pumpFor(kSettle);
  // No message about the keys it could not have: its main window is all it shows.
  EXPECT_EQ(second.visibleTopLevelWindows(), std::vector<HWND>{second.mainWindow()});

  // F1 acts on the first copy only.
  pressKey(VK_F1);
  ASSERT_TRUE(trackingStarts(first));
  EXPECT_TRUE(textStays(second, Control::editBox1, L""));

  // The second copy's own button starts it.
  ASSERT_TRUE(startTrackingWithClick(second));
  ASSERT_TRUE(moveShows(first, green.centre()));
  EXPECT_TRUE(textBecomes(second, Control::editBox1, coordinates(green.centre())));

  // F2 stops and samples in the first copy only; the second goes on tracking.
  pressKey(VK_F2);
  EXPECT_TRUE(textBecomes(first, Control::editBox3, L"0,128,64"));
  EXPECT_TRUE(moveShows(second, {green.centre().x, green.centre().y + 20}));
  EXPECT_EQ(first.text(Control::editBox1), coordinates(green.centre()));
  EXPECT_EQ(second.text(Control::editBox3), L"");

  // Its 按钮7 stops it.
  ASSERT_TRUE(clickControl(second.control(Control::button7)));
  EXPECT_TRUE(waitUntil([&] { return sampled(second); }));
  EXPECT_TRUE(moveChangesNothing(second, kRest));
  EXPECT_EQ(first.text(Control::editBox3), L"0,128,64");

  EXPECT_EQ(second.close(), 0u);
  EXPECT_EQ(first.close(), 0u);
}

TEST(Hotkeys, ReleasedWhenTheProgramCloses) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  {
    const DriverHotkey f1(VK_F1);
    const DriverHotkey f2(VK_F2);
    EXPECT_FALSE(f1.held());
    EXPECT_FALSE(f2.held());
  }
  EXPECT_EQ(app.close(), 0u);
  const DriverHotkey f1(VK_F1);
  const DriverHotkey f2(VK_F2);
  EXPECT_TRUE(f1.held());
  EXPECT_TRUE(f2.held());
  pressKey(VK_F1);
  pressKey(VK_F2);
  EXPECT_TRUE(waitUntil([&] { return f1.presses() == 1 && f2.presses() == 1; }));
}

TEST(Hotkeys, F1TakenBeforeStart) {
  const ColourWindow green = paintColourWindow(RGB(0, 128, 64), {60, 60, 160, 160});
  ASSERT_TRUE(green.shown());
  const DriverHotkey f1(VK_F1);
  ASSERT_TRUE(f1.held());
  Pelmora app;
  ASSERT_TRUE(app.start());
  EXPECT_EQ(app.visibleTopLevelWindows(), std::vector<HWND>{app.mainWindow()});

  // F1 goes to its holder and starts nothing.
  pressKey(VK_F1);
  EXPECT_TRUE(waitUntil([&] { return f1.presses() == 1; }));
  EXPECT_TRUE(moveChangesNothing(app, kRest));
  EXPECT_EQ(app.text(Control::editBox1), L"");

  // 按钮6 starts, F2 still stops.
  ASSERT_TRUE(startTrackingWithClick(app));
  ASSERT_TRUE(moveShows(app, green.centre()));
  pressKey(VK_F2);
  EXPECT_TRUE(textBecomes(app, Control::editBox3, L"0,128,64"));
  EXPECT_TRUE(moveChangesNothing(app, kRest));
  EXPECT_EQ(app.close(), 0u);
}

}  // namespace
}  // namespace pelmora::e2e
