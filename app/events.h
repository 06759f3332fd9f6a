// The event model: which handler runs for the main window's own events and for each control's
// Clicked and Feedback events. Every event has at most one handler; an event without one does
// nothing.
#pragma once

#include <cstdint>
#include <span>

#include "window/layout.h"

namespace pelmora {

using Command = void (*)();
using FeedbackHandler = void (*)(std::int32_t first, std::int32_t second);

struct ClickBinding {
  ControlName control;
  Command command;
};

struct FeedbackBinding {
  ControlName control;
  FeedbackHandler handler;
};

struct EventBindings {
  Command created = nullptr;
  Command willBeDestroyed = nullptr;
  std::span<const ClickBinding> clicked;
  std::span<const FeedbackBinding> feedback;
};

// The program's own bindings.
const EventBindings& pelmoraBindings();

}  // namespace pelmora
