// The translations shipped in resources/Languages: complete, well-formed, and reachable from
// LanguageCodes.csv.
#include "localization/language.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <iterator>

namespace pixmorrow {
namespace {

// Every text the program looks up.
const QStringList kKeys = {
    "Language",
    "User Interface Language:",
    "Translated by:",
    "OK",
    "Contribute to Translation",
    "Copy",
    "Select All",
    "Restart Application?",
    "Yes",
    "No",
    "Confirmation",
    "INFO:Translated By",
    "About %s",
    "Info",
    "Acknowledgements...",
    "How to uninstall...",
    "License...",
    "File not found!",
    "License",
    "feedback",
    "We would really appreciate your feedback.",
    "What did you like or dislike?",
    "Include my e-mail:",
    "Send",
    "I like it!",
    "I dislike it!",
    "Invalid e-mail address!",
    "Failure",
    "Your feedback is received.",
    "Thank you!",
    "Success",
    "Something went wrong. Your feedback could not be delivered.",
    "Please try again later.",
    "UPDATE AVAILABLE",
    "Click to download",
    "No image files have been added!",
    "Directory does not exist!",
    "Unable to write to directory!",
    "WARNING",
    "Image Files",
    "All Files (*.*)",
    "ERROR",
    "This web page could not be opened:",
    "This file could not be opened:",
    "This folder could not be opened:",
    "Close",
    "Keep metadata (EXIF, XMP)",
    "Cancel",
    "Cancelled after %1 of %2 files",
    "Progress",
    "Usage:",
    "Options:",
    "Converts image files, and the image files in folders, as the window does: an existing file is "
    "never replaced, a source never changed.",
    "Output type (default WEBP, any letter case): %s",
    "Quality from 1 to 100 for the types that use it (default 80)",
    "Convert to grayscale",
    "Write the outputs into FOLDER, made with its parents when missing (default: beside each "
    "source)",
    "Scan the subfolders of the folders given too",
    "Files converted at once (default: one per core)",
    "Resize each picture on the way: long:N (the longest side), width:N, height:N, fit:WxH or "
    "N%; a smaller picture keeps its size",
    "With --resize, a smaller picture grows to the size too",
    "With --dest, the outputs of the files found in a folder go to their place inside FOLDER, "
    "subfolders made as needed",
    "Keep the sources' EXIF and XMP (colour profiles are kept either way)",
    "One JSON object per file on standard output, and a summary object last",
    "Only the files that failed on standard output; no progress or summary line",
    "Show this text and exit",
    "Show the version and exit",
    "Exit status: 0 every file converted, 1 some failed, 2 nothing converted (a wrong command line "
    "or an unusable destination), 130 interrupted.",
    "Unknown option: %s",
    "The option %s needs a value",
    "The option %s takes no value",
    "Unknown type: %s",
    "The quality must be a whole number from 1 to 100: %s",
    "The number of jobs must be a whole number from 1 to 1024: %s",
    "The size must be long:N, width:N, height:N, fit:WxH or N%: %s",
    "The option %s needs --resize",
    "The option %s needs --dest",
    "The destination is empty",
    "No files or folders given",
    "Try \"%s --help\".",
    "%s processed",
    "%s converted",
    "%s failed",
    "Interrupted",
    "photos/s",
    "%s left",
    "Unsupported file type",
    "No output was written",
    "Resize:",
    "Longest side",
    "Width",
    "Height",
    "Fit in box",
    "Percent",
    "Do not enlarge",
    "Keep folder structure",
    "Resize mode",
    "Size",
    "Box height",
    "px",
};

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ShippedLanguagesTest, EveryLanguageTranslatesEveryTextAndKeepsItsPunctuation) {
    const QDir folder(QStringLiteral(SHIPPED_LANGUAGES));
    const QStringList files = folder.entryList({"*.lang.txt"}, QDir::Files, QDir::Name);
    for (const char* expected : {"German", "French", "Spanish", "Italian", "PortugueseBrazil",
                                 "Turkish", "Dutch", "Polish"}) {
        EXPECT_TRUE(files.contains(QString::fromLatin1(expected) + ".lang.txt")) << expected;
    }
    for (const QString& file : files) {
        const QStringList lines = decodeLanguageLines(readFile(folder.filePath(file)), file);
        // No key twice (a second line would never be read), and none the program never asks.
        QStringList seen;
        for (const QString& line : lines) {
            if (!line.startsWith('{'))
                continue;
            const QString key = line.mid(1, line.indexOf('}') - 1);
            EXPECT_FALSE(seen.contains(key)) << (file + ": " + key).toStdString();
            EXPECT_TRUE(kKeys.contains(key)) << "unknown key " << (file + ": " + key).toStdString();
            seen << key;
        }
        for (const QString& key : kKeys) {
            // A missing line reads as the English key, which would pass every check below.
            EXPECT_TRUE(seen.contains(key)) << "no line for " << (file + ": " + key).toStdString();
            const QString text = FindTranslation(key, lines);
            const std::string where = (file + ": " + key).toStdString();
            EXPECT_FALSE(text.trimmed().isEmpty()) << where;
            EXPECT_EQ(text, text.trimmed()) << where;
            EXPECT_EQ(text.count("%s"), key.count("%s")) << where;
            for (const char* number : {"%1", "%2"})
                EXPECT_EQ(text.count(QLatin1String(number)), key.count(QLatin1String(number)))
                    << where;
            for (const char* mark : {"...", "?", "!", ":"}) {
                if (key.endsWith(QLatin1String(mark))) {
                    EXPECT_TRUE(text.endsWith(QLatin1String(mark))) << where;
                }
            }
            if (key == "All Files (*.*)") {
                EXPECT_TRUE(text.endsWith("(*.*)")) << where;
            }
        }
        EXPECT_NE(FindTranslation("INFO:Translated By", lines), "INFO:Translated By")
            << file.toStdString();
    }
}

TEST(ShippedLanguagesTest, LanguageCodesNameOnlyShippedFiles) {
    const QDir folder(QStringLiteral(SHIPPED_LANGUAGES));
    const QByteArray csv = readFile(folder.filePath("LanguageCodes.csv"));
    ASSERT_FALSE(csv.isEmpty());
    struct Case {
        const char* id;
        const char* file;
    } cases[] = {
        {"1031", "German.lang.txt"},
        {"3079", "German.lang.txt"},
        {"2055", "German.lang.txt"},
        {"1036", "French.lang.txt"},
        {"3084", "French.lang.txt"},
        {"3082", "Spanish.lang.txt"},
        {"2058", "Spanish.lang.txt"},
        {"1040", "Italian.lang.txt"},
        {"1046", "PortugueseBrazil.lang.txt"},
        {"1055", "Turkish.lang.txt"},
        {"1043", "Dutch.lang.txt"},
        {"2067", "Dutch.lang.txt"},
        {"1045", "Polish.lang.txt"},
        {"1033", ""},
        {"2057", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(languageFileForIdentifier(csv, c.id), QString::fromLatin1(c.file)) << c.id;
    }
    for (const QString& line : QString::fromLatin1(csv).split("\r\n", Qt::SkipEmptyParts)) {
        const QString file = line.section(',', 1).trimmed();
        bool numeric = false;
        line.section(',', 0, 0).trimmed().toUInt(&numeric);
        if (numeric) {
            EXPECT_TRUE(folder.exists(file)) << line.toStdString();
        }
    }
}

// The translations are the team's work: a credit names the team and no one else (the
// chooser lists every comma-separated name as a translator).
TEST(ShippedLanguagesTest, TranslatorCreditsNameThePixmorrowTeamOnly) {
    const QDir folder(QStringLiteral(SHIPPED_LANGUAGES));
    struct Case {
        const char* file;
        const char* credit;
    } cases[] = {
        {"Dutch.lang.txt", "Pixmorrow-team"},
        {"French.lang.txt", "\u00c9quipe Pixmorrow"},
        {"German.lang.txt", "Pixmorrow-Team"},
        {"Italian.lang.txt", "Team Pixmorrow"},
        {"Polish.lang.txt", "Zesp\u00f3\u0142 Pixmorrow"},
        {"PortugueseBrazil.lang.txt", "Equipe Pixmorrow"},
        {"Spanish.lang.txt", "Equipo de Pixmorrow"},
        {"Turkish.lang.txt", "Pixmorrow Ekibi"},
    };
    const QStringList files = folder.entryList({"*.lang.txt"}, QDir::Files);
    EXPECT_EQ(files.size(), static_cast<qsizetype>(std::size(cases)));
    for (const Case& c : cases) {
        const QString file = QString::fromLatin1(c.file);
        const QStringList lines = decodeLanguageLines(readFile(folder.filePath(file)), file);
        EXPECT_EQ(FindTranslation("INFO:Translated By", lines), QString::fromUtf8(c.credit))
            << c.file;
    }
}

}  // namespace
}  // namespace pixmorrow
