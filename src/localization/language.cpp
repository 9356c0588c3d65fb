#include "localization/language.h"

#include "localization/language_identifiers.h"
#include "platform/error.h"
#include "platform/program_paths.h"
#include "platform/text.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace pixmorrow {

namespace {

// Language files hold one line per text; anything this big is not one.
constexpr qint64 kMaxLanguageFileBytes = 4 * 1024 * 1024;
constexpr qint64 kMaxCodesFileBytes = 1024 * 1024;

const QString kLangSuffix = QStringLiteral(".lang.txt");

LanguageState& state() {
    static LanguageState s;
    return s;
}

// Reads at most `limit` bytes; false when the file cannot be opened or read.
bool readCapped(const QString& path, qint64 limit, QByteArray& out, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    // Only plain files get here, so the size is known before anything is read.
    if (file.size() > limit) {
        error = QStringLiteral("the file is too large");
        return false;
    }
    out = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

// LanguageCodes.csv: a UTF-8 or UTF-16 byte-order mark is honoured, otherwise the bytes are
// taken as Latin-1 (the file is plain ASCII).
QString decodeCodes(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const auto encoding =
            bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        return decoder.decode(bytes.sliced(2));
    }
    return QString::fromLatin1(bytes);
}

QString lookUp(const QString& key, const QStringList& lines, bool emptyIsMissing) {
    const QString prefix = u'{' + key + u'}';
    for (const QString& line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QString translation = line.sliced(line.indexOf(u'}') + 1);
        if (translation.isEmpty() && emptyIsMissing)
            return key;
        return translation;
    }
    return key;
}

}  // namespace

const LanguageState& languageState() {
    return state();
}

QStringList decodeLanguageLines(const QByteArray& bytes, const QString& fileName) {
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    // Stateless: a sequence cut off at the end is an error too. The initial mark is gone
    // already, so a second one stays text.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(data);
    if (decoder.hasError()) {
        throw Error(QStringLiteral("The language file \"%1\" is not valid UTF-8").arg(fileName));
    }
    return splitLines(text);
}

QString languageFileForIdentifier(const QByteArray& csv, const QString& identifier) {
    for (const QString& line : splitLines(decodeCodes(csv))) {
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0)
            continue;
        if (trimBlanksAndControls(QStringView(line).first(comma)) == identifier) {
            return trimBlanksAndControls(QStringView(line).sliced(comma + 1));
        }
    }
    return {};
}

void ListLanguageFiles(const QString& folder) {
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo info = entries.fileInfo();
        if (info.isDir())
            continue;
        const QString name = info.fileName();
        if (name.endsWith(QStringLiteral("lang.txt"), Qt::CaseInsensitive)) {
            state().LanguageFiles.append(name);
        }
    }
}

void LoadLanguage(const QString& preferredName) {
    LanguageState& s = state();
    s = LanguageState{};
    s.LanguageFolder = withTrailingSeparator(programFolder()) + QStringLiteral("Languages");
    if (!QFileInfo(s.LanguageFolder).isDir())
        return;
    ListLanguageFiles(s.LanguageFolder);

    QString preferred = preferredName;
    if (trimBlanksAndControls(preferred).isEmpty()) {
        preferred.clear();
        const QString codesPath = s.LanguageFolder + QStringLiteral("/LanguageCodes.csv");
        if (QFileInfo(codesPath).isFile()) {
            const QString identifier = QString::number(userInterfaceLanguageId());
            QByteArray csv;
            QString ignored;
            if (!readCapped(codesPath, kMaxCodesFileBytes, csv, ignored))
                csv.clear();
            const QString chosen = asciiLower(languageFileForIdentifier(csv, identifier));
            if (!chosen.isEmpty()) {
                for (const QString& listed : s.LanguageFiles) {
                    if (asciiLower(listed) == chosen) {
                        preferred = listed;
                        break;
                    }
                }
            }
        }
    }
    if (preferred.isEmpty())
        return;

    const QString path = s.LanguageFolder + u'/' + preferred;
    // Only a plain file: a directory, a pipe or a device is no language file.
    if (!QFileInfo(path).isFile())
        return;
    const qsizetype suffix = preferred.indexOf(kLangSuffix);
    s.LanguageName = suffix < 0 ? QString() : preferred.first(suffix);
    s.LanguageFilePath = path;

    QByteArray bytes;
    QString error;
    if (!readCapped(path, kMaxLanguageFileBytes, bytes, error)) {
        throw Error(
            QStringLiteral("The language file \"%1\" could not be read: %2").arg(path, error));
    }
    s.LanguageLines = decodeLanguageLines(bytes, path);
}

QString TranslateText(const QString& key) {
    if (state().LanguageFilePath.isEmpty())
        return key;
    return lookUp(key, state().LanguageLines, true);
}

QString FindTranslation(const QString& key, const QStringList& lines) {
    return lookUp(key, lines, false);
}

QString translateFormat(const QString& key, const QString& argument) {
    static const QString kPlaceholder = QStringLiteral("%s");
    QString text = TranslateText(key);
    if (text.count(kPlaceholder) != 1)
        text = key;
    const qsizetype at = text.indexOf(kPlaceholder);
    if (at >= 0)
        text.replace(at, kPlaceholder.size(), argument);
    return text;
}

QString localeCodeOf(const QLocale& locale, const QString& requestedName) {
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage) {
        QString name = requestedName;
        const qsizetype cut = name.indexOf(u'.');
        if (cut >= 0)
            name.truncate(cut);
        if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX")) {
            return QStringLiteral("en-US");
        }
        return QStringLiteral("xx");
    }
    if (locale.territory() == QLocale::AnyTerritory)
        return QStringLiteral("xx");
    const QString language = QLocale::languageToCode(locale.language());
    const QString territory = QLocale::territoryToCode(locale.territory());
    if (language.isEmpty() || territory.isEmpty())
        return QStringLiteral("xx");
    return language + u'-' + territory;
}

QString GetLocaleCode() {
    // Taken once: the update check's worker asks too, and the locale does not change.
    static const QString code = [] {
        QString requested;
        for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
            requested = qEnvironmentVariable(variable);
            if (!requested.isEmpty())
                break;
        }
        return localeCodeOf(QLocale::system(), requested);
    }();
    return code;
}

}  // namespace pixmorrow
