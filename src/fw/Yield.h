#pragma once

namespace fw {

// The cooperative yield point of long loops. It never dispatches a handler of
// the program, so callers need not fear re-entry.
void yield();

} // namespace fw
