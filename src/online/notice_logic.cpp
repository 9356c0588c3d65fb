#include "online/notice_logic.h"

#include "online/maker_site.h"

#include <QUrl>

namespace pixmorrow {

bool NoticeCountdown::tick() {
    if (remaining_ <= 0)
        return false;
    --remaining_;
    return remaining_ == 0;
}

void NoticeDrag::press(PressButton button, QPoint screenPos) {
    if (button == PressButton::Right)
        return;
    dragging_ = true;
    last_ = screenPos;
}

QPoint NoticeDrag::move(QPoint screenPos, QPoint windowPos) {
    if (!dragging_)
        return windowPos;
    const QPoint moved = windowPos + (screenPos - last_);
    last_ = screenPos;
    return moved;
}

QPoint noticeTopLeft(const QRect& screenArea, QSize windowSize) {
    return {screenArea.x() + screenArea.width() - windowSize.width() - kNoticeMargin,
            screenArea.y() + kNoticeMargin};
}

QRect noticeZoomPoint(const QRect& full) {
    return QRect(full.center(), QSize(1, 1));
}

QString noticeLinkText(const Translator& translate, const QString& productName,
                       const QString& serverVersion) {
    return translate(QStringLiteral("Click to download")) + u' ' + productName + u' ' +
           serverVersion;
}

bool isOnMakerHost(const QUrl& url) {
    // makerHost() is "host" or "host:port".
    const QUrl maker(QStringLiteral("http://") + makerHost() + u'/');
    if (!maker.isValid() || maker.host().isEmpty())
        return false;
    if (url.host().compare(maker.host(), Qt::CaseInsensitive) != 0)
        return false;
    return maker.port() < 0 || url.port() == maker.port();
}

QString noticeLinkTarget(const QString& downloadUrl) {
    const QUrl url(downloadUrl);
    const QString scheme = url.scheme().toLower();
    const bool web = url.isValid() && !url.host().isEmpty() &&
                     (scheme == QStringLiteral("http") || scheme == QStringLiteral("https"));
    return web && isOnMakerHost(url) ? downloadUrl : makerHomePage();
}

}  // namespace pixmorrow
