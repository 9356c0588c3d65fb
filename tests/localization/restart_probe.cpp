// Loads the language the way the main window does at start and writes, one per line, the
// path it was started as, the loaded language's name and the translation of "Language",
// into the file named by PIXMORROW_PROBE_OUTPUT.
#include "localization/language.h"
#include "localization/language_preference.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    pixmorrow::LoadLanguage(pixmorrow::preferredLanguageFile());
    QFile out(qEnvironmentVariable("PIXMORROW_PROBE_OUTPUT"));
    if (!out.open(QIODevice::WriteOnly))
        return 1;
    out.write(QFile::encodeName(QString::fromLocal8Bit(argv[0])) + '\n');
    out.write(pixmorrow::languageState().LanguageName.toUtf8() + '\n');
    out.write(pixmorrow::TranslateText(QStringLiteral("Language")).toUtf8() + '\n');
    return 0;
}
