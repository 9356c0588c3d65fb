#pragma once

namespace pixmorrow::cli {

// SIGINT and SIGTERM end a run: a running external tool is stopped (its file fails and leaves
// nothing), a file converted in the process is finished and committed whole, no further file
// starts, and the command exits with 130. Further signals of the two change nothing; the run
// is stopping.
void catchInterrupts();

// Whether one of the two arrived since catchInterrupts().
bool interrupted();

}  // namespace pixmorrow::cli
