// The commands behind the buttons and the check box: sampling the colour, the five copy
// commands, keeping the window on top, and the clipboard operation they share.
#pragma once

#include <string_view>

#include "platform/win32.h"

namespace pelmora {

// Ends tracking and turns the point named by the coordinate text into the RGB and HEX texts.
void stopAndSample();

void copyCoordinates();
void copyX();
void copyY();
void copyRgb();
void copyHex();
void applyPinOnTop();

// Replaces the clipboard's contents with `text` as CF_TEXT, opened with `owner`. Returns true
// only when the clipboard took the text. A busy clipboard is tried again for at most about
// 100 ms; when it stays busy, or memory runs out, the clipboard keeps what it had.
bool setClipboardText(HWND owner, std::string_view text);

// The end of a command that needs a field the coordinate text lacks: nothing further runs, and
// the user hears the warning sound and sees a tip on 编辑框1.
void missingFieldAbort();

// The end of a sampling whose point has no readable pixel; the colour texts keep their values.
void unreadableColourAbort();

}  // namespace pelmora
