#include "soak.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <future>
#include <sstream>

namespace pelmora::soak {

using e2e::Control;
using e2e::Milliseconds;
using Clock = std::chrono::steady_clock;

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

// ---- Unix files through Wine's drive Z: ----

std::optional<std::string> readUnixFile(const std::string& unixPath) {
  std::wstring path = L"Z:";
  for (const char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  // Files under /proc report no size: read to the end.
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    content.append(buffer, read);
  }
  CloseHandle(file);
  return content;
}

// The Linux processes' identifiers, from the directory names under /proc.
std::vector<int> linuxPids() {
  std::vector<int> pids;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return pids;
  do {
    const std::wstring_view name = found.cFileName;
    if (!name.empty() &&
        std::all_of(name.begin(), name.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
      pids.push_back(static_cast<int>(std::wcstol(found.cFileName, nullptr, 10)));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return pids;
}

// The item of a NUL-separated list (a /proc environ) that starts with `key`; empty when none does.
std::string itemStartingWith(const std::string& list, const std::string& key) {
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = std::min(list.find('\0', at), list.size());
    if (list.compare(at, key.size(), key) == 0) return list.substr(at, end - at);
    at = end + 1;
  }
  return {};
}

std::string narrow(std::wstring_view text) {
  std::string out;
  for (const wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::wstring coordinates(POINT point) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%ld,%ld", point.x, point.y);
  return text;
}

std::string shown(const std::optional<std::wstring>& text) {
  if (!text) return "(no answer)";
  std::string out = "\"";
  out += narrow(*text);
  out += '"';
  return out;
}

std::string pointText(POINT point) { return narrow(coordinates(point)); }

// ---- Input ----

// Absolute mouse coordinates (0 to 65535 across the primary screen) of a pixel, rounded up:
// Wine maps them back to pixels by truncating.
LONG toAbsolute(int pixel, int size) {
  const long long value = (static_cast<long long>(pixel) * 65536 + size - 1) / size;
  return static_cast<LONG>(std::clamp<long long>(value, 0, 65535));
}

// The longest relative step, in pixels, that moves the cursor by just that many pixels: with
// mouse acceleration on, the system doubles a step longer than the first threshold.
int relativeStepLimit() {
  int mouse[3] = {};  // thresholds 1 and 2, acceleration
  if (!SystemParametersInfoW(SPI_GETMOUSE, 0, mouse, 0) || mouse[2] == 0) return 12;
  return std::clamp(mouse[0], 1, 12);
}

// A small deterministic generator (xorshift32), so that a failing run can be repeated exactly.
class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // A whole number from `low` to `high`, both included.
  int between(int low, int high) {
    return low + static_cast<int>(next() % static_cast<std::uint32_t>(high - low + 1));
  }

 private:
  std::uint32_t state_;
};

// ---- Steps of the runs ----

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Waits until 编辑框1 shows `point`; the failure message otherwise.
std::string waitForCoordinates(const e2e::Pelmora& app, POINT point, const std::string& when) {
  std::optional<std::wstring> last;
  if (e2e::waitUntil(
          [&] {
            last = app.text(Control::editBox1);
            return last == coordinates(point);
          },
          Milliseconds(5000))) {
    return {};
  }
  return when + ": 编辑框1 reads " + shown(last) + ", expected \"" + pointText(point) + "\"";
}

// Starts tracking with 按钮6 and proves it with a move to `probe`.
std::string startTracking(const e2e::Pelmora& app, POINT probe) {
  if (!click(app, Control::button6)) return "按钮6 does not answer";
  if (!e2e::moveMouseTo(probe.x, probe.y)) return "the cursor did not get to " + pointText(probe);
  return waitForCoordinates(app, probe, "tracking did not start");
}

// Moves the cursor to a point off the last move and checks that the program shows it.
std::string stillFollows(const e2e::Pelmora& app, POINT last) {
  const RECT area = moveArea();
  const POINT probe{last.x != area.left + 3 ? area.left + 3 : area.left + 4, area.bottom - 3};
  if (!e2e::moveMouseTo(probe.x, probe.y)) return "the cursor did not get to " + pointText(probe);
  return waitForCoordinates(app, probe, "tracking no longer follows the cursor");
}

// Samples the memory into `into`; the failure message when it cannot be read.
std::string sample(int linuxPid, Memory& into) {
  const std::optional<Memory> memory = readMemory(linuxPid);
  if (!memory) return "the memory of Linux process " + std::to_string(linuxPid) + " is unreadable";
  into = *memory;
  return {};
}

int warmUpCount(int operations) { return std::max(1, operations / 10); }

// Sends `moves` in rounds of about 1,000, checking after each round that the cursor and
// 编辑框1 are at the last move, and samples the memory after the warm-up and at the end.
std::string runMoves(const e2e::Pelmora& app, int linuxPid, const std::vector<Move>& moves,
                     RunReport& report) {
  constexpr std::size_t kRound = 1000;
  constexpr std::size_t kBatch = 50;
  const std::size_t warmUp = static_cast<std::size_t>(warmUpCount(static_cast<int>(moves.size())));
  if (std::string failure = sample(linuxPid, report.start); !failure.empty()) return failure;
  const Clock::time_point start = Clock::now();
  for (std::size_t first = 0; first < moves.size();) {
    // Rounds end at the warm-up's end too, so that the memory is sampled there.
    std::size_t last = std::min(first + kRound, moves.size());
    if (first < warmUp && last > warmUp) last = warmUp;
    if (!sendMoves(moves, first, last, kBatch)) {
      return "SendInput refused moves " + std::to_string(first) + " to " + std::to_string(last);
    }
    const POINT expected = moves[last - 1].expected;
    const POINT at = e2e::cursorPos();
    if (at.x != expected.x || at.y != expected.y) {
      return "after " + std::to_string(last) + " moves the cursor is at " + pointText(at) +
             ", expected " + pointText(expected);
    }
    if (std::string failure =
            waitForCoordinates(app, expected, "after " + std::to_string(last) + " moves");
        !failure.empty()) {
      return failure;
    }
    if (last == warmUp) {
      if (std::string failure = sample(linuxPid, report.warm); !failure.empty()) return failure;
    }
    e2e::pumpFor(Milliseconds(0));
    first = last;
  }
  report.seconds = secondsSince(start);
  report.operations = static_cast<int>(moves.size());
  return {};
}

// Where a soak's moves start: a corner of the move area.
POINT moveStart() {
  const RECT area = moveArea();
  return {area.left + 1, area.top + 1};
}

// The colours read in the reading soak, and the texts the program writes for them.
struct Swatch {
  COLORREF colour;
  const wchar_t* rgb;
  const wchar_t* hex;
  RECT rect;
};

constexpr Swatch kSwatches[] = {
    {RGB(5, 10, 255), L"5,10,255", L"#5AFF", {60, 60, 160, 160}},
    {RGB(200, 16, 0), L"200,16,0", L"#C8100", {190, 60, 290, 160}},
};

// ---- The recorder's hook ----

std::atomic<MouseRecorder*> activeRecorder{nullptr};

}  // namespace

// ---- Memory ----

bool startTraced(e2e::Pelmora& app, int& linuxPid, std::string& failure) {
  // Wine names a Windows process's Linux process after the program's Windows path. Other Wine
  // prefixes on the machine may run the same path; the environment tells them apart.
  std::string path;
  for (const wchar_t c : e2e::pelmoraPath()) {
    path += static_cast<char>(c < 0x80 ? std::tolower(static_cast<int>(c)) : '?');
  }
  const std::string prefix =
      itemStartingWith(readUnixFile("/proc/self/environ").value_or(""), "WINEPREFIX=");
  const auto ours = [&] {
    std::vector<int> found;
    for (const int pid : linuxPids()) {
      const std::string base = "/proc/" + std::to_string(pid);
      std::string commandLine = readUnixFile(base + "/cmdline").value_or("");
      commandLine = commandLine.substr(0, commandLine.find('\0'));
      std::transform(commandLine.begin(), commandLine.end(), commandLine.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (commandLine != path) continue;
      const std::optional<std::string> environment = readUnixFile(base + "/environ");
      if (environment && itemStartingWith(*environment, "WINEPREFIX=") == prefix) {
        found.push_back(pid);
      }
    }
    return found;
  };
  const std::vector<int> before = ours();
  if (!app.start()) {
    failure = "pelmora.exe did not start";
    return false;
  }
  std::vector<int> started = ours();
  std::erase_if(started, [&](int pid) {
    return std::find(before.begin(), before.end(), pid) != before.end();
  });
  if (started.size() != 1) {
    failure = std::to_string(started.size()) + " new Linux processes run " + path;
    return false;
  }
  linuxPid = started.front();
  return true;
}

std::optional<Memory> readMemory(int pid) {
  const std::optional<std::string> rollup =
      readUnixFile("/proc/" + std::to_string(pid) + "/smaps_rollup");
  if (!rollup) return std::nullopt;
  Memory memory;
  int found = 0;
  std::istringstream lines(*rollup);
  std::string line;
  while (std::getline(lines, line)) {
    long long value = 0;
    if (std::sscanf(line.c_str(), "Private_Dirty: %lld", &value) == 1) {
      memory.privateDirtyKiB = value;
      ++found;
    } else if (std::sscanf(line.c_str(), "Pss: %lld", &value) == 1) {
      memory.pssKiB = value;
      ++found;
    }
  }
  if (found != 2) return std::nullopt;
  return memory;
}

// ---- Recorder ----

MouseRecorder::MouseRecorder() {
  std::promise<bool> ready;
  std::future<bool> installed = ready.get_future();
  thread_ = std::thread([this, &ready] {
    MSG message;
    // The thread's message queue exists before anyone posts to it.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    activeRecorder = this;
    const HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, hookProc, GetModuleHandleW(nullptr), 0);
    ready.set_value(hook != nullptr);
    if (hook == nullptr) return;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    UnhookWindowsHookEx(hook);
  });
  installed_ = installed.get();
}

MouseRecorder::~MouseRecorder() {
  if (installed_) PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  thread_.join();
  activeRecorder = nullptr;
}

void MouseRecorder::probe(HWND editBox, std::size_t every) {
  const std::lock_guard lock(mutex_);
  probed_ = editBox;
  probeEvery_ = std::max<std::size_t>(every, 1);
}

std::vector<MouseEvent> MouseRecorder::take() {
  const std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

LRESULT CALLBACK MouseRecorder::hookProc(int code, WPARAM wParam, LPARAM lParam) {
  MouseRecorder* const recorder = activeRecorder;
  if (code == HC_ACTION && recorder != nullptr) {
    const auto& record = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    MouseEvent event{wParam, record.pt, record.flags, record.dwExtraInfo, std::nullopt};
    HWND probed = nullptr;
    {
      const std::lock_guard lock(recorder->mutex_);
      const std::size_t index = record.dwExtraInfo - kMoveTag;
      if (recorder->probed_ != nullptr && (record.dwExtraInfo & kMoveTagMask) == kMoveTag &&
          index % recorder->probeEvery_ == 0) {
        probed = recorder->probed_;
      }
    }
    if (probed != nullptr) {
      // The program's thread answers while it waits in CallNextHookEx for this hook.
      wchar_t text[64];
      DWORD_PTR copied = 0;
      if (SendMessageTimeoutW(probed, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                              SMTO_ABORTIFHUNG, 1000, &copied) != 0) {
        event.probed.emplace(text, std::min<std::size_t>(copied, std::size(text) - 1));
      } else {
        event.probed.emplace(L"(no answer)");
      }
    }
    const std::lock_guard lock(recorder->mutex_);
    recorder->events_.push_back(std::move(event));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- Input ----

std::vector<Move> makeMoves(POINT start, const RECT& area, int count, std::uint32_t seed) {
  Random random(seed);
  std::vector<Move> moves;
  moves.reserve(static_cast<std::size_t>(count));
  const int step = relativeStepLimit();
  POINT at = start;
  const auto inside = [&](POINT p) {
    return p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom;
  };
  for (int i = 0; i < count; ++i) {
    Move move{};
    move.extraInfo = kMoveTag + static_cast<ULONG_PTR>(i);
    // Runs of 25: absolute moves to scattered pixels, then short relative steps.
    move.absolute = (i / 25) % 2 == 0;
    POINT next = at;
    while (next.x == at.x && next.y == at.y) {
      if (move.absolute) {
        next = {random.between(area.left, area.right - 1),
                random.between(area.top, area.bottom - 1)};
      } else {
        POINT offset{random.between(-step, step), random.between(-step, step)};
        // Turned back at the edges of the area.
        if (!inside({at.x + offset.x, at.y})) offset.x = -offset.x;
        if (!inside({at.x, at.y + offset.y})) offset.y = -offset.y;
        move.offset = offset;
        next = {at.x + offset.x, at.y + offset.y};
      }
    }
    move.expected = next;
    at = next;
    moves.push_back(move);
  }
  return moves;
}

bool sendMoves(const std::vector<Move>& moves, std::size_t first, std::size_t last,
               std::size_t batch) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> inputs;
  inputs.reserve(batch);
  for (std::size_t i = first; i < last;) {
    inputs.clear();
    for (; i < last && inputs.size() < batch; ++i) {
      const Move& move = moves[i];
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwExtraInfo = move.extraInfo;
      if (move.absolute) {
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = toAbsolute(move.expected.x, width);
        input.mi.dy = toAbsolute(move.expected.y, height);
      } else {
        input.mi.dwFlags = MOUSEEVENTF_MOVE;
        input.mi.dx = move.offset.x;
        input.mi.dy = move.offset.y;
      }
      inputs.push_back(input);
    }
    const UINT count = static_cast<UINT>(inputs.size());
    if (SendInput(count, inputs.data(), sizeof(INPUT)) != count) return false;
  }
  return true;
}

// ---- The program's window ----

bool click(const e2e::Pelmora& app, Control id) {
  const HWND button = app.control(id);
  DWORD_PTR result = 0;
  return button != nullptr && SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG,
                                                  kAnswerTimeoutMs, &result) != 0;
}

bool command(const e2e::Pelmora& app, Control id) {
  const HWND button = app.control(id);
  DWORD_PTR result = 0;
  return button != nullptr && SendMessageTimeoutW(app.mainWindow(), WM_COMMAND,
                                                  MAKEWPARAM(static_cast<int>(id), BN_CLICKED),
                                                  reinterpret_cast<LPARAM>(button),
                                                  SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) != 0;
}

std::optional<std::wstring> quickText(const e2e::Pelmora& app, Control id) {
  const HWND control = app.control(id);
  if (control == nullptr) return std::nullopt;
  wchar_t buffer[256];
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutW(control, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied) == 0) {
    return std::nullopt;
  }
  return std::wstring(buffer, std::min<std::size_t>(copied, std::size(buffer) - 1));
}

std::optional<std::wstring> clipboardText() {
  // The program (or Wine's clipboard manager) may hold the clipboard for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 100 && !open; ++attempt) {
    if (attempt > 0) Sleep(10);
    open = OpenClipboard(nullptr) != FALSE;
  }
  if (!open) return std::nullopt;
  std::optional<std::wstring> text;
  if (const HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
      const int size = static_cast<int>(strnlen(bytes, GlobalSize(data)));
      std::wstring wide(static_cast<std::size_t>(size), L'\0');
      const int n = MultiByteToWideChar(936, 0, bytes, size, wide.data(), size);
      wide.resize(static_cast<std::size_t>(std::max(n, 0)));
      text = std::move(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// ---- Runs ----

RECT moveArea() {
  // Lower left of the screen: the program's window is centred, the swatches are upper left.
  const int height = GetSystemMetrics(SM_CYSCREEN);
  return {40, height - 380, 640, height - 40};
}

RunReport soakMoves(const e2e::Pelmora& app, int linuxPid, int count) {
  RunReport report;
  const POINT start = moveStart();
  if (report.failure = startTracking(app, start); !report.ok()) return report;
  const std::vector<Move> moves = makeMoves(start, moveArea(), count, 0x5EED0001u);
  if (report.failure = runMoves(app, linuxPid, moves, report); !report.ok()) return report;
  if (report.failure = stillFollows(app, moves.back().expected); !report.ok()) return report;
  report.failure = sample(linuxPid, report.end);
  return report;
}

RunReport soakPassThrough(const e2e::Pelmora& app, int linuxPid, int count) {
  RunReport report;
  // The recorder's hook goes in first, so the program's hook, installed after it, is called
  // before it and hands each event on to it.
  MouseRecorder recorder;
  if (!recorder.installed()) {
    report.failure = "the recorder's hook could not be installed";
    return report;
  }
  const POINT start = moveStart();
  if (report.failure = startTracking(app, start); !report.ok()) return report;
  recorder.take();
  // Now and then the recorder looks at 编辑框1: the program's hook has shown the move already.
  constexpr std::size_t kProbeEvery = 37;
  recorder.probe(app.control(Control::editBox1), kProbeEvery);
  const std::vector<Move> moves = makeMoves(start, moveArea(), count, 0x5EED0002u);
  if (report.failure = runMoves(app, linuxPid, moves, report); !report.ok()) return report;
  if (report.failure = sample(linuxPid, report.end); !report.ok()) return report;

  // The recorder saw every soak move, in order, with the pixel it was sent to, as a movement
  // injected by SendInput, after the program's hook.
  std::size_t next = 0;
  int others = 0;
  std::size_t probes = 0;
  for (const MouseEvent& event : recorder.take()) {
    if ((event.extraInfo & kMoveTagMask) != kMoveTag) {
      ++others;
      continue;
    }
    const std::size_t index = event.extraInfo - kMoveTag;
    if (index != next || next >= moves.size()) {
      report.failure = "the recorder saw move " + std::to_string(index) + " where move " +
                       std::to_string(next) + " was due";
      return report;
    }
    const POINT expected = moves[index].expected;
    if (event.message != WM_MOUSEMOVE || event.point.x != expected.x ||
        event.point.y != expected.y || (event.flags & LLMHF_INJECTED) == 0) {
      report.failure = "move " + std::to_string(index) + " reached the recorder as message " +
                       std::to_string(event.message) + " at " + pointText(event.point) +
                       " with flags " + std::to_string(event.flags) + ", sent to " +
                       pointText(expected);
      return report;
    }
    if (event.probed) {
      ++probes;
      if (*event.probed != coordinates(expected)) {
        report.failure = "when move " + std::to_string(index) + " to " + pointText(expected) +
                         " reached the recorder, 编辑框1 read " + shown(event.probed);
        return report;
      }
    }
    ++next;
  }
  if (next != moves.size()) {
    report.failure = "the recorder saw " + std::to_string(next) + " of " +
                     std::to_string(moves.size()) + " moves";
    return report;
  }
  if (probes != (moves.size() + kProbeEvery - 1) / kProbeEvery) {
    report.failure = "the recorder looked at 编辑框1 " + std::to_string(probes) + " times";
    return report;
  }
  if (others > 0) {
    report.failure = "the recorder saw " + std::to_string(others) + " events that were not sent";
  }
  return report;
}

RunReport soakReadings(const e2e::Pelmora& app, int linuxPid, int count) {
  RunReport report;
  std::vector<e2e::ColourWindow> windows;
  for (const Swatch& swatch : kSwatches) {
    windows.push_back(e2e::paintColourWindow(swatch.colour, swatch.rect));
    if (!windows.back().shown()) {
      report.failure = "the colour window " + narrow(swatch.rgb) + " did not show";
      return report;
    }
  }
  const int warmUp = warmUpCount(count);
  if (report.failure = sample(linuxPid, report.start); !report.ok()) return report;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i) {
    // Each reading samples the other colour, so a reading that changes nothing shows at once.
    const std::size_t which = static_cast<std::size_t>(i % 2);
    const Swatch& swatch = kSwatches[which];
    const POINT point = windows[which].centre();
    const std::string reading = "reading " + std::to_string(i + 1);
    // The coordinate text as the user would type it, then start and stop: no mouse movement
    // happens in between, so the stop samples at the typed point.
    if (!app.setText(Control::editBox1, coordinates(point)) || !command(app, Control::button6) ||
        !command(app, Control::button7)) {
      report.failure = reading + ": the program does not answer";
      return report;
    }
    const std::optional<std::wstring> rgb = quickText(app, Control::editBox3);
    const std::optional<std::wstring> hex = quickText(app, Control::editBox4);
    if (rgb != swatch.rgb || hex != swatch.hex) {
      const std::optional<COLORREF> screen = e2e::screenPixel(point.x, point.y);
      report.failure =
          reading + " at " + pointText(point) + " shows RGB " + shown(rgb) + " and HEX " +
          shown(hex) + ", expected \"" + narrow(swatch.rgb) + "\" and \"" + narrow(swatch.hex) +
          "\" (编辑框1 " + shown(quickText(app, Control::editBox1)) + ", the driver reads " +
          (screen ? narrow(e2e::rgbText(*screen)) : std::string("nothing")) + " there)";
      return report;
    }
    if (i + 1 == warmUp) {
      if (report.failure = sample(linuxPid, report.warm); !report.ok()) return report;
    }
    if (i % 256 == 255) e2e::pumpFor(Milliseconds(0));
  }
  report.seconds = secondsSince(start);
  report.operations = count;
  // Every stop removed its hook: moves now leave the coordinate text alone.
  const std::optional<std::wstring> before = app.text(Control::editBox1);
  const RECT area = moveArea();
  if (!e2e::moveMouseTo(area.right - 3, area.top + 3) ||
      !e2e::moveMouseTo(area.right - 4, area.top + 4)) {
    report.failure = "the cursor did not get to a point off the colours";
    return report;
  }
  e2e::pumpFor(e2e::kSettle);
  if (const std::optional<std::wstring> after = app.text(Control::editBox1); after != before) {
    report.failure = "a hook stayed after the last stop: 编辑框1 went from " + shown(before) +
                     " to " + shown(after);
    return report;
  }
  report.failure = sample(linuxPid, report.end);
  return report;
}

RunReport soakCopies(const e2e::Pelmora& app, int linuxPid, int count) {
  RunReport report;
  const struct {
    Control box;
    const wchar_t* text;
  } boxes[] = {{Control::editBox1, L"1234,567"},
               {Control::editBox3, L"5,10,255"},
               {Control::editBox4, L"#5AFF"}};
  for (const auto& box : boxes) {
    if (!app.setText(box.box, box.text)) {
      report.failure = "could not type into the edit boxes";
      return report;
    }
  }
  const struct {
    Control button;
    const wchar_t* copied;
  } buttons[] = {{Control::button1, L"1234,567"},
                 {Control::button2, L"1234"},
                 {Control::button3, L"567"},
                 {Control::button4, L"5,10,255"},
                 {Control::button5, L"#5AFF"}};
  const int warmUp = warmUpCount(count);
  if (report.failure = sample(linuxPid, report.start); !report.ok()) return report;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i) {
    const auto& button = buttons[i % std::size(buttons)];
    const std::string which = "copy " + std::to_string(i + 1);
    if (!click(app, button.button)) {
      report.failure = which + ": the button does not answer";
      return report;
    }
    if (const std::optional<std::wstring> text = clipboardText(); text != button.copied) {
      report.failure = which + " left " + shown(text) + " on the clipboard, expected \"" +
                       narrow(button.copied) + "\"";
      return report;
    }
    if (i + 1 == warmUp) {
      if (report.failure = sample(linuxPid, report.warm); !report.ok()) return report;
    }
    if (i % 256 == 255) e2e::pumpFor(Milliseconds(0));
  }
  report.seconds = secondsSince(start);
  report.operations = count;
  report.failure = sample(linuxPid, report.end);
  return report;
}

std::string describe(const RunReport& report) {
  char text[256];
  std::snprintf(text, sizeof text,
                "%d operations in %.1f s (%.0f per second); private memory %lld KiB before, "
                "%lld KiB after the warm-up, %lld KiB at the end (%+lld KiB); PSS %lld, %lld, "
                "%lld KiB",
                report.operations, report.seconds,
                report.seconds > 0 ? report.operations / report.seconds : 0.0,
                report.start.privateDirtyKiB, report.warm.privateDirtyKiB,
                report.end.privateDirtyKiB, report.growthKiB(), report.start.pssKiB,
                report.warm.pssKiB, report.end.pssKiB);
  return text;
}

}  // namespace pelmora::soak
