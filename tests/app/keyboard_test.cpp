// The main window from the keyboard alone, on a real (virtual) display: the Tab order of both
// pages with files queued, the menus' mnemonics and shortcuts typed through the X server, and
// what a screen reader reads of the Options page.
#include "app/app_form_fixture.h"
#include "platform/mnemonics.h"
#include "queue/queue_model.h"
#include "support/keyboard_walk.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow::testing {
namespace {

// The main window shown and active, so that the keyboard reaches it.
class KeyboardTest : public AppFormTest {
protected:
    void SetUp() override {
        AppFormTest::SetUp();
        form = &AppFormTest::form();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    }

    void queueFiles(int count) {
        for (int i = 1; i <= count; ++i)
            form->imageQueue().append(QStringLiteral("/pictures/holiday/photo %1.png").arg(i));
        form->updateQueueView();
    }

    TAppForm* form = nullptr;
};

TEST_F(KeyboardTest, TabWalksTheImagesPageWithFilesQueuedAndLeavesTheList) {
    queueFiles(3);
    QTabBar* tabs = form->PageControl1->tabBar();
    tabs->setFocus(Qt::TabFocusReason);
    expectTabOrder({form->ButtonFiles, form->ButtonFolder, form->ButtonDelete, form->ButtonClear,
                    form->ListView1, form->ButtonNext, tabs});
    expectTabOrder({form->ButtonNext, form->ListView1, form->ButtonClear}, true);

    // Inside the list the arrow keys move; Tab goes on to Next.
    form->ListView1->setFocus(Qt::TabFocusReason);
    form->ListView1->setCurrentIndex(form->queueModel()->index(0, 0));
    QTest::keyClick(form->ListView1, Qt::Key_Down);
    QTest::keyClick(form->ListView1, Qt::Key_Down);
    EXPECT_EQ(form->ListView1->currentIndex().row(), 2);
    EXPECT_EQ(QApplication::focusWidget(), form->ListView1);
    expectTabOrder({form->ButtonNext});

    // Ctrl+Tab in the list turns the page.
    form->ListView1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->ListView1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet2);
}

TEST_F(KeyboardTest, TabWalksTheOptionsPageAndPassesHiddenQuality) {
    queueFiles(2);
    // Next by its mnemonic, typed through the X server.
    typeThroughWindowSystem(QStringLiteral("alt+n"));
    ASSERT_TRUE(eventually([&] { return form->PageControl1->currentWidget() == form->TabSheet2; }));
    QTabBar* tabs = form->PageControl1->tabBar();
    tabs->setFocus(Qt::TabFocusReason);
    // The resize fields and the folder-structure box are off while they do not apply.
    expectTabOrder({form->ComboBoxType, form->SpinEdit1, form->CheckBoxGrayscale,
                    form->CheckBoxKeepMetadata, form->CheckBoxResize, form->ComboBoxDestination,
                    form->ButtonBrowse, form->ButtonBack, form->ButtonProcess, tabs});

    form->ComboBoxType->setCurrentText(QStringLiteral("PNG"));
    tabs->setFocus(Qt::TabFocusReason);
    expectTabOrder({form->ComboBoxType, form->CheckBoxGrayscale, form->CheckBoxKeepMetadata,
                    form->CheckBoxResize});

    // The labels' mnemonics reach their inputs; Space checks the box.
    typeThroughWindowSystem(QStringLiteral("alt+e"));
    EXPECT_EQ(focusedAmong({form->ComboBoxDestination}), form->ComboBoxDestination);
    typeThroughWindowSystem(QStringLiteral("alt+o"));
    EXPECT_EQ(QApplication::focusWidget(), form->ComboBoxType);
    typeThroughWindowSystem(QStringLiteral("alt+g"));
    EXPECT_TRUE(eventually([&] { return form->CheckBoxGrayscale->isChecked(); }));
    typeThroughWindowSystem(QStringLiteral("space"));
    EXPECT_TRUE(eventually([&] { return !form->CheckBoxGrayscale->isChecked(); }));
    typeThroughWindowSystem(QStringLiteral("alt+k"));
    EXPECT_TRUE(eventually([&] { return form->CheckBoxKeepMetadata->isChecked(); }));
    typeThroughWindowSystem(QStringLiteral("space"));
    EXPECT_TRUE(eventually([&] { return !form->CheckBoxKeepMetadata->isChecked(); }));
    typeThroughWindowSystem(QStringLiteral("alt+b"));
    EXPECT_TRUE(eventually([&] { return form->PageControl1->currentWidget() == form->TabSheet1; }));
}

// The resize controls by keyboard alone: the check box's mnemonic turns them on, Tab then
// walks them in reading order, and a folder destination brings in "Keep folder structure".
TEST_F(KeyboardTest, TheResizeAndFolderStructureControlsAreReachedByKeyboard) {
    queueFiles(1);
    typeThroughWindowSystem(QStringLiteral("alt+n"));
    ASSERT_TRUE(eventually([&] { return form->PageControl1->currentWidget() == form->TabSheet2; }));
    const auto mnemonic = [](QAbstractButton* button) {
        return QStringLiteral("alt+") + QString(mnemonicOf(button->text()));
    };
    // Each has a letter of its own.
    QString letters;
    for (QAbstractButton* button : form->TabSheet2->findChildren<QAbstractButton*>()) {
        const QChar letter = mnemonicOf(button->text());
        if (letter.isNull())
            continue;
        EXPECT_FALSE(letters.contains(letter)) << button->text().toStdString();
        letters += letter;
    }
    for (QCheckBox* button :
         {form->CheckBoxResize, form->CheckBoxNoEnlarge, form->CheckBoxKeepStructure})
        EXPECT_FALSE(mnemonicOf(button->text()).isNull()) << button->text().toStdString();

    typeThroughWindowSystem(mnemonic(form->CheckBoxResize));
    ASSERT_TRUE(eventually([&] { return form->CheckBoxResize->isChecked(); }));
    EXPECT_TRUE(form->ComboBoxResizeMode->isEnabled());
    form->CheckBoxResize->setFocus(Qt::TabFocusReason);
    expectTabOrder({form->ComboBoxResizeMode, form->SpinEditResize1, form->CheckBoxNoEnlarge,
                    form->ComboBoxDestination, form->ButtonBrowse, form->ButtonBack});
    // Fit in box brings its second field into the order.
    form->ComboBoxResizeMode->setFocus(Qt::TabFocusReason);
    typeThroughWindowSystem(QStringLiteral("End"));
    typeThroughWindowSystem(QStringLiteral("Up"));
    ASSERT_TRUE(eventually([&] { return form->ComboBoxResizeMode->currentIndex() == 3; }));
    form->ComboBoxResizeMode->setFocus(Qt::TabFocusReason);
    expectTabOrder({form->SpinEditResize1, form->SpinEditResize2, form->CheckBoxNoEnlarge});
    typeThroughWindowSystem(mnemonic(form->CheckBoxNoEnlarge));
    EXPECT_TRUE(eventually([&] { return !form->CheckBoxNoEnlarge->isChecked(); }));

    form->ComboBoxDestination->setCurrentText(QStringLiteral("/tmp"));
    ASSERT_TRUE(form->CheckBoxKeepStructure->isEnabled());
    form->ButtonBrowse->setFocus(Qt::TabFocusReason);
    expectTabOrder({form->CheckBoxKeepStructure, form->ButtonBack});
    typeThroughWindowSystem(mnemonic(form->CheckBoxKeepStructure));
    EXPECT_TRUE(eventually([&] { return form->CheckBoxKeepStructure->isChecked(); }));
    form->ComboBoxDestination->setCurrentText(TAppForm::kSameFolderAsOriginal);
    EXPECT_FALSE(form->CheckBoxKeepStructure->isEnabled());
}

TEST_F(KeyboardTest, AltOpensTheMenusAndTheShortcutsRunTheirCommands) {
    struct Case {
        const char* keys;
        QMenu* menu;
    } menus[] = {
        {"alt+f", form->FileMenu}, {"alt+s", form->SettingsMenu}, {"alt+h", form->HelpMenu}};
    for (const Case& c : menus) {
        SCOPED_TRACE(c.keys);
        typeThroughWindowSystem(QString::fromLatin1(c.keys));
        EXPECT_EQ(QApplication::activePopupWidget(), c.menu);
        typeThroughWindowSystem(QStringLiteral("Escape"));
        typeThroughWindowSystem(QStringLiteral("Escape"));
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    // An item by its mnemonic: File, then Add Files.
    typeThroughWindowSystem(QStringLiteral("alt+f"));
    typeThroughWindowSystem(QStringLiteral("f"));
    EXPECT_EQ(fileDialogs.filters.size(), 1u);

    typeThroughWindowSystem(QStringLiteral("ctrl+o"));
    EXPECT_EQ(fileDialogs.filters.size(), 2u);
    typeThroughWindowSystem(QStringLiteral("ctrl+shift+o"));
    ASSERT_EQ(fileDialogs.folderRequests.size(), 1u);
    EXPECT_TRUE(fileDialogs.folderRequests[0].several);
    typeThroughWindowSystem(QStringLiteral("F1"));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_TRUE(shell.calls[0].startsWith(QStringLiteral("openUrl ")));
    EXPECT_TRUE(dialogs.messages.empty());

    // In the list: Enter opens the file as a double-click does, the menu key brings the
    // row's menu, and Delete removes the selected row.
    queueFiles(2);
    form->ListView1->setFocus(Qt::TabFocusReason);
    form->ListView1->selectRow(1);
    typeThroughWindowSystem(QStringLiteral("Return"));
    EXPECT_EQ(shell.calls.back(), QStringLiteral("openPath /pictures/holiday/photo 2.png"));
    typeThroughWindowSystem(QStringLiteral("Menu"));
    EXPECT_TRUE(eventually([&] { return QApplication::activePopupWidget() == form->PopupMenu1; }));
    typeThroughWindowSystem(QStringLiteral("Escape"));
    typeThroughWindowSystem(QStringLiteral("Delete"));
    EXPECT_EQ(form->imageQueue().size(), 1u);
}

TEST_F(KeyboardTest, CtrlQEndsTheProgram) {
    EXPECT_EQ(form->Exit1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QTimer::singleShot(300, [] { typeThroughWindowSystem(QStringLiteral("ctrl+q")); });
    // Should Ctrl+Q do nothing, the loop ends with another code instead of hanging.
    QTimer::singleShot(10000, [] { QApplication::exit(3); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(KeyboardTest, MnemonicsNeverClashOnAPageOrInAMenu) {
    queueFiles(1);
    expectMnemonicsApart(form, {"&Add Files", "Add Fo&lder", "&Delete", "&Clear", "&Next", "&File",
                                "&Settings", "&Help"});
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    expectMnemonicsApart(form, {"&Output Format:", "&Quality:", "Convert to &Grayscale",
                                "&Keep metadata (EXIF, XMP)", "D&estination:", "B&rowse...",
                                "&Back", "&Process", "&File", "&Settings", "&Help"});
    // Across both pages too, so that a page's letters never mean two things.
    QStringList everything;
    for (QWidget* page : {form->TabSheet1, form->TabSheet2}) {
        form->PageControl1->setCurrentWidget(page);
        for (const auto& [letter, captions] : liveMnemonics(form))
            for (const QString& caption : captions)
                if (!everything.contains(caption))
                    everything << caption;
    }
    QString letters;
    for (const QString& caption : everything) {
        EXPECT_FALSE(letters.contains(mnemonicOf(caption))) << caption.toStdString();
        letters += mnemonicOf(caption);
    }
    expectMnemonicsApart(form->FileMenu, {"Add &Files...", "Add F&older...", "E&xit"});
    expectMnemonicsApart(form->SettingsMenu,
                         {"&Display Icons", "&Include Subfolders", "&Reset to Defaults..."});
    expectMnemonicsApart(form->HelpMenu, {"Online &Help", "&Update Notifications", "&Language...",
                                          "Send &Feedback...", "&About..."});
    expectMnemonicsApart(form->PopupMenu1,
                         {"&Open", "&Properties", "&Show in Explorer", "&Delete", "&Clear"});
}

QString accessibleText(QWidget* widget, QAccessible::Text what) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(what) : QStringLiteral("<no interface>");
}

TEST_F(KeyboardTest, ScreenReadersNameTheOptionsInputsAfterTheirLabels) {
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    struct Case {
        QWidget* input;
        const char* name;
        const char* value;
        QAccessible::Role role;
    } cases[] = {
        {form->ComboBoxType, "Output Format:", "WEBP", QAccessible::ComboBox},
        {form->SpinEdit1, "Quality:", "80", QAccessible::SpinBox},
        {form->CheckBoxGrayscale, "Convert to Grayscale", "", QAccessible::CheckBox},
        {form->CheckBoxKeepMetadata, "Keep metadata (EXIF, XMP)", "", QAccessible::CheckBox},
        {form->CheckBoxResize, "Resize:", "", QAccessible::CheckBox},
        {form->ComboBoxResizeMode, "Resize mode", "Longest side", QAccessible::ComboBox},
        {form->SpinEditResize1, "Size", "1920", QAccessible::SpinBox},
        {form->SpinEditResize2, "Box height", "1080", QAccessible::SpinBox},
        {form->CheckBoxNoEnlarge, "Do not enlarge", "", QAccessible::CheckBox},
        {form->CheckBoxKeepStructure, "Keep folder structure", "", QAccessible::CheckBox},
        {form->ComboBoxDestination, "Destination:", "Same Folder as Original",
         QAccessible::ComboBox},
        {form->ButtonBrowse, "Browse...", "", QAccessible::Button},
        {form->ButtonBack, "Back", "", QAccessible::Button},
        {form->ButtonProcess, "Process", "", QAccessible::Button},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(accessibleText(c.input, QAccessible::Name), QString::fromUtf8(c.name));
        if (*c.value) {
            EXPECT_EQ(accessibleText(c.input, QAccessible::Value), QString::fromUtf8(c.value));
        }
        EXPECT_EQ(QAccessible::queryAccessibleInterface(c.input)->role(), c.role);
    }
    // The label is also the input's labelling relation, and a new value is read as such.
    QAccessibleInterface* type = QAccessible::queryAccessibleInterface(form->ComboBoxType);
    const auto labels = type->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object(), form->Label1);
    form->ComboBoxType->setCurrentText(QStringLiteral("JPG"));
    EXPECT_EQ(type->text(QAccessible::Name), QStringLiteral("Output Format:"));
    EXPECT_EQ(type->text(QAccessible::Value), QStringLiteral("JPG"));
    EXPECT_EQ(accessibleText(form->ListView1, QAccessible::Name), QStringLiteral("Images"));
}

TEST_F(KeyboardTest, LongPathsAreCutInTheMiddleWithTheWholePathAsTooltip) {
    const QString longPath = QStringLiteral(
        "/home/someone/pictures/2024/a very long folder name that goes on and on/"
        "and another one just as long as the first/holiday-beach-0042.png");
    form->imageQueue().append(longPath);
    form->updateQueueView();
    QApplication::processEvents();
    const QModelIndex cell = form->queueModel()->index(0, 0);
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), longPath);
    EXPECT_EQ(form->ListView1->textElideMode(), Qt::ElideMiddle);
    // The path is wider than its column here, so the view cuts it, in the middle.
    EXPECT_LT(form->ListView1->visualRect(cell).width(),
              form->ListView1->fontMetrics().horizontalAdvance(longPath));
}

}  // namespace
}  // namespace pixmorrow::testing
