#include "app/state.h"

namespace pelmora {

ProgramState& programState() {
  static ProgramState state;
  return state;
}

}  // namespace pelmora
