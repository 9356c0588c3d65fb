#include "platform/mnemonics.h"

namespace pixmorrow {

namespace {

bool startsWord(const QString& text, qsizetype at) {
    return at == 0 || !text.at(at - 1).isLetterOrNumber();
}

// Index of the first free letter or digit in `text`, word starts first; -1 when none is.
qsizetype freeLetter(const QString& text, const QString& taken) {
    for (bool wordStartsOnly : {true, false}) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (!c.isLetterOrNumber() || taken.contains(c.toLower()))
                continue;
            if (!wordStartsOnly || startsWord(text, i))
                return i;
        }
    }
    return -1;
}

}  // namespace

QString withMnemonic(const QString& caption, QString& taken) {
    const qsizetype at = freeLetter(caption, taken);
    QString shown;
    shown.reserve(caption.size() + 2);
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == u'&')
            shown += u'&';
        if (i == at) {
            shown += u'&';
            taken += c.toLower();
        }
        shown += c;
    }
    return shown;
}

QChar mnemonicOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) != u'&')
            return caption.at(i + 1).toLower();
        ++i;  // "&&" is a plain "&"
    }
    return QChar();
}

QString withoutMnemonic(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        else if (caption.at(i) == u'&')
            continue;
        plain += caption.at(i);
    }
    return plain;
}

}  // namespace pixmorrow
