#include "app/app.h"

namespace varnock {
namespace {

// Frees what the start-up set up: nothing, as long as it sets up nothing.
void CleanUpUtilityModule() {}

}  // namespace

// The utility module's program-wide state (system version, process facts,
// encoding constants) is read by neither conversion, so the module holds none;
// its start-up and clean-up keep their places in the program's life.
void StartUtilityModule() { RunAtExit(&CleanUpUtilityModule); }

}  // namespace varnock
