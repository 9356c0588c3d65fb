#include "localization/language.h"
#include "localization/language_identifiers.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// A program folder of the test's own with a Languages folder in it.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("PIXMORROW_PROGRAM_DIR", program.path().toLocal8Bit());
        QDir(program.path()).mkdir("Languages");
    }
    void TearDown() override { LoadLanguage(QStringLiteral("none.lang.txt")); }

    QString languages() const { return program.path() + "/Languages"; }
    void language(const QString& name, const QByteArray& bytes) {
        writeFile(languages() + '/' + name, bytes);
    }

    // Runs the probe with a clean locale environment plus `env`; its "key=value" lines.
    QMap<QString, QString> probe(const QStringList& env, const QStringList& arguments = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_CTYPE", "LANG"}) {
            environment.remove(name);
        }
        for (const QString& assignment : env) {
            environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
        }
        environment.insert("PIXMORROW_PROGRAM_DIR", program.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(LANGUAGE_PROBE), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        QMap<QString, QString> out;
        for (const QString& line :
             QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
            out[line.section('=', 0, 0)] = line.section('=', 1);
        }
        return out;
    }

    QTemporaryDir program;
};

TEST_F(LanguageTest, TranslateTextAndFindTranslationFollowTheLineRules) {
    language("Test.lang.txt",
             "\xEF\xBB\xBF{Language}Dil\r\n"
             "comment line\r\n"
             "{Ok}Tamam\r\n"
             " {Cancel}Vazgeç\r\n"
             "{Yes}Evet}\r\n"
             "{Yes}second\r\n"
             "{No} Hayır  \r"
             "{OK}\n"
             "{INFO:Translated By}\n"
             "{Copy}Kopyala");
    LoadLanguage("Test.lang.txt");
    const LanguageState& s = languageState();
    EXPECT_EQ(s.LanguageName, "Test");
    EXPECT_EQ(s.LanguageFilePath, languages() + "/Test.lang.txt");
    ASSERT_EQ(s.LanguageLines.size(), 10);

    struct Case {
        const char* key;
        const char* translated;  // TranslateText
        const char* found;       // FindTranslation over the same lines
    } cases[] = {
        {"Language", "Dil", "Dil"},  // first line, after the byte-order mark
        {"OK", "OK", ""},            // empty entry; "{Ok}" is another key
        {"Ok", "Tamam", "Tamam"},
        {"Cancel", "Cancel", "Cancel"},  // a blank before "{" is no entry
        {"Yes", "Evet}", "Evet}"},       // the first line wins, cut at the first "}"
        {"No", " Hayır  ", " Hayır  "},  // nothing trimmed; a CR alone ends a line
        {"INFO:Translated By", "INFO:Translated By", ""},
        {"Copy", "Kopyala", "Kopyala"},  // last line without a line end
        {"Missing", "Missing", "Missing"},
        {"comment line", "comment line", "comment line"},
    };
    for (const Case& c : cases) {
        const QString key = QString::fromUtf8(c.key);
        EXPECT_EQ(TranslateText(key), QString::fromUtf8(c.translated)) << c.key;
        EXPECT_EQ(FindTranslation(key, s.LanguageLines), QString::fromUtf8(c.found)) << c.key;
    }
    EXPECT_EQ(FindTranslation("Yes", {}), "Yes");
}

TEST_F(LanguageTest, WithoutALoadedFileEveryTextIsEnglish) {
    language("Test.lang.txt", "{Yes}Evet\n");
    LoadLanguage("Missing.lang.txt");
    EXPECT_TRUE(languageState().LanguageFilePath.isEmpty());
    EXPECT_EQ(TranslateText("Yes"), "Yes");
    // FindTranslation does not care what is loaded.
    EXPECT_EQ(FindTranslation("Yes", {"{Yes}Evet"}), "Evet");

    QDir(languages()).removeRecursively();
    LoadLanguage("Test.lang.txt");
    EXPECT_TRUE(languageState().LanguageFiles.isEmpty());
    EXPECT_TRUE(languageState().LanguageFilePath.isEmpty());
}

TEST_F(LanguageTest, ListsEveryNonFolderEndingInLangTxt) {
    for (const char* name : {"German.lang.txt", ".hidden.lang.txt", "Xlang.txt", "Shout.LANG.TXT",
                             "readme.txt", "German.lang.txt.bak"}) {
        language(name, "");
    }
    QDir(languages()).mkdir("Folder.lang.txt");
    LoadLanguage({});
    QStringList files = languageState().LanguageFiles;
    files.sort();
    EXPECT_EQ(files,
              (QStringList{".hidden.lang.txt", "German.lang.txt", "Shout.LANG.TXT", "Xlang.txt"}));
    // A folder named like a language file is not loaded.
    LoadLanguage("Folder.lang.txt");
    EXPECT_TRUE(languageState().LanguageFilePath.isEmpty());
}

TEST_F(LanguageTest, AFileThatIsNotUtf8IsRejectedWhole) {
    language("Bad.lang.txt", "{Yes}Evet\n{No}Hay\xFDr\n");
    try {
        LoadLanguage("Bad.lang.txt");
        FAIL() << "a Latin-1 file was accepted";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("Bad.lang.txt")) << e.message().toStdString();
    }
    // Name and path were set before the read; no line was kept, so everything is English.
    EXPECT_EQ(languageState().LanguageName, "Bad");
    EXPECT_FALSE(languageState().LanguageFilePath.isEmpty());
    EXPECT_TRUE(languageState().LanguageLines.isEmpty());
    EXPECT_EQ(TranslateText("Yes"), "Yes");

    const QByteArray invalid[] = {
        "\xC0\xAF",          // overlong "/"
        "\xED\xA0\x80",      // a UTF-16 surrogate
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "ok\xE2\x82",        // cut off at the end
        "\xFF\xFE{",         // a UTF-16 mark is no UTF-8
    };
    for (const QByteArray& bytes : invalid) {
        EXPECT_THROW(decodeLanguageLines(bytes, "x"), Error) << bytes.toHex().toStdString();
    }
    EXPECT_EQ(decodeLanguageLines("\xEF\xBB\xBF\xEF\xBB\xBFx", "x"),
              QStringList{QChar(0xFEFF) + QStringLiteral("x")})
        << "only the first mark is skipped";
}

TEST_F(LanguageTest, AFileFarTooLargeForALanguageIsRejected) {
    language("Huge.lang.txt", "{Yes}Evet\n" + QByteArray(5 * 1024 * 1024, 'x'));
    EXPECT_THROW(LoadLanguage("Huge.lang.txt"), Error);
    EXPECT_EQ(TranslateText("Yes"), "Yes");
}

TEST_F(LanguageTest, TranslateFormatReplacesTheOnePlaceholderAsPlainText) {
    language("Test.lang.txt",
             "{About %s}Über %s\n"
             "{Two %s}%s und %s\n"
             "{None %s}Über\n"
             "{Printf %s}%n%x%d über %s\n");
    LoadLanguage("Test.lang.txt");
    struct Case {
        const char* key;
        const char* argument;
        const char* expected;
    } cases[] = {
        {"About %s", "Pixmorrow", "Über Pixmorrow"},
        {"About %s", "A%sB %n", "Über A%sB %n"},  // the argument is not looked at
        {"Two %s", "X", "Two X"},                 // not exactly one "%s": English
        {"None %s", "X", "None X"},
        {"Printf %s", "X", "%n%x%d über X"},  // never a format string
        {"Untranslated %s", "X", "Untranslated X"},
        {"No placeholder", "X", "No placeholder"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(translateFormat(QString::fromUtf8(c.key), QString::fromUtf8(c.argument)),
                  QString::fromUtf8(c.expected))
            << c.key;
    }
}

TEST_F(LanguageTest, LanguageCodesCsvGivesTheFirstMatchingLine) {
    const QByteArray plain =
        "identifier,file\r\n"
        "no comma here\r\n"
        "01031,Zero.lang.txt\r\n"
        " \t1031 , German.lang.txt \t\r\n"
        "1031,Second.lang.txt\n"
        "1036,French,Canada.lang.txt\r"
        "1055,Turkish.lang.txt";
    struct Case {
        const char* what;
        QByteArray csv;
        const char* identifier;
        const char* expected;
    } cases[] = {
        {"blanks and control characters trimmed, first line wins", plain, "1031",
         "German.lang.txt"},
        {"later commas belong to the name", plain, "1036", "French,Canada.lang.txt"},
        {"last line without a line end", plain, "1055", "Turkish.lang.txt"},
        {"no line for the identifier", plain, "1033", ""},
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "1031,German.lang.txt\r\n",
         "1031", "German.lang.txt"},
        {"UTF-16 LE mark",
         QByteArray("\xFF\xFE"
                    "1\0"
                    "0\0"
                    "3\0"
                    "1\0"
                    ",\0"
                    "G\0"
                    "e\0",
                    16),
         "1031", "Ge"},
        {"UTF-16 BE mark",
         QByteArray("\xFE\xFF"
                    "\0"
                    "7\0"
                    ",\0"
                    "X",
                    8),
         "7", "X"},
        {"without a mark, bytes are Latin-1",
         "1031,Fran\xE7"
         "ais.lang.txt\n",
         "1031",
         "Fran\xC3\xA7"
         "ais.lang.txt"},
        {"empty file", "", "1031", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(languageFileForIdentifier(c.csv, QString::fromLatin1(c.identifier)),
                  QString::fromUtf8(c.expected))
            << c.what;
    }
}

TEST_F(LanguageTest, InterfaceLanguagesMapToWindowsIdentifiers) {
    struct Case {
        const char* tag;
        unsigned id;
    } cases[] = {
        {"en-US", 1033},      {"en-GB", 2057},      {"de-DE", 1031},
        {"de-AT", 3079},      {"de-CH", 2055},      {"fr-FR", 1036},
        {"fr-CA", 3084},      {"es-ES", 3082},      {"es-MX", 2058},
        {"it-IT", 1040},      {"pt-BR", 1046},      {"pt-PT", 2070},
        {"nl-NL", 1043},      {"tr-TR", 1055},      {"ru-RU", 1049},
        {"pl-PL", 1045},      {"cs-CZ", 1029},      {"sv-SE", 1053},
        {"ja-JP", 1041},      {"ko-KR", 1042},      {"zh-CN", 2052},
        {"zh-TW", 1028},      {"uk-UA", 1058},      {"de", 1031},
        {"fr", 1036},         {"es", 3082},         {"pt", 1046},
        {"zh", 2052},         {"en", 1033},         {"de_AT.UTF-8", 3079},
        {"de-Latn-DE", 1031}, {"zh-Hant-TW", 1028}, {"zh-Hans-CN", 2052},
        {"zh-Hant", 1028},    {"DE-de", 1031},      {"de-BE", 1031},
        {"sr-Latn-RS", 9242}, {"C", 1033},          {"POSIX", 1033},
        {"C.UTF-8", 1033},    {"xx-YY", 0},         {"", 1033},
        {"\xC3\xA9", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windowsLanguageId(QString::fromUtf8(c.tag)), c.id) << c.tag;
    }
    EXPECT_EQ(windowsLanguageId(QStringList{"xx-YY", "C"}), 1033u);
    EXPECT_EQ(windowsLanguageId(QStringList{"xx", "fr-CA", "de"}), 3084u);
    EXPECT_EQ(windowsLanguageId(QStringList{}), 1033u);
}

TEST_F(LanguageTest, LocaleCodeIsLanguageAndCountry) {
    EXPECT_EQ(localeCodeOf(QLocale(QLocale::German, QLocale::Germany), "de_DE.UTF-8"), "de-DE");
    EXPECT_EQ(localeCodeOf(QLocale(QLocale::English, QLocale::UnitedStates), "en_US.UTF-8"),
              "en-US");
    EXPECT_EQ(localeCodeOf(QLocale(QLocale::Portuguese, QLocale::Brazil), "pt_BR"), "pt-BR");
    EXPECT_EQ(localeCodeOf(QLocale::c(), "C"), "en-US");
    EXPECT_EQ(localeCodeOf(QLocale::c(), ""), "en-US");
    EXPECT_EQ(localeCodeOf(QLocale::c(), "POSIX"), "en-US");
    EXPECT_EQ(localeCodeOf(QLocale::c(), "C.UTF-8"), "en-US");
    EXPECT_EQ(localeCodeOf(QLocale::c(), "xx_YY.UTF-8"), "xx") << "a locale Qt does not know";
}

TEST_F(LanguageTest, TheEnvironmentPicksTheLanguageFileAndTheLocaleCode) {
    language("german.lang.txt", "{Yes}Ja\n");
    language("French.lang.txt", "{Yes}Oui\n");
    writeFile(languages() + "/LanguageCodes.csv",
              "1031 , "
              "German.lang.txt\r\n1031,French.lang.txt\r\n1036,French.lang.txt\r\n1033,Missing."
              "lang.txt\r\n");

    QMap<QString, QString> de = probe({"LANG=de_DE.UTF-8"});
    EXPECT_EQ(de["id"], "1031");
    EXPECT_EQ(de["locale"], "de-DE");
    EXPECT_EQ(de["name"], "german");
    EXPECT_EQ(de["path"], languages() + "/german.lang.txt");
    EXPECT_EQ(de["yes"], "Ja");
    EXPECT_FALSE(de.contains("error"));

    // LANGUAGE decides the interface language, LANG the locale.
    QMap<QString, QString> fr = probe({"LANGUAGE=fr", "LANG=en_US.UTF-8"});
    EXPECT_EQ(fr["id"], "1036");
    EXPECT_EQ(fr["yes"], "Oui");
    EXPECT_EQ(probe({"LANG=en_US.UTF-8"})["locale"], "en-US");

    // No line for the identifier, or a listed file that does not exist: English.
    QMap<QString, QString> c = probe({"LANG=C"});
    EXPECT_EQ(c["id"], "1033");
    EXPECT_EQ(c["locale"], "en-US");
    EXPECT_EQ(c["path"], "");
    EXPECT_EQ(c["yes"], "Yes");
    EXPECT_EQ(probe({"LANG=xx_YY.UTF-8"})["locale"], "xx");
    EXPECT_EQ(probe({"LANG=es_MX.UTF-8"})["path"], "");

    // A preferred name is taken as it is.
    QMap<QString, QString> chosen = probe({"LANG=de_DE.UTF-8"}, {"French.lang.txt"});
    EXPECT_EQ(chosen["name"], "French");
    EXPECT_EQ(chosen["yes"], "Oui");
}

TEST_F(LanguageTest, AFileWithAnUpperCaseSuffixLoadsWithoutAName) {
    language("German.LANG.txt", "{Yes}Ja\n");
    writeFile(languages() + "/LanguageCodes.csv", "1031 , German.lang.txt\r\n");
    QMap<QString, QString> out = probe({"LANG=de_DE.UTF-8"});
    EXPECT_EQ(out["path"], languages() + "/German.LANG.txt");
    EXPECT_EQ(out["name"], "");
    EXPECT_EQ(out["yes"], "Ja");
}

TEST_F(LanguageTest, AnInvalidFileChosenAutomaticallyIsReported) {
    language("German.lang.txt", "{Yes}J\xE4\n");
    writeFile(languages() + "/LanguageCodes.csv", "1031,German.lang.txt\r\n");
    QMap<QString, QString> out = probe({"LANG=de_DE.UTF-8"});
    EXPECT_TRUE(out["error"].contains("UTF-8")) << out["error"].toStdString();
    EXPECT_EQ(out["name"], "German");
    EXPECT_EQ(out["yes"], "Yes");
}

}  // namespace
}  // namespace pixmorrow
