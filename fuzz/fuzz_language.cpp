// A language file (and LanguageCodes.csv) is whatever the user dropped into the folder: any
// bytes must either load or be rejected, and every lookup must stay inside its lines.
#include "localization/language.h"
#include "platform/error.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// Removed again when the fuzzer exits.
std::unique_ptr<QTemporaryDir> programFolder;

const QStringList kKeys = {
    "OK", "Yes", "No", "About %s", "INFO:Translated By", "Restart Application?", "All Files (*.*)",
    "",   "}",   "{",
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The file is rewritten for every input: keep it in memory where the system allows.
    const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    programFolder =
        shm ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/fuzz_language-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    QDir(programFolder->path()).mkdir("Languages");
    qputenv("PIXMORROW_PROGRAM_DIR", programFolder->path().toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pixmorrow;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    (void)languageFileForIdentifier(bytes, QStringLiteral("1031"));

    {
        QFile file(programFolder->path() + "/Languages/Fuzz.lang.txt");
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(bytes);
    }
    bool rejected = false;
    try {
        LoadLanguage(QStringLiteral("Fuzz.lang.txt"));
    } catch (const Error&) {
        rejected = true;
    }
    const LanguageState& state = languageState();
    if (rejected && !state.LanguageLines.isEmpty())
        std::abort();

    QStringList keys = kKeys;
    // Keys the file itself names, so matches are found too.
    for (qsizetype i = 0; i < state.LanguageLines.size() && i < 16; ++i) {
        const QString& line = state.LanguageLines[i];
        const qsizetype close = line.indexOf(u'}');
        if (line.startsWith(u'{') && close > 0)
            keys << line.mid(1, close - 1);
    }
    for (const QString& key : keys) {
        const QString translated = TranslateText(key);
        const QString found = FindTranslation(key, state.LanguageLines);
        if (!found.isEmpty() && translated != found)
            std::abort();
        // Plain replacement: no placeholder is left unless the English text had several.
        const QString formatted = translateFormat(key, QStringLiteral("Pixmorrow"));
        if (key.count(QStringLiteral("%s")) <= 1 && formatted.contains(QStringLiteral("%s")))
            std::abort();
    }
    return 0;
}
