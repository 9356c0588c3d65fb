// Loads the language the environment asks for and prints what came of it, so tests can run
// the automatic choice and the locale code under locales of their choosing.
#include "localization/language.h"
#include "localization/language_identifiers.h"
#include "platform/error.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace pixmorrow;
    std::printf("id=%u\n", static_cast<unsigned>(userInterfaceLanguageId()));
    std::printf("locale=%s\n", qPrintable(GetLocaleCode()));
    try {
        LoadLanguage(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    } catch (const Error& e) {
        std::printf("error=%s\n", e.message().toUtf8().constData());
    }
    const LanguageState& s = languageState();
    std::printf("files=%s\n", s.LanguageFiles.join(u'|').toUtf8().constData());
    std::printf("name=%s\n", s.LanguageName.toUtf8().constData());
    std::printf("path=%s\n", s.LanguageFilePath.toUtf8().constData());
    std::printf("yes=%s\n", TranslateText(QStringLiteral("Yes")).toUtf8().constData());
    return 0;
}
