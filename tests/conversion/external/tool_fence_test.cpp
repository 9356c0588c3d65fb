// What the external tool is handed: every path absolute and behind the coder its extension
// promises, and a policy that lets through only the coders the routes need.
#include "conversion/external/tool_fence.h"
#include "platform/error.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace pixmorrow {
namespace {

TEST(ToolFence, EveryPathIsAbsoluteAndNamesItsCoder) {
    const QString here = QDir::currentPath();
    const struct {
        const char* path;
        bool animated;
        QString expected;
    } inputs[] = {
        {"/pictures/x.tga", false, "TGA:/pictures/x.tga"},
        {"/pictures/X.PSD", false, "PSD:/pictures/X.PSD"},
        {"/p/photo.heif", false, "HEIC:/p/photo.heif"},
        {"/p/photo.avif", false, "AVIF:/p/photo.avif"},
        {"/p/photo.jfif", false, "JPEG:/p/photo.jfif"},
        {"/p/moving.png", true, "APNG:/p/moving.png"},
        {"/p/still.png", false, "PNG:/p/still.png"},
        // A name the tool would take for an option, a format prefix or a frame selection.
        {"-resize 1x1.png", false, "PNG:" + here + "/-resize 1x1.png"},
        {"/p/ps:evil.gif", false, "GIF:/p/ps:evil.gif"},
        {"/p/a[0]b.bmp", false, "BMP:/p/a[0]b.bmp"},
        {"/p/@list.jpg", false, "JPEG:/p/@list.jpg"},
    };
    for (const auto& c : inputs) {
        EXPECT_EQ(tool_fence::inputArgument(QString::fromUtf8(c.path), c.animated), c.expected)
            << c.path;
    }
    const struct {
        const char* path;
        QString expected;
    } outputs[] = {
        {"/out/.pixmorrow-abc.webp", "WEBP:/out/.pixmorrow-abc.webp"},
        {"/out/a.jpg", "JPEG:/out/a.jpg"},
        {"/out/a.APNG", "APNG:/out/a.APNG"},
        {"/out/100%d [1]:x/t.ico", "ICO:/out/100%%d [1]:x/t.ico"},
        {"out/t.gif", "GIF:" + here + "/out/t.gif"},
        {"/settings/temp.png", "PNG:/settings/temp.png"},
    };
    for (const auto& c : outputs)
        EXPECT_EQ(tool_fence::outputArgument(QString::fromUtf8(c.path)), c.expected) << c.path;
}

TEST(ToolFence, RefusesWhatTheToolMustNotBeGiven) {
    const char* const refusedInputs[] = {"/p/x.svg", "/p/x.wmp", "/p/x.pgm", "/p/noextension",
                                         "/p/x.png[0]"};
    for (const char* path : refusedInputs) {
        EXPECT_THROW(tool_fence::inputArgument(QString::fromUtf8(path)), Error) << path;
    }
    const char* const refusedOutputs[] = {"/p/x.tif", "/p/x.bmp",  "/p/x.wmp",
                                          "/p/x.pgm", "/p/x.jfif", "/p/w[0]"};
    for (const char* path : refusedOutputs) {
        EXPECT_THROW(tool_fence::outputArgument(QString::fromUtf8(path)), Error) << path;
    }
    try {
        tool_fence::inputArgument(QStringLiteral("/p/x.svg"));
    } catch (const Error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("/p/x.svg")));
    }
}

TEST(ToolFence, AllowsTheCodersOfTheRoutesOnly) {
    using R = tool_fence::CoderRights;
    const std::vector<R> expected = {
        {"APNG", true, true},  {"AVIF", true, false}, {"BMP", true, false},  {"GIF", true, true},
        {"HEIC", true, false}, {"ICC", false, true},  {"ICO", true, true},   {"JP2", true, false},
        {"JPEG", true, true},  {"JXL", true, false},  {"PAM", false, true},  {"PNG", true, true},
        {"PSD", true, false},  {"TGA", true, false},  {"TIFF", true, false}, {"WBMP", true, false},
        {"WEBP", true, true},
    };
    const std::vector<R> allowed = tool_fence::allowedCoders();
    ASSERT_EQ(allowed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(allowed[i].coder, expected[i].coder);
        EXPECT_EQ(allowed[i].read, expected[i].read) << expected[i].coder.toStdString();
        EXPECT_EQ(allowed[i].write, expected[i].write) << expected[i].coder.toStdString();
    }
}

// The policy file the launcher puts in force holds exactly these coder lines.
TEST(ToolFence, ThePolicyFileDeniesEveryOtherCoder) {
    QFile policy(testing::builtProgramFolder() + QStringLiteral("/imagemagick/policy.xml"));
    ASSERT_TRUE(policy.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList coderLines;
    for (const QString& line : QString::fromUtf8(policy.readAll()).split(u'\n')) {
        if (line.contains(QStringLiteral("domain=\"coder\"")))
            coderLines << line.trimmed();
    }
    EXPECT_EQ(coderLines, tool_fence::policyCoderLines());
    EXPECT_EQ(coderLines.value(0), R"(<policy domain="coder" rights="none" pattern="*"/>)");
}

TEST(ToolFence, PrivateFolderIsTheUsersAloneAndGoesAway) {
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    QString made;
    {
        const tool_fence::PrivateFolder folder(parent.path());
        made = folder.path();
        EXPECT_TRUE(made.startsWith(parent.path() + u'/'));
        const QFileInfo info(made);
        ASSERT_TRUE(info.isDir());
        struct stat mode {};
        ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &mode), 0);
        EXPECT_EQ(mode.st_mode & 07777, 0700u);
        EXPECT_EQ(mode.st_uid, ::geteuid());
        // What the tool leaves inside goes with it; a link inside is removed, not followed.
        QDir(made).mkpath(QStringLiteral("frames"));
        QFile left(made + QStringLiteral("/frames/f0.pam"));
        ASSERT_TRUE(left.open(QIODevice::WriteOnly));
        QFile keep(parent.filePath(QStringLiteral("keep.txt")));
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.close();
        ASSERT_TRUE(QFile::link(parent.path(), made + QStringLiteral("/back")));
    }
    EXPECT_FALSE(QFileInfo::exists(made));
    EXPECT_TRUE(QFileInfo::exists(parent.filePath(QStringLiteral("keep.txt"))));
    // One the tool left empty goes too.
    {
        const tool_fence::PrivateFolder empty(parent.path());
        made = empty.path();
        ASSERT_TRUE(QFileInfo(made).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(made));
    EXPECT_EQ(QDir(parent.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("keep.txt")});
    EXPECT_THROW(tool_fence::PrivateFolder(parent.filePath(QStringLiteral("missing/folder"))),
                 Error);
}

}  // namespace
}  // namespace pixmorrow
