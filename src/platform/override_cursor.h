#pragma once

#include <Qt>

namespace pixmorrow {

// Sets the application's override cursor for as long as it lives (the busy cursor of a run,
// the wait cursor of a request); the cursor before it comes back when it goes, also when an
// error leaves the scope.
class OverrideCursor {
public:
    enum When {
        Always,
        OverAnother,  // only while another override cursor is set already
    };

    explicit OverrideCursor(Qt::CursorShape shape, When when = Always);
    ~OverrideCursor();
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;

private:
    bool active_;
};

}  // namespace pixmorrow
