// The in-process cost of one mouse movement while tracking: the hook procedure called with a
// movement record, exactly as the system calls it (copy the record, format "x,y", replace the
// text of 编辑框1 of the real main window, hand the event on; with no hook installed the hand-on
// goes to a null hook), against the floor of replacing the same edit box's text with a constant
// of the same length.
//
// Usage: bench_hook_path [rounds [events per batch]]
// Each round times one batch of each kind, in rotating order; painting and other queued messages
// are dispatched between batches, outside the timings. Prints the medians over the rounds, per
// event, in microseconds, and their ratio, once with the keyboard focus in 编辑框1 and once with
// it on 按钮6. Two more kinds split the difference: the same changing texts written straight
// with SetWindowTextW, and the hand-on (CallNextHookEx) alone.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/events.h"
#include "clock.h"
#include "input/tracking.h"
#include "platform/win32.h"
#include "readouts/text.h"
#include "window/main_window.h"

namespace {

using pelmora::bench::seconds;

void dispatchPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The n-th position of a batch: x of 4 digits and y of 3, so "x,y" has 8 characters, as the
// constant has.
POINT position(int n) { return {1000 + n % 920, 100 + (n * 7) % 900}; }

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 41;
  const int events = argc > 2 ? std::max(1, std::atoi(argv[2])) : 250;

  static const pelmora::EventBindings kNoHandlers{};
  if (!pelmora::buildMainWindow(GetModuleHandleW(nullptr), kNoHandlers)) {
    std::fprintf(stderr, "cannot build the main window\n");
    return 1;
  }
  pelmora::raiseCreatedAndShow();
  dispatchPending();
  const HWND edit = pelmora::controlWindow(pelmora::ControlName::editBox1);

  MSLLHOOKSTRUCT record{};
  int serial = 0;
  const auto hookBatch = [&] {
    const double start = seconds();
    for (int i = 0; i < events; ++i, ++serial) {
      record.pt = position(serial);
      record.time = static_cast<DWORD>(serial);
      pelmora::mouseHookProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&record));
    }
    return (seconds() - start) / events * 1e6;
  };
  const auto floorBatch = [&] {
    const double start = seconds();
    for (int i = 0; i < events; ++i) SetWindowTextW(edit, L"1000,500");
    return (seconds() - start) / events * 1e6;
  };
  std::vector<std::wstring> texts;
  for (int i = 0; i < events; ++i) {
    const POINT p = position(i);
    texts.push_back(std::to_wstring(p.x) + L"," + std::to_wstring(p.y));
  }
  const auto changingBatch = [&] {
    const double start = seconds();
    for (const std::wstring& text : texts) SetWindowTextW(edit, text.c_str());
    return (seconds() - start) / events * 1e6;
  };
  const auto handOnBatch = [&] {
    const double start = seconds();
    for (int i = 0; i < events; ++i) {
      CallNextHookEx(nullptr, HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&record));
    }
    return (seconds() - start) / events * 1e6;
  };

  // Where the keyboard focus is changes the edit box's work: with the focus it also moves its
  // caret. Start-up and F1 leave the focus in 编辑框1; a click on 按钮6, or another program
  // taking the foreground, takes it away.
  struct FocusCase {
    const char* name;
    HWND focus;
  };
  const FocusCase cases[] = {
      {"focus_in_edit_box", edit},
      {"focus_on_start_button", pelmora::controlWindow(pelmora::ControlName::button6)},
  };
  bool allWritten = true;
  for (const FocusCase& focusCase : cases) {
    SetFocus(focusCase.focus);
    dispatchPending();
    hookBatch();  // warm-up
    floorBatch();
    changingBatch();
    dispatchPending();
    std::vector<double> results[4];
    for (int round = 0; round < rounds; ++round) {
      for (int k = 0; k < 4; ++k) {
        const int kind = (round + k) % 4;
        switch (kind) {
          case 0: results[0].push_back(hookBatch()); break;
          case 1: results[1].push_back(floorBatch()); break;
          case 2: results[2].push_back(changingBatch()); break;
          default: results[3].push_back(handOnBatch()); break;
        }
        dispatchPending();
      }
    }

    // The hook really wrote the text: the last record's position is in the edit box.
    hookBatch();
    const std::string expected = std::to_string(record.pt.x) + "," + std::to_string(record.pt.y);
    const bool written = pelmora::readText(pelmora::ControlName::editBox1) == expected;
    const bool focused = GetFocus() == focusCase.focus;
    allWritten = allWritten && written && focused;

    const double hookUs = median(results[0]);
    const double floorUs = median(results[1]);
    std::printf(
        "%s rounds=%d events=%d hook_us=%.2f floor_us=%.2f ratio=%.3f changing_text_us=%.2f "
        "hand_on_us=%.2f written=%s focus=%s\n",
        focusCase.name, rounds, events, hookUs, floorUs, hookUs / floorUs, median(results[2]),
        median(results[3]), written ? "yes" : "no", focused ? "kept" : "lost");
    std::fflush(stdout);
  }
  DestroyWindow(pelmora::mainWindow());
  dispatchPending();
  return allWritten ? 0 : 2;
}
