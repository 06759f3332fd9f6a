// The state that the commands share. It lives as long as the process and is touched only on the
// GUI thread.
#pragma once

#include <cstdint>

#include "platform/hooks.h"

namespace pelmora {

struct ProgramState {
  platform::UniqueHhook mouseHook;  // installed while tracking
  std::int32_t startHotkeyId = 0;   // F1's identifier, 0 when its registration failed
  std::int32_t stopHotkeyId = 0;    // F2's identifier, 0 when its registration failed
};

ProgramState& programState();

}  // namespace pelmora
