// The update notice: its countdown, drag and link rules, and the window over them.
#include "online/maker_site.h"
#include "online/new_version_form.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace pixmorrow {
namespace {

// Generous: a loaded machine may run the timers and the zoom late, but not this late.
constexpr int kPatienceMs = 10000;

bool zooming(const TNewVer& notice) {
    const auto animations = notice.findChildren<QPropertyAnimation*>();
    return std::any_of(animations.begin(), animations.end(), [](const QPropertyAnimation* a) {
        return a->state() == QAbstractAnimation::Running;
    });
}

// The start timer fired and the zoom in is over.
bool shown(const TNewVer& notice) {
    return QTest::qWaitFor([&] { return notice.isVisible() && !zooming(notice); }, kPatienceMs);
}

// The zoom out is over and the window closed.
bool gone(const TNewVer& notice) {
    return QTest::qWaitFor([&] { return !notice.isVisible(); }, kPatienceMs);
}

TEST(NoticeRules, TheCountdownEndsOnTheEleventhTickOnly) {
    NoticeCountdown countdown;
    EXPECT_EQ(countdown.remaining(), 11);
    for (int tick = 1; tick <= 10; ++tick)
        EXPECT_FALSE(countdown.tick()) << tick;
    EXPECT_TRUE(countdown.tick());
    EXPECT_FALSE(countdown.tick());
    EXPECT_EQ(countdown.remaining(), 0);
}

TEST(NoticeRules, AnyButtonButTheRightOneDrags) {
    struct Case {
        PressButton button;
        bool drags;
    };
    for (const Case c : {Case{PressButton::Left, true}, Case{PressButton::Middle, true},
                         Case{PressButton::Other, true}, Case{PressButton::Right, false}}) {
        NoticeDrag drag;
        drag.press(c.button, {100, 100});
        EXPECT_EQ(drag.dragging(), c.drags);
        const QPoint moved = drag.move({110, 95}, {500, 5});
        EXPECT_EQ(moved, c.drags ? QPoint(510, 0) : QPoint(500, 5));
        // Each move counts from the last recorded position.
        EXPECT_EQ(drag.move({111, 95}, moved), c.drags ? QPoint(511, 0) : moved);
        drag.release();
        EXPECT_FALSE(drag.dragging());
        EXPECT_EQ(drag.move({200, 200}, {1, 1}), QPoint(1, 1));
    }
}

TEST(NoticeRules, PlacedTopRightWithFivePixelMargins) {
    EXPECT_EQ(noticeTopLeft(QRect(0, 0, 1920, 1080), QSize(320, 68)), QPoint(1595, 5));
    EXPECT_EQ(noticeTopLeft(QRect(100, 30, 800, 600), QSize(320, 68)), QPoint(575, 35));
}

TEST(NoticeRules, TheLinkOpensTheDownloadLinkOnTheMakersHostOrTheHomePage) {
    const QString home = makerHomePage();
    EXPECT_TRUE(home.startsWith(QStringLiteral("http://")));
    struct Case {
        QString url;
        QString opened;
    };
    const QString host = makerHost();
    const std::vector<Case> cases = {
        {"", home},
        {"https://" + host + "/pixmorrow-2.1.zip", "https://" + host + "/pixmorrow-2.1.zip"},
        {"http://" + host.toUpper() + "/a b", "http://" + host.toUpper() + "/a b"},
        // Only the maker's own host: a reply changed on the way cannot send the user elsewhere.
        {"https://downloads.example/pixmorrow-2.1.zip", home},
        {"https://" + host + ".evil.example/x.zip", home},
        {"https://evil.example/" + host, home},
        {"https://user@evil.example/x.zip", home},
        // The link arrives over the network and goes to the shell: web addresses only.
        {"file:///etc/passwd", home},
        {"/usr/bin/xterm", home},
        {"javascript:alert(1)", home},
        {"https://", home},
    };
    for (const Case& c : cases)
        EXPECT_EQ(noticeLinkTarget(c.url), c.opened) << c.url.toStdString();
}

class NoticeWindow : public ::testing::Test {
protected:
    std::unique_ptr<TNewVer> make(const QString& url = QStringLiteral("https://dl.example/p.zip")) {
        return std::make_unique<TNewVer>(
            QStringLiteral("2.1"), url, identity, shell, dialogs, nullptr, [](const QString& key) {
                if (key == QStringLiteral("This web page could not be opened:"))
                    return QStringLiteral("Webseite nicht geöffnet:");
                return key == QStringLiteral("UPDATE AVAILABLE") ? QStringLiteral("AKTUALISIERUNG")
                                                                 : key;
            });
    }
    AppIdentity identity{
        QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"), QStringLiteral("2.0"), {}};
    testing::RecordingShell shell;
    testing::RecordingDialogs dialogs;
};

TEST_F(NoticeWindow, OpensBorderlessOnTopWithoutTaskbarEntryInTheTopRightCorner) {
    auto notice = make();
    const Qt::WindowFlags flags = notice->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(notice->Label1->text(), "AKTUALISIERUNG");
    EXPECT_EQ(notice->Label2->text(), "Click to download Pixmorrow 2.1");
    // The version comes over the network: never read as markup.
    EXPECT_EQ(notice->Label2->textFormat(), Qt::PlainText);
    EXPECT_TRUE(notice->Label2->wordWrap());
    EXPECT_FALSE(notice->isVisible());
    ASSERT_TRUE(shown(*notice));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(notice->geometry(), QRect(area.right() + 1 - 320 - 5, area.top() + 5, 320, 68));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NoticeWindow, ClosesOnTheEleventhSecondWhateverTheUserDoes) {
    auto notice = make();
    ASSERT_TRUE(shown(*notice));
    // The seconds are the test's own: a late machine must not slip in a real one.
    notice->TimerClose->start(3600000);
    for (int second = 1; second <= 10; ++second) {
        notice->FormMouseDown(PressButton::Left, {10 * second, 10});
        notice->FormMouseMove({10 * second + 3, 12});
        notice->TimerLinkTimer();
        notice->TimerCloseTimer();
        notice->FormMouseUp();
    }
    EXPECT_TRUE(notice->isVisible());
    notice->TimerCloseTimer();
    EXPECT_FALSE(notice->TimerClose->isActive());
    EXPECT_TRUE(gone(*notice));
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(NoticeWindow, TheCloseTimerRunsFromCreation) {
    auto notice = make();
    EXPECT_TRUE(notice->TimerClose->isActive());
    EXPECT_EQ(notice->TimerClose->interval(), 1000);
    EXPECT_EQ(notice->TimerLink->interval(), 100);
}

TEST_F(NoticeWindow, OnlyTheFreeSurfacesStartADrag) {
    auto notice = make();
    ASSERT_TRUE(shown(*notice));
    QTest::mousePress(notice->Panel1, Qt::RightButton);
    EXPECT_FALSE(notice->drag().dragging());
    QTest::mousePress(notice->Label2, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(notice->drag().dragging());
    QTest::mousePress(notice->Panel2, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(notice->drag().dragging());
    QTest::mousePress(notice->Label1, Qt::MiddleButton);
    EXPECT_TRUE(notice->drag().dragging());
    QTest::mouseRelease(notice->Label1, Qt::MiddleButton);
    EXPECT_FALSE(notice->drag().dragging());
    QTest::mousePress(notice->Image1, Qt::LeftButton);
    EXPECT_TRUE(notice->drag().dragging());
    const QPoint before = notice->pos();
    const QPoint pressed = notice->Image1->mapToGlobal(notice->Image1->rect().center());
    notice->FormMouseMove(pressed + QPoint(-40, 20));
    EXPECT_EQ(notice->pos(), before + QPoint(-40, 20));
}

TEST_F(NoticeWindow, ClickingTheLinkOpensItAndCloses) {
    const QString onMakersHost = "https://" + makerHost() + "/p.zip";
    // A link elsewhere opens the home page instead.
    const struct {
        QString url;
        QString opened;
    } cases[] = {{onMakersHost, onMakersHost},
                 {QString(), makerHomePage()},
                 {"https://dl.example/p.zip", makerHomePage()}};
    for (const auto& c : cases) {
        shell.calls.clear();
        auto notice = make(c.url);
        ASSERT_TRUE(shown(*notice));
        QTest::mouseClick(notice->Label2, Qt::LeftButton);
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0], "openUrl " + c.opened);
        EXPECT_FALSE(notice->isVisible());
    }
}

TEST_F(NoticeWindow, ALinkThatDoesNotOpenIsToldInTheUsersLanguage) {
    shell.opens = false;
    const QString url = "https://" + makerHost() + "/p.zip";
    auto notice = make(url);
    ASSERT_TRUE(shown(*notice));
    QTest::mouseClick(notice->Label2, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Webseite nicht geöffnet:\r") + url);
    EXPECT_FALSE(notice->isVisible());
}

TEST_F(NoticeWindow, TheCloseButtonHides) {
    auto notice = make();
    ASSERT_TRUE(shown(*notice));
    QTest::mouseClick(notice->Button1, Qt::LeftButton);
    EXPECT_FALSE(notice->isVisible());
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(notice->Button1->icon().isNull());
}

}  // namespace
}  // namespace pixmorrow
