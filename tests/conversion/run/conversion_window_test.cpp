#include "app/app_form_fixture.h"
#include "conversion/run/result_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace pixmorrow::testing {
namespace {

class ConversionWindowTest : public AppFormTest {
protected:
    TAppForm& window() {
        TAppForm& f = form();
        f.showResultForm = [this](TFormResult& result) {
            ++resultsShown;
            processed = result.Label4->text();
            diskCaption = result.Label3->text();
            cursorDuringResult = QApplication::overrideCursor() != nullptr;
        };
        return f;
    }
    QString sourceFile(const QString& name, const QByteArray& content) {
        const QString path = work.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    QTemporaryDir work;
    int resultsShown = 0;
    QString processed;
    QString diskCaption;
    bool cursorDuringResult = true;
};

TEST_F(ConversionWindowTest, AnEmptyQueueWarnsAndReturnsToTheImagesPage) {
    TAppForm& f = window();
    f.PageControl1->setCurrentWidget(f.TabSheet2);
    f.StatusPanel0->setText(QStringLiteral("kept"));
    f.ButtonProcessClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("No image files have been added!"));
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("kept"));
    EXPECT_EQ(resultsShown, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ConversionWindowTest, AnEmptyDestinationIsAGeneralErrorWithTheCursorRestored) {
    TAppForm& f = window();
    f.imageQueue().append(sourceFile(QStringLiteral("a.jpg"), "x"));
    f.ComboBoxDestination->setCurrentText(QString());
    f.ButtonProcess->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("Unable to create directory")));
    EXPECT_EQ(resultsShown, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ConversionWindowTest, AFailingFileStillEndsInTheResultWindow) {
    TAppForm& f = window();
    f.imageQueue().append(sourceFile(QStringLiteral("bad.jpg"), "no JPEG here"));
    f.imageQueue().append(sourceFile(QStringLiteral("bad2.jpg"), "nor here"));
    f.ComboBoxDestination->setCurrentText(work.filePath(QStringLiteral("out")));
    f.ButtonProcessClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(resultsShown, 1);
    EXPECT_EQ(processed, QStringLiteral("2"));
    EXPECT_EQ(diskCaption, QStringLiteral("Saved Disk Space:"));
    EXPECT_FALSE(cursorDuringResult);
    EXPECT_EQ(f.StatusPanel0->text(), QString());
    EXPECT_EQ(f.StatusPanelProgress->text(), QString());
    EXPECT_TRUE(QDir(work.filePath(QStringLiteral("out"))).isEmpty());
}

TEST_F(ConversionWindowTest, BrowseSetsTheSharedFolderAndTheDestination) {
    TAppForm& f = window();
    f.LastChosenFolder = QStringLiteral("/start");
    fileDialogs.folderAnswers.push_back({QStringLiteral("/picked")});
    f.ButtonBrowse->click();
    ASSERT_EQ(fileDialogs.folderRequests.size(), 1u);
    EXPECT_EQ(fileDialogs.folderRequests[0].title, QStringLiteral("Select folder:"));
    EXPECT_EQ(fileDialogs.folderRequests[0].acceptLabel, QStringLiteral("Select"));
    EXPECT_EQ(fileDialogs.folderRequests[0].startFolder, QStringLiteral("/start"));
    EXPECT_FALSE(fileDialogs.folderRequests[0].several);
    EXPECT_EQ(f.LastChosenFolder, QStringLiteral("/picked"));
    EXPECT_EQ(f.ComboBoxDestination->currentText(), QStringLiteral("/picked"));

    f.ButtonBrowse->click();  // cancelled: nothing changes
    EXPECT_EQ(f.LastChosenFolder, QStringLiteral("/picked"));
}

}  // namespace
}  // namespace pixmorrow::testing
