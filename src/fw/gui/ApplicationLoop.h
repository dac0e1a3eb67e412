#pragma once
// What windows need of RunApplication's event loop.

namespace fw {

// True while RunApplication's event loop runs.
bool applicationLoopRunning();
// Ends RunApplication's event loop; nothing when it does not run.
void endApplicationLoop();

} // namespace fw
