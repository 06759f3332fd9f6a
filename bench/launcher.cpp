// Starts programs and drives them from outside for the start-up, memory and idle benchmarks.
//
//   bench_launcher startup <rounds> <program>...
//     Starts every program in turn, `rounds` times over (interleaved), and prints one line per
//     start: "start <program index> <milliseconds>", the time from process creation until the
//     program is ready; each is closed (WM_CLOSE) and waited for before the next starts.
//   bench_launcher hold <program>
//     Starts the program, prints "ready <milliseconds> <Windows process id>", then follows one
//     command per line on standard input, answering each with one line:
//       track    clicks 按钮6 (BM_CLICK on control 1013) to start tracking
//       move <n> moves the mouse n times with SendInput, to points all over the desktop
//       text     the text of 编辑框1 (control 1002) and the cursor position
//       quit     closes the program and waits for it to end
//
// A program is given as four arguments: <path> <window class> <window caption> <hotkeys>. It is
// ready when its window of that class and caption is visible and, when <hotkeys> is 1, F1 and F2
// are taken: registering either of them fails for the launcher.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clock.h"
#include "platform/win32.h"

namespace {

struct Program {
  std::wstring path;
  std::wstring windowClass;
  std::wstring caption;
  bool hotkeys = false;
};

struct Running {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  double readyMs = 0;
};

std::wstring widen(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

std::string narrow(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

double milliseconds() { return pelmora::bench::seconds() * 1000.0; }

bool hotkeyTaken(UINT virtualKey) {
  constexpr int kProbeId = 0xB000;
  if (RegisterHotKey(nullptr, kProbeId, 0, virtualKey)) {
    UnregisterHotKey(nullptr, kProbeId);
    return false;
  }
  return true;
}

// Starts the program and polls until it is ready (or has ended, or 30 s have passed).
bool start(const Program& program, Running& running) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + program.path + L"\"";
  const double begin = milliseconds();
  if (!CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &running.process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", narrow(program.path).c_str(),
                 GetLastError());
    return false;
  }
  while (milliseconds() - begin < 30000) {
    const HWND window = FindWindowW(program.windowClass.c_str(), program.caption.c_str());
    // The hotkeys are registered before the window is shown: probing them only once it is
    // visible never takes one away from the program.
    if (window != nullptr && IsWindowVisible(window) &&
        (!program.hotkeys || (hotkeyTaken(VK_F1) && hotkeyTaken(VK_F2)))) {
      running.readyMs = milliseconds() - begin;
      running.window = window;
      return true;
    }
    if (WaitForSingleObject(running.process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  std::fprintf(stderr, "%s did not become ready\n", narrow(program.path).c_str());
  TerminateProcess(running.process.hProcess, 1);
  return false;
}

bool stop(Running& running) {
  PostMessageW(running.window, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(running.process.hProcess, 10000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(running.process.hProcess, 1);
  CloseHandle(running.process.hThread);
  CloseHandle(running.process.hProcess);
  return ended;
}

// One absolute move; coordinates are rounded up so that Wine's truncation lands on the pixel.
void moveMouse(int x, int y) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65536 + width - 1) / width);
  input.mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65536 + height - 1) / height);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

std::wstring controlText(HWND control) {
  wchar_t buffer[256] = {};
  SendMessageW(control, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

int hold(const Program& program) {
  Running running;
  if (!start(program, running)) return 1;
  std::printf("ready %.1f %lu\n", running.readyMs, running.process.dwProcessId);
  std::fflush(stdout);
  char line[256];
  int lastX = -1;
  int lastY = -1;
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    if (std::strncmp(line, "track", 5) == 0) {
      const HWND button = GetDlgItem(running.window, 1013);
      if (button != nullptr) SendMessageW(button, BM_CLICK, 0, 0);
      std::printf("track %s\n", button != nullptr ? "clicked" : "none");
    } else if (std::strncmp(line, "move", 4) == 0) {
      const int n = std::atoi(line + 4);
      const double begin = milliseconds();
      for (int i = 0; i < n; ++i) {
        lastX = 40 + (i * 37) % 1840;
        lastY = 40 + (i * 53) % 1000;
        moveMouse(lastX, lastY);
      }
      std::printf("moved %d %.1f\n", n, milliseconds() - begin);
    } else if (std::strncmp(line, "text", 4) == 0) {
      const HWND edit = GetDlgItem(running.window, 1002);
      std::wstring text;
      if (edit != nullptr) {
        // A text read while it changes can come back cut short: read until two reads agree.
        for (std::wstring previous = L"\x1"; text != previous;) {
          previous = text;
          Sleep(20);
          text = controlText(edit);
        }
      }
      POINT cursor{};
      GetCursorPos(&cursor);
      std::printf("text %s cursor %ld,%ld last %d,%d\n",
                  edit != nullptr ? narrow(text).c_str() : "-", cursor.x, cursor.y, lastX, lastY);
    } else if (std::strncmp(line, "quit", 4) == 0) {
      std::printf("quit %s\n", stop(running) ? "ended" : "killed");
      std::fflush(stdout);
      return 0;
    } else {
      std::printf("unknown\n");
    }
    std::fflush(stdout);
  }
  stop(running);
  return 0;
}

int startup(int rounds, const std::vector<Program>& programs) {
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < programs.size(); ++i) {
      // Alternate which program goes first, so that neither always follows the other.
      const std::size_t index = round % 2 == 0 ? i : programs.size() - 1 - i;
      Running running;
      if (!start(programs[index], running)) return 1;
      const bool ended = stop(running);
      std::printf("start %zu %.2f%s\n", index, running.readyMs, ended ? "" : " killed");
      std::fflush(stdout);
      Sleep(200);
    }
  }
  return 0;
}

std::vector<Program> programsFrom(int argc, char** argv, int first) {
  std::vector<Program> programs;
  for (int i = first; i + 3 < argc; i += 4) {
    programs.push_back({widen(argv[i]), widen(argv[i + 1]), widen(argv[i + 2]),
                        std::strcmp(argv[i + 3], "1") == 0});
  }
  return programs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 6 && std::strcmp(argv[1], "hold") == 0) {
    const auto programs = programsFrom(argc, argv, 2);
    return hold(programs.front());
  }
  if (argc >= 7 && std::strcmp(argv[1], "startup") == 0) {
    return startup(std::max(1, std::atoi(argv[2])), programsFrom(argc, argv, 3));
  }
  std::fprintf(stderr,
               "usage: bench_launcher startup <rounds> <program>...\n"
               "       bench_launcher hold <program>\n"
               "a program is: <path> <window class> <window caption> <hotkeys 0|1>\n");
  return 2;
}
