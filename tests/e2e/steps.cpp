#include "steps.h"

#include <cwchar>
#include <optional>
#include <sstream>

namespace pelmora::e2e {
namespace {

std::string shown(const std::optional<std::wstring>& text) {
  if (!text) return "(no answer)";
  std::ostringstream out;
  out << '"' << utf8(*text) << '"';
  return out.str();
}

}  // namespace

std::wstring coordinates(POINT point) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%ld,%ld", point.x, point.y);
  return text;
}

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

::testing::AssertionResult textBecomes(const Pelmora& app, Control id, std::wstring_view expected,
                                       Milliseconds timeout) {
  std::optional<std::wstring> last;
  if (waitUntil(
          [&] {
            last = app.text(id);
            return last == expected;
          },
          timeout)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "control " << static_cast<int>(id) << " reads "
                                       << shown(last) << ", expected \"" << utf8(expected) << "\"";
}

::testing::AssertionResult textStays(const Pelmora& app, Control id, std::wstring_view expected) {
  pumpFor(kSettle);
  const std::optional<std::wstring> text = app.text(id);
  if (text == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "control " << static_cast<int>(id) << " changed to " << shown(text)
         << ", expected it to stay \"" << utf8(expected) << "\"";
}

::testing::AssertionResult moveShows(const Pelmora& app, POINT point) {
  if (!moveMouseTo(point.x, point.y)) {
    return ::testing::AssertionFailure()
           << "the move to " << utf8(coordinates(point)) << " never reached the driver's hook";
  }
  return textBecomes(app, Control::editBox1, coordinates(point));
}

::testing::AssertionResult moveChangesNothing(const Pelmora& app, POINT point) {
  const std::optional<std::wstring> before = app.text(Control::editBox1);
  if (!before) return ::testing::AssertionFailure() << "the program does not answer";
  if (!moveMouseTo(point.x, point.y)) {
    return ::testing::AssertionFailure()
           << "the move to " << utf8(coordinates(point)) << " never reached the driver's hook";
  }
  return textStays(app, Control::editBox1, *before);
}

::testing::AssertionResult trackingStarts(const Pelmora& app) {
  std::optional<std::wstring> last = app.text(Control::editBox1);
  for (int attempt = 1, step = 1; attempt <= 8; ++attempt, ++step) {
    // A point whose text 编辑框1 does not show yet, so that a match proves a new move.
    POINT probe{kRest.x + 7 * step, kRest.y + 5 * step};
    if (last == coordinates(probe)) probe = {kRest.x + 7 * ++step, kRest.y + 5 * step};
    if (!moveMouseTo(probe.x, probe.y)) {
      return ::testing::AssertionFailure()
             << "the move to " << utf8(coordinates(probe)) << " never reached the driver's hook";
    }
    if (waitUntil(
            [&] {
              last = app.text(Control::editBox1);
              return last == coordinates(probe);
            },
            700ms)) {
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "tracking did not start: 编辑框1 reads " << shown(last);
}

::testing::AssertionResult showsNoDialog(const Pelmora& app) {
  for (const HWND window : app.visibleTopLevelWindows()) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) == L"#32770") {
      wchar_t caption[128] = {};
      GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
      return ::testing::AssertionFailure() << "a dialog box is up: \"" << utf8(caption) << "\"";
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult startTrackingWithClick(const Pelmora& app) {
  if (!clickControl(app.control(Control::button6))) {
    return ::testing::AssertionFailure() << "could not click 按钮6";
  }
  return trackingStarts(app);
}

}  // namespace pelmora::e2e
