// Reading one pixel of the screen.
#pragma once

#include <cstdint>

#include "platform/handle.h"
#include "platform/win32.h"

namespace pelmora::platform {

inline constexpr std::uint32_t kInvalidColour = CLR_INVALID;

// The device context of the whole screen, released when the owner goes.
struct ScreenDcTraits {
  using pointer = HDC;
  static constexpr pointer invalid() noexcept { return nullptr; }
  static void close(pointer dc) noexcept { ReleaseDC(nullptr, dc); }
};
using ScreenDc = UniqueHandle<ScreenDcTraits>;

// For its lifetime, switches the calling thread to per-monitor DPI awareness where the system
// offers it (looked up at run time: older Windows lacks it), and restores the previous context.
class PerMonitorDpiScope {
 public:
  PerMonitorDpiScope() noexcept;
  ~PerMonitorDpiScope();
  PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
  PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

 private:
  HANDLE previous_ = nullptr;
};

// The COLORREF of the screen pixel at (x, y) in physical desktop coordinates, or
// kInvalidColour when there is no pixel there or the screen cannot be read.
std::uint32_t readScreenPixel(int x, int y);

}  // namespace pelmora::platform
