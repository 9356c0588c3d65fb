#include "localization/language_identifiers.h"

#include <QLocale>
#include <QRegularExpression>

#include <array>
#include <string_view>

namespace pixmorrow {

namespace {

struct Identifier {
    std::string_view tag;
    std::uint16_t lcid;
};

// Tags in lower case. For each language its primary locale comes first: a tag with the
// language alone maps to the first row of that language.
constexpr std::array kIdentifiers = std::to_array<Identifier>({
    {"en-us", 1033},      {"en-gb", 2057},       {"en-au", 3081},      {"en-ca", 4105},
    {"en-nz", 5129},      {"en-ie", 6153},       {"en-za", 7177},      {"en-jm", 8201},
    {"en-bz", 10249},     {"en-tt", 11273},      {"en-zw", 12297},     {"en-ph", 13321},
    {"en-in", 16393},     {"en-my", 17417},      {"en-sg", 18441},     {"de-de", 1031},
    {"de-ch", 2055},      {"de-at", 3079},       {"de-lu", 4103},      {"de-li", 5127},
    {"fr-fr", 1036},      {"fr-be", 2060},       {"fr-ca", 3084},      {"fr-ch", 4108},
    {"fr-lu", 5132},      {"fr-mc", 6156},       {"es-es", 3082},      {"es-mx", 2058},
    {"es-gt", 4106},      {"es-cr", 5130},       {"es-pa", 6154},      {"es-do", 7178},
    {"es-ve", 8202},      {"es-co", 9226},       {"es-pe", 10250},     {"es-ar", 11274},
    {"es-ec", 12298},     {"es-cl", 13322},      {"es-uy", 14346},     {"es-py", 15370},
    {"es-bo", 16394},     {"es-sv", 17418},      {"es-hn", 18442},     {"es-ni", 19466},
    {"es-pr", 20490},     {"es-us", 21514},      {"es-419", 22538},    {"it-it", 1040},
    {"it-ch", 2064},      {"pt-br", 1046},       {"pt-pt", 2070},      {"nl-nl", 1043},
    {"nl-be", 2067},      {"tr-tr", 1055},       {"ru-ru", 1049},      {"pl-pl", 1045},
    {"cs-cz", 1029},      {"sk-sk", 1051},       {"sv-se", 1053},      {"sv-fi", 2077},
    {"da-dk", 1030},      {"nb-no", 1044},       {"no-no", 1044},      {"nn-no", 2068},
    {"fi-fi", 1035},      {"is-is", 1039},       {"el-gr", 1032},      {"hu-hu", 1038},
    {"ro-ro", 1048},      {"bg-bg", 1026},       {"hr-hr", 1050},      {"sl-si", 1060},
    {"sr-latn-rs", 9242}, {"sr-cyrl-rs", 10266}, {"sr-rs", 10266},     {"bs-latn-ba", 5146},
    {"mk-mk", 1071},      {"sq-al", 1052},       {"uk-ua", 1058},      {"be-by", 1059},
    {"lt-lt", 1063},      {"lv-lv", 1062},       {"et-ee", 1061},      {"ka-ge", 1079},
    {"hy-am", 1067},      {"az-latn-az", 1068},  {"az-az", 1068},      {"kk-kz", 1087},
    {"uz-latn-uz", 1091}, {"uz-uz", 1091},       {"ja-jp", 1041},      {"ko-kr", 1042},
    {"zh-cn", 2052},      {"zh-tw", 1028},       {"zh-hk", 3076},      {"zh-sg", 4100},
    {"zh-mo", 5124},      {"zh-hans-cn", 2052},  {"zh-hans-sg", 4100}, {"zh-hant-tw", 1028},
    {"zh-hant-hk", 3076}, {"zh-hant-mo", 5124},  {"zh-hans", 2052},    {"zh-hant", 1028},
    {"ar-sa", 1025},      {"ar-iq", 2049},       {"ar-eg", 3073},      {"ar-ly", 4097},
    {"ar-dz", 5121},      {"ar-ma", 6145},       {"ar-tn", 7169},      {"ar-om", 8193},
    {"ar-ye", 9217},      {"ar-sy", 10241},      {"ar-jo", 11265},     {"ar-lb", 12289},
    {"ar-kw", 13313},     {"ar-ae", 14337},      {"ar-bh", 15361},     {"ar-qa", 16385},
    {"he-il", 1037},      {"fa-ir", 1065},       {"ur-pk", 1056},      {"hi-in", 1081},
    {"bn-bd", 2117},      {"bn-in", 1093},       {"pa-in", 1094},      {"gu-in", 1095},
    {"ta-in", 1097},      {"te-in", 1098},       {"kn-in", 1099},      {"ml-in", 1100},
    {"mr-in", 1102},      {"ne-np", 1121},       {"si-lk", 1115},      {"th-th", 1054},
    {"vi-vn", 1066},      {"id-id", 1057},       {"ms-my", 1086},      {"ms-bn", 2110},
    {"fil-ph", 1124},     {"km-kh", 1107},       {"lo-la", 1108},      {"mn-mn", 1104},
    {"ca-es", 1027},      {"eu-es", 1069},       {"gl-es", 1110},      {"ga-ie", 2108},
    {"cy-gb", 1106},      {"mt-mt", 1082},       {"lb-lu", 4134},      {"af-za", 1078},
    {"sw-ke", 1089},      {"am-et", 1118},       {"zu-za", 1077},      {"xh-za", 1076},
    {"yo-ng", 1130},      {"ha-latn-ng", 1128},  {"ig-ng", 1136},
});

std::uint16_t lookUp(std::string_view tag) {
    for (const Identifier& id : kIdentifiers) {
        if (id.tag == tag)
            return id.lcid;
    }
    return 0;
}

std::uint16_t primaryOf(std::string_view language) {
    for (const Identifier& id : kIdentifiers) {
        if (id.tag.size() > language.size() && id.tag.substr(0, language.size()) == language &&
            id.tag[language.size()] == '-') {
            return id.lcid;
        }
    }
    return 0;
}

}  // namespace

std::uint16_t windowsLanguageId(const QString& tag) {
    // "de_DE.UTF-8@euro" and "de-DE" alike: drop the code set and modifier, unify separators.
    QString cleaned = tag.trimmed();
    const qsizetype cut = cleaned.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        cleaned.truncate(cut);
    if (cleaned.isEmpty() || cleaned == QLatin1String("C") || cleaned == QLatin1String("POSIX")) {
        return 1033;
    }
    cleaned = cleaned.replace(u'_', u'-').toLower();
    // Tags are ASCII; anything else cannot be in the table.
    for (QChar c : cleaned) {
        if (c.unicode() > 0x7f)
            return 0;
    }
    const QByteArray ascii = cleaned.toLatin1();
    const std::string_view whole(ascii.constData(), static_cast<size_t>(ascii.size()));
    if (std::uint16_t id = lookUp(whole))
        return id;

    const QStringList parts = cleaned.split(u'-');
    const QByteArray language = parts.front().toLatin1();
    const std::string_view languageView(language.constData(), static_cast<size_t>(language.size()));
    if (parts.size() >= 3) {
        // Language-script-territory not listed as such: try language-territory, then
        // language-script.
        const QByteArray withoutScript = (parts[0] + u'-' + parts[2]).toLatin1();
        if (std::uint16_t id = lookUp(std::string_view(
                withoutScript.constData(), static_cast<size_t>(withoutScript.size())))) {
            return id;
        }
    }
    if (parts.size() >= 2) {
        const QByteArray withScript = (parts[0] + u'-' + parts[1]).toLatin1();
        if (std::uint16_t id = lookUp(
                std::string_view(withScript.constData(), static_cast<size_t>(withScript.size())))) {
            return id;
        }
        // A territory of no listed locale (de-BE, say): the language's primary locale, as the
        // nearest translation is still that language.
    }
    return primaryOf(languageView);
}

std::uint16_t windowsLanguageId(const QStringList& uiLanguages) {
    if (uiLanguages.isEmpty())
        return 1033;
    for (const QString& tag : uiLanguages) {
        if (std::uint16_t id = windowsLanguageId(tag))
            return id;
    }
    return 0;
}

std::uint16_t userInterfaceLanguageId() {
    return windowsLanguageId(QLocale::system().uiLanguages());
}

}  // namespace pixmorrow
