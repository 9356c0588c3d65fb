#include "conversion/run/result_form.h"

#include "conversion/run/conversion_run.h"
#include "queue/image_queue.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

TEST(ResultFolderToOpen, IsTheDestinationOrTheFirstQueuedFilesFolder) {
    ImageQueue queue;
    EXPECT_EQ(resultFolderToOpen(kSameFolder, queue), QString());
    EXPECT_EQ(resultFolderToOpen(QStringLiteral("/out/as typed/"), queue),
              QStringLiteral("/out/as typed/"));
    queue.append(QStringLiteral("/pictures/one/a.png"));
    queue.append(QStringLiteral("/pictures/two/b.png"));
    EXPECT_EQ(resultFolderToOpen(kSameFolder, queue), QStringLiteral("/pictures/one"));
    EXPECT_EQ(resultFolderToOpen(QStringLiteral("/elsewhere"), queue),
              QStringLiteral("/elsewhere"));
}

TEST(TFormResult, ShowsTheTotalsAndOpensTheFolderEachTime) {
    testing::RecordingShell shell;
    QString destination = QStringLiteral("/chosen");
    testing::RecordingDialogs dialogs;
    TFormResult form(shell, dialogs, [&] { return destination; });
    RunTotals totals;
    totals.processedCount = 3;
    totals.inputTotal = 1000;
    totals.outputTotal = 1500;
    totals.elapsedMilliseconds = 2406;
    form.showTotals(totals);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Result"));
    EXPECT_EQ(form.Label4->text(), QStringLiteral("3"));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("Increased Disk Space:"));
    EXPECT_EQ(form.Label6->text(), QStringLiteral("500 bytes (50%)"));
    // Three decimals in the user's decimal separator.
    EXPECT_EQ(form.Label5->text(), QStringLiteral("2") + QLocale::system().decimalPoint() +
                                       QStringLiteral("406 seconds"));
    EXPECT_FALSE(form.Image1->pixmap().isNull());

    form.show();
    form.Button1->click();
    destination.clear();
    form.Button1->click();  // no folder: nothing happens
    destination = QStringLiteral("/chosen");
    form.Button1->click();
    EXPECT_EQ(shell.calls, (std::vector<QString>{QStringLiteral("openPath /chosen"),
                                                 QStringLiteral("openPath /chosen")}));
    EXPECT_TRUE(form.isVisible());
}

TEST(TFormResult, AFolderThatDoesNotOpenIsToldAndTheWindowStays) {
    testing::RecordingShell shell;
    shell.opens = false;
    testing::RecordingDialogs dialogs;
    TFormResult form(shell, dialogs, [] { return QStringLiteral("/chosen/out"); });
    form.show();
    form.Button1->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("This folder could not be opened:\r/chosen/out"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    EXPECT_TRUE(form.isVisible());
}

TEST(TFormResult, CloseHasTheFocusAndEscCloses) {
    testing::RecordingShell shell;
    testing::RecordingDialogs dialogs;
    TFormResult form(shell, dialogs, [] { return QString(); });
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_TRUE(form.Button2->isDefault());
    EXPECT_EQ(form.focusWidget(), form.Button2);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &esc);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace pixmorrow
