// Soak runs of pelmora.exe: long series of the operations a user repeats all day (mouse
// movements while tracking, readings, copies), driven from outside through the end-to-end driver.
// Each run checks that the program still does its job at the end, which is where a leak of
// device contexts, clipboard blocks or hooks shows, and measures the program's memory from Linux
// (Wine answers 0 for a process's private bytes and GDI objects).
//
// Shared by the soak tests (CTest) and the long soak program, which runs the same series scaled up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "driver.h"

namespace pelmora::soak {

// ---- Memory of a Wine process, read from Linux ----------------------------------------------

// Kilobytes from /proc/PID/smaps_rollup.
struct Memory {
  long long privateDirtyKiB = 0;
  long long pssKiB = 0;
};

// Starts pelmora.exe and finds its Linux process under Z:\proc (Wine shows the Unix root as
// drive Z:): the one process that appeared with the program's path as its command line, in the
// driver's Wine prefix. False, with the reason, when the program did not start or its process was
// not found.
bool startTraced(e2e::Pelmora& app, int& linuxPid, std::string& failure);

// The memory of Linux process `pid`; empty when it cannot be read.
std::optional<Memory> readMemory(int pid);

// ---- Mouse events as the next hook sees them ------------------------------------------------

// One event as a low-level mouse hook receives it, and what the probed edit box held then.
struct MouseEvent {
  WPARAM message;
  POINT point;
  DWORD flags;
  ULONG_PTR extraInfo;
  std::optional<std::wstring> probed;
};

// A low-level mouse hook of the driver's own, on a thread of its own with its own message loop
// (a low-level hook is called on the thread that installed it while that thread waits for
// messages, and the thread that calls SendInput waits for the hooks). Installed when the object is
// made: every hook installed later is called before it, and it sees what that hook hands on.
class MouseRecorder {
 public:
  MouseRecorder();
  ~MouseRecorder();
  MouseRecorder(const MouseRecorder&) = delete;
  MouseRecorder& operator=(const MouseRecorder&) = delete;

  bool installed() const { return installed_; }
  // From now on, for every `every`-th soak move (by the index in its extra information), the
  // hook reads the text of `editBox` (a window of another process) before it returns.
  void probe(HWND editBox, std::size_t every);
  // The events seen since the last take(), oldest first.
  std::vector<MouseEvent> take();

 private:
  static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam);

  std::thread thread_;
  DWORD threadId_ = 0;
  bool installed_ = false;
  std::mutex mutex_;
  std::vector<MouseEvent> events_;
  HWND probed_ = nullptr;
  std::size_t probeEvery_ = 0;
};

// ---- Input ----------------------------------------------------------------------------------

// One movement to send: to a desktop pixel (absolute) or by a pixel offset (relative), and the
// pixel where the cursor is expected to end up. `extraInfo` rides along in the event.
struct Move {
  bool absolute;
  POINT offset;    // relative moves only
  POINT expected;  // the cursor's position after the move
  ULONG_PTR extraInfo;
};

// Extra information that marks the soak's moves: kMoveTag + the move's index.
inline constexpr ULONG_PTR kMoveTag = 0x50000000;
inline constexpr ULONG_PTR kMoveTagMask = 0xF0000000;

// `count` moves from `start` that wander inside `area`, every one to a pixel other than the one
// before it: runs of absolute moves to scattered pixels alternate with runs of short relative
// steps. The same seed gives the same moves.
std::vector<Move> makeMoves(POINT start, const RECT& area, int count, std::uint32_t seed);

// Sends moves [first, last) with SendInput, `batch` inputs per call. False when SendInput took
// fewer than it was given.
bool sendMoves(const std::vector<Move>& moves, std::size_t first, std::size_t last,
               std::size_t batch);

// ---- Talking to the program's window --------------------------------------------------------

// Sends BM_CLICK to a button of the program: the button presses itself and runs its command
// before the call returns. False when the window does not answer.
bool click(const e2e::Pelmora& app, e2e::Control id);

// Sends the main window the BN_CLICKED notification of a button, as the button does when it is
// clicked, without the button's own pressing and painting. False when the window does not answer.
bool command(const e2e::Pelmora& app, e2e::Control id);

// One WM_GETTEXT read of a control's text, for a text that nothing is changing.
std::optional<std::wstring> quickText(const e2e::Pelmora& app, e2e::Control id);

// The clipboard's CF_TEXT as a wide string (decoded from code page 936); empty optional when the
// clipboard could not be opened or holds no text.
std::optional<std::wstring> clipboardText();

// ---- Runs -----------------------------------------------------------------------------------

// What one run did: a failure message (empty when every check held), the time its operations
// took, and the program's memory before the series, after its warm-up (the first tenth of the
// operations, which fills the caches that the program and Wine keep) and at the end.
struct RunReport {
  std::string failure;
  int operations = 0;
  double seconds = 0;
  Memory start;
  Memory warm;
  Memory end;

  bool ok() const { return failure.empty(); }
  // Private memory gained after the warm-up, in kilobytes.
  long long growthKiB() const { return end.privateDirtyKiB - warm.privateDirtyKiB; }
};

// The private memory a run may gain after its warm-up: room for the heap to take a few more
// blocks, far less than a leak of a hundred bytes per operation over any of the series (18,000
// readings after the warm-up would leak 1.7 MiB).
inline constexpr long long kGrowthAllowanceKiB = 256;

// The desktop area the soak moves wander in: away from the program's window (centred on the
// screen) and from the colour windows (upper left).
RECT moveArea();

// Tracking on, `moves` movements; at the end the program still follows the cursor.
RunReport soakMoves(const e2e::Pelmora& app, int linuxPid, int moves);

// With a recorder installed before tracking starts: `moves` movements, each of which must reach
// the recorder after the program's hook has shown it, in order and unchanged.
RunReport soakPassThrough(const e2e::Pelmora& app, int linuxPid, int moves);

// `readings` start-and-stop readings over two colour windows, alternately, each one checked.
RunReport soakReadings(const e2e::Pelmora& app, int linuxPid, int readings);

// `copies` copies with each of the five copy buttons in turn, the clipboard checked after each.
RunReport soakCopies(const e2e::Pelmora& app, int linuxPid, int copies);

// One line with the run's figures.
std::string describe(const RunReport& report);

}  // namespace pelmora::soak
