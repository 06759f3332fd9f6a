// The copy buttons, the clipboard operation behind them, and the keep-on-top check box, driven
// through the real window and its bindings.
#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/events.h"
#include "platform/handle.h"
#include "readouts/commands.h"
#include "testing.h"
#include "window/main_window.h"

// After <windows.h>, which testing.h brings.
#include <commctrl.h>

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using testing::cp936;

constexpr std::string_view kSentinel = "sentinel text";

// A format of the tests' own, placed beside the sentinel text: a copy must take it away too.
UINT sentinelFormat() {
  static const UINT format = RegisterClipboardFormatW(L"PelmoraTestSentinel");
  return format;
}

HGLOBAL textBlock(std::string_view bytes) {
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + 1);
  if (block == nullptr) return nullptr;
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

// Opens the clipboard for the test itself; the system may hold it for a moment (Wine's own
// exchange with X does).
bool openClipboard() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr) != FALSE) return true;
    Sleep(10);
  }
  return false;
}

void putSentinel() {
  ASSERT_TRUE(openClipboard());
  EmptyClipboard();
  SetClipboardData(CF_TEXT, textBlock(kSentinel));
  SetClipboardData(sentinelFormat(), textBlock("x"));
  CloseClipboard();
}

struct ClipboardText {
  bool present = false;     // the clipboard offers CF_TEXT
  std::string bytes;        // the block's bytes before its first zero byte
  bool terminated = false;  // a zero byte lies inside the block
  SIZE_T blockSize = 0;
};

ClipboardText readClipboardText() {
  ClipboardText result;
  if (!openClipboard()) return result;
  if (const HANDLE data = GetClipboardData(CF_TEXT)) {
    result.present = true;
    result.blockSize = GlobalSize(data);
    if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
      const char* const end = bytes + result.blockSize;
      const char* const zero = std::find(bytes, end, '\0');
      result.bytes.assign(bytes, zero);
      result.terminated = zero != end;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return result;
}

// The formats on the clipboard, those the system derives from CF_TEXT included.
std::vector<UINT> clipboardFormats() {
  std::vector<UINT> formats;
  if (!openClipboard()) return formats;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    formats.push_back(format);
  }
  CloseClipboard();
  return formats;
}

// The clipboard holds exactly `text` as placed by the program: one CF_TEXT block of its bytes
// and a terminating zero, owned by the main window, and nothing that was there before. Windows
// and Wine derive CF_UNICODETEXT, CF_OEMTEXT and CF_LOCALE from CF_TEXT; they are the only
// other formats allowed.
void expectClipboardHolds(std::string_view text) {
  const ClipboardText clip = readClipboardText();
  EXPECT_TRUE(clip.present);
  EXPECT_EQ(clip.bytes, text);
  EXPECT_TRUE(clip.terminated);
  EXPECT_GE(clip.blockSize, text.size() + 1);
  EXPECT_EQ(GetClipboardOwner(), mainWindow());
  const std::vector<UINT> formats = clipboardFormats();
  EXPECT_NE(std::find(formats.begin(), formats.end(), UINT{CF_TEXT}), formats.end());
  for (const UINT format : formats) {
    EXPECT_TRUE(format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT ||
                format == CF_LOCALE)
        << "unexpected clipboard format " << format;
  }
}

void expectSentinelKept() {
  const ClipboardText clip = readClipboardText();
  EXPECT_EQ(clip.bytes, kSentinel);
  EXPECT_TRUE(IsClipboardFormatAvailable(sentinelFormat()));
}

void click(ControlName control) { SendMessageW(controlWindow(control), BM_CLICK, 0, 0); }

// Counts the balloon tips asked of 编辑框1, by subclassing it. (Wine's edit control takes the
// request without drawing a balloon.)
class BalloonRequests {
 public:
  BalloonRequests() : edit_(controlWindow(ControlName::editBox1)) {
    count_ = 0;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc)));
  }
  ~BalloonRequests() {
    SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  }
  BalloonRequests(const BalloonRequests&) = delete;
  BalloonRequests& operator=(const BalloonRequests&) = delete;

  int count() const { return count_; }

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == EM_SHOWBALLOONTIP) ++count_;
    return CallWindowProcW(original_, hwnd, message, wParam, lParam);
  }

  HWND edit_;
  static inline WNDPROC original_ = nullptr;
  static inline int count_ = 0;
};

// The real window, with the program's own bindings, so that clicks run the real commands.
class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing::startMainWindow(pelmoraBindings())); }
  void TearDown() override { EXPECT_EQ(testing::closeMainWindow(), 0); }
};

struct CopyCase {
  const char* label;
  ControlName box;
  std::string text;
  ControlName button;
  std::optional<std::string> copied;  // none: the command ends and the clipboard keeps its contents
};

TEST_F(Clipboard, CopyButtonsPutTheirTextOrFieldOnTheClipboard) {
  using enum ControlName;
  const std::optional<std::string> aborts;
  const std::string chinese = cp936(L"坐标,１２");  // 坐标 is D7F8 B1EA in code page 936
  const std::string fullWidthComma = cp936(L"１２３，４５６");
  const CopyCase cases[] = {
      {"whole coordinates", editBox1, "1024,768", button1, "1024,768"},
      {"x", editBox1, "1024,768", button2, "1024"},
      {"y", editBox1, "1024,768", button3, "768"},
      {"negative x", editBox1, "-1280,300", button2, "-1280"},
      {"negative whole", editBox1, "-1280,300", button1, "-1280,300"},
      {"no comma: x", editBox1, "12", button2, "12"},
      {"no comma: y", editBox1, "12", button3, aborts},
      {"trailing comma: x", editBox1, "12,", button2, "12"},
      {"trailing comma: y", editBox1, "12,", button3, aborts},
      {"leading comma: x", editBox1, ",34", button2, ""},
      {"leading comma: y", editBox1, ",34", button3, "34"},
      {"three fields: x", editBox1, "1,2,3", button2, "1"},
      {"three fields: y", editBox1, "1,2,3", button3, "2"},
      {"empty: whole", editBox1, "", button1, ""},
      {"empty: x", editBox1, "", button2, aborts},
      {"empty: y", editBox1, "", button3, aborts},
      {"double-byte: whole", editBox1, chinese, button1, chinese},
      {"double-byte: x", editBox1, chinese, button2, "\xD7\xF8\xB1\xEA"},
      {"double-byte: y", editBox1, chinese, button3, "\xA3\xB1\xA3\xB2"},
      {"full-width comma: x", editBox1, fullWidthComma, button2, fullWidthComma},
      {"full-width comma: y", editBox1, fullWidthComma, button3, aborts},
      {"rgb", editBox3, "0,128,64", button4, "0,128,64"},
      {"hex", editBox4, "#5AFF", button5, "#5AFF"},
      {"empty rgb", editBox3, "", button4, ""},
      {"empty hex", editBox4, "", button5, ""},
  };
  const BalloonRequests balloons;
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(c.label);
    putSentinel();
    writeText(c.box, c.text);
    ASSERT_EQ(readText(c.box), c.text);
    const DWORD sequence = GetClipboardSequenceNumber();
    const int balloonsBefore = balloons.count();
    click(c.button);
    if (c.copied) {
      expectClipboardHolds(*c.copied);
      EXPECT_EQ(balloons.count(), balloonsBefore);
    } else {
      EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard was touched";
      expectSentinelKept();
      EXPECT_EQ(balloons.count(), balloonsBefore + 1) << "no tip on the coordinate box";
    }
    testing::pumpMessages(10ms);
    EXPECT_TRUE(IsWindow(mainWindow()));
  }
}

TEST_F(Clipboard, SetClipboardTextCopiesAMegabyteByteForByte) {
  std::string text(1'000'000, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(1 + (i * 7) % 255);
  putSentinel();
  EXPECT_TRUE(setClipboardText(mainWindow(), text));
  expectClipboardHolds(text);
}

TEST_F(Clipboard, FailedAllocationKeepsTheClipboard) {
  putSentinel();
  const DWORD sequence = GetClipboardSequenceNumber();
  // Far more than a 32-bit process can allocate; the bytes are never read, since the
  // allocation fails first.
  const char byte = 'x';
  EXPECT_FALSE(setClipboardText(mainWindow(), std::string_view(&byte, 0x7FFF0000u)));
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
  expectSentinelKept();
}

// clipboard_helper.exe, built beside this test.
std::wstring helperPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring result(path, length);
  result.erase(result.find_last_of(L"\\/") + 1);
  return result + L"clipboard_helper.exe";
}

struct EventTraits {
  using pointer = HANDLE;
  static constexpr pointer invalid() noexcept { return nullptr; }
  static void close(pointer handle) noexcept { CloseHandle(handle); }
};
using UniqueEvent = platform::UniqueHandle<EventTraits>;

// Another program holding the clipboard open until released; ended when this goes, whatever
// happened.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(DWORD closeDelayMs) {
    const std::wstring tag = std::to_wstring(GetCurrentProcessId());
    const std::wstring heldName = L"PelmoraClipboardHeld" + tag;
    const std::wstring releaseName = L"PelmoraClipboardRelease" + tag;
    held_.reset(CreateEventW(nullptr, TRUE, FALSE, heldName.c_str()));
    release_.reset(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
    std::wstring commandLine = L"\"" + helperPath() + L"\" hold " + heldName + L" " + releaseName +
                               L" " + std::to_wstring(closeDelayMs);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process_) != FALSE) {
      CloseHandle(process_.hThread);
    } else {
      process_.hProcess = nullptr;
    }
  }
  ~ClipboardHolder() {
    if (process_.hProcess == nullptr) return;
    release();
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
  }
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;

  // Whether the clipboard is held open; the helper reports it once it is.
  bool waitUntilHeld() const {
    if (process_.hProcess == nullptr) return false;
    const HANDLE handles[] = {held_.get(), process_.hProcess};
    return WaitForMultipleObjects(2, handles, FALSE, 10000) == WAIT_OBJECT_0;
  }
  void release() const { SetEvent(release_.get()); }
  // Waits until the helper closed the clipboard and ended; returns its exit code.
  DWORD waitForExit() const {
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  UniqueEvent held_;
  UniqueEvent release_;
  PROCESS_INFORMATION process_{};
};

// Whether the main window answers a message sent from another thread while this one runs its
// message loop.
bool mainWindowResponds() {
  const HWND main = mainWindow();
  auto answer = std::async(std::launch::async, [main] {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
  });
  testing::pumpUntil([&answer] { return answer.wait_for(0ms) == std::future_status::ready; },
                     5000ms);
  return answer.get();
}

struct BusyCase {
  const char* label;
  bool releasedBeforeClick;  // released while the command is still trying
  DWORD closeDelayMs;        // how long the helper keeps it open after the release
};

TEST_F(Clipboard, BusyClipboardIsTriedBrieflyAndOtherwiseLeftAlone) {
  const BusyCase cases[] = {
      {"held throughout", false, 0},
      {"released while the copy tries again", true, 20},
  };
  for (const BusyCase& c : cases) {
    SCOPED_TRACE(c.label);
    putSentinel();
    writeText(ControlName::editBox1, "1024,768");
    ClipboardHolder holder(c.closeDelayMs);
    ASSERT_TRUE(holder.waitUntilHeld());
    if (OpenClipboard(mainWindow()) != FALSE) {
      CloseClipboard();
      FAIL() << "the helper does not hold the clipboard";
    }
    if (c.releasedBeforeClick) holder.release();

    const auto start = std::chrono::steady_clock::now();
    click(ControlName::button1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, 1s) << "the copy waited too long for the clipboard";

    holder.release();
    EXPECT_EQ(holder.waitForExit(), 0u);
    if (c.releasedBeforeClick) {
      expectClipboardHolds("1024,768");
    } else {
      expectSentinelKept();
    }
    EXPECT_TRUE(mainWindowResponds());
  }
}

// A window of another thread, which the test makes the foreground window.
class OtherWindow {
 public:
  OtherWindow() {
    std::promise<HWND> created;
    auto future = created.get_future();
    thread_ = std::thread([this, &created] {
      threadId_ = GetCurrentThreadId();
      const HWND hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
      created.set_value(hwnd);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
      if (hwnd != nullptr) DestroyWindow(hwnd);
    });
    hwnd_ = future.get();
  }
  ~OtherWindow() {
    while (PostThreadMessageW(threadId_, WM_QUIT, 0, 0) == FALSE) Sleep(1);
    thread_.join();
  }
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 private:
  std::thread thread_;
  DWORD threadId_ = 0;
  HWND hwnd_ = nullptr;
};

bool topmost(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Whether `upper` comes before `lower` in the stacking order of the top-level windows.
bool isAbove(HWND upper, HWND lower) {
  for (HWND hwnd = GetTopWindow(nullptr); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
    if (hwnd == upper) return true;
    if (hwnd == lower) return false;
  }
  return false;
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

using PinOnTop = Clipboard;

TEST_F(PinOnTop, FollowsTheCheckBoxWithoutMovingOrActivating) {
  const HWND main = mainWindow();
  const OtherWindow other;
  ASSERT_NE(other.hwnd(), nullptr);
  SetForegroundWindow(other.hwnd());
  ASSERT_TRUE(testing::pumpUntil([&] { return GetForegroundWindow() == other.hwnd(); }));
  RECT before;
  GetWindowRect(main, &before);
  ASSERT_FALSE(topmost(main));
  ASSERT_EQ(readChecked(ControlName::checkBox1), 0);

  for (const bool ticked : {true, false}) {
    SCOPED_TRACE(ticked ? "ticked" : "unticked");
    click(ControlName::checkBox1);
    testing::pumpMessages(50ms);
    EXPECT_EQ(readChecked(ControlName::checkBox1), ticked ? 1 : 0);
    EXPECT_EQ(topmost(main), ticked);
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_TRUE(sameRect(before, after));
    EXPECT_EQ(GetForegroundWindow(), other.hwnd()) << "the main window was activated";
    // Brought to the top, the other window covers the main window only when that is not pinned.
    SetWindowPos(other.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    testing::pumpMessages(20ms);
    EXPECT_EQ(isAbove(main, other.hwnd()), ticked);
  }
}

}  // namespace
}  // namespace pelmora

namespace pelmora {
namespace {

// A block the clipboard refused stays with its owner, who frees it; one it took is given up.
TEST(ClipboardBlock, StaysOwnedUnlessTheClipboardTakesIt) {
  platform::UniqueHglobal refused = platform::allocateTextBlock("refused");
  ASSERT_TRUE(refused);
  // Without an open clipboard SetClipboardData fails.
  EXPECT_FALSE(platform::placeBlock(CF_TEXT, refused));
  EXPECT_TRUE(refused) << "a refused block must still be owned (and freed) by the caller";
  EXPECT_NE(GlobalSize(refused.get()), 0u);

  const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  {
    const platform::ClipboardSession session(owner, 11, 10);
    ASSERT_TRUE(session.isOpen());
    ASSERT_TRUE(platform::emptyClipboard());
    platform::UniqueHglobal taken = platform::allocateTextBlock("taken");
    EXPECT_TRUE(platform::placeBlock(CF_TEXT, taken));
    EXPECT_FALSE(taken) << "the clipboard owns the block now";
  }
  DestroyWindow(owner);
}

}  // namespace
}  // namespace pelmora
