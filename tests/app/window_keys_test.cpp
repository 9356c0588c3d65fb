// The program's other windows from the keyboard alone, on a real (virtual) display: the Tab
// order of each, links opened with Enter, the feedback choices checked with Space and what a
// screen reader hears of them, and mnemonics that never clash within a window or a menu.
#include "about/about_box.h"
#include "about/app_identity.h"
#include "conversion/run/result_form.h"
#include "localization/translate_form.h"
#include "online/feedback_form.h"
#include "online/form_post.h"
#include "platform/qt_dialogs.h"
#include "support/fake_clock.h"
#include "support/keyboard_walk.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace pixmorrow::testing {
namespace {

class NoPoster final : public FormPoster {
public:
    QString PostForm(const QString&, const FormFields&, int) override { return QString(); }
};

// Shows a window, waits until it is the active one, and puts the focus where a user's first
// Tab would start from.
void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

const AppIdentity kIdentity{QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"),
                            QStringLiteral("2.0"), QStringLiteral("TARNWICK - Pixmorrow")};

TEST(WindowKeys, TheResultWindowStartsOnCloseAndOpensTheFolderByItsMnemonic) {
    RecordingShell shell;
    RecordingDialogs dialogs;
    TFormResult form(shell, dialogs, [] { return QStringLiteral("/out"); });
    showActive(form);
    EXPECT_EQ(QApplication::focusWidget(), form.Button2);
    expectTabOrder({form.Button1, form.Button2});
    expectMnemonicsApart(&form, {"&Close", "&Open Folder"});
    typeThroughWindowSystem(QStringLiteral("alt+o"));
    EXPECT_TRUE(eventually([&] { return !shell.calls.empty(); }));
    EXPECT_EQ(shell.calls, std::vector<QString>{QStringLiteral("openPath /out")});
    EXPECT_TRUE(form.isVisible());
    typeThroughWindowSystem(QStringLiteral("Return"));
    EXPECT_FALSE(form.isVisible());
    // The picture says nothing a screen reader should read.
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(form.Image1)->state().invisible);
}

TEST(WindowKeys, TheAboutWindowWalksToItsLinkWhichOpensWithEnter) {
    qputenv("PIXMORROW_SERVICE_HOST", "www.maker.test");
    setAppIdentity(kIdentity);
    RecordingShell shell;
    RecordingDialogs dialogs;
    FakeClock clock;
    QTemporaryDir programDir;
    TAboutBox box(dialogs, shell, clock, programDir.path());
    showActive(box);
    EXPECT_EQ(QApplication::focusWidget(), box.BitBtn1);
    expectTabOrder({box.BitBtn2, box.Label5, box.BitBtn1});
    expectTabOrder({box.Label5, box.BitBtn2}, true);
    expectMnemonicsApart(&box, {"&OK", "&Info"});
    expectMnemonicsApart(box.PopupMenu1,
                         {"&Acknowledgements...", "&How to uninstall...", "&License..."});

    box.Label5->setFocus(Qt::TabFocusReason);
    typeThroughWindowSystem(QStringLiteral("Return"));
    typeThroughWindowSystem(QStringLiteral("space"));
    EXPECT_EQ(shell.calls,
              (std::vector<QString>{QStringLiteral("openUrl http://www.maker.test/"),
                                    QStringLiteral("openUrl http://www.maker.test/")}));
    EXPECT_TRUE(box.isVisible());  // Enter on the link is not the OK button's

    // A screen reader finds a link named by its text that it can press, the logo by the
    // maker's name, and not the ornaments.
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(box.Label5);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("http://www.maker.test/"));
    EXPECT_TRUE(link->state().focusable);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(shell.calls.size(), 3u);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(box.Image2)->text(QAccessible::Name),
              QStringLiteral("TARNWICK"));
    for (QWidget* ornament : {box.Image1, box.ImageEgg})
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(ornament)->state().invisible);

    // Info by its mnemonic opens its menu, which runs until Escape closes it.
    QWidget* seenMenu = nullptr;
    QTimer::singleShot(1000, [&seenMenu] {
        seenMenu = QApplication::activePopupWidget();
        if (seenMenu)
            QTest::keyClick(seenMenu, Qt::Key_Escape);
    });
    typeThroughWindowSystem(QStringLiteral("alt+i"));
    EXPECT_TRUE(eventually([&] { return seenMenu != nullptr; }));
    EXPECT_EQ(seenMenu, box.PopupMenu1);
    typeThroughWindowSystem(QStringLiteral("Escape"));
    EXPECT_FALSE(box.isVisible());
    qunsetenv("PIXMORROW_SERVICE_HOST");
}

TEST(WindowKeys, TheChooserWalksFromTheListToOkAndItsLinkOpensWithEnter) {
    RecordingShell shell;
    RecordingDialogs dialogs;
    QTemporaryDir settings;
    LanguageState language;
    TranslateFormServices services{dialogs,
                                   shell,
                                   QStringLiteral("/opt/pixmorrow/pixmorrow"),
                                   settings.path(),
                                   QStringLiteral("https://www.maker.test/translation/"),
                                   {},
                                   {}};
    TTranslateForm chooser(services, language);
    showActive(chooser);
    EXPECT_EQ(QApplication::focusWidget(), chooser.ComboBox1);
    expectTabOrder({chooser.RichEdit1, chooser.Label3, chooser.Button1, chooser.ComboBox1});
    expectMnemonicsApart(&chooser, {"&User Interface Language:", "&Translated by:", "&OK"});
    expectMnemonicsApart(chooser.PopupMenu1, {"&Copy", "&Select All"});

    typeThroughWindowSystem(QStringLiteral("alt+t"));
    EXPECT_EQ(QApplication::focusWidget(), chooser.RichEdit1);
    chooser.Label3->setFocus(Qt::TabFocusReason);
    typeThroughWindowSystem(QStringLiteral("Return"));
    EXPECT_EQ(shell.calls,
              std::vector<QString>{QStringLiteral("openUrl https://www.maker.test/translation/")});
    EXPECT_TRUE(chooser.isVisible());

    EXPECT_EQ(QAccessible::queryAccessibleInterface(chooser.ComboBox1)->text(QAccessible::Name),
              QStringLiteral("User Interface Language:"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(chooser.RichEdit1)->text(QAccessible::Name),
              QStringLiteral("Translated by:"));
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(chooser.Label3);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Description),
              QStringLiteral("https://www.maker.test/translation/"));
    typeThroughWindowSystem(QStringLiteral("Escape"));
    EXPECT_FALSE(chooser.isVisible());
}

TEST(WindowKeys, TheFeedbackChoicesTakeTheFocusAndSpaceAndTellTheirState) {
    RecordingDialogs dialogs;
    NoPoster poster;
    TFeedbackForm form(dialogs, poster, kIdentity);
    showActive(form);
    form.Panel4->setFocus(Qt::TabFocusReason);
    expectTabOrder({form.Panel5, form.Memo1, form.Edit1, form.BitBtn1, form.Panel4});
    expectMnemonicsApart(&form, {"&I like it!", "I &dislike it!", "&What did you like or dislike?",
                                 "Include &my e-mail:", "&Send"});

    QAccessibleInterface* like = QAccessible::queryAccessibleInterface(form.Panel4);
    QAccessibleInterface* dislike = QAccessible::queryAccessibleInterface(form.Panel5);
    EXPECT_EQ(like->role(), QAccessible::CheckBox);
    EXPECT_EQ(like->text(QAccessible::Name), QStringLiteral("I like it!"));
    EXPECT_TRUE(like->state().checkable);
    EXPECT_FALSE(like->state().checked);

    typeThroughWindowSystem(QStringLiteral("space"));
    EXPECT_TRUE(form.Panel4->selected());
    EXPECT_TRUE(like->state().checked);
    // The other one by its mnemonic: only one is chosen at a time.
    typeThroughWindowSystem(QStringLiteral("alt+d"));
    EXPECT_TRUE(eventually([&] { return form.Panel5->selected(); }));
    EXPECT_FALSE(form.Panel4->selected());
    EXPECT_TRUE(form.Panel5->selected());
    EXPECT_FALSE(like->state().checked);
    EXPECT_TRUE(dislike->state().checked);
    form.Panel5->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.Panel5, Qt::Key_Space);
    EXPECT_FALSE(form.Panel5->selected());
    EXPECT_TRUE(form.input().likeCaption == QStringLiteral("I like it!"));

    // The labels name the text fields, and their mnemonics reach them.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.Memo1)->text(QAccessible::Name),
              QStringLiteral("What did you like or dislike?"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.Edit1)->text(QAccessible::Name),
              QStringLiteral("Include my e-mail:"));
    typeThroughWindowSystem(QStringLiteral("alt+m"));
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
    typeThroughWindowSystem(QStringLiteral("alt+w"));
    EXPECT_EQ(QApplication::focusWidget(), form.Memo1);
    for (QWidget* picture : {form.Image1, form.Image2})
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(picture)->state().invisible);
}

TEST(WindowKeys, TheQuestionsTranslatedButtonsAnswerToTheirMnemonics) {
    std::unique_ptr<QMessageBox> box(createCaptionedMessageBox(
        QStringLiteral("Anwendung neu starten?"), DialogKind::Confirmation, ButtonYes | ButtonNo,
        {QStringLiteral("Ja"), QStringLiteral("Nein")}, QStringLiteral("Bestätigung")));
    showActive(*box);
    expectMnemonicsApart(box.get(), {"&Ja", "&Nein"});
    typeThroughWindowSystem(QStringLiteral("alt+n"));
    EXPECT_TRUE(eventually([&] { return box->clickedButton() != nullptr; }));
    EXPECT_EQ(captionedMessageBoxResult(box.get()), ResultNo);
}

}  // namespace
}  // namespace pixmorrow::testing
