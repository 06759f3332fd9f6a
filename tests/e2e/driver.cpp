#include "driver.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <sstream>
#include <utility>

#ifndef PELMORA_EXE
#error "PELMORA_EXE must name the program under test"
#endif

namespace pelmora::e2e {
namespace {

constexpr UINT kMessageTimeoutMs = 2000;

std::wstring widen(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

std::wstring toBackslashes(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::optional<std::wstring> readTextOnce(HWND window) {
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                          &length) == 0) {
    return std::nullopt;
  }
  // Room for a text that grew since its length was asked for.
  std::wstring buffer(static_cast<std::size_t>(length) + 256, L'\0');
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                          reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                          kMessageTimeoutMs, &copied) == 0) {
    return std::nullopt;
  }
  buffer.resize(std::min<std::size_t>(copied, buffer.size()));
  return buffer;
}

void sendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.mouseData = data;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

void sendKey(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Absolute mouse coordinates (0 to 65535 across the primary screen) of a pixel, rounded up:
// Wine maps them back to pixels by truncating.
LONG toAbsolute(int pixel, int size) {
  const long long value = (static_cast<long long>(pixel) * 65536 + size - 1) / size;
  return static_cast<LONG>(std::clamp<long long>(value, 0, 65535));
}

// ---- Colour windows ----

constexpr wchar_t kColourClass[] = L"PelmoraE2EColourWindow";

LRESULT CALLBACK colourWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(window, &ps);
      const auto colour = static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA));
      const HBRUSH brush = CreateSolidBrush(colour);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool registerColourClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = colourWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kColourClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

void prepareMouse();

// Presses of the driver's hotkeys by identifier, counted by pumpFor.
std::map<int, int>& hotkeyPresses() {
  static std::map<int, int> presses;
  return presses;
}

}  // namespace

// ---- Waiting ----

void pumpFor(Milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_HOTKEY && message.hwnd == nullptr) {
        ++hotkeyPresses()[static_cast<int>(message.wParam)];
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const auto left =
        std::chrono::duration_cast<Milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
  }
}

// ---- The program ----

std::wstring pelmoraPath() {
  if (const wchar_t* override = _wgetenv(L"PELMORA_EXE"); override != nullptr && *override != 0) {
    return override;
  }
  // The build gives a Unix path with "Z:" in front: Wine's drive Z: is the Unix root.
  return toBackslashes(widen(PELMORA_EXE));
}

Pelmora::~Pelmora() { release(); }

Pelmora::Pelmora(Pelmora&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      processId_(std::exchange(other.processId_, 0)),
      main_(std::exchange(other.main_, nullptr)) {}

Pelmora& Pelmora::operator=(Pelmora&& other) noexcept {
  if (this != &other) {
    release();
    process_ = std::exchange(other.process_, nullptr);
    processId_ = std::exchange(other.processId_, 0);
    main_ = std::exchange(other.main_, nullptr);
  }
  return *this;
}

void Pelmora::release() {
  if (process_ != nullptr) {
    if (running()) terminate();
    CloseHandle(process_);
  }
  process_ = nullptr;
  processId_ = 0;
  main_ = nullptr;
}

bool Pelmora::start(Milliseconds timeout) {
  release();
  // Ready before the program can track: the X pointer's park reports itself as a movement.
  prepareMouse();
  const std::wstring path = pelmoraPath();
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  const bool shown = waitUntil(
      [this] {
        main_ = findMainWindow();
        return (main_ != nullptr && IsWindowVisible(main_)) || !running();
      },
      timeout);
  if (!shown || !running()) return false;
  // The window shows just before the message loop starts; let the loop take over. The driver
  // keeps pumping meanwhile, for its own hook.
  waitUntil([this] { return WaitForInputIdle(process_, 0) == 0; }, Milliseconds(2000));
  return true;
}

bool Pelmora::running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND Pelmora::findMainWindow() const {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, kMainWindowClass, kMainWindowCaption)) !=
         nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId_) return window;
  }
  return nullptr;
}

HWND Pelmora::control(Control id) const {
  return main_ != nullptr ? GetDlgItem(main_, static_cast<int>(id)) : nullptr;
}

RECT Pelmora::controlRect(Control id) const {
  RECT rect{};
  if (const HWND window = control(id)) GetWindowRect(window, &rect);
  return rect;
}

std::optional<std::wstring> Pelmora::text(Control id) const {
  const HWND window = control(id);
  if (window == nullptr) return std::nullopt;
  std::optional<std::wstring> previous = readTextOnce(window);
  for (int attempt = 0; attempt < 20 && previous; ++attempt) {
    std::optional<std::wstring> next = readTextOnce(window);
    if (next == previous) return next;
    previous = std::move(next);
  }
  return std::nullopt;
}

bool Pelmora::setText(Control id, std::wstring_view text) const {
  const HWND window = control(id);
  if (window == nullptr) return false;
  const std::wstring copy(text);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) != 0 &&
         result != 0;
}

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectVisibleWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> Pelmora::visibleTopLevelWindows() const {
  WindowSearch search{processId_, {}};
  EnumWindows(collectVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<DWORD> Pelmora::close(Milliseconds timeout) {
  if (main_ != nullptr) PostMessageW(main_, WM_CLOSE, 0, 0);
  return waitForExit(timeout);
}

std::optional<DWORD> Pelmora::waitForExit(Milliseconds timeout) const {
  if (process_ == nullptr) return std::nullopt;
  if (!waitUntil([this] { return !running(); }, timeout)) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void Pelmora::terminate() {
  if (process_ == nullptr) return;
  TerminateProcess(process_, 1);
  waitUntil([this] { return !running(); }, Milliseconds(5000));
}

// ---- Input ----

namespace {

// The driver's own low-level mouse hook: it passes every event on unchanged and notes the
// movements, which is how the driver learns that the hooks of the desktop have seen a move.
//
// It also keeps Wine from moving the X pointer. Wine takes the X pointer along (an X warp, with
// a pointer grab) when sent input moves the cursor while no low-level hook is installed; the
// motion events of that warp come back to the sender's X connection a little later and are fed
// in again as a real movement to where the warp went. If the driver has moved on by then (the
// program has just installed its hook, say), the cursor jumps back and the program shows an old
// position. With a hook installed Wine moves the cursor only after the hooks, and does not warp.
// So the driver installs its hook before its first movement, and parks the X pointer once where
// no window ever appears: windows mapped under the X pointer also report it as a movement.
struct MouseWatch {
  HHOOK hook = nullptr;
  POINT lastMove{};
  unsigned moves = 0;
};

MouseWatch& mouseWatch() {
  static MouseWatch watch;
  return watch;
}

constexpr POINT kXPointerPark{1919, 333};

LRESULT CALLBACK watchMouse(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == WM_MOUSEMOVE) {
    MouseWatch& watch = mouseWatch();
    watch.lastMove = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
    ++watch.moves;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void prepareMouse() {
  MouseWatch& watch = mouseWatch();
  if (watch.hook != nullptr) return;
  watch.hook = SetWindowsHookExW(WH_MOUSE_LL, watchMouse, GetModuleHandleW(nullptr), 0);
  // SetCursorPos warps the X pointer even with hooks installed; its echo passes the hooks as a
  // move to the park. None comes when the pointer is there already.
  const unsigned before = watch.moves;
  SetCursorPos(kXPointerPark.x, kXPointerPark.y);
  waitUntil(
      [&] {
        return watch.moves != before && watch.lastMove.x == kXPointerPark.x &&
               watch.lastMove.y == kXPointerPark.y;
      },
      Milliseconds(300));
}

}  // namespace

POINT cursorPos() {
  const MouseWatch& watch = mouseWatch();
  if (watch.moves > 0) return watch.lastMove;
  POINT point{};
  GetCursorPos(&point);
  return point;
}

bool moveMouseTo(int x, int y) {
  prepareMouse();
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return false;
  LONG dx = toAbsolute(x, width);
  LONG dy = toAbsolute(y, height);
  const LONG stepX = (65536 + width - 1) / width;
  const LONG stepY = (65536 + height - 1) / height;
  const MouseWatch& watch = mouseWatch();
  for (int attempt = 0; attempt < 5; ++attempt) {
    const unsigned before = watch.moves;
    sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy);
    // The hooks see the move while SendInput runs (Wine waits for them); the wait covers a slow
    // hook.
    if (!waitUntil([&] { return watch.moves != before; }, Milliseconds(1000))) continue;
    const POINT at = watch.lastMove;
    if (at.x == x && at.y == y) return true;
    // Missed (another rounding rule): step toward the target by the pixels still missing.
    dx = std::clamp<LONG>(dx + (x - at.x) * stepX, 0, 65535);
    dy = std::clamp<LONG>(dy + (y - at.y) * stepY, 0, 65535);
  }
  return false;
}

void mouseButton(MouseButton button, bool down) {
  prepareMouse();
  switch (button) {
    case MouseButton::left: sendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); break;
    case MouseButton::right: sendMouse(down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP); break;
    case MouseButton::middle:
      sendMouse(down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP);
      break;
  }
}

bool clickAt(int x, int y, MouseButton button) {
  if (!moveMouseTo(x, y)) return false;
  mouseButton(button, true);
  mouseButton(button, false);
  return true;
}

POINT centreOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool clickControl(HWND control) {
  if (control == nullptr) return false;
  const POINT centre = centreOf(control);
  return clickAt(centre.x, centre.y);
}

void turnWheel(int delta, bool horizontal) {
  prepareMouse();
  sendMouse(horizontal ? MOUSEEVENTF_HWHEEL : MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
}

void pressKey(WORD virtualKey) {
  keyDown(virtualKey);
  keyUp(virtualKey);
}

void keyDown(WORD virtualKey) { sendKey(virtualKey, false); }
void keyUp(WORD virtualKey) { sendKey(virtualKey, true); }

// ---- The screen ----

std::optional<COLORREF> screenPixel(int x, int y) {
  const HDC dc = GetDC(nullptr);
  if (dc == nullptr) return std::nullopt;
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  if (colour == CLR_INVALID) return std::nullopt;
  return colour;
}

std::optional<COLORREF> xScreenPixel(int x, int y, Milliseconds timeout) {
  // Wine starts a program that is not a Windows executable as a Unix process (without a handle
  // to wait on), with the Unix environment and so the same X display. The shell writes the
  // pixel to a file under another name and renames it when done (complete, or empty when import
  // failed); the driver waits for the final name to appear.
  static int serial = 0;
  char unixPath[96];
  std::snprintf(unixPath, sizeof unixPath, "/tmp/pelmora-e2e-pixel-%lu-%d.txt",
                GetCurrentProcessId(), ++serial);
  const std::wstring windowsPath = L"Z:" + toBackslashes(widen(unixPath));
  DeleteFileW(windowsPath.c_str());
  char script[512];
  std::snprintf(script, sizeof script,
                "import -silent -window root -crop 1x1+%d+%d -depth 8 txt:- > %s.part 2>/dev/null; "
                "mv %s.part %s",
                x, y, unixPath, unixPath, unixPath);
  std::wstring commandLine = L"/bin/sh -c \"" + widen(script) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return std::nullopt;
  }
  if (info.hThread != nullptr) CloseHandle(info.hThread);
  if (info.hProcess != nullptr) CloseHandle(info.hProcess);
  if (!waitUntil([&] { return GetFileAttributesW(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; },
                 timeout)) {
    return std::nullopt;
  }
  // "# ImageMagick pixel enumeration: ..." then "0,0: (r,g,b)  #RRGGBB  srgb(...)".
  std::string content;
  {
    const HANDLE handle = CreateFileW(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    char buffer[1024];
    DWORD read = 0;
    if (ReadFile(handle, buffer, sizeof buffer, &read, nullptr)) content.assign(buffer, read);
    CloseHandle(handle);
    DeleteFileW(windowsPath.c_str());
  }
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t hash = line.find('#');
    unsigned red = 0, green = 0, blue = 0;
    if (hash != std::string::npos &&
        std::sscanf(line.c_str() + hash, "#%2x%2x%2x", &red, &green, &blue) == 3) {
      return RGB(red, green, blue);
    }
  }
  return std::nullopt;
}

ColourWindow::ColourWindow(COLORREF colour, const RECT& rect) : colour_(colour), rect_(rect) {
  if (!registerColourClass()) return;
  window_ =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kColourClass, L"",
                      WS_POPUP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(window_);
  const LONG inset = 1;
  const POINT probes[] = {centre(),
                          {rect.left + inset, rect.top + inset},
                          {rect.right - 1 - inset, rect.top + inset},
                          {rect.left + inset, rect.bottom - 1 - inset},
                          {rect.right - 1 - inset, rect.bottom - 1 - inset}};
  shown_ = waitUntil([&] {
    return std::all_of(std::begin(probes), std::end(probes),
                       [&](POINT p) { return screenPixel(p.x, p.y) == colour; });
  });
}

ColourWindow::~ColourWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

ColourWindow::ColourWindow(ColourWindow&& other) noexcept
    : window_(std::exchange(other.window_, nullptr)),
      colour_(other.colour_),
      rect_(other.rect_),
      shown_(std::exchange(other.shown_, false)) {}

ColourWindow& ColourWindow::operator=(ColourWindow&& other) noexcept {
  if (this != &other) {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = std::exchange(other.window_, nullptr);
    colour_ = other.colour_;
    rect_ = other.rect_;
    shown_ = std::exchange(other.shown_, false);
  }
  return *this;
}

POINT ColourWindow::centre() const {
  return {(rect_.left + rect_.right) / 2, (rect_.top + rect_.bottom) / 2};
}

ColourWindow paintColourWindow(COLORREF colour, const RECT& rect) {
  return ColourWindow(colour, rect);
}

// ---- Hotkeys held by the driver ----

DriverHotkey::DriverHotkey(WORD virtualKey) {
  // Identifiers of the driver's own, well away from the program's (33001 upward).
  static int nextId = 0x100;
  id_ = nextId++;
  held_ = RegisterHotKey(nullptr, id_, 0, virtualKey) != 0;
  hotkeyPresses()[id_] = 0;
}

DriverHotkey::~DriverHotkey() {
  if (held_) UnregisterHotKey(nullptr, id_);
}

int DriverHotkey::presses() const {
  const auto it = hotkeyPresses().find(id_);
  return it == hotkeyPresses().end() ? 0 : it->second;
}

// ---- Texts ----

std::wstring rgbText(COLORREF colour) {
  wchar_t text[16];
  std::swprintf(text, std::size(text), L"%u,%u,%u", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

std::wstring hexText(COLORREF colour) {
  wchar_t text[16];
  std::swprintf(text, std::size(text), L"#%X%X%X", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

std::optional<POINT> parseCoordinates(std::wstring_view text) {
  int x = 0, y = 0;
  const std::wstring copy(text);
  if (std::swscanf(copy.c_str(), L"%d,%d", &x, &y) != 2) return std::nullopt;
  // Only the program's own form: plain decimal numbers, nothing before, between or after.
  wchar_t again[32];
  std::swprintf(again, std::size(again), L"%d,%d", x, y);
  if (copy != again) return std::nullopt;
  return POINT{x, y};
}

}  // namespace pelmora::e2e
