// The control properties the commands use: the text of an edit box in code page 936 bytes
// whatever the system's code page, the tick of the check box, and keeping the window on top.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testing.h"
#include "window/main_window.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using CN = ControlName;

std::string repeat(std::string_view unit, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}
std::wstring repeat(std::wstring_view unit, std::size_t times) {
  std::wstring out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

// Equality of two texts, reported by their lengths and first difference rather than in full.
template <typename String>
::testing::AssertionResult sameText(const String& actual, const String& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure()
         << "lengths " << actual.size() << " and " << expected.size() << ", first difference at "
         << at << ": " << ::testing::PrintToString(actual.substr(at, 12)) << " instead of "
         << ::testing::PrintToString(expected.substr(at, 12));
}

struct TextCase {
  const char* what;
  std::string bytes;   // code page 936
  std::wstring shown;  // what the edit box holds
};

const std::vector<TextCase>& textCases() {
  static const std::vector<TextCase> cases{
      {"ASCII coordinates", "123,456", L"123,456"},
      {"full-width digits and a comma", "\xA3\xB1\xA3\xB2\xA3\xB3,\xA3\xB4\xA3\xB5\xA3\xB6",
       L"１２３,４５６"},
      {"Chinese", "\xCA\xF3\xB1\xEA\xD7\xF8\xB1\xEA\xA3\xBA", L"鼠标坐标："},
      {"Chinese mixed with ASCII",
       "\xD1\xD5\xC9\xAB"
       "RGB\xA3\xBA",
       L"颜色RGB："},
      {"empty", "", L""},
      {"63 ASCII bytes", std::string(63, '7'), std::wstring(63, L'7')},
      {"64 ASCII bytes", std::string(64, '8'), std::wstring(64, L'8')},
      {"ASCII ending in a double-byte character", std::string(61, '9') + "\xCA\xF3",
       std::wstring(61, L'9') + L"鼠"},
      {"100000 bytes", repeat("12,\xCA\xF3", 20000), repeat(L"12,鼠", 20000)},
  };
  return cases;
}

TEST(TextProperty, ReadsBackWhatWasWrittenAndShowsItAsChinese) {
  std::printf("ANSI code page: %u\n", GetACP());
  ::testing::Test::RecordProperty("AnsiCodePage", static_cast<int>(GetACP()));
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  for (const ControlName box : {CN::editBox1, CN::editBox3, CN::editBox4}) {
    EXPECT_EQ(readText(box), "") << static_cast<int>(box);
    for (const TextCase& c : textCases()) {
      SCOPED_TRACE(c.what);
      // Whatever the box held before is replaced as a whole.
      writeText(box, "x,y");
      writeText(box, c.bytes);
      EXPECT_TRUE(sameText(readText(box), c.bytes)) << static_cast<int>(box);
      EXPECT_TRUE(sameText(testing::windowTextW(controlWindow(box)), c.shown))
          << static_cast<int>(box);
    }
    writeText(box, "5,5");
    writeText(box, std::string_view{});
    EXPECT_EQ(readText(box), "") << "absent text";
  }
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

TEST(TextProperty, ReadsWhatTheUserTyped) {
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  ASSERT_TRUE(testing::bringToForeground());
  ASSERT_EQ(GetFocus(), controlWindow(CN::editBox1));
  testing::typeText(L"12,鼠标");
  const std::string expected = "12,\xCA\xF3\xB1\xEA";
  EXPECT_TRUE(testing::pumpUntil([&] { return readText(CN::editBox1) == expected; }))
      << readText(CN::editBox1);
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

std::vector<std::int32_t>& checkedInHandler() {
  static std::vector<std::int32_t> log;
  return log;
}

TEST(CheckedProperty, FollowsTheTickAndAlreadyShowsAClickInItsHandler) {
  static constexpr ClickBinding kClicks[] = {
      {CN::checkBox1, [] { checkedInHandler().push_back(readChecked(CN::checkBox1)); }}};
  static const EventBindings bindings{nullptr, nullptr, kClicks, {}};
  ASSERT_TRUE(testing::startMainWindow(bindings));
  const HWND box = controlWindow(CN::checkBox1);
  EXPECT_EQ(readChecked(CN::checkBox1), 0);
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(readChecked(CN::checkBox1), 1);
  SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(readChecked(CN::checkBox1), 0);
  EXPECT_TRUE(checkedInHandler().empty());

  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(readChecked(CN::checkBox1), 1);
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_EQ(readChecked(CN::checkBox1), 0);
  EXPECT_EQ(checkedInHandler(), (std::vector<std::int32_t>{1, 0}));
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Whether `upper` lies above `lower` in the stacking order of top-level windows.
bool isAbove(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

TEST(AlwaysOnTopProperty, ChangesOnlyTheStackingOrder) {
  ASSERT_TRUE(testing::startMainWindow(testing::noHandlers()));
  const HWND main = mainWindow();
  // Another window has the activation; keeping the main window on top must not take it.
  WNDCLASSW cls{};
  cls.lpfnWndProc = plainProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"PelmoraTestOther";
  ASSERT_NE(RegisterClassW(&cls), 0);
  const HWND other =
      CreateWindowExW(0, cls.lpszClassName, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 200,
                      100, nullptr, nullptr, cls.hInstance, nullptr);
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(testing::pumpUntil([other] { return GetForegroundWindow() == other; }));
  RECT before;
  GetWindowRect(main, &before);

  for (const bool onTop : {true, false, true}) {
    SCOPED_TRACE(onTop);
    writeAlwaysOnTop(onTop);
    testing::pumpMessages(50ms);
    EXPECT_EQ((GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, onTop);
    EXPECT_EQ((GetWindowLongPtrW(other, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, false);
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_TRUE(IsWindowVisible(main));
    if (onTop) {
      EXPECT_TRUE(isAbove(main, other));
    }
  }
  DestroyWindow(other);
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

}  // namespace
}  // namespace pelmora
