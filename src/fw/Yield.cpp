#include "fw/Yield.h"

namespace fw {

// Deliberately empty: dispatching events here would let a shell's handler run
// inside another of its handlers, which the output filter cannot survive.
void yield() {}

} // namespace fw
