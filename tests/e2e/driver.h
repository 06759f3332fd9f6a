// Drives a running pelmora.exe from outside, as a user would: the program runs as a process of its
// own, it gets real input through SendInput (the mouse and the keyboard of the whole desktop), and
// its window is read with window messages, never through its code.
//
// Everything here runs on the calling thread, the driver's only GUI thread: the waits pump that
// thread's messages so that the driver's own windows (colour windows) keep painting and its own
// mouse hook (see moveMouseTo) keeps answering. The desktop and its mouse are shared by every
// program on it, so two drivers must never run at the same time.
//
// Typical use:
//   e2e::Pelmora app;
//   ASSERT_TRUE(app.start());
//   ASSERT_TRUE(e2e::clickControl(app.control(e2e::Control::button6)));
//   ASSERT_TRUE(e2e::moveMouseTo(10, 20));
//   EXPECT_TRUE(e2e::waitUntil([&] { return app.text(e2e::Control::editBox1) == L"10,20"; }));
//   EXPECT_EQ(app.close(), 0u);
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::e2e {

using Milliseconds = std::chrono::milliseconds;

inline constexpr wchar_t kMainWindowClass[] = L"PelmoraMainWindow";
inline constexpr wchar_t kMainWindowCaption[] = L"Pelmora - by Tovrel";

// The main window's controls by their identifiers (1001 + the index in creation order).
enum class Control : int {
  label1 = 1001,
  editBox1,
  label3,
  editBox3,
  label4,
  editBox4,
  button1,
  button2,
  button3,
  button4,
  button5,
  checkBox1,
  button6,  // start tracking (F1)
  button7,  // stop and sample (F2)
  label2,
};

// ---- Waiting ----------------------------------------------------------------------------------

// Dispatches the driver thread's messages for `duration` (and counts the presses of the
// driver's own hotkeys).
void pumpFor(Milliseconds duration);

// Pumps the driver's messages and re-checks `done()` every few milliseconds until it holds or
// `timeout` passes. Returns whether it held; `done()` is always checked once more at the end.
template <typename Predicate>
bool waitUntil(Predicate done, Milliseconds timeout = Milliseconds(5000)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return done();
    pumpFor(Milliseconds(5));
  }
  return true;
}

// How long a "nothing changes" check waits before it looks. A move has been through every
// low-level hook when moveMouseTo returns; this margin covers the program's own message queue
// (clicks, hotkeys).
inline constexpr Milliseconds kSettle{300};

// ---- The program ------------------------------------------------------------------------------

// Windows path of pelmora.exe: the environment variable PELMORA_EXE when set (a Windows path such
// as Z:\tmp\pelmora.exe; Wine passes the Unix environment on), else the program built with the
// driver (fixed at build time).
std::wstring pelmoraPath();

// One running copy of pelmora.exe, started by the driver. Ending the object ends the process if
// it is still running (TerminateProcess), so a failed test never leaves a copy behind.
class Pelmora {
 public:
  Pelmora() = default;
  ~Pelmora();
  Pelmora(const Pelmora&) = delete;
  Pelmora& operator=(const Pelmora&) = delete;
  Pelmora(Pelmora&& other) noexcept;
  Pelmora& operator=(Pelmora&& other) noexcept;

  // Starts pelmora.exe with CreateProcessW and waits until its main window (class and caption
  // above, owned by the new process) is visible. False when the process could not be started or
  // its window did not show in time; the process, if any, is still owned and ended by the object.
  bool start(Milliseconds timeout = Milliseconds(15000));

  DWORD processId() const { return processId_; }
  HANDLE processHandle() const { return process_; }
  bool running() const;

  // The main window of this process (null before it shows or after it is gone).
  HWND mainWindow() const { return main_; }
  // A control of the main window by identifier, found with GetDlgItem.
  HWND control(Control id) const;
  // A control's rectangle in screen coordinates (empty when there is no such control).
  RECT controlRect(Control id) const;

  // The control's whole text, read with WM_GETTEXT (W) and re-read until two reads agree, since a
  // text read while it changes can come back cut short. Empty optional when the window does not
  // answer (gone or hung).
  std::optional<std::wstring> text(Control id) const;
  // Replaces the control's text with WM_SETTEXT (W), as if the user had typed it. Returns whether
  // the window answered.
  bool setText(Control id, std::wstring_view text) const;

  // The visible top-level windows owned by this process, message boxes and balloons included.
  std::vector<HWND> visibleTopLevelWindows() const;

  // Posts WM_CLOSE to the main window and waits for the process to end. Returns its exit code,
  // or an empty optional when it is still running after `timeout`.
  std::optional<DWORD> close(Milliseconds timeout = Milliseconds(10000));
  // Waits for the process to end on its own; its exit code, or empty when it is still running.
  std::optional<DWORD> waitForExit(Milliseconds timeout) const;
  // Ends the process at once (exit code 1) and waits for it to be gone.
  void terminate();

 private:
  HWND findMainWindow() const;
  void release();

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND main_ = nullptr;
};

// ---- Input ------------------------------------------------------------------------------------

enum class MouseButton { left, right, middle };

// Where the cursor is, as the low-level hooks last saw it move (GetCursorPos before the first
// move). GetCursorPos itself is no good under Wine once the driver has moved the mouse: when the
// cursor has not changed for 100 ms it answers with the X pointer, which the driver leaves parked
// (see moveMouseTo).
POINT cursorPos();

// Moves the cursor to desktop pixel (x, y) of the primary screen with an absolute SendInput move,
// and returns once the low-level hooks have seen the move there; false when it never got there.
// Absolute coordinates are rounded up (Wine truncates them); a move that misses is corrected and
// sent again. Every sent move reaches the program's hook, also a move to where the cursor is.
//
// The first mouse input, or the first Pelmora::start, installs the driver's own pass-through
// low-level hook, which watches the moves and keeps Wine from warping the X pointer (whose late
// echoes would move the cursor back), and parks the X pointer at the right edge of the screen.
// So the driver thread must keep pumping (every wait here does) while the mouse moves.
bool moveMouseTo(int x, int y);

// Presses or releases a mouse button where the cursor is, without moving it.
void mouseButton(MouseButton button, bool down);

// Moves to (x, y), then presses and releases the button there. False when the move failed.
bool clickAt(int x, int y, MouseButton button = MouseButton::left);

// The centre of a window's rectangle in screen coordinates.
POINT centreOf(HWND window);

// Left click on the centre of a window (a control of another process included).
bool clickControl(HWND control);

// Turns the wheel by `delta` (WHEEL_DELTA per notch) where the cursor is; horizontal for the
// tilt wheel.
void turnWheel(int delta, bool horizontal = false);

// Keyboard input through SendInput: a key press (down and up), or each half on its own.
void pressKey(WORD virtualKey);
void keyDown(WORD virtualKey);
void keyUp(WORD virtualKey);

// ---- The screen -------------------------------------------------------------------------------

// The pixel of the screen at (x, y) as GetPixel on the screen's device context reads it, from
// the driver's process; empty for CLR_INVALID.
std::optional<COLORREF> screenPixel(int x, int y);

// The same pixel read from the X display itself by ImageMagick's `import`, started as a Unix
// program from under Wine; empty when that fails. An oracle outside Wine's GDI for the colours
// that the program reports.
std::optional<COLORREF> xScreenPixel(int x, int y, Milliseconds timeout = Milliseconds(15000));

// A topmost popup window of the driver, filled with one solid colour. It never takes the
// activation. Destroyed with the object.
class ColourWindow {
 public:
  ColourWindow() = default;
  ColourWindow(COLORREF colour, const RECT& rect);
  ~ColourWindow();
  ColourWindow(const ColourWindow&) = delete;
  ColourWindow& operator=(const ColourWindow&) = delete;
  ColourWindow(ColourWindow&& other) noexcept;
  ColourWindow& operator=(ColourWindow&& other) noexcept;

  // Whether the window exists and the screen showed its colour at its centre and corners.
  bool shown() const { return shown_; }
  HWND window() const { return window_; }
  COLORREF colour() const { return colour_; }
  const RECT& rect() const { return rect_; }
  POINT centre() const;

 private:
  HWND window_ = nullptr;
  COLORREF colour_ = 0;
  RECT rect_{};
  bool shown_ = false;
};

// Shows a colour window over `rect` (screen coordinates) and waits until the screen shows it.
ColourWindow paintColourWindow(COLORREF colour, const RECT& rect);

// ---- Hotkeys held by the driver -------------------------------------------------------------

// A system-wide hotkey (no modifier key) registered by the driver on its own thread, released with
// the object. Presses arrive as WM_HOTKEY thread messages, which pumpFor counts.
class DriverHotkey {
 public:
  explicit DriverHotkey(WORD virtualKey);
  ~DriverHotkey();
  DriverHotkey(const DriverHotkey&) = delete;
  DriverHotkey& operator=(const DriverHotkey&) = delete;

  // Whether RegisterHotKey succeeded: nobody else held the key.
  bool held() const { return held_; }
  // The presses of the key taken by pumpFor (and so by every wait) since registration.
  int presses() const;

 private:
  int id_;
  bool held_ = false;
};

// ---- Texts ------------------------------------------------------------------------------------

// "r,g,b" as the program writes the RGB text, and "#RGB" with upper-case hexadecimal components
// without leading zeros, as it writes the HEX text.
std::wstring rgbText(COLORREF colour);
std::wstring hexText(COLORREF colour);

// Parses "x,y" (plain decimal numbers) as the program writes the coordinate text.
std::optional<POINT> parseCoordinates(std::wstring_view text);

}  // namespace pelmora::e2e
