#include "readouts/commands.h"

#include "app/state.h"
#include "platform/clipboard.h"
#include "platform/screen.h"
#include "platform/windowing.h"
#include "readouts/colour.h"
#include "readouts/text.h"
#include "window/main_window.h"

namespace pelmora {
namespace {

constexpr std::string_view kSeparator = ",";

// A busy clipboard is tried this many times, this far apart: about 100 ms in all.
constexpr int kClipboardAttempts = 11;
constexpr DWORD kClipboardWaitMs = 10;

// Chinese (PRC), whose ANSI code page is 936.
constexpr LCID kTextLocale = 0x0804;

void warnOnCoordinates(const wchar_t* text) {
  MessageBeep(MB_ICONWARNING);
  platform::showEditBalloon(controlWindow(ControlName::editBox1), L"Pelmora", text);
}

void copyField(std::size_t field) {
  const Text text = readText(ControlName::editBox1);
  const auto fields = splitText(text, kSeparator);
  if (fields.size() < field) {
    missingFieldAbort();
    return;
  }
  if (!setClipboardText(mainWindow(), fields[field - 1])) MessageBeep(MB_ICONWARNING);
}

void copyWhole(ControlName editBox) {
  if (!setClipboardText(mainWindow(), readText(editBox))) MessageBeep(MB_ICONWARNING);
}

}  // namespace

void missingFieldAbort() { warnOnCoordinates(L"坐标须写成 x,y 的形式，例如 100,200。"); }

void unreadableColourAbort() {
  warnOnCoordinates(L"无法读取该点的颜色：屏幕上没有这个位置的像素。");
}

void stopAndSample() {
  ProgramState& state = programState();
  if (!state.mouseHook) return;
  state.mouseHook.reset();  // tracking is off from here on, whatever follows

  const Text text = readText(ControlName::editBox1);
  const auto fields = splitText(text, kSeparator);
  if (fields.size() < 2) {
    missingFieldAbort();
    return;
  }
  const std::int32_t x = textToInt(fields[0]);
  const std::int32_t y = textToInt(fields[1]);

  const std::uint32_t colour = platform::readScreenPixel(x, y);
  if (colour == platform::kInvalidColour) {
    unreadableColourAbort();
    return;
  }
  const ColourTexts texts = colourToTexts(colour);
  writeText(ControlName::editBox3, texts.rgb);
  writeText(ControlName::editBox4, texts.hex);
}

void copyCoordinates() { copyWhole(ControlName::editBox1); }
void copyX() { copyField(1); }
void copyY() { copyField(2); }
void copyRgb() { copyWhole(ControlName::editBox3); }
void copyHex() { copyWhole(ControlName::editBox4); }

void applyPinOnTop() { writeAlwaysOnTop(readChecked(ControlName::checkBox1) == 1); }

bool setClipboardText(HWND owner, std::string_view text) {
  // The blocks are ready before the clipboard is touched, so running out of memory never leaves
  // the user with an emptied clipboard.
  platform::UniqueHglobal block = platform::allocateTextBlock(text);
  if (!block) return false;
  // The text is code page 936 whatever the system's code page: CF_LOCALE says so, so that
  // programs reading the text as Unicode get the right characters on any system.
  platform::UniqueHglobal locale = platform::allocateLocaleBlock(kTextLocale);
  const platform::ClipboardSession clipboard(owner, kClipboardAttempts, kClipboardWaitMs);
  if (!clipboard.isOpen()) return false;
  platform::emptyClipboard();
  if (!platform::placeBlock(CF_TEXT, block)) return false;
  if (locale) platform::placeBlock(CF_LOCALE, locale);
  return true;
}

}  // namespace pelmora
