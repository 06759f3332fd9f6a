// Helpers for the in-process tests: the real main window, built and driven on the test's thread.
#pragma once

#include <chrono>
#include <string>

#include "app/events.h"
#include "platform/win32.h"

namespace pelmora::testing {

// Dispatches the thread's messages (through the window's own key handling) for `duration`, or
// until a quit request arrives. Returns true when a quit request was taken; its value goes to
// `exitCode` when given.
bool pumpMessages(std::chrono::milliseconds duration, int* exitCode = nullptr);

// Dispatches messages until `done()` holds or `timeout` passes; returns whether it held.
template <typename Predicate>
bool pumpUntil(Predicate done, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    pumpMessages(std::chrono::milliseconds(5));
  }
  return true;
}

// Builds the main window with `bindings`, raises Created and shows it, as start-up does.
// Returns false when the window could not be built.
bool startMainWindow(const EventBindings& bindings);

// Closes the main window (WM_CLOSE) and pumps until the quit request; returns its value, or
// -2 when none came.
int closeMainWindow();

// Presses and releases a key through SendInput, with optional modifiers held around it.
void pressKey(WORD virtualKey, std::initializer_list<WORD> modifiers = {});

// Code page 936 bytes of a UTF-16 literal, to compare with the texts the program reads.
std::string cp936(const wchar_t* text);

}  // namespace pelmora::testing
