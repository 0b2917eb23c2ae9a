#include "app/SharedState.h"

namespace {
SharedState g_state;
}

SharedState& shared() { return g_state; }
void resetSharedState() { g_state = SharedState(); }
