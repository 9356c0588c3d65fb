#include "cli/progress_bar.h"

#include "localization/language.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace pixmorrow::cli {

QString clockText(std::uint64_t seconds) {
    const auto two = [](std::uint64_t n) { return QString::number(n).rightJustified(2, u'0'); };
    if (seconds >= 3600)
        return QString::number(seconds / 3600) + u':' + two(seconds / 60 % 60) + u':' +
               two(seconds % 60);
    return QString::number(seconds / 60) + u':' + two(seconds % 60);
}

QString progressText(std::int64_t done, std::int64_t total, std::uint32_t elapsedMs, int width) {
    QString tail = QStringLiteral("  ") + QString::number(done) + u'/' + QString::number(total);
    if (done > 0 && elapsedMs > 0) {
        const double rate = static_cast<double>(done) * 1000.0 / elapsedMs;
        const auto left = static_cast<std::uint64_t>(static_cast<double>(total - done) * elapsedMs /
                                                         static_cast<double>(done) / 1000.0 +
                                                     0.5);
        tail += QStringLiteral("  ") + QString::number(rate, 'f', 1) + u' ' +
                TranslateText(QStringLiteral("photos/s")) + QStringLiteral("  ") +
                translateFormat(QStringLiteral("%s left"), clockText(left));
    }
    // The bar takes what the numbers leave, between 10 and 40 columns; on a narrow terminal
    // the numbers alone.
    const int room = std::min(40, width - 1 - static_cast<int>(tail.size()) - 2);
    if (room < 10 || total <= 0)
        return tail.trimmed().left(std::max(0, width - 1));
    const int filled = static_cast<int>(std::min<std::int64_t>(room, done * room / total));
    return u'[' + QString(filled, u'#') + QString(room - filled, u'-') + u']' + tail;
}

namespace {
int terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}
}  // namespace

TerminalProgress::TerminalProgress(bool enabled) : active_(enabled && ::isatty(STDERR_FILENO)) {}

void TerminalProgress::show(std::int64_t done, std::int64_t total, std::uint32_t elapsedMs) {
    if (!active_)
        return;
    const QByteArray line = progressText(done, total, elapsedMs, terminalWidth()).toLocal8Bit();
    std::fprintf(stderr, "\r\033[K%s", line.constData());
    std::fflush(stderr);
    shown_ = true;
}

void TerminalProgress::clear() {
    if (!active_ || !shown_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace pixmorrow::cli
