#pragma once

namespace pixmorrow::cli {

// SIGINT and SIGTERM end a run as the window's Cancel does: the file being converted is
// finished and committed whole (or fails and leaves nothing), no further file starts, and the
// command exits with 130. Further signals of the two change nothing; the run is stopping.
void catchInterrupts();

// Whether one of the two arrived since catchInterrupts().
bool interrupted();

}  // namespace pixmorrow::cli
