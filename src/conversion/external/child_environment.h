#pragma once

#include <QByteArray>

#include <vector>

namespace pixmorrow {

// This process's environment for a child, with `added` entries ("NAME=value") in place of
// same-named ones; null-terminated, for execve-style calls. The pointers stay valid as long
// as `added` and this process's environment do.
std::vector<char*> environmentWith(std::vector<QByteArray>& added);

}  // namespace pixmorrow
