// The hotkey service: identifiers, the registrations of F1 and F2 at start-up and their release
// at shut-down, taking over and giving back the window procedure, and the road of a hotkey
// press to the Feedback handler of 标签2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/events.h"
#include "app/state.h"
#include "input/hotkey_service.h"
#include "platform/windowing.h"
#include "testing.h"
#include "window/main_window.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using CN = ControlName;

// What the test's own windows and the hooked procedures saw, in order.
std::vector<std::string>& seen() {
  static std::vector<std::string> log;
  return log;
}

// A plain top-level window that notes the hotkeys and feedback messages it receives.
LRESULT CALLBACK noteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) seen().push_back("WM_HOTKEY " + std::to_string(wParam));
  if (message == kFeedbackMessage) {
    wchar_t name[32] = {};
    GetWindowTextW(hwnd, name, 32);
    seen().push_back("feedback to " + platform::narrow936(name) + " " + std::to_string(wParam));
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND makeWindow(const wchar_t* name) {
  static const bool registered = [] {
    WNDCLASSW cls{};
    cls.lpfnWndProc = noteProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"PelmoraTestNotes";
    return RegisterClassW(&cls) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(0, L"PelmoraTestNotes", name, WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

WNDPROC procOf(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

// Whether a key (without modifiers unless given) can be registered now, by anyone.
bool keyIsFree(UINT virtualKey, UINT flags = 0) {
  static const HWND probe = makeWindow(L"probe");
  if (!RegisterHotKey(probe, 0xBFFF, flags, virtualKey)) return false;
  UnregisterHotKey(probe, 0xBFFF);
  return true;
}

void logFeedback(std::int32_t first, std::int32_t second) {
  seen().push_back("Feedback " + std::to_string(first) + " " + std::to_string(second));
}
constexpr FeedbackBinding kLoggingFeedback[] = {{CN::label2, &logFeedback}};

// What the program's own WillBeDestroyed handler has left behind when it returns.
struct AfterRelease {
  WNDPROC proc = nullptr;
  std::int32_t registrationCount = -1;
  bool mainExists = false;
  bool f1Free = false;
  bool f2Free = false;
  bool hookInstalled = true;
};
AfterRelease& afterRelease() {
  static AfterRelease a;
  return a;
}
void releaseAndLook() {
  pelmoraBindings().willBeDestroyed();
  AfterRelease& a = afterRelease();
  a.proc = procOf(mainWindow());
  a.registrationCount = hotkeyService().registrationCount;
  a.mainExists = IsWindow(mainWindow()) && IsWindow(controlWindow(CN::label2));
  a.f1Free = keyIsFree(VK_F1);
  a.f2Free = keyIsFree(VK_F2);
  a.hookInstalled = static_cast<bool>(programState().mouseHook);
}

TEST(Hotkeys, FreshStartHoldsF1AndF2UntilTheWindowCloses) {
  ASSERT_TRUE(keyIsFree(VK_F1));
  ASSERT_TRUE(keyIsFree(VK_F2));
  const EventBindings& program = pelmoraBindings();
  static const EventBindings bindings{program.created, &releaseAndLook, program.clicked,
                                      program.feedback};
  ASSERT_TRUE(buildMainWindow(GetModuleHandleW(nullptr), bindings));
  const HWND main = mainWindow();
  const WNDPROC ownProc = procOf(main);
  EXPECT_EQ(hotkeyService().registrationCount, 0);
  raiseCreatedAndShow();

  EXPECT_EQ(programState().startHotkeyId, 33001);
  EXPECT_EQ(programState().stopHotkeyId, 33002);
  const HotkeyServiceState& service = hotkeyService();
  EXPECT_EQ(service.registrationCount, 2);
  EXPECT_EQ(service.hotkeySerial, 2u);
  EXPECT_EQ(service.lastHotkeyId, 33002);
  EXPECT_EQ(service.feedbackWindow, controlWindow(CN::label2));
  EXPECT_EQ(service.savedWindowProc, ownProc);
  EXPECT_EQ(procOf(main), &hotkeyWindowProc);
  EXPECT_FALSE(keyIsFree(VK_F1));
  EXPECT_FALSE(keyIsFree(VK_F2));

  // F1 starts tracking and F2 stops it and samples, as the two buttons do.
  testing::pressKey(VK_F1);
  EXPECT_TRUE(testing::pumpUntil([] { return static_cast<bool>(programState().mouseHook); }));
  writeText(CN::editBox1, "5,5");
  testing::pressKey(VK_F2);
  EXPECT_TRUE(testing::pumpUntil([] { return !programState().mouseHook; }));
  EXPECT_NE(readText(CN::editBox3), "");
  EXPECT_NE(readText(CN::editBox4), "");

  // Closing while tracking: the hook goes, both keys are free again, and the window has its
  // own procedure back while it still exists.
  testing::pressKey(VK_F1);
  EXPECT_TRUE(testing::pumpUntil([] { return static_cast<bool>(programState().mouseHook); }));
  EXPECT_EQ(testing::closeMainWindow(), 0);
  const AfterRelease& a = afterRelease();
  EXPECT_EQ(a.proc, ownProc);
  EXPECT_EQ(a.registrationCount, 0);
  EXPECT_TRUE(a.mainExists);
  EXPECT_TRUE(a.f1Free);
  EXPECT_TRUE(a.f2Free);
  EXPECT_FALSE(a.hookInstalled);
  EXPECT_EQ(hotkeyService().savedWindowProc, nullptr);
}

TEST(Hotkeys, F1HeldElsewhereLeavesF2Working) {
  const HWND holder = makeWindow(L"holder");
  ASSERT_TRUE(RegisterHotKey(holder, 7, 0, VK_F1));
  ASSERT_FALSE(keyIsFree(VK_F1));
  static const EventBindings bindings{
      pelmoraBindings().created, &releaseAndLook, {}, kLoggingFeedback};
  ASSERT_TRUE(buildMainWindow(GetModuleHandleW(nullptr), bindings));
  const WNDPROC ownProc = procOf(mainWindow());
  raiseCreatedAndShow();

  EXPECT_EQ(programState().startHotkeyId, 0);
  EXPECT_EQ(programState().stopHotkeyId, 33002);
  EXPECT_EQ(hotkeyService().registrationCount, 2);
  EXPECT_EQ(hotkeyService().hotkeySerial, 2u);
  EXPECT_EQ(procOf(mainWindow()), &hotkeyWindowProc);

  // F1 still goes to its holder; F2 reaches the label with its identifier.
  testing::pressKey(VK_F1);
  EXPECT_TRUE(testing::pumpUntil([] { return !seen().empty(); }));
  testing::pressKey(VK_F2);
  EXPECT_TRUE(testing::pumpUntil([] { return seen().size() >= 2; }));
  testing::pumpMessages(50ms);
  EXPECT_EQ(seen(), (std::vector<std::string>{"WM_HOTKEY 7", "Feedback 33002 0"}));

  EXPECT_EQ(testing::closeMainWindow(), 0);
  const AfterRelease& a = afterRelease();
  EXPECT_EQ(a.proc, ownProc);
  EXPECT_EQ(a.registrationCount, 0);
  EXPECT_TRUE(a.mainExists);
  EXPECT_FALSE(a.f1Free);  // still the holder's
  EXPECT_TRUE(a.f2Free);
  UnregisterHotKey(holder, 7);
  DestroyWindow(holder);
}

TEST(Hotkeys, IdentifiersAreUsedUpAndTheProcedureReturnsAfterTheLastRelease) {
  const HWND window = makeWindow(L"window");
  const HWND first = makeWindow(L"first");
  const HWND second = makeWindow(L"second");
  const WNDPROC ownProc = procOf(window);
  const HotkeyServiceState& s = hotkeyService();
  EXPECT_EQ(s.lastHotkeyId, 0);

  EXPECT_EQ(registerHotkey(window, first, 0, VK_F3), 33001);
  EXPECT_FALSE(keyIsFree(VK_F3));
  EXPECT_EQ(procOf(window), &hotkeyWindowProc);
  EXPECT_EQ(s.savedWindowProc, ownProc);
  // The same key again is refused; its number is used up all the same.
  EXPECT_EQ(registerHotkey(window, first, 0, VK_F3), 0);
  EXPECT_EQ(s.registrationCount, 2);
  EXPECT_EQ(s.lastHotkeyId, 33002);
  EXPECT_EQ(registerHotkey(window, second, 1, VK_F4), 33003);
  EXPECT_EQ(s.registrationCount, 3);
  EXPECT_EQ(s.hotkeySerial, 3u);
  EXPECT_EQ(s.feedbackWindow, second);
  EXPECT_EQ(s.savedWindowProc, ownProc);  // taken over once only

  // Every press goes to the last feedback window given, then to the window's own procedure.
  seen().clear();
  SendMessageW(window, WM_HOTKEY, 33001, 0);
  EXPECT_EQ(seen(), (std::vector<std::string>{"feedback to second 33001", "WM_HOTKEY 33001"}));

  struct Release {
    std::int32_t id;
    bool result;
    std::int32_t countAfter;
    bool procBack;
  };
  const Release releases[] = {
      {33001, true, 2, false},
      {33002, false, 1, false},  // never registered: fails, but counts
      {33003, true, 0, true},
  };
  for (const Release& r : releases) {
    SCOPED_TRACE(r.id);
    EXPECT_EQ(unregisterHotkey(window, r.id), r.result);
    EXPECT_EQ(s.registrationCount, r.countAfter);
    EXPECT_EQ(procOf(window), r.procBack ? ownProc : &hotkeyWindowProc);
    EXPECT_EQ(s.savedWindowProc, r.procBack ? nullptr : ownProc);
  }
  EXPECT_TRUE(keyIsFree(VK_F3));
  EXPECT_TRUE(keyIsFree(VK_F4, MOD_CONTROL));

  // A released number is never handed out again; the window is taken over anew.
  EXPECT_EQ(registerHotkey(window, first, 0, VK_F3), 33004);
  EXPECT_EQ(procOf(window), &hotkeyWindowProc);
  EXPECT_TRUE(unregisterHotkey(window, 33004));
  EXPECT_EQ(procOf(window), ownProc);
  EXPECT_EQ(s.registrationCount, 0);
  EXPECT_EQ(s.hotkeySerial, 4u);
  for (const HWND hwnd : {window, first, second}) DestroyWindow(hwnd);
}

TEST(Hotkeys, ModifierCodesBecomeRegisterHotKeyFlags) {
  struct Flags {
    std::int32_t code;
    std::uint32_t flags;
  };
  constexpr Flags kTable[] = {
      {0, 0},
      {1, MOD_CONTROL},
      {2, MOD_SHIFT},
      {3, MOD_CONTROL | MOD_SHIFT},
      {4, MOD_ALT},
      {5, MOD_ALT | MOD_CONTROL},
      {6, MOD_ALT | MOD_SHIFT},
      {7, 7},
      {8, 8},
      {-1, 0xFFFFFFFF},
  };
  const HWND window = makeWindow(L"window");
  const HWND label = makeWindow(L"label");
  for (const Flags& f : kTable) {
    SCOPED_TRACE(f.code);
    EXPECT_EQ(hotkeyFlags(f.code), f.flags);
    if (f.code < 0 || f.code > 7) continue;
    // The registration holds exactly those modifiers: the same combination is taken, the
    // combination with Shift flipped is not.
    const std::int32_t id = registerHotkey(window, label, f.code, VK_F6);
    ASSERT_NE(id, 0);
    EXPECT_FALSE(keyIsFree(VK_F6, f.flags));
    EXPECT_TRUE(keyIsFree(VK_F6, f.flags ^ MOD_SHIFT));
    unregisterHotkey(window, id);
  }
  DestroyWindow(window);
  DestroyWindow(label);
}

// Below the hotkey service: the main window's own procedure, noting the hotkeys it gets.
WNDPROC mainOwnProc = nullptr;
LRESULT CALLBACK notingMainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) seen().push_back("own WM_HOTKEY " + std::to_string(wParam));
  return CallWindowProcW(mainOwnProc, hwnd, message, wParam, lParam);
}

TEST(Hotkeys, PressReachesFeedbackBeforeTheWindowsOwnProcedure) {
  static const EventBindings bindings{
      pelmoraBindings().created, pelmoraBindings().willBeDestroyed, {}, kLoggingFeedback};
  ASSERT_TRUE(buildMainWindow(GetModuleHandleW(nullptr), bindings));
  const HWND main = mainWindow();
  mainOwnProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&notingMainProc)));
  raiseCreatedAndShow();
  ASSERT_EQ(hotkeyService().savedWindowProc, &notingMainProc);

  struct Press {
    WPARAM id;
    bool reported;
  };
  const Press presses[] = {{33001, true},  {33002, true}, {33003, false},
                           {33000, false}, {0, false},    {0xFFFFFFFF, false}};
  for (const Press& p : presses) {
    SCOPED_TRACE(p.id);
    seen().clear();
    SendMessageW(main, WM_HOTKEY, p.id, MAKELPARAM(0, VK_F1));
    std::vector<std::string> expected;
    if (p.reported) expected.push_back("Feedback " + std::to_string(p.id) + " 0");
    expected.push_back("own WM_HOTKEY " + std::to_string(p.id));
    EXPECT_EQ(seen(), expected);
  }

  // Posted, and pressed for real: the same order.
  const std::vector<std::string> f1{"Feedback 33001 0", "own WM_HOTKEY 33001"};
  seen().clear();
  PostMessageW(main, WM_HOTKEY, 33001, MAKELPARAM(0, VK_F1));
  EXPECT_TRUE(testing::pumpUntil([] { return seen().size() >= 2; }));
  EXPECT_EQ(seen(), f1);
  seen().clear();
  testing::pressKey(VK_F1);
  EXPECT_TRUE(testing::pumpUntil([] { return seen().size() >= 2; }));
  testing::pumpMessages(50ms);
  EXPECT_EQ(seen(), f1);

  // The label hands both arguments on as signed numbers and answers 0.
  seen().clear();
  EXPECT_EQ(SendMessageW(controlWindow(CN::label2), kFeedbackMessage, 0xFFFFFFFF, 0x80000000), 0);
  EXPECT_EQ(seen(), std::vector<std::string>{"Feedback -1 -2147483648"});

  EXPECT_EQ(testing::closeMainWindow(), 0);
}

TEST(Hotkeys, FeedbackWithAnUnknownIdentifierDoesNothing) {
  ASSERT_TRUE(testing::startMainWindow(pelmoraBindings()));
  const HWND label = controlWindow(CN::label2);
  writeText(CN::editBox1, "5,5");
  struct Report {
    WPARAM id;
    LPARAM second;
    bool trackingAfter;
  };
  const Report reports[] = {
      {0, 0, false},    {12345, 0, false}, {33003, 0, false}, {33000, 0, false},
      {33001, 7, true},  // the second argument is not looked at
      {33003, 0, true}, {0, 0, true},      {12345, 0, true},  {33002, 0, false},
  };
  for (const Report& r : reports) {
    SCOPED_TRACE(r.id);
    const bool samplesNow = r.id == 33002;
    EXPECT_EQ(SendMessageW(label, kFeedbackMessage, r.id, r.second), 0);
    EXPECT_EQ(static_cast<bool>(programState().mouseHook), r.trackingAfter);
    // Only F2's identifier samples the colour.
    EXPECT_EQ(readText(CN::editBox3).empty(), !samplesNow);
  }
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

}  // namespace
}  // namespace pelmora
