// What pixmorrow-convert prints: the line and the JSON object of a file, the summary, and the
// progress line of a terminal.
#include "cli/collected_messages.h"
#include "cli/file_report.h"
#include "cli/progress_bar.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace pixmorrow::cli {
namespace {

QJsonObject parsed(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    EXPECT_FALSE(line.contains('\n'));
    return document.object();
}

FileReport converted() {
    FileReport report;
    report.result = {"/p/a \"b\".jpg", {"/o/a \"b\".webp"}, 2048, 512, 31};
    return report;
}

FileReport failed() {
    FileReport report;
    report.result = {"/p/bad.png", {}, 17, 0, 4};
    report.error = "PNG error: bad signature; second box";
    return report;
}

TEST(ReportTextTest, AFileAsALineAndAsJson) {
    EXPECT_EQ(fileLine(converted()), "/p/a \"b\".jpg -> /o/a \"b\".webp (2048 -> 512 bytes)");
    EXPECT_EQ(fileLine(failed()), "/p/bad.png: PNG error: bad signature; second box");
    FileReport frames;
    frames.result = {"/p/anim.gif", {"/o/anim-0.png", "/o/anim-1.png"}, 10, 20, 1};
    EXPECT_EQ(fileLine(frames), "/p/anim.gif -> /o/anim-0.png, /o/anim-1.png (10 -> 20 bytes)");

    const QJsonObject good = parsed(fileJson(converted()));
    EXPECT_EQ(good["source"].toString(), "/p/a \"b\".jpg");
    EXPECT_EQ(good["output"].toString(), "/o/a \"b\".webp");
    EXPECT_EQ(good["outputs"].toArray(), QJsonArray({"/o/a \"b\".webp"}));
    EXPECT_EQ(good["status"].toString(), "converted");
    EXPECT_TRUE(good["error"].isNull());
    EXPECT_EQ(good["bytes_in"].toInteger(), 2048);
    EXPECT_EQ(good["bytes_out"].toInteger(), 512);
    EXPECT_EQ(good["ms"].toInteger(), 31);

    const QJsonObject bad = parsed(fileJson(failed()));
    EXPECT_EQ(bad["status"].toString(), "failed");
    EXPECT_TRUE(bad["output"].isNull());
    EXPECT_EQ(bad["outputs"].toArray(), QJsonArray());
    EXPECT_EQ(bad["error"].toString(), "PNG error: bad signature; second box");
    EXPECT_EQ(bad["bytes_in"].toInteger(), 17);
}

TEST(ReportTextTest, TheSummarySaysSavedOrIncreased) {
    BatchSummary saved;
    saved.totals.processedCount = 3;
    saved.totals.convertedCount = 2;
    saved.totals.inputTotal = 4000;
    saved.totals.outputTotal = 1000;
    saved.totals.elapsedMilliseconds = 1234;
    saved.failed = 1;
    const QJsonObject object = parsed(summaryJson(saved));
    EXPECT_TRUE(object["summary"].toBool());
    EXPECT_EQ(object["processed"].toInteger(), 3);
    EXPECT_EQ(object["converted"].toInteger(), 2);
    EXPECT_EQ(object["failed"].toInteger(), 1);
    EXPECT_EQ(object["bytes_in"].toInteger(), 4000);
    EXPECT_EQ(object["bytes_out"].toInteger(), 1000);
    EXPECT_EQ(object["elapsed_ms"].toInteger(), 1234);
    EXPECT_EQ(object["elapsed"].toString(), saved.totals.elapsedText());
    EXPECT_EQ(object["disk_space"].toString(),
              saved.totals.diskSpaceCaption() + " " + saved.totals.diskSpaceText());
    EXPECT_TRUE(object["disk_space"].toString().startsWith("Saved Disk Space: "));
    EXPECT_FALSE(object["interrupted"].toBool());
    EXPECT_EQ(summaryLine(saved), "3 processed, 2 converted, 1 failed, " +
                                      saved.totals.elapsedText() +
                                      "; Saved Disk Space: " + saved.totals.diskSpaceText());

    BatchSummary grown = saved;
    grown.totals.outputTotal = 9000;
    grown.interrupted = true;
    EXPECT_TRUE(
        parsed(summaryJson(grown))["disk_space"].toString().startsWith("Increased Disk Space: "));
    EXPECT_TRUE(parsed(summaryJson(grown))["interrupted"].toBool());
    EXPECT_TRUE(summaryLine(grown).endsWith("; Interrupted"));
}

TEST(ReportTextTest, TheEnginesBoxesBecomeOneLineOfText) {
    CollectedMessages messages;
    messages.showMessage("JPEG error #53\r\rUnknown file format, empty/damaged file!", "ERROR",
                         MessageIcon::Error);
    messages.showMessage("first\r\nsecond\nthird", "Pixmorrow", MessageIcon::None);
    EXPECT_EQ(messages.MessageDlgWithCaptions("Go on?", DialogKind::Confirmation,
                                              ButtonYes | ButtonNo, {}, "Confirmation"),
              ResultNo);
    EXPECT_EQ(
        messages.take(),
        "JPEG error #53 Unknown file format, empty/damaged file!; first second third; Go on?");
    EXPECT_EQ(messages.take(), "");
}

TEST(ReportTextTest, TheProgressLineFitsTheTerminal) {
    // The bar takes up to 40 columns of what the numbers leave.
    const auto bar = [](int filled, int room) {
        return u'[' + QString(filled, u'#') + QString(room - filled, u'-') + u']';
    };
    struct Case {
        std::int64_t done, total;
        std::uint32_t ms;
        int width;
        QString text;
    } cases[] = {
        {0, 4, 0, 80, bar(0, 40) + "  0/4"},
        {1, 4, 500, 80, bar(10, 40) + "  1/4  2.0 photos/s  0:02 left"},
        {4, 4, 2000, 80, bar(40, 40) + "  4/4  2.0 photos/s  0:00 left"},
        {2, 10, 1000, 60, bar(5, 26) + "  2/10  2.0 photos/s  0:04 left"},
        {1, 7200, 1000, 80, bar(0, 40) + "  1/7200  1.0 photos/s  1:59:59 left"},
        // Too narrow for a bar: the numbers, cut at the edge.
        {2, 10, 1000, 30, "2/10  2.0 photos/s  0:04 left"},
        {2, 10, 1000, 12, "2/10  2.0 p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QString text = progressText(c.done, c.total, c.ms, c.width);
        EXPECT_EQ(text, c.text);
        EXPECT_LT(text.size(), c.width);
    }
    EXPECT_EQ(clockText(0), "0:00");
    EXPECT_EQ(clockText(61), "1:01");
    EXPECT_EQ(clockText(3600), "1:00:00");
}

}  // namespace
}  // namespace pixmorrow::cli
