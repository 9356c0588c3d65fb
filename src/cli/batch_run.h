#pragma once

#include "cli/cli_options.h"

namespace pixmorrow::cli {

// Exit statuses of the command.
enum ExitStatus : int {
    kAllConverted = 0,
    kSomeFailed = 1,
    kNothingConverted = 2,  // a wrong command line, an unusable destination, no codec library
    kInterrupted = 130,     // 128 + SIGINT, as shells report it
};

// Converts what the options name, reporting file by file on standard output (lines or JSON)
// and the progress on a terminal's standard error. Returns the exit status.
int runBatch(const CliOptions& options);

}  // namespace pixmorrow::cli
