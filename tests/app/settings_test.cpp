#include "app/app_form_fixture.h"
#include "app/app_settings.h"
#include "app/settings_folder.h"
#include "localization/language.h"
#include "support/permissions_enforced.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace pixmorrow {
namespace {

using testing::AppFormTest;

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kFirstStart = kBom + "[Settings]\r\nOutputQuality=80\r\n\r\n";

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class SettingsTest : public AppFormTest {
protected:
    QString programIni() const { return programDir.filePath("settings.ini"); }
    QString userFolder() const { return configDir.path() + "/TARNWICK/Pixmorrow/"; }
    // The stored quality as the file says it.
    QString storedQuality() {
        IniStore store;
        store.load(form().SettingsFolder + "settings.ini");
        return store.value("Settings", "OutputQuality", "<none>");
    }
    QString storedDestination() {
        IniStore store;
        store.load(form().SettingsFolder + "settings.ini");
        return store.value("Settings", "Destination", "<none>");
    }
    void leave(QWidget* widget) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &out);
    }
};

TEST_F(SettingsTest, FirstStartInAWritableProgramFolderWritesTheDefaultQuality) {
    TAppForm& f = form();
    EXPECT_EQ(f.SettingsFolder, programDir.path() + "/");
    EXPECT_EQ(readFile(programIni()), kFirstStart);
    EXPECT_EQ(f.SpinEdit1->value(), 80);
    EXPECT_EQ(f.ComboBoxDestination->currentText(), TAppForm::kSameFolderAsOriginal);
    EXPECT_FALSE(QFileInfo::exists(configDir.path() + "/TARNWICK")) << "no per-user folder";
    EXPECT_FALSE(QFileInfo::exists(programDir.filePath("chk.tmp")));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsTest, AProgramFolderThatFailsTheWriteTestSendsTheFileToThePerUserFolder) {
    // The user's own folder, nobody else may write to it, and its mode lets the user not
    // write either; a probe file left over inside stays as it is.
    writeFile(programDir.filePath("chk.tmp"), "left over");
    ASSERT_TRUE(QFile::setPermissions(programDir.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        // Root, as on CI, would write into the folder anyway.
        const testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        form();
    }
    QFile::setPermissions(programDir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TAppForm& f = form();
    EXPECT_EQ(f.SettingsFolder, userFolder());
    EXPECT_EQ(readFile(userFolder() + "settings.ini"), kFirstStart);
    EXPECT_FALSE(QFileInfo::exists(programIni()));
    EXPECT_EQ(readFile(programDir.filePath("chk.tmp")), QByteArray("left over"));
}

TEST_F(SettingsTest, AProbeFileLeftInAWritableProgramFolderKeepsTheFileThere) {
    // The write test probes under a fresh name of its own: what the folder holds, an older
    // probe's file included, does not make it fail.
    writeFile(programDir.filePath("chk.tmp"), "left over");
    TAppForm& f = form();
    EXPECT_EQ(f.SettingsFolder, programDir.path() + "/");
    EXPECT_EQ(readFile(programIni()), kFirstStart);
    EXPECT_FALSE(QFileInfo::exists(configDir.path() + "/TARNWICK")) << "no per-user folder";
    EXPECT_EQ(readFile(programDir.filePath("chk.tmp")), QByteArray("left over"));
}

TEST_F(SettingsTest, AReadOnlyProgramFolderSendsTheFileToThePerUserFolder) {
    ASSERT_TRUE(QFile::setPermissions(programDir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                             QFile::ReadGroup | QFile::ExeGroup |
                                                             QFile::ReadOther | QFile::ExeOther));
    {
        // Root, as on CI, would write into the folder anyway.
        const testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        form();
    }
    QFile::setPermissions(programDir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(form().SettingsFolder, userFolder());
    EXPECT_EQ(readFile(userFolder() + "settings.ini"), kFirstStart);
    EXPECT_FALSE(QFileInfo::exists(programIni()));
}

// A program folder others may write to could have its settings or intermediates swapped:
// the per-user folder is used instead, as for one the user cannot write to.
TEST_F(SettingsTest, AProgramFolderOthersMayWriteToSendsTheFileToThePerUserFolder) {
    for (const QFile::Permissions others :
         {QFile::Permissions(QFile::WriteGroup), QFile::Permissions(QFile::WriteOther)}) {
        ASSERT_TRUE(QFile::setPermissions(
            programDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                   QFile::ExeOther | others));
        EXPECT_FALSE(isPrivatelyOwnedFolder(programDir.path()));
    }
    EXPECT_EQ(form().SettingsFolder, userFolder());
    EXPECT_FALSE(QFileInfo::exists(programIni()));
    QFile::setPermissions(programDir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(isPrivatelyOwnedFolder(programDir.path()));
    // Owned by someone else: the system's root folder, unless the tests run as root.
    EXPECT_EQ(isPrivatelyOwnedFolder(QStringLiteral("/")), ::geteuid() == 0);
}

// A settings.ini the program cannot read keeps what it holds: no save at start, none after
// a change, and no error box for every keystroke.
TEST_F(SettingsTest, AnUnreadableFileIsNeverSavedOver) {
    const QByteArray held = kBom + "[Settings]\r\nOutputQuality=42\r\nMine=keep\r\n\r\n";
    writeFile(programIni(), held);
    ASSERT_TRUE(QFile::setPermissions(programIni(), QFile::Permissions()));
    {
        const testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        TAppForm& f = form();
        f.SpinEdit1->setValue(60);
        f.ComboBoxDestination->setCurrentText(QDir::tempPath());
    }
    QFile::setPermissions(programIni(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readFile(programIni()), held);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A destination folder whose name holds a line break (which a folder name may) is used but
// not remembered: written out it would add lines of its own to the file.
TEST_F(SettingsTest, ADestinationWithALineBreakIsNotStored) {
    const QString folder = programDir.filePath("x\r\nOutputQuality=1\n[Injected]");
    ASSERT_TRUE(QDir().mkpath(folder));
    TAppForm& f = form();
    f.ComboBoxDestination->setCurrentText(QDir::tempPath());
    f.ComboBoxDestination->setCurrentText(folder);
    EXPECT_EQ(f.ComboBoxDestination->currentText(), folder);
    EXPECT_EQ(storedDestination(), QDir::tempPath());
    EXPECT_EQ(readFile(programIni()), kBom + "[Settings]\r\nOutputQuality=80\r\nDestination=" +
                                          QDir::tempPath().toUtf8() + "\r\n\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
}

// A settings.ini that is a link stays one.
TEST_F(SettingsTest, ALinkedSettingsFileStaysALink) {
    QTemporaryDir elsewhere;
    const QString real = elsewhere.filePath("pixmorrow.ini");
    writeFile(real, kBom + "[Settings]\r\nOutputQuality=42\r\n\r\n");
    ASSERT_TRUE(QFile::link(real, programIni()));
    TAppForm& f = form();
    f.SpinEdit1->setValue(60);
    EXPECT_TRUE(QFileInfo(programIni()).isSymLink());
    EXPECT_EQ(readFile(real), kBom + "[Settings]\r\nOutputQuality=60\r\n\r\n");
}

TEST_F(SettingsTest, StoredValuesAreClampedAndSavedAtStartUnlessTheQualityIs100) {
    struct Case {
        const char* stored;
        int shown;
        const char* saved;  // nullptr: the file stays as it was
    } cases[] = {
        {"0", 1, "1"},     {"-7", 1, "1"},        {"150", 100, "100"},
        {"abc", 80, "80"}, {"", 80, "80"},        {"99999999999", 80, "80"},
        {"42", 42, "42"},  {"100", 100, nullptr},
    };
    for (const Case& c : cases) {
        QTemporaryDir folder;
        qputenv("PIXMORROW_PROGRAM_DIR", folder.path().toLocal8Bit());
        const QByteArray before =
            "; hand-made\r\n[Settings]\r\nOutputQuality=" + QByteArray(c.stored) + "\r\n";
        writeFile(folder.filePath("settings.ini"), before);
        AppServices services{dialogs,       fileDialogs, shell, clock, testing::builtExecutable(),
                             folder.path(), {}};
        TAppForm f(services);
        EXPECT_EQ(f.SpinEdit1->value(), c.shown) << c.stored;
        const QByteArray after = readFile(folder.filePath("settings.ini"));
        if (c.saved == nullptr) {
            EXPECT_EQ(after, before) << c.stored;
        } else {
            EXPECT_EQ(after, kBom + "[Settings]\r\nOutputQuality=" + c.saved + "\r\n\r\n")
                << c.stored;
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsTest, AStoredDestinationIsShownOnlyWhileTheFolderExists) {
    QTemporaryDir target;
    const QString gone = target.path() + "/removed";
    const QByteArray stored =
        "[Settings]\r\nDestination=" + target.path().toUtf8() + "\r\nOutputQuality=100\r\n";
    writeFile(programIni(), stored);
    EXPECT_EQ(form().ComboBoxDestination->currentText(), target.path());
    EXPECT_EQ(readFile(programIni()), stored) << "applying the stored values saved nothing";

    QTemporaryDir other;
    qputenv("PIXMORROW_PROGRAM_DIR", other.path().toLocal8Bit());
    writeFile(other.filePath("settings.ini"),
              "[Settings]\r\nDestination=" + gone.toUtf8() + "\r\n");
    AppServices services{dialogs,      fileDialogs, shell, clock, testing::builtExecutable(),
                         other.path(), {}};
    TAppForm f(services);
    EXPECT_EQ(f.ComboBoxDestination->currentText(), TAppForm::kSameFolderAsOriginal);
    // The quality was saved at start; the stored destination stays until the box changes.
    EXPECT_EQ(readFile(other.filePath("settings.ini")),
              kBom + "[Settings]\r\nDestination=" + gone.toUtf8() + "\r\nOutputQuality=80\r\n\r\n");
}

TEST_F(SettingsTest, EveryKeystrokeInTheQualityFieldIsSavedAndLeavingClampsIt) {
    TAppForm& f = form();
    QSpinBox* spin = f.SpinEdit1;

    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_5);
    EXPECT_EQ(storedQuality(), "5");
    QTest::keyClick(spin, Qt::Key_0);
    EXPECT_EQ(storedQuality(), "50");

    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    EXPECT_EQ(spin->cleanText(), "");
    EXPECT_EQ(storedQuality(), "1") << "an empty field stores the minimum";

    QStringList saved;
    for (Qt::Key key : {Qt::Key_2, Qt::Key_5, Qt::Key_0}) {
        QTest::keyClick(spin, key);
        saved << storedQuality();
    }
    EXPECT_EQ(saved, (QStringList{"2", "25", "250"})) << "typed values are not clamped";
    leave(spin);
    EXPECT_EQ(spin->cleanText(), "100");
    EXPECT_EQ(spin->value(), 100);
    EXPECT_EQ(storedQuality(), "100");

    // Out of range again while the value is already 100: leaving still puts the text back.
    QTest::keyClick(spin, Qt::Key_End);
    QTest::keyClick(spin, Qt::Key_0);
    EXPECT_EQ(storedQuality(), "1000");
    leave(spin);
    EXPECT_EQ(spin->cleanText(), "100");
    EXPECT_EQ(storedQuality(), "100");

    spin->stepBy(-1);  // an arrow click
    EXPECT_EQ(storedQuality(), "99");
    QTest::keyClick(spin, Qt::Key_A);  // letters cannot be typed
    EXPECT_EQ(spin->cleanText(), "99");

    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    leave(spin);
    EXPECT_EQ(spin->value(), 1);
    EXPECT_EQ(storedQuality(), "1");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsTest, EveryChangeOfTheDestinationTextIsSaved) {
    TAppForm& f = form();
    QComboBox* box = f.ComboBoxDestination;
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "/tm");
    EXPECT_EQ(storedDestination(), "/tm");
    QTest::keyClick(box->lineEdit(), Qt::Key_P);
    EXPECT_EQ(storedDestination(), "/tmp");
    box->setCurrentIndex(0);  // the list's one item
    EXPECT_EQ(storedDestination(), TAppForm::kSameFolderAsOriginal);
    EXPECT_EQ(
        readFile(programIni()),
        kBom + "[Settings]\r\nOutputQuality=80\r\nDestination=Same Folder as Original\r\n\r\n");
}

TEST_F(SettingsTest, KeepMetadataIsOffAndUnwrittenUntilTheUserChangesIt) {
    TAppForm& f = form();
    EXPECT_FALSE(f.CheckBoxKeepMetadata->isChecked());
    EXPECT_EQ(readFile(programIni()), kFirstStart) << "a first start writes what it always did";
    // Space on the focused check box, as the user gives it.
    f.PageControl1->setCurrentWidget(f.TabSheet2);
    f.CheckBoxKeepMetadata->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.CheckBoxKeepMetadata, Qt::Key_Space);
    EXPECT_TRUE(f.CheckBoxKeepMetadata->isChecked());
    EXPECT_EQ(readFile(programIni()),
              kBom + "[Settings]\r\nOutputQuality=80\r\nKeepMetadata=1\r\n\r\n");
    QTest::keyClick(f.CheckBoxKeepMetadata, Qt::Key_Space);
    EXPECT_EQ(readFile(programIni()),
              kBom + "[Settings]\r\nOutputQuality=80\r\nKeepMetadata=0\r\n\r\n");

    // The next start shows what was stored and writes nothing for it.
    struct Case {
        const char* stored;
        bool shown;
    } cases[] = {{"1", true}, {"0", false}, {"yes", false}, {"", false}};
    for (const Case& c : cases) {
        QTemporaryDir folder;
        qputenv("PIXMORROW_PROGRAM_DIR", folder.path().toLocal8Bit());
        const QByteArray before =
            kBom + "[Settings]\r\nOutputQuality=80\r\nKeepMetadata=" + c.stored + "\r\n\r\n";
        writeFile(folder.filePath("settings.ini"), before);
        AppServices services{dialogs,       fileDialogs, shell, clock, testing::builtExecutable(),
                             folder.path(), {}};
        TAppForm next(services);
        EXPECT_EQ(next.CheckBoxKeepMetadata->isChecked(), c.shown) << c.stored;
        EXPECT_EQ(readFile(folder.filePath("settings.ini")), before) << c.stored;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsTest, KeysAddedByHandSurviveEverySaveAndCommentsGo) {
    writeFile(programIni(), kBom +
                                "; my notes\r\nstray=1\r\n[Other]\r\nfoo = bar\r\n"
                                "[settings]\r\n; old\r\noutputquality=70\r\nExtra=keep me\r\n");
    TAppForm& f = form();
    EXPECT_EQ(f.SpinEdit1->value(), 70);
    EXPECT_EQ(
        readFile(programIni()),
        kBom + "[Other]\r\nfoo=bar\r\n\r\n[settings]\r\noutputquality=70\r\nExtra=keep me\r\n\r\n");
    f.SpinEdit1->setValue(60);
    EXPECT_EQ(
        readFile(programIni()),
        kBom + "[Other]\r\nfoo=bar\r\n\r\n[settings]\r\noutputquality=60\r\nExtra=keep me\r\n\r\n");
}

TEST_F(SettingsTest, AFailedSaveReachesTheGeneralErrorReport) {
    // A folder where the file should be: every save fails, also the one at start.
    ASSERT_TRUE(QDir(programDir.path()).mkdir("settings.ini"));
    TAppForm& f = form();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains("settings.ini"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(f.SpinEdit1->value(), 80) << "the program goes on with the value in memory";
    f.SpinEdit1->setValue(70);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(
        QDir(programDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{"settings.ini"})
        << "no temporary file left behind";
}

TEST_F(SettingsTest, ResetToDefaultsAnsweredNoChangesNothing) {
    TAppForm& f = form({"/x/a.png"});
    dialogs.answers = {ResultNo};
    f.ResettoDefaults1->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(readFile(programIni()), kFirstStart);
    EXPECT_TRUE(shell.starts.empty());

    dialogs.answers = {ResultCancel};  // the close box or Escape
    f.ResettoDefaults1->trigger();
    EXPECT_EQ(readFile(programIni()), kFirstStart);
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(SettingsTest, ResetToDefaultsAnsweredYesDeletesTheFileAndRestartsWithoutArguments) {
    TAppForm& f = form({"/x/a.png", "/x/b.png"});
    dialogs.answers = {ResultYes};
    f.ResettoDefaults1->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    const auto& q = dialogs.questions[0];
    EXPECT_EQ(q.message, "Restart Application?");
    EXPECT_EQ(q.kind, DialogKind::Confirmation);
    EXPECT_EQ(q.buttons, DialogButtons(ButtonYes | ButtonNo));
    EXPECT_EQ(q.captions, (QStringList{"Yes", "No"}));
    EXPECT_EQ(q.title, "Confirmation");
    EXPECT_FALSE(QFileInfo::exists(programIni()));
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(shell.starts[0].program, testing::builtExecutable());
    EXPECT_TRUE(shell.starts[0].arguments.isEmpty());
    EXPECT_TRUE(shell.starts[0].workingFolder.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());

    // The new copy starts like a first start.
    AppServices services{dialogs,           fileDialogs, shell, clock, testing::builtExecutable(),
                         programDir.path(), {}};
    TAppForm again(services);
    EXPECT_EQ(again.SpinEdit1->value(), 80);
    EXPECT_EQ(again.ComboBoxDestination->currentText(), TAppForm::kSameFolderAsOriginal);
    EXPECT_EQ(readFile(programIni()), kFirstStart);
}

TEST_F(SettingsTest, ResetToDefaultsAsksInTheLoadedLanguageAndReportsAFailedRestart) {
    TAppForm& f = form();
    QDir(programDir.path()).mkdir("Languages");
    writeFile(programDir.filePath("Languages/German.lang.txt"),
              "{Restart Application?}Anwendung neu "
              "starten?\n{Yes}Ja\n{No}Nein\n{Confirmation}Bestätigung\n");
    LoadLanguage("German.lang.txt");
    dialogs.answers = {ResultYes};
    shell.startSucceeds = false;
    f.ResettoDefaults1->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].message, "Anwendung neu starten?");
    EXPECT_EQ(dialogs.questions[0].captions, (QStringList{"Ja", "Nein"}));
    EXPECT_EQ(dialogs.questions[0].title, QString::fromUtf8("Bestätigung"));
    // The program stays open and says so rather than vanishing.
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    LoadLanguage({});
}

}  // namespace
}  // namespace pixmorrow
