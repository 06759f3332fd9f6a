// Typed one-line wrappers for the window and control messages the program sends, and the
// code page 936 boundary: windows hold UTF-16, the program's texts are code page 936 bytes
// whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32.h"

namespace pelmora::platform {

inline constexpr UINT kTextCodePage = 936;

std::wstring widen936(std::string_view text);
std::string narrow936(std::wstring_view text);

// The whole content of a window's text, as code page 936 bytes.
std::string windowText936(HWND window);
// Replaces the whole content of a window's text with code page 936 bytes.
void setWindowText936(HWND window, std::string_view text);

inline void setFont(HWND window, HFONT font) {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}
inline void setIcon(HWND window, WPARAM which, HICON icon) {
  SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}
inline void setEditLimit(HWND edit, WPARAM limit) { SendMessageW(edit, EM_LIMITTEXT, limit, 0); }
inline LRESULT buttonCheck(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0); }
inline HFONT guiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// Changes only the window's place in the stacking order: neither moved, resized nor activated.
inline void setTopmost(HWND window, bool topmost) {
  SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A balloon tip on an edit box; quietly nothing where the edit control does not offer one.
void showEditBalloon(HWND edit, const wchar_t* title, const wchar_t* text);

// The height of one line of text in the window's font.
int fontLineHeight(HWND window);

}  // namespace pelmora::platform
