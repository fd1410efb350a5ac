#pragma once

namespace tessary::desktop {

// SIGTERM, SIGHUP and SIGINT (the session ending, a closed terminal, Ctrl+C) end the event loop
// as a quit nobody can be asked about, so QCoreApplication::aboutToQuit still runs and what is
// unsaved is saved or kept. Call once, after the application object exists.
void quitOnTerminationSignals();

} // namespace tessary::desktop
