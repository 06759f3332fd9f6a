// The clipboard: a session that is open exactly as long as its owner lives, and a global memory
// block that is freed unless the clipboard has taken it.
#pragma once

#include <string_view>

#include "platform/handle.h"
#include "platform/win32.h"

namespace pelmora::platform {

struct HglobalTraits {
  using pointer = HGLOBAL;
  static constexpr pointer invalid() noexcept { return nullptr; }
  static void close(pointer block) noexcept { GlobalFree(block); }
};
using UniqueHglobal = UniqueHandle<HglobalTraits>;

// A movable, zero-filled block holding the bytes of `text` and one terminating zero byte;
// empty when the memory cannot be had.
UniqueHglobal allocateTextBlock(std::string_view text);

// A block holding a locale identifier, for CF_LOCALE: it tells readers which code page the
// CF_TEXT bytes are in.
UniqueHglobal allocateLocaleBlock(LCID locale);

class ClipboardSession {
 public:
  // Opens the clipboard for `owner`; while another program holds it open, tries again up to
  // `attempts` times, `waitMs` apart.
  ClipboardSession(HWND owner, int attempts, DWORD waitMs) noexcept;
  ~ClipboardSession();
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

  [[nodiscard]] bool isOpen() const noexcept { return open_; }

 private:
  bool open_ = false;
};

inline bool emptyClipboard() { return EmptyClipboard() != FALSE; }

// Hands the block to the clipboard in `format`. On success the clipboard owns it and `block` is
// left empty; on failure `block` still owns it.
bool placeBlock(UINT format, UniqueHglobal& block);

}  // namespace pelmora::platform
