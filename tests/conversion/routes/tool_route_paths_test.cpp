// Files queued and destinations typed by relative names, through the routes that run the
// external tool (which works in a folder of its own), and the names the boxes show.
#include "conversion/external/command_runner.h"
#include "conversion/routes/codec_library.h"
#include "conversion/routes/conversion_engine.h"
#include "conversion/routes/route_test_tools.h"
#include "conversion/run/conversion_run.h"
#include "platform/tick_clock.h"
#include "queue/image_queue.h"
#include "queue/intake.h"
#include "support/recording_dialogs.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using testing::builtProgramFolder;
using testing::NullReporter;
using testing::RecordingDialogs;
using testing::runProgram;

class ToolRoutePaths : public testing::RouteRunTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RouteRunTest::SetUp());
        ASSERT_TRUE(QDir().mkpath(settings()));
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(work.path()));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    QString settings() const { return work.filePath(QStringLiteral("settings/")); }
    void make(const QString& name, const QStringList& arguments) {
        int code = -1;
        runProgram(QStringLiteral("convert"), arguments + QStringList{work.filePath(name)}, &code);
        ASSERT_EQ(code, 0) << name.toStdString();
    }
    // The relative names enter through the intake, as from the command line or a drop, and
    // the destination as typed.
    std::optional<RunTotals> convert(const QStringList& relative, const QString& type,
                                     const QString& destination) {
        ImageQueue queue;
        Intake(queue, {}).addPaths(relative);
        QStringList sources;
        for (const TMyRecord& record : queue.items())
            sources << record.FName;
        NullReporter reporter;
        SteadyTickClock clock;
        ConversionEngine engine({builtProgramFolder(), settings(), dialogs, log});
        ConversionRun run(dialogs, reporter, clock, engine.converter(), &engine.shownNames());
        return run.run(sources, {type, 80, false, destination});
    }

    QString previous;
};

TEST_F(ToolRoutePaths, RelativeSourcesAndDestinationsWorkOnEveryToolRoute) {
    make(QStringLiteral("photo.tga"), {"-size", "32x24", "gradient:red-blue"});
    make(QStringLiteral("moving.gif"), {"-delay", "10", "-size", "16x16", "xc:red", "xc:blue"});
    const struct {
        const char* source;
        const char* type;
        const char* output;
    } cases[] = {
        {"photo.tga", "GIF", "photo.gif"},      // read by the tool, written by the tool
        {"photo.tga", "ICO", "photo.ico"},      // with the icon sizes
        {"photo.tga", "WEBP", "photo.webp"},    // read by the tool, written by the codec library
        {"moving.gif", "APNG", "moving.apng"},  // the source whole to the tool
        {"moving.gif", "WEBP", "moving.webp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        dialogs.messages.clear();
        const auto totals = convert({QString::fromUtf8(c.source)}, QString::fromUtf8(c.type),
                                    QStringLiteral("out"));
        ASSERT_TRUE(totals);
        EXPECT_EQ(totals->convertedCount, 1) << log.text().toStdString();
        EXPECT_TRUE(dialogs.messages.empty()) << log.text().toStdString();
        EXPECT_GT(QFileInfo(work.filePath(QStringLiteral("out/") + c.output)).size(), 0);
    }
    // A destination whose name holds a line break, as a folder name may.
    const auto totals =
        convert({QStringLiteral("moving.gif")}, QStringLiteral("GIF"), QStringLiteral("new\nline"));
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->convertedCount, 1) << log.text().toStdString();
    EXPECT_GT(QFileInfo(work.filePath(QStringLiteral("new\nline/moving.gif"))).size(), 0);
    // Nothing was written where the tool runs, nor left in the settings folder.
    EXPECT_TRUE(QDir(settings()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// A source the tool cannot decode: the box names the user's file and never the hidden output.
TEST_F(ToolRoutePaths, TheToolsErrorNamesTheUsersFile) {
    make(QStringLiteral("gray.pgm"), {"-size", "8x8", "gradient:"});
    ASSERT_TRUE(QFile::rename(work.filePath(QStringLiteral("gray.pgm")),
                              work.filePath(QStringLiteral("renamed.tga"))));
    const auto totals =
        convert({QStringLiteral("renamed.tga")}, QStringLiteral("GIF"), QStringLiteral("out"));
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->convertedCount, 0);
    ASSERT_FALSE(dialogs.messages.empty());
    for (const auto& message : dialogs.messages) {
        EXPECT_FALSE(message.text.contains(QStringLiteral(".pixmorrow-")))
            << message.text.toStdString();
    }
    EXPECT_TRUE(dialogs.messages[0].text.contains(work.filePath(QStringLiteral("renamed.tga"))))
        << dialogs.messages[0].text.toStdString();
}

}  // namespace
}  // namespace pixmorrow
