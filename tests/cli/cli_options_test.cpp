// The command line of pixmorrow-convert: what each option sets, and the refusals.
#include "cli/cli_options.h"

#include "conversion/format_table.h"
#include "formats/resize_plan.h"

#include <gtest/gtest.h>

namespace pixmorrow::cli {
namespace {

TEST(CliOptionsTest, OptionsSetWhatTheySayAndTheDefaultsAreTheWindowsFirstStart) {
    const CliOptions defaults = parseArguments({"a.jpg"});
    EXPECT_EQ(defaults.conversion.type, "WEBP");
    EXPECT_EQ(defaults.conversion.quality, 80);
    EXPECT_FALSE(defaults.conversion.grayscale);
    EXPECT_EQ(defaults.conversion.destination, kSameFolder);
    EXPECT_FALSE(defaults.conversion.keepMetadata);
    EXPECT_FALSE(defaults.recursive);
    EXPECT_EQ(defaults.jobs, 0);
    EXPECT_FALSE(defaults.conversion.resize.has_value());
    EXPECT_FALSE(defaults.conversion.keepFolderStructure);
    EXPECT_FALSE(defaults.json || defaults.quiet || defaults.help || defaults.version);

    const CliOptions all = parseArguments(
        {"--type", "png", "--quality=1", "--gray", "--dest", "out dir", "--recursive", "--jobs",
         "3", "--keep-metadata", "--json", "--quiet", "x", "--", "-y", "-", "photos/"});
    EXPECT_EQ(all.conversion.type, "PNG");
    EXPECT_EQ(all.conversion.quality, 1);
    EXPECT_TRUE(all.conversion.grayscale);
    EXPECT_EQ(all.conversion.destination, "out dir");
    EXPECT_TRUE(all.recursive);
    EXPECT_EQ(all.jobs, 3);
    EXPECT_TRUE(all.conversion.keepMetadata && all.json && all.quiet);
    EXPECT_EQ(all.paths, (QStringList{"x", "-y", "-", "photos/"}));

    // --enlarge may come before the size it applies to.
    const CliOptions resized = parseArguments(
        {"--enlarge", "--resize", "FIT:800x600", "--keep-structure", "--dest=o", "a"});
    ASSERT_TRUE(resized.conversion.resize.has_value());
    EXPECT_EQ(*resized.conversion.resize,
              (formats::ResizeRequest{formats::ResizeMode::FitInBox, 800, 600, true}));
    EXPECT_TRUE(resized.conversion.keepFolderStructure);
    EXPECT_EQ(parseArguments({"--resize", "50%", "a"}).conversion.resize,
              (formats::ResizeRequest{formats::ResizeMode::Percent, 50, 1080, false}));

    // The last of an option given twice counts; the value may look like an option.
    EXPECT_EQ(parseArguments({"--quality", "5", "--quality", "100", "a"}).conversion.quality, 100);
    EXPECT_EQ(parseArguments({"--dest", "--gray", "a"}).conversion.destination, "--gray");
    // --help and --version need no paths.
    EXPECT_TRUE(parseArguments({"--help"}).help);
    EXPECT_TRUE(parseArguments({"--version"}).version);
}

TEST(CliOptionsTest, EveryTypeOfTheTableInAnyLetterCase) {
    ASSERT_EQ(outputTypes().size(), 12);
    for (const QString& type : outputTypes()) {
        for (const QString& given : {type, type.toLower(), type.left(1) + type.mid(1).toLower()}) {
            EXPECT_EQ(parseArguments({"--type", given, "a"}).conversion.type, type)
                << given.toStdString();
        }
    }
}

TEST(CliOptionsTest, RefusalsSayWhatIsWrong) {
    struct Case {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{}, "No files or folders given"},
        {{"--gray"}, "No files or folders given"},
        {{"--frobnicate", "a"}, "Unknown option: --frobnicate"},
        {{"-r", "a"}, "Unknown option: -r"},
        {{"--type"}, "The option --type needs a value"},
        {{"a", "--dest"}, "The option --dest needs a value"},
        {{"--type", "jpeg2000", "a"}, "Unknown type: jpeg2000"},
        {{"--type=", "a"}, "Unknown type: "},
        {{"--quality", "0", "a"}, "The quality must be a whole number from 1 to 100: 0"},
        {{"--quality", "101", "a"}, "The quality must be a whole number from 1 to 100: 101"},
        {{"--quality", "8.5", "a"}, "The quality must be a whole number from 1 to 100: 8.5"},
        {{"--quality", "+80", "a"}, "The quality must be a whole number from 1 to 100: +80"},
        {{"--quality", " 80", "a"}, "The quality must be a whole number from 1 to 100:  80"},
        {{"--quality", "99999999999", "a"},
         "The quality must be a whole number from 1 to 100: 99999999999"},
        {{"--jobs", "0", "a"}, "The number of jobs must be a whole number from 1 to 1024: 0"},
        {{"--jobs", "many", "a"}, "The number of jobs must be a whole number from 1 to 1024: many"},
        {{"--gray=yes", "a"}, "The option --gray takes no value"},
        {{"--dest=", "a"}, "The destination is empty"},
        {{"--resize", "big", "a"},
         "The size must be long:N, width:N, height:N, fit:WxH or N%: big"},
        {{"--resize", "long:0", "a"},
         "The size must be long:N, width:N, height:N, fit:WxH or N%: long:0"},
        {{"--resize", "fit:800", "a"},
         "The size must be long:N, width:N, height:N, fit:WxH or N%: fit:800"},
        {{"--enlarge", "a"}, "The option --enlarge needs --resize"},
        {{"--keep-structure", "a"}, "The option --keep-structure needs --dest"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        try {
            parseArguments(c.arguments);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
}

TEST(CliOptionsTest, TheHelpListsEveryOptionAndEveryType) {
    const QString text = usageText();
    EXPECT_TRUE(text.startsWith("Usage: pixmorrow-convert [options] FILE|FOLDER...\n"));
    for (const char* option : {"--type T", "--quality N", "--gray", "--dest FOLDER", "--recursive",
                               "--jobs N", "--resize SIZE", "--enlarge", "--keep-structure",
                               "--keep-metadata", "--json", "--quiet", "--help", "--version"}) {
        EXPECT_TRUE(text.contains(QStringLiteral("\n  ") + QString::fromLatin1(option) + u' '))
            << option;
    }
    EXPECT_TRUE(text.simplified().contains(outputTypes().join(", ")));
    EXPECT_TRUE(text.contains("130"));
    // Broken into lines a terminal of 80 columns shows whole, help texts under each other.
    for (const QString& line : text.split(u'\n')) {
        EXPECT_LE(line.size(), 79) << line.toStdString();
        if (line.startsWith(QStringLiteral("  ")) && !line.startsWith(QStringLiteral("  --")))
            EXPECT_TRUE(line.startsWith(QString(21, u' ')) && line.at(21) != u' ')
                << line.toStdString();
    }
}

}  // namespace
}  // namespace pixmorrow::cli
