#include "platform/clipboard.h"

#include <cstring>

namespace pelmora::platform {

UniqueHglobal allocateTextBlock(std::string_view text) {
  UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1));
  if (!block) return block;
  void* const bytes = GlobalLock(block.get());
  if (bytes == nullptr) return UniqueHglobal();
  if (!text.empty()) std::memcpy(bytes, text.data(), text.size());
  static_cast<char*>(bytes)[text.size()] = '\0';
  GlobalUnlock(block.get());
  return block;
}

UniqueHglobal allocateLocaleBlock(LCID locale) {
  UniqueHglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof locale));
  if (!block) return block;
  void* const bytes = GlobalLock(block.get());
  if (bytes == nullptr) return UniqueHglobal();
  std::memcpy(bytes, &locale, sizeof locale);
  GlobalUnlock(block.get());
  return block;
}

ClipboardSession::ClipboardSession(HWND owner, int attempts, DWORD waitMs) noexcept {
  for (int i = 0; i < attempts; ++i) {
    if (i > 0) Sleep(waitMs);
    if (OpenClipboard(owner) != FALSE) {
      open_ = true;
      return;
    }
  }
}

ClipboardSession::~ClipboardSession() {
  if (open_) CloseClipboard();
}

bool placeBlock(UINT format, UniqueHglobal& block) {
  if (SetClipboardData(format, block.get()) == nullptr) return false;
  (void)block.release();  // the clipboard owns the block now
  return true;
}

}  // namespace pelmora::platform
