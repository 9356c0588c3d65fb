#pragma once

#include "platform/posix_io.h"

#include <functional>
#include <string>
#include <utility>

namespace pixmorrow::testing {

// The two roads of the no-replace move, for tables of cases that take both.
enum class MoveRoad { Renameat2, LinkAndUnlink };

inline const char* roadName(MoveRoad road) {
    return road == MoveRoad::Renameat2 ? "renameat2" : "link and unlink";
}

// Sets the no-replace move's test seam while it lives: `beforeMove` runs just before every
// move, after the file to move was written.
class ScopedMoveSeam {
public:
    explicit ScopedMoveSeam(
        MoveRoad road,
        std::function<void(const std::string& from, const std::string& to)> beforeMove = {}) {
        posix::noReplaceMoveSeam.beforeMove = std::move(beforeMove);
        posix::noReplaceMoveSeam.linkAndUnlink = road == MoveRoad::LinkAndUnlink;
    }
    ~ScopedMoveSeam() { posix::noReplaceMoveSeam = {}; }
    ScopedMoveSeam(const ScopedMoveSeam&) = delete;
    ScopedMoveSeam& operator=(const ScopedMoveSeam&) = delete;
};

}  // namespace pixmorrow::testing
