// Which command each control event runs.
#include "app/events.h"
#include "app/lifecycle.h"
#include "input/tracking.h"
#include "readouts/commands.h"

namespace pelmora {
namespace {

constexpr ClickBinding kClickBindings[] = {
    {ControlName::button1, &copyCoordinates}, {ControlName::button2, &copyX},
    {ControlName::button3, &copyY},           {ControlName::button4, &copyRgb},
    {ControlName::button5, &copyHex},         {ControlName::button6, &startTracking},
    {ControlName::button7, &stopAndSample},   {ControlName::checkBox1, &applyPinOnTop},
};

constexpr FeedbackBinding kFeedbackBindings[] = {
    {ControlName::label2, &onHotkeyFeedback},
};

}  // namespace

const EventBindings& pelmoraBindings() {
  static const EventBindings bindings{&onCreated, &onWillBeDestroyed, kClickBindings,
                                      kFeedbackBindings};
  return bindings;
}

}  // namespace pelmora
