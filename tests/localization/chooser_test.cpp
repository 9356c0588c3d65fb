#include "localization/chooser_fixture.h"
#include "localization/language_credit.h"
#include "localization/language_flags.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionViewItem>

namespace pixmorrow {
namespace {

using testing::ChooserTest;

QStringList comboItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

TEST(LanguageFlags, EveryListedNameHasItsFlagAndOthersTheUnknownOne) {
    struct Case {
        const char* name;
        int index;
        const char* picture;
    };
    const Case cases[] = {
        {"English", 1, "english"},
        {"German", 2, "de"},
        {"ChineseTraditional", 9, "tw"},
        {"Vietnamese", 29, "vi"},
        {"Slovak", 30, "sk"},
        {"Abkhazian", 35, "ab"},
        {"Norwegian", 36, "no"},
        {"Klingon", 0, "xx"},
        {"german", 0, "xx"},
        {"", 0, "xx"},
        {"PortugueseBrazil", 21, "br"},
        {"PortuguesePortugal", 22, "pt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(languageFlagIndex(QString::fromLatin1(c.name)), c.index) << c.name;
        EXPECT_EQ(languageFlagResource(QString::fromLatin1(c.name)),
                  QStringLiteral(":/flags/%1.svg").arg(QLatin1String(c.picture)))
            << c.name;
    }
    EXPECT_EQ(flagPictureName(31), QStringLiteral("us"));
    EXPECT_EQ(flagPictureName(34), QStringLiteral("flag"));
    EXPECT_EQ(flagPictureName(37), QStringLiteral("xx"));
    // Every flag a language can get is in the program's pictures, and is square.
    for (int index = 0; index <= 36; ++index) {
        if (index == 32 || index == 33)
            continue;  // the OK and Copy pictures
        const QString resource = QStringLiteral(":/flags/%1.svg").arg(flagPictureName(index));
        EXPECT_TRUE(QFile::exists(resource)) << resource.toStdString();
        EXPECT_EQ(QIcon(resource).actualSize(QSize(48, 48)), QSize(48, 48))
            << resource.toStdString();
    }
}

TEST(LanguageCredit, OneTranslatorPerLine) {
    EXPECT_EQ(creditLines(QStringLiteral("Ann , Bob,Carl")),
              (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Carl")}));
    EXPECT_EQ(creditLines(QStringLiteral("\tAnn\x01 ,, ")),
              (QStringList{QStringLiteral("Ann"), QString(), QString()}));
    EXPECT_EQ(creditLines(QStringLiteral("Tarnwick")), QStringList{QStringLiteral("Tarnwick")});
}

TEST(LanguageCredit, ReadsLanguageFilesAsUtf8WithAnyLineEnd) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.lang.txt"));
    testing::writeFile(path, "\xEF\xBB\xBF{a}1\r\n{b}\xC3\xBC\r{c}3\n\n{d}4");
    QStringList lines;
    ASSERT_TRUE(readLanguageFileLines(path, lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("{a}1"), QStringLiteral("{b}\u00FC"),
                                  QStringLiteral("{c}3"), QString(), QStringLiteral("{d}4")}));
    testing::writeFile(path, "{a}\xFF\xFE broken\n");
    EXPECT_FALSE(readLanguageFileLines(path, lines));
    EXPECT_FALSE(readLanguageFileLines(dir.filePath(QStringLiteral("missing.lang.txt")), lines));
}

TEST(LanguageCredit, TheLanguagesAreSortedWithEnglishAmongThem) {
    EXPECT_EQ(
        chooserLanguages({QStringLiteral("German.lang.txt"), QStringLiteral("arabic.lang.txt"),
                          QStringLiteral("Klingon.lang.txt"), QStringLiteral("Xlang.txt"),
                          QStringLiteral("German.lang.txt")}),
        (QStringList{QStringLiteral("arabic"), QStringLiteral("English"), QStringLiteral("German"),
                     QStringLiteral("Klingon")}));
    EXPECT_EQ(chooserLanguages({}), QStringList{QStringLiteral("English")});
}

TEST_F(ChooserTest, ListsTheLanguagesWithEnglishSelectedAndItsCredit) {
    addLanguage(QStringLiteral("Turkish.lang.txt"), "{INFO:Translated By}Ayse\n");
    addLanguage(QStringLiteral("German.lang.txt"), "{INFO:Translated By}Ann , Bob,Carl\n");
    TTranslateForm& f = chooser();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Language"));
    // Mnemonics are added to the captions, none repeated in the window or in the menu.
    EXPECT_EQ(f.Label1->text(), QStringLiteral("&User Interface Language:"));
    EXPECT_EQ(f.Label2->text(), QStringLiteral("&Translated by:"));
    EXPECT_EQ(f.Button1->text(), QStringLiteral("&OK"));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Contribute to Translation"));
    EXPECT_EQ(f.Label3->toolTip(), QStringLiteral("https://www.maker.test/translation/"));
    EXPECT_EQ(f.Copy1->text(), QStringLiteral("&Copy"));
    EXPECT_EQ(f.SelectAll1->text(), QStringLiteral("&Select All"));
    EXPECT_EQ(comboItems(f.ComboBox1),
              (QStringList{QStringLiteral("English"), QStringLiteral("German"),
                           QStringLiteral("Turkish")}));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("English"));
    EXPECT_EQ(f.InitialLanguage, QStringLiteral("English"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QStringLiteral("Tarnwick"));
    EXPECT_TRUE(f.RichEdit1->isReadOnly());
    for (int i = 0; i < f.ComboBox1->count(); ++i)
        EXPECT_FALSE(f.ComboBox1->itemIcon(i).isNull());
    EXPECT_EQ(f.size(), QSize(622, 227));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ChooserTest, SelectsTheLoadedLanguageAndShowsItsTranslators) {
    addLanguage(QStringLiteral("German.lang.txt"), "{INFO:Translated By}Ann , Bob,Carl\n");
    language.LanguageName = QStringLiteral("German");
    TTranslateForm& f = chooser();
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("German"));
    EXPECT_EQ(f.InitialLanguage, QStringLiteral("German"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QStringLiteral("Ann\nBob\nCarl"));

    // The file is read again on every change: an edit shows at the next selection.
    addLanguage(QStringLiteral("German.lang.txt"), "{INFO:Translated By}Dora\n");
    f.ComboBox1->setCurrentText(QStringLiteral("English"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QStringLiteral("Tarnwick"));
    f.ComboBox1->setCurrentText(QStringLiteral("German"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QStringLiteral("Dora"));
}

TEST_F(ChooserTest, ALanguageWithoutCreditOrFile) {
    addLanguage(QStringLiteral("Klingon.lang.txt"), "{OK}Qapla'\n");
    addLanguage(QStringLiteral("Gone.lang.txt"), "");
    addLanguage(QStringLiteral("Broken.lang.txt"), "{INFO:Translated By}\xFF\xFE\n");
    ASSERT_TRUE(QFile::remove(language.LanguageFolder + QStringLiteral("/Gone.lang.txt")));
    TTranslateForm& f = chooser();
    f.ComboBox1->setCurrentText(QStringLiteral("Klingon"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QStringLiteral("INFO:Translated By"));
    f.ComboBox1->setCurrentText(QStringLiteral("Gone"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QString());
    f.ComboBox1->setCurrentText(QStringLiteral("Broken"));
    EXPECT_EQ(f.RichEdit1->toPlainText(), QString());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ChooserTest, DrawsEachItemAsItsFlagFollowedByItsName) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    addLanguage(QStringLiteral("Klingon.lang.txt"), "");
    TTranslateForm& f = chooser();
    QAbstractItemDelegate* delegate = f.ComboBox1->itemDelegate();
    auto render = [&](const QString& name) {
        const QModelIndex index = f.ComboBox1->model()->index(f.ComboBox1->findText(name), 0);
        QStyleOptionViewItem option;
        option.initFrom(f.ComboBox1);
        option.rect = QRect(0, 0, 200, 18);
        option.state &= ~QStyle::State_Selected;
        EXPECT_EQ(delegate->sizeHint(option, index).height(), 18);
        QImage image(200, 18, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        delegate->paint(&painter, option, index);
        return image;
    };
    const QImage german = render(QStringLiteral("German"));
    // Black, red and gold from the top, the flag 16 pixels high and centred.
    EXPECT_LT(qGray(german.pixel(8, 3)), 40);
    EXPECT_GT(qRed(german.pixel(8, 9)), 180);
    EXPECT_LT(qGreen(german.pixel(8, 9)), 60);
    EXPECT_GT(qGreen(german.pixel(8, 14)), 150);
    // The unknown-language flag: grey.
    const QRgb klingon = render(QStringLiteral("Klingon")).pixel(4, 4);
    EXPECT_NEAR(qRed(klingon), 0x9a, 25);
    EXPECT_NEAR(qBlue(klingon), 0xa6, 25);
    // The name follows the flag: some dark text pixels right of it.
    int dark = 0;
    for (int x = 18; x < 120; ++x) {
        for (int y = 0; y < 18; ++y)
            dark += qGray(german.pixel(x, y)) < 128;
    }
    EXPECT_GT(dark, 10);
}

TEST_F(ChooserTest, OkWithoutChangeClosesWithoutAsking) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    TTranslateForm& f = chooser();
    f.show();
    f.Button1->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(chosenFiles.isEmpty());
    EXPECT_EQ(quits, 0);
}

TEST_F(ChooserTest, AnsweringNoKeepsTheChooserOpenAndChangesNothing) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    TTranslateForm& f = chooser();
    f.show();
    f.ComboBox1->setCurrentText(QStringLiteral("German"));
    dialogs.answers = {ResultNo};
    f.Button1->click();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    const auto& q = dialogs.questions[0];
    EXPECT_EQ(q.message, QStringLiteral("Restart Application?"));
    EXPECT_EQ(q.kind, DialogKind::Confirmation);
    EXPECT_EQ(q.buttons, DialogButtons(ButtonYes | ButtonNo));
    EXPECT_EQ(q.captions, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(q.title, QStringLiteral("Confirmation"));
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(chosenFiles.isEmpty());
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_FALSE(QFile::exists(f.restartScriptPath()));
    // A close box or Escape on the question counts as No too.
    dialogs.answers = {ResultCancel};
    f.Button1->click();
    EXPECT_TRUE(f.isVisible());
    // Back to the language it opened with: OK closes without asking.
    f.ComboBox1->setCurrentText(QStringLiteral("English"));
    f.Button1->click();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(quits, 0);
}

TEST_F(ChooserTest, AnsweringYesKeepsTheChoiceWritesTheScriptStartsItAndQuits) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    TTranslateForm& f = chooser();
    f.show();
    f.ComboBox1->setCurrentText(QStringLiteral("German"));
    dialogs.answers = {ResultYes};
    f.Button1->click();
    EXPECT_EQ(chosenFiles, QStringList{QStringLiteral("German.lang.txt")});
    const QString script = settingsDir.path() + QStringLiteral("/start.sh");
    EXPECT_EQ(f.restartScriptPath(), script);
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("exec '/opt/pixmorrow/pixmorrow'\n"));
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(shell.starts[0].program, QStringLiteral("/bin/sh"));
    EXPECT_EQ(shell.starts[0].arguments, QStringList{script});
    EXPECT_EQ(shell.starts[0].workingFolder, settingsDir.path());
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ChooserTest, ChoosingEnglishKeepsEnglishToo) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    language.LanguageName = QStringLiteral("German");
    TTranslateForm& f = chooser();
    f.ComboBox1->setCurrentText(QStringLiteral("English"));
    dialogs.answers = {ResultYes};
    f.Button1Click();
    EXPECT_EQ(chosenFiles, QStringList{QStringLiteral("English.lang.txt")});
    EXPECT_EQ(quits, 1);
}

TEST_F(ChooserTest, AScriptThatCannotBeWrittenIsReportedAndTheProgramGoesOn) {
    addLanguage(QStringLiteral("German.lang.txt"), "");
    TranslateFormServices s = services();
    s.settingsFolder = settingsDir.path() + QStringLiteral("/missing");
    TTranslateForm f(s, language);
    f.show();
    f.ComboBox1->setCurrentText(QStringLiteral("German"));
    dialogs.answers = {ResultYes};
    f.Button1->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("start.sh")));
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(ChooserTest, LinkCopyAndSelectAllAndEscape) {
    TTranslateForm& f = chooser();
    f.show();
    f.Label3Click();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0], QStringLiteral("openUrl https://www.maker.test/translation/"));

    // A page that does not open is told, naming it.
    shell.opens = false;
    f.Label3Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(
        dialogs.messages[0].text,
        QStringLiteral("This web page could not be opened:\rhttps://www.maker.test/translation/"));

    f.SelectAll1->trigger();
    f.Copy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Tarnwick"));

    for (QWidget* target : std::initializer_list<QWidget*>{f.Button1, f.ComboBox1, f.RichEdit1}) {
        f.show();
        target->setFocus();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(target, &escape);
        EXPECT_FALSE(f.isVisible()) << target->objectName().toStdString();
        EXPECT_EQ(f.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(dialogs.questions.empty());
}

}  // namespace
}  // namespace pixmorrow
