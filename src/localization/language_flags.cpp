#include "localization/language_flags.h"

#include <array>

namespace pixmorrow {

namespace {

constexpr std::array<const char*, 37> kPictures = {
    "xx", "english", "de", "fr", "tr", "al", "sa",          "bg",   "cn",   "tw", "cz", "nl", "fi",
    "gr", "il",      "hu", "it", "jp", "kr", "ir",          "pl",   "br",   "pt", "ro", "ru", "si",
    "es", "se",      "ua", "vi", "sk", "us", "tick_button", "copy", "flag", "ab", "no"};

struct NamedFlag {
    const char* name;
    int index;
};

constexpr std::array<NamedFlag, 32> kLanguages = {{
    {"English", 1},
    {"German", 2},
    {"French", 3},
    {"Turkish", 4},
    {"Albanian", 5},
    {"Arabic", 6},
    {"Bulgarian", 7},
    {"ChineseSimplified", 8},
    {"ChineseTraditional", 9},
    {"Czech", 10},
    {"Dutch", 11},
    {"Finnish", 12},
    {"Greek", 13},
    {"Hebrew", 14},
    {"Hungarian", 15},
    {"Italian", 16},
    {"Japanese", 17},
    {"Korean", 18},
    {"Persian", 19},
    {"Polish", 20},
    {"PortugueseBrazil", 21},
    {"PortuguesePortugal", 22},
    {"Romanian", 23},
    {"Russian", 24},
    {"Slovenian", 25},
    {"Spanish", 26},
    {"Swedish", 27},
    {"Ukrainian", 28},
    {"Vietnamese", 29},
    {"Slovak", 30},
    {"Abkhazian", 35},
    {"Norwegian", 36},
}};

}  // namespace

int languageFlagIndex(const QString& languageName) {
    for (const NamedFlag& flag : kLanguages) {
        if (languageName == QLatin1String(flag.name))
            return flag.index;
    }
    return kUnknownLanguageFlag;
}

QString flagPictureName(int index) {
    if (index < 0 || index >= static_cast<int>(kPictures.size()))
        index = kUnknownLanguageFlag;
    return QLatin1String(kPictures[static_cast<std::size_t>(index)]);
}

QString languageFlagResource(const QString& languageName) {
    return QStringLiteral(":/flags/%1.svg").arg(flagPictureName(languageFlagIndex(languageName)));
}

}  // namespace pixmorrow
