// The main window and its fifteen controls: kind, place, size, text, visibility and tab stop,
// in creation order (which is also the stacking order and, among tab stops, the Tab order).
#pragma once

#include <array>
#include <cstddef>

namespace pelmora {

enum class ControlName : int {
  label1,
  editBox1,
  label3,
  editBox3,
  label4,
  editBox4,
  button1,
  button2,
  button3,
  button4,
  button5,
  checkBox1,
  button6,
  button7,
  label2,
};

enum class ControlKind { label, editBox, button, checkBox };

struct ControlLayout {
  ControlName name;
  ControlKind kind;
  int left;
  int top;
  int width;
  int height;
  const wchar_t* text;
  bool visible;
  bool tabStop;
};

inline constexpr std::size_t kControlCount = 15;

inline constexpr std::array<ControlLayout, kControlCount> kControls{{
    {ControlName::label1, ControlKind::label, 10, 10, 60, 25, L"鼠标坐标：", true, false},
    {ControlName::editBox1, ControlKind::editBox, 70, 10, 100, 25, L"", true, true},
    {ControlName::label3, ControlKind::label, 10, 50, 60, 25, L"颜色RGB：", true, false},
    {ControlName::editBox3, ControlKind::editBox, 70, 50, 100, 25, L"", true, true},
    {ControlName::label4, ControlKind::label, 10, 90, 60, 25, L"颜色HEX：", true, false},
    {ControlName::editBox4, ControlKind::editBox, 70, 90, 100, 25, L"", true, true},
    {ControlName::button1, ControlKind::button, 180, 9, 48, 25, L"复制", true, true},
    {ControlName::button2, ControlKind::button, 235, 9, 48, 25, L"复制X", true, true},
    {ControlName::button3, ControlKind::button, 290, 9, 48, 25, L"复制Y", true, true},
    {ControlName::button4, ControlKind::button, 180, 49, 48, 25, L"复制", true, true},
    {ControlName::button5, ControlKind::button, 180, 89, 48, 25, L"复制", true, true},
    {ControlName::checkBox1, ControlKind::checkBox, 270, 130, 80, 25, L"窗口置顶", true, true},
    {ControlName::button6, ControlKind::button, 10, 130, 100, 25, L"开始/快捷键F1", true, true},
    {ControlName::button7, ControlKind::button, 128, 130, 100, 25, L"结束/快捷键F2", true, true},
    {ControlName::label2, ControlKind::label, 256, 64, 72, 16, L"标签", false, false},
}};

constexpr std::size_t indexOf(ControlName name) { return static_cast<std::size_t>(name); }
constexpr const ControlLayout& layoutOf(ControlName name) { return kControls[indexOf(name)]; }

static_assert([] {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (indexOf(kControls[i].name) != i) return false;
  }
  return true;
}());

struct MainWindowLayout {
  const wchar_t* caption;
  int width;
  int height;
};

inline constexpr MainWindowLayout kMainWindow{L"Pelmora - by Tovrel", 358, 196};

// The control identifier that a control reports in WM_COMMAND.
constexpr int controlId(ControlName name) { return 1001 + static_cast<int>(name); }

}  // namespace pelmora
