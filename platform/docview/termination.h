// Ending the program when the system asks it to (shutdown, a closed terminal,
// kill): the stand-in for the session-end message a desktop program gets.
#pragma once

#include <functional>

namespace qv {

// SIGTERM, SIGHUP and SIGINT no longer end the process at once: each is
// handed to the GUI thread, which runs `onSignal` (by default it leaves every
// event loop, so the program closes its documents and stops a running log the
// ordinary way, keeping every recorded record). A second signal while the
// first is being handled is ignored. Call once, after the QApplication exists.
void HandleTerminationSignals(std::function<void()> onSignal = {});

// Whether a termination signal has been handled. One that came while the
// program was still starting (leaving the start-up's boxes) must keep the
// main event loop from being entered at all.
bool TerminationRequested();

}  // namespace qv
