#pragma once

#include <cstdint>

class QMenu;
class QPushButton;

namespace pixmorrow {

class TickClock;

// Shows a button's menu below it. Pressing the button while its menu is open closes the
// menu, and the click that follows must not open it again at once: a click on the same
// button for the same menu within 100 ms of the menu closing shows nothing.
class PopupUnderButton {
public:
    static constexpr std::uint32_t kReopenGuardMs = 100;

    explicit PopupUnderButton(TickClock& clock) : clock_(clock) {}

    // Runs the menu modally at the button's bottom-left corner, unless the rule above says no.
    void popup(QPushButton* button, QMenu* menu);

    // The rule itself. When it says no, the last popup is forgotten, so the next click opens
    // the menu again.
    bool shouldShow(const void* button, const void* menu);
    // Called once the menu has closed.
    void menuClosed(const void* button, const void* menu);

private:
    TickClock& clock_;
    const void* lastButton_ = nullptr;
    const void* lastMenu_ = nullptr;
    std::uint32_t closedAt_ = 0;
};

}  // namespace pixmorrow
