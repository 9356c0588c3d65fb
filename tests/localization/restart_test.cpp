#include "localization/chooser_fixture.h"
#include "localization/language_preference.h"
#include "localization/restart_script.h"
#include "platform/error.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>

namespace pixmorrow {
namespace {

using testing::ChooserTest;

QList<QByteArray> scriptLines(const QByteArray& script) {
    QList<QByteArray> lines = script.split('\n');
    EXPECT_TRUE(script.endsWith('\n'));
    lines.removeLast();
    return lines;
}

TEST(RestartScript, HasItsFixedLinesAndQuotesThePathForTheShell) {
    struct Case {
        QString executable;
        QByteArray exec;
    };
    const Case cases[] = {
        {QStringLiteral("/usr/lib/pixmorrow/pixmorrow"), "exec '/usr/lib/pixmorrow/pixmorrow'"},
        {QStringLiteral("/home/o'neil/My Apps/$HOME `x`/pixmorrow"),
         "exec '/home/o'\\''neil/My Apps/$HOME `x`/pixmorrow'"},
        {QStringLiteral("/opt/\u00C7izim/pixmorrow"), "exec '/opt/\xC3\x87izim/pixmorrow'"},
    };
    for (const Case& c : cases) {
        const QByteArray script = restartScript(c.executable);
        EXPECT_FALSE(script.contains('\r'));
        EXPECT_EQ(
            scriptLines(script),
            (QList<QByteArray>{"#!/bin/sh",
                               "echo This file was created automatically to restart the program.",
                               "echo It is safe to delete this file.", "sleep 1", c.exec}));
    }
    EXPECT_EQ(shellQuoted(QStringLiteral("''")), QStringLiteral("''\\'''\\'''"));
}

TEST(RestartScript, ReplacesAnEarlierScriptAndFailsLoudly) {
    QTemporaryDir dir;
    testing::writeFile(dir.filePath(QStringLiteral("start.sh")), "old content that is longer\n");
    const QString path = writeRestartScript(dir.path(), QStringLiteral("/x/pixmorrow"));
    EXPECT_EQ(path, dir.path() + QStringLiteral("/start.sh"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), restartScript(QStringLiteral("/x/pixmorrow")));
    EXPECT_THROW(
        writeRestartScript(dir.path() + QStringLiteral("/missing"), QStringLiteral("/x/p")), Error);
}

// Runs the script the chooser started, the way it was started, and waits for it to end.
void runRecordedStart(const testing::RecordingShell& shell, const QProcessEnvironment& env) {
    ASSERT_EQ(shell.starts.size(), 1u);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(shell.starts[0].workingFolder);
    process.start(shell.starts[0].program, shell.starts[0].arguments);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

QStringList outputLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The executable lives in a folder whose name needs quoting.
class RestartRunTest : public ChooserTest {
protected:
    void SetUp() override {
        ChooserTest::SetUp();
        folder = programDir.path() + QStringLiteral("/it's a $HOME `dir`");
        ASSERT_TRUE(QDir().mkpath(folder));
        output = programDir.path() + QStringLiteral("/probe.txt");
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PIXMORROW_PROBE_OUTPUT"), output);
    }

    void chooseGermanAndConfirm() {
        TTranslateForm& f = chooser();
        f.show();
        f.ComboBox1->setCurrentText(QStringLiteral("German"));
        dialogs.answers = {ResultYes};
        f.Button1->click();
        ASSERT_EQ(quits, 1);
    }

    QString folder;
    QString output;
    QProcessEnvironment env;
};

TEST_F(RestartRunTest, TheScriptStartsExactlyTheExecutableItNames) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    executable = folder + QStringLiteral("/fake pixmorrow");
    testing::writeFile(
        executable, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"args:$#\" > \"$PIXMORROW_PROBE_OUTPUT\"\n");
    ASSERT_TRUE(
        QFile::setPermissions(executable, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    chooseGermanAndConfirm();
    runRecordedStart(shell, env);
    EXPECT_EQ(outputLines(output), (QStringList{executable, QStringLiteral("args:0")}));
}

TEST_F(RestartRunTest, TheRestartedProgramComesUpInTheChosenLanguage) {
    // A program folder with the probe and its Languages folder side by side.
    executable = folder + QStringLiteral("/pixmorrow");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PIXMORROW_LANGUAGE_PROBE), executable));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("Languages")));
    language.LanguageFolder = folder + QStringLiteral("/Languages");
    addLanguage(QStringLiteral("German.lang.txt"), "{Language}Sprache\n{OK}OK\n");
    addLanguage(QStringLiteral("French.lang.txt"), "{Language}Langue\n");
    env.insert(QStringLiteral("PIXMORROW_PROGRAM_DIR"), folder);
    // The store is what the restarted process reads; the test's own process shares it.
    storePreferredLanguageFile(QString());

    TranslateFormServices s = services();
    s.SetLanguageFile = [](const QString& file) { storePreferredLanguageFile(file); };
    TTranslateForm f(s, language);
    f.ComboBox1->setCurrentText(QStringLiteral("German"));
    dialogs.answers = {ResultYes};
    f.Button1Click();
    EXPECT_EQ(preferredLanguageFile(), QStringLiteral("German.lang.txt"));
    runRecordedStart(shell, env);
    EXPECT_EQ(outputLines(output),
              (QStringList{executable, QStringLiteral("German"), QStringLiteral("Sprache")}));
    storePreferredLanguageFile(QString());
}

}  // namespace
}  // namespace pixmorrow
