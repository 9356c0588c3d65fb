#include "platform/text.h"

namespace pixmorrow {

QString trimBlanksAndControls(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.sliced(begin, end - begin).toString();
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.append(text.sliced(pos, end - pos).toString());
        pos = end;
        if (pos < size)
            pos += (text[pos] == u'\r' && pos + 1 < size && text[pos + 1] == u'\n') ? 2 : 1;
    }
    return lines;
}

QString asciiLower(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return out;
}

}  // namespace pixmorrow
