// Cursor tracking, worked with the real mouse: 按钮6 starts it, every move shows in 编辑框1.
#include <gtest/gtest.h>

#include <functional>

#include "driver.h"
#include "steps.h"

namespace pelmora::e2e {
namespace {

TEST(Tracking, EveryMoveShowsTheCursorPosition) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(startTrackingWithClick(app));
  const int right = GetSystemMetrics(SM_CXSCREEN) - 1;
  const int bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
  // Corners and edges of the screen, points inside, and one over the program's own window.
  const POINT points[] = {{0, 0},      {right, bottom}, {1, 1},    {right, 0},
                          {0, bottom}, {517, 263},      {10, 999}, centreOf(app.mainWindow()),
                          {1234, 56}};
  for (const POINT point : points) {
    EXPECT_TRUE(moveShows(app, point));
  }
  EXPECT_EQ(app.close(), 0u);
}

TEST(Tracking, ButtonsAndWheelChangeNothing) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(startTrackingWithClick(app));
  ASSERT_TRUE(moveShows(app, kRest));  // bare desktop
  // Only movements write: a text that no movement wrote must survive every press and turn.
  ASSERT_TRUE(app.setText(Control::editBox1, L"no movement"));
  const struct {
    const char* name;
    std::function<void()> act;
  } actions[] = {
      {"left button",
       [] {
         mouseButton(MouseButton::left, true);
         mouseButton(MouseButton::left, false);
       }},
      {"right button",
       [] {
         mouseButton(MouseButton::right, true);
         mouseButton(MouseButton::right, false);
       }},
      {"middle button",
       [] {
         mouseButton(MouseButton::middle, true);
         mouseButton(MouseButton::middle, false);
       }},
      {"left button held", [] { mouseButton(MouseButton::left, true); }},
      {"left button let go", [] { mouseButton(MouseButton::left, false); }},
      {"wheel up", [] { turnWheel(WHEEL_DELTA); }},
      {"wheel down", [] { turnWheel(-3 * WHEEL_DELTA); }},
      {"tilt wheel", [] { turnWheel(WHEEL_DELTA, true); }},
  };
  for (const auto& action : actions) {
    SCOPED_TRACE(action.name);
    action.act();
    EXPECT_TRUE(textStays(app, Control::editBox1, L"no movement"));
  }
  EXPECT_TRUE(app.running());
  // Tracking went on all the while.
  EXPECT_TRUE(moveShows(app, kRestNearby));
  EXPECT_EQ(app.close(), 0u);
}

TEST(Tracking, SecondStartAddsNoSecondHook) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(clickControl(app.control(Control::button6)));
  ASSERT_TRUE(startTrackingWithClick(app));
  // One stop removes the one hook: the click on 按钮7 samples the point on the button, and no
  // move is shown after it.
  ASSERT_TRUE(clickControl(app.control(Control::button7)));
  ASSERT_TRUE(waitUntil([&] { return !app.text(Control::editBox3).value_or(L"").empty(); }));
  EXPECT_TRUE(moveChangesNothing(app, kRest));
  EXPECT_TRUE(moveChangesNothing(app, {100, 100}));
  EXPECT_EQ(app.close(), 0u);
}

TEST(Tracking, TypedTextGivesWayToTheNextMove) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(startTrackingWithClick(app));
  ASSERT_TRUE(app.setText(Control::editBox1, L"typed 12,34"));
  EXPECT_TRUE(textStays(app, Control::editBox1, L"typed 12,34"));
  EXPECT_TRUE(moveShows(app, {640, 360}));
  EXPECT_EQ(app.close(), 0u);
}

TEST(Tracking, ClosingWhileTrackingEndsCleanly) {
  Pelmora app;
  ASSERT_TRUE(app.start());
  ASSERT_TRUE(startTrackingWithClick(app));
  EXPECT_EQ(app.close(), 0u);
  // The hook went with the window: the desktop's mouse goes on working.
  for (const POINT point : {POINT{300, 300}, kRest, POINT{0, 0}, kRestNearby}) {
    EXPECT_TRUE(moveMouseTo(point.x, point.y));
  }
  EXPECT_TRUE(clickAt(kRest.x, kRest.y));
}

}  // namespace
}  // namespace pelmora::e2e
