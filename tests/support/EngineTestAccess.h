#pragma once
// The engine's fields are its own; a few tests put it into a state no update reaches by itself.
#include "engine/UpdateEngine.h"

namespace p25 {

struct EngineTestAccess {
  static void SetStates(UpdateEngine& engine, UpdateState current, UpdateState previous) {
    engine.currentState = current;
    engine.previousState = previous;
  }
  static void SetCurrentState(UpdateEngine& engine, UpdateState current) { engine.currentState = current; }
  static void SetFamily501(UpdateEngine& engine, bool family501) { engine.family501 = family501; }
};

}  // namespace p25
