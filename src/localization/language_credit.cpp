#include "localization/language_credit.h"

#include "localization/language.h"
#include "platform/error.h"

#include <QFile>

#include <algorithm>

namespace pixmorrow {

namespace {

bool blankOrControl(QChar c) {
    return c.unicode() <= 0x20 || c.unicode() == 0x7F;
}

QString trimmedBlanksAndControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && blankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace

QStringList creditLines(const QString& credit) {
    QStringList lines;
    for (const QString& piece : credit.split(u','))
        lines << trimmedBlanksAndControls(piece);
    return lines;
}

bool readLanguageFileLines(const QString& path, QStringList& lines) {
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    try {
        lines = decodeLanguageLines(bytes, path);
    } catch (const Error&) {
        return false;
    }
    return true;
}

QString languageCredit(const QString& languageFolder, const QString& languageName) {
    if (languageName == QStringLiteral("English"))
        return kEnglishCredit;
    QStringList lines;
    if (!readLanguageFileLines(languageFolder + u'/' + languageName + QStringLiteral(".lang.txt"),
                               lines)) {
        return {};
    }
    return FindTranslation(kTranslatedByKey, lines);
}

QStringList chooserLanguages(const QStringList& languageFiles) {
    QStringList names{QStringLiteral("English")};
    for (const QString& file : languageFiles) {
        // A listed name without ".lang.txt" (such as "Xlang.txt") names no language.
        const qsizetype at = file.indexOf(QStringLiteral(".lang.txt"));
        if (at <= 0)
            continue;
        const QString name = file.left(at);
        if (!names.contains(name))
            names << name;
    }
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

}  // namespace pixmorrow
