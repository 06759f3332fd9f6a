#include "platform/windowing.h"

#include <commctrl.h>

namespace pelmora::platform {

std::wstring widen936(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(kTextCodePage, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kTextCodePage, 0, text.data(), size, out.data(), n);
  return out;
}

std::string narrow936(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n =
      WideCharToMultiByte(kTextCodePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kTextCodePage, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string windowText936(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return narrow936(buffer);
}

void setWindowText936(HWND window, std::string_view text) {
  // Short plain-ASCII texts (every coordinate text) widen byte by byte without a heap buffer:
  // this runs for every mouse movement while tracking.
  constexpr std::size_t kShort = 64;
  if (text.size() < kShort) {
    wchar_t buffer[kShort];
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
      const auto b = static_cast<unsigned char>(text[i]);
      if (b >= 0x80) break;
      buffer[i] = static_cast<wchar_t>(b);
    }
    if (i == text.size()) {
      buffer[i] = L'\0';
      SetWindowTextW(window, buffer);
      return;
    }
  }
  SetWindowTextW(window, widen936(text).c_str());
}

void showEditBalloon(HWND edit, const wchar_t* title, const wchar_t* text) {
  EDITBALLOONTIP tip{};
  tip.cbStruct = sizeof tip;
  tip.pszTitle = title;
  tip.pszText = text;
  tip.ttiIcon = TTI_WARNING;
  SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
}

int fontLineHeight(HWND window) {
  const HDC dc = GetDC(window);
  if (dc == nullptr) return 0;
  const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  const HGDIOBJ old = SelectObject(dc, font != nullptr ? font : guiFont());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return metrics.tmHeight;
}

}  // namespace pelmora::platform
