#include "app/events.h"
#include "app/lifecycle.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  return pelmora::runPelmora(instance, pelmora::pelmoraBindings());
}
