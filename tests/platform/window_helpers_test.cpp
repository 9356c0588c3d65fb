// The helpers every window shares: handlers guarded by the general error report, the
// clickable label, the override cursor's scope.
#include "platform/clickable_label.h"
#include "platform/error.h"
#include "platform/override_cursor.h"
#include "platform/slot_guard.h"
#include "support/recording_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

// A window with a handler that fails and one that takes the signal's argument.
class Window : public QWidget {
public:
    void fail() { throw Error(QStringLiteral("Handler failed")); }
    void take(int index) { taken.push_back(index); }
    std::vector<int> taken;
};

TEST(SlotGuard, ConnectedHandlersGetTheirArgumentsAndTheirErrorsAreReported) {
    testing::RecordingDialogs dialogs;
    const SlotGuard guarded(dialogs);
    Window window;
    QPushButton button(&window);
    QComboBox combo(&window);
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    guarded.connect(&button, &QPushButton::clicked, &window, &Window::fail);
    guarded.connect(&combo, &QComboBox::currentIndexChanged, &window, &Window::take);

    button.click();  // the exception stops at the guard; the event loop never sees it
    combo.setCurrentIndex(1);
    EXPECT_EQ(window.taken, std::vector<int>{1});
    guarded([] { throw std::runtime_error("direct"); });
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Handler failed."));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("direct."));
}

// Records the presses that reach it, as a window dragged by its surface would.
class Surface : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

TEST(ClickableLabel, ALeftReleaseOverItClicksAndNoPressReachesTheWidgetUnderIt) {
    Surface surface;
    surface.resize(200, 100);
    ClickableLabel label(&surface);
    label.setText(QStringLiteral("Contribute to Translation"));
    label.setGeometry(10, 10, 150, 20);
    surface.show();
    QSignalSpy clicks(&label, &ClickableLabel::clicked);

    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton);
    QTest::mouseDClick(&label, Qt::MiddleButton);
    EXPECT_EQ(clicks.count(), 1);
    // Pressed over it, released outside: no click.
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(170, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(surface.presses, 0);

    label.showAsLink(QColor(0, 0, 255));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
}

TEST(OverrideCursor, SetsItsCursorForItsScopeAndTheArrowOnlyOverAnother) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        const OverrideCursor arrow(Qt::ArrowCursor, OverrideCursor::OverAnother);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    try {
        const OverrideCursor busy(Qt::BusyCursor);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        {
            const OverrideCursor arrow(Qt::ArrowCursor, OverrideCursor::OverAnother);
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        }
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        throw std::runtime_error("the run failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace pixmorrow
