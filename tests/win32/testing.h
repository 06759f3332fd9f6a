// Helpers for the in-process tests: the real main window, built and driven on the test's thread.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "app/events.h"
#include "platform/win32.h"

namespace pelmora::testing {

// Dispatches the thread's messages (through the window's own key handling) for `duration`, or
// until a quit request arrives. Returns true when a quit request was taken; its value goes to
// `exitCode` when given.
bool pumpMessages(std::chrono::milliseconds duration, int* exitCode = nullptr);

// Dispatches messages until `done()` holds or `timeout` passes; returns whether it held.
template <typename Predicate>
bool pumpUntil(Predicate done,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    pumpMessages(std::chrono::milliseconds(5));
  }
  return true;
}

// Bindings without a single handler. The window keeps a reference to the bindings it was built
// with, so they must outlive it: never pass a temporary.
const EventBindings& noHandlers();

// Builds the main window with `bindings`, raises Created and shows it, as start-up does.
// Returns false when the window could not be built.
bool startMainWindow(const EventBindings& bindings);

// Closes the main window (WM_CLOSE) and pumps until the quit request; returns its value, or
// -2 when none came.
int closeMainWindow();

// Presses and releases a key through SendInput, with optional modifiers held around it.
void pressKey(WORD virtualKey, std::initializer_list<WORD> modifiers = {});

// Makes the main window the foreground window, as a click on it would, and waits until it is.
bool bringToForeground();

// Moves the mouse to a desktop point through SendInput and clicks the left button there.
// Returns false when the cursor did not arrive at the point.
bool clickAt(POINT desktopPoint);

// Types `text` through SendInput as Unicode characters (VK_PACKET), one after another.
void typeText(std::wstring_view text);

// The whole text of a window as UTF-16 (GetWindowTextW), however long.
std::wstring windowTextW(HWND window);

// Code page 936 bytes of a UTF-16 literal, to compare with the texts the program reads.
std::string cp936(const wchar_t* text);

}  // namespace pelmora::testing
