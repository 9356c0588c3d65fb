#include "about/popup_under_button.h"

#include "platform/tick_clock.h"

#include <QMenu>
#include <QPushButton>

namespace pixmorrow {

bool PopupUnderButton::shouldShow(const void* button, const void* menu) {
    // Unsigned difference, so a wrap of the tick counter does not matter.
    if (lastButton_ != nullptr && button == lastButton_ && menu == lastMenu_ &&
        static_cast<std::uint32_t>(clock_.tickCount() - closedAt_) < kReopenGuardMs) {
        lastButton_ = nullptr;
        lastMenu_ = nullptr;
        return false;
    }
    return true;
}

void PopupUnderButton::menuClosed(const void* button, const void* menu) {
    closedAt_ = clock_.tickCount();
    lastButton_ = button;
    lastMenu_ = menu;
}

void PopupUnderButton::popup(QPushButton* button, QMenu* menu) {
    if (!shouldShow(button, menu))
        return;
    menu->exec(button->mapToGlobal(QPoint(0, button->height())));
    menuClosed(button, menu);
}

}  // namespace pixmorrow
