#include "localization/language.h"

namespace pixmorrow {

namespace {
LanguageState& state() {
    static LanguageState s;
    return s;
}
}  // namespace

const LanguageState& languageState() {
    return state();
}

// Until language files are read, every text is the built-in English one.
void LoadLanguage(const QString&) {}

QString TranslateText(const QString& key) {
    return key;
}

QString FindTranslation(const QString& key, const QStringList&) {
    return key;
}

QString GetLocaleCode() {
    return QStringLiteral("xx");
}

}  // namespace pixmorrow
