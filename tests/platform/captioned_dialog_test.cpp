#include "platform/qt_dialogs.h"
#include "support/modal_watchdog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow {
namespace {

using Box = std::unique_ptr<QMessageBox>;

Box makeBox(DialogButtons buttons, const QStringList& captions) {
    return Box(createCaptionedMessageBox("Restart Application?", DialogKind::Confirmation, buttons,
                                         captions, "Confirmation"));
}

// The text Qt gives a standard button of its own.
QString standardText(QMessageBox::StandardButton button) {
    QMessageBox plain;
    return plain.addButton(button)->text();
}

TEST(CaptionedDialogTest, CaptionsGoToTheButtonsInTheirStandardOrder) {
    Box box = makeBox(ButtonYes | ButtonNo, {"Ja", "Nein"});
    EXPECT_EQ(box->windowTitle(), "Confirmation");
    EXPECT_EQ(box->text(), "Restart Application?");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->buttons().size(), 2);
    // Each replaced caption gets a mnemonic of its own.
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "&Ja");
    EXPECT_EQ(box->button(QMessageBox::No)->text(), "&Nein");

    // Flag order does not matter: Yes, OK, Cancel is the standard order.
    Box three = makeBox(ButtonCancel | ButtonOK | ButtonYes, {"a", "b", "c"});
    EXPECT_EQ(three->button(QMessageBox::Yes)->text(), "&a");
    EXPECT_EQ(three->button(QMessageBox::Ok)->text(), "&b");
    EXPECT_EQ(three->button(QMessageBox::Cancel)->text(), "&c");
}

TEST(CaptionedDialogTest, MissingCaptionsKeepTheStandardOnesAndExtraOnesAreIgnored) {
    Box none = makeBox(ButtonYes | ButtonNo, {});
    EXPECT_EQ(none->button(QMessageBox::Yes)->text(), standardText(QMessageBox::Yes));
    EXPECT_EQ(none->button(QMessageBox::No)->text(), standardText(QMessageBox::No));

    Box one = makeBox(ButtonYes | ButtonNo, {"Evet"});
    EXPECT_EQ(one->button(QMessageBox::Yes)->text(), "&Evet");
    EXPECT_EQ(one->button(QMessageBox::No)->text(), standardText(QMessageBox::No));
    // A replaced caption keeps clear of the mnemonic a standard caption already has.
    ASSERT_EQ(standardText(QMessageBox::No), "&No");
    Box clash = makeBox(ButtonYes | ButtonNo, {"Nein"});
    EXPECT_EQ(clash->button(QMessageBox::Yes)->text(), "N&ein");

    Box extra = makeBox(ButtonYes | ButtonNo, {"Evet", "Hayır", "Vazgeç"});
    EXPECT_EQ(extra->buttons().size(), 2);
    EXPECT_EQ(extra->button(QMessageBox::No)->text(), "&Hayır");
}

TEST(CaptionedDialogTest, EscapeAndTheCloseBoxNeverAnswerYes) {
    {
        Box box = makeBox(ButtonYes | ButtonNo, {"Ja", "Nein"});
        box->show();
        QTest::keyClick(box.get(), Qt::Key_Escape);
        EXPECT_EQ(captionedMessageBoxResult(box.get()), ResultNo);
    }
    {
        Box box = makeBox(ButtonYes | ButtonNo, {"Ja", "Nein"});
        box->show();
        box->close();
        EXPECT_EQ(captionedMessageBoxResult(box.get()), ResultNo);
    }
    {
        Box box = makeBox(ButtonYes | ButtonNo | ButtonCancel, {});
        box->show();
        QTest::keyClick(box.get(), Qt::Key_Escape);
        EXPECT_EQ(captionedMessageBoxResult(box.get()), ResultCancel);
    }
    {
        Box box = makeBox(ButtonYes | ButtonNo, {});
        box->show();
        box->button(QMessageBox::Yes)->click();
        EXPECT_EQ(captionedMessageBoxResult(box.get()), ResultYes);
    }
}

TEST(CaptionedDialogTest, TheModalDialogReturnsTheResultOfTheButtonThatClosedIt) {
    struct Case {
        Qt::Key key;  // Qt::Key_unknown: press the captioned Yes button
        int expected;
    } cases[] = {{Qt::Key_Escape, ResultNo}, {Qt::Key_unknown, ResultYes}};
    for (const Case& c : cases) {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (c.key == Qt::Key_unknown) {
                box->button(QMessageBox::Yes)->click();
            } else {
                QTest::keyClick(box, c.key);
            }
        });
        // An answer that never comes fails the case instead of hanging it.
        const testing::ModalWatchdog watchdog;
        QtDialogs dialogs;
        EXPECT_EQ(
            dialogs.MessageDlgWithCaptions("Restart Application?", DialogKind::Confirmation,
                                           ButtonYes | ButtonNo, {"Ja", "Nein"}, "Bestätigung"),
            c.expected);
    }
}

// Message texts name files and carry the tool's and the service's words: a name that looks
// like markup shows as it is, in both kinds of box.
TEST(CaptionedDialogTest, MessagesShowMarkupAsPlainText) {
    const QString text = QStringLiteral("Cannot read /p/<img src=x onerror=alert(1)><b>x</b>.png");
    Box captioned(createCaptionedMessageBox(text, DialogKind::Error, ButtonOK, {}, "ERROR"));
    EXPECT_EQ(captioned->textFormat(), Qt::PlainText);
    EXPECT_EQ(captioned->text(), text);

    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        shownFormat = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    const testing::ModalWatchdog watchdog;
    QtDialogs dialogs;
    dialogs.showMessage(text, "ERROR", MessageIcon::Error);
    EXPECT_EQ(shownFormat, Qt::PlainText);
    EXPECT_EQ(shownText, text);
}

}  // namespace
}  // namespace pixmorrow
