#include "conversion/run/run_texts.h"

#include <QLocale>

#include <sys/stat.h>

#include <cmath>

namespace pixmorrow {

namespace {

QString decimalSeparator() {
    return QLocale::system().decimalPoint();
}

// Pattern "#.##": two decimals at most, no trailing zeros, no digit for a zero integer part.
QString formatHashDotHash(double value) {
    QString text = QString::number(value, 'f', 2);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QStringLiteral("0"))
        return QString();
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    if (text.startsWith(QStringLiteral("-0.")))
        text.remove(1, 1);
    return text.replace(u'.', decimalSeparator());
}

qsizetype fileNameStart(const QString& path) {
    return path.lastIndexOf(u'/') + 1;
}

}  // namespace

bool entryExists(const QString& path) {
    struct stat info {};
    const QByteArray name = path.toLocal8Bit();
    return !name.isEmpty() && ::lstat(name.constData(), &info) == 0;
}

QString MakeUniqueFileName(const QString& name) {
    const qsizetype start = fileNameStart(name);
    const QString folder = name.left(start);
    const QString fileName = name.mid(start);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString stem = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot);

    QString current = name;
    for (std::int64_t n = 2; entryExists(current); ++n) {
        current = folder + stem + QStringLiteral(" (") + QString::number(n) + u')' + extension;
    }
    return current;
}

QString FormatByteSize(std::int64_t bytes) {
    const double n = static_cast<double>(bytes);
    if (bytes > 1073741824)
        return formatHashDotHash(n / 1073741824.0) + QStringLiteral(" GB");
    if (bytes > 1048576)
        return formatHashDotHash(n / 1048576.0) + QStringLiteral(" MB");
    if (bytes > 1024)
        return formatHashDotHash(n / 1024.0) + QStringLiteral(" KB");
    return formatHashDotHash(n) + QStringLiteral(" bytes");
}

std::int64_t savedPercentage(std::int64_t difference, std::int64_t inputTotal) {
    if (inputTotal == 0)
        return 0;
    const double share = static_cast<double>(difference) / static_cast<double>(inputTotal) * 100.0;
    // nearbyint follows the default rounding mode, round half to even.
    return static_cast<std::int64_t>(std::nearbyint(share));
}

QString elapsedText(std::uint32_t milliseconds) {
    QString seconds = QString::number(milliseconds / 1000.0, 'f', 3);
    return seconds.replace(u'.', decimalSeparator()) + QStringLiteral(" seconds");
}

QString extensionOfPath(const QString& path) {
    const QString fileName = path.mid(fileNameStart(path));
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return QString();
    QString extension = fileName.mid(dot);
    for (QChar& c : extension) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return extension;
}

QString baseNameWithoutLastExtension(const QString& path) {
    const QString fileName = path.mid(fileNameStart(path));
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

QString folderWithSeparator(const QString& path) {
    return path.left(fileNameStart(path));
}

}  // namespace pixmorrow
