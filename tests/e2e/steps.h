// Steps shared by the end-to-end tests, built on the driver, with failure messages that show what
// the program's window held.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "driver.h"

namespace pelmora::e2e {

using namespace std::chrono_literals;

// Where the cursor rests between steps: bare desktop, away from the program's window (centred on
// the screen) and from the colour windows the tests paint (upper left).
inline constexpr POINT kRest{1500, 900};
inline constexpr POINT kRestNearby{1530, 930};

// The coordinate text the program writes for a point.
std::wstring coordinates(POINT point);

// UTF-8 for failure messages.
std::string utf8(std::wstring_view text);

// Waits until the control's text is `expected`.
::testing::AssertionResult textBecomes(const Pelmora& app, Control id, std::wstring_view expected,
                                       Milliseconds timeout = 3s);

// Lets the program settle (kSettle), then checks that the control's text is `expected`.
::testing::AssertionResult textStays(const Pelmora& app, Control id, std::wstring_view expected);

// Moves the cursor to `point` and waits until 编辑框1 shows its coordinates.
::testing::AssertionResult moveShows(const Pelmora& app, POINT point);

// Moves the cursor to `point` and checks that 编辑框1 keeps what it held before the move.
::testing::AssertionResult moveChangesNothing(const Pelmora& app, POINT point);

// After a start command (a click on 按钮6 or F1): moves the cursor between the rest points until
// a move shows in 编辑框1, i.e. until the hook is in place.
::testing::AssertionResult trackingStarts(const Pelmora& app);

// Checks that the program shows no dialog box (a message box among them): the warnings it gives
// are a sound and a balloon tip, which leave the program to the user.
::testing::AssertionResult showsNoDialog(const Pelmora& app);

// Clicks 按钮6 and waits until tracking runs.
::testing::AssertionResult startTrackingWithClick(const Pelmora& app);

}  // namespace pelmora::e2e
