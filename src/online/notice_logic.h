#pragma once

#include "online/translator.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

namespace pixmorrow {

// The update notice's rules, apart from its window.

// Seconds the notice stays before it closes itself.
inline constexpr int kNoticeSeconds = 11;
// Gap between the notice and the screen's top and right edges.
inline constexpr int kNoticeMargin = 5;
inline constexpr int kNoticeAnimationMs = 100;

// The auto-close countdown: one tick a second from the window's creation; nothing the user
// does resets it.
class NoticeCountdown {
public:
    // Counts one second down; true once, on the tick that reaches 0.
    bool tick();
    int remaining() const { return remaining_; }

private:
    int remaining_ = kNoticeSeconds;
};

// Which mouse button a press came with.
enum class PressButton { Left, Right, Middle, Other };

// Dragging the notice by its free surfaces: any button but the right one starts a drag, the
// window then follows the cursor's movement on the screen until the button is released.
class NoticeDrag {
public:
    void press(PressButton button, QPoint screenPos);
    // While dragging: the window's new top-left (moved by the cursor's movement since the
    // last recorded position), and the position recorded; otherwise `windowPos` unchanged.
    QPoint move(QPoint screenPos, QPoint windowPos);
    void release() { dragging_ = false; }
    bool dragging() const { return dragging_; }

private:
    bool dragging_ = false;
    QPoint last_;
};

// The notice's place: the top-right corner of the screen's area, `kNoticeMargin` in.
QPoint noticeTopLeft(const QRect& screenArea, QSize windowSize);

// The rectangle the zoom animations start from and shrink into: the centre of `full`.
QRect noticeZoomPoint(const QRect& full);

// The link text: translated "Click to download", product name and server version.
QString noticeLinkText(const Translator& translate, const QString& productName,
                       const QString& serverVersion);

// What the link opens: the download link, or the maker's home page when there is none, it is
// not a web address or it leads to another host than the maker's (the link comes over the
// network and goes to the shell).
QString noticeLinkTarget(const QString& downloadUrl);

// True when `url` is on the maker's host (and port, when makerHost() names one).
bool isOnMakerHost(const QUrl& url);

}  // namespace pixmorrow
