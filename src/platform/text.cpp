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

QString asciiLower(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return out;
}

}  // namespace pixmorrow
