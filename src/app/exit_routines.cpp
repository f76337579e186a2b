#include <cstdlib>
#include <vector>

#include "app/app.h"

namespace varnock {
namespace {

std::vector<void (*)()>& Routines() {
  static std::vector<void (*)()> routines;
  return routines;
}

void RunRoutines() {
  for (auto routine : Routines()) routine();
}

}  // namespace

void RunAtExit(void (*routine)()) {
  // The C runtime runs atexit routines last-registered first; one atexit
  // routine that walks our own list gives the order of registration. It is
  // registered after the list exists, so it runs before the list is destroyed.
  std::vector<void (*)()>& routines = Routines();
  if (routines.empty()) std::atexit(&RunRoutines);
  routines.push_back(routine);
}

}  // namespace varnock
