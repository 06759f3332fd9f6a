#include "platform/screen.h"

namespace pelmora::platform {
namespace {

using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);

SetThreadDpiAwarenessContextFn setThreadDpiAwarenessContext() {
  static const auto fn = [] {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC proc =
        user32 != nullptr ? GetProcAddress(user32, "SetThreadDpiAwarenessContext") : nullptr;
    return reinterpret_cast<SetThreadDpiAwarenessContextFn>(reinterpret_cast<void*>(proc));
  }();
  return fn;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

}  // namespace

PerMonitorDpiScope::PerMonitorDpiScope() noexcept {
  if (const auto fn = setThreadDpiAwarenessContext()) previous_ = fn(kPerMonitorAware);
}

PerMonitorDpiScope::~PerMonitorDpiScope() {
  if (previous_ != nullptr) setThreadDpiAwarenessContext()(previous_);
}

std::uint32_t readScreenPixel(int x, int y) {
  const PerMonitorDpiScope dpi;
  const ScreenDc dc(GetDC(nullptr));
  if (!dc) return kInvalidColour;
  return GetPixel(dc.get(), x, y);
}

}  // namespace pelmora::platform
