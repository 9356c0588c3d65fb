#include "app/app_form_fixture.h"
#include "conversion/run/result_form.h"
#include "support/file_contents.h"
#include "support/keyboard_walk.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

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
            cancelledLine = result.Label7->isVisibleTo(&result) ? result.Label7->text() : QString();
            cursorDuringResult = QApplication::overrideCursor() != nullptr;
        };
        return f;
    }
    QString sourceFile(const QString& name, const QByteArray& content) {
        const QString path = work.filePath(name);
        testing::writeFile(path, content);
        return path;
    }

    // An external tool in the program folder that marks its start and then runs until it is
    // stopped, so a run stays on its first file until the test cancels it.
    QString slowTool() {
        const QString folder = programDir.filePath(QStringLiteral("imagemagick"));
        EXPECT_TRUE(QDir().mkpath(folder));
        const QString started = work.filePath(QStringLiteral("tool-started"));
        QFile tool(folder + QStringLiteral("/magick"));
        EXPECT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n: > '" + started.toUtf8() + "'\nsleep 300 & wait\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return started;
    }
    // Presses Process with the mouse; once the tool runs, `during` is called from the window's
    // own event loop (the run still going on), and must end the run.
    void pressProcessAndThen(TAppForm& f, const QString& started, std::function<void()> during) {
        QElapsedTimer waiting;
        waiting.start();
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QFile::exists(started) && f.runGoingOn()) {
                poll.stop();
                during();
            } else if (waiting.elapsed() > 30000) {
                poll.stop();
                ADD_FAILURE() << "the run never reached the tool";
                f.ButtonProcess->click();
            }
        });
        poll.start();
        QTest::mouseClick(f.ButtonProcess, Qt::LeftButton);
        EXPECT_FALSE(f.runGoingOn());
    }

    QTemporaryDir work;
    int resultsShown = 0;
    QString processed;
    QString diskCaption;
    QString cancelledLine;
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

// During a run the window is alive: Process reads Cancel, the progress bar and the status
// show the run, and what would change it is disabled. A real click on Cancel, Escape, or
// closing the window cancels it; the committed files stay and nothing hidden is left.
TEST_F(ConversionWindowTest, ARunIsCancelledByAClickEscapeOrClosingTheWindow) {
    TAppForm& f = window();
    const QString started = slowTool();
    const QString out = work.filePath(QStringLiteral("out"));
    QStringList sources;
    for (const char* name : {"first.tga", "second.tga", "third.tga"})
        sources << sourceFile(QString::fromLatin1(name), "not read by the fake tool");
    for (const QString& path : sources)
        f.imageQueue().append(path);
    f.updateQueueView();
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.PageControl1->setCurrentWidget(f.TabSheet2);
    f.ComboBoxDestination->setCurrentText(out);

    enum class How { Click, Escape, Close };
    for (const How how : {How::Click, How::Escape, How::Close}) {
        SCOPED_TRACE(static_cast<int>(how));
        QFile::remove(started);
        resultsShown = 0;
        cancelledLine.clear();
        bool seenRunning = false;
        pressProcessAndThen(f, started, [&] {
            seenRunning = true;
            EXPECT_EQ(f.ButtonProcess->text(), QStringLiteral("&Cancel"));
            EXPECT_TRUE(f.ButtonProcess->isEnabled());
            expectMnemonicsApart(&f, {QStringLiteral("&Cancel")});
            for (QWidget* input :
                 {static_cast<QWidget*>(f.TabSheet1), static_cast<QWidget*>(f.ComboBoxType),
                  static_cast<QWidget*>(f.ComboBoxDestination),
                  static_cast<QWidget*>(f.CheckBoxGrayscale), static_cast<QWidget*>(f.ButtonBack),
                  static_cast<QWidget*>(f.PageControl1->tabBar())})
                EXPECT_FALSE(input->isEnabled()) << input->metaObject()->className();
            EXPECT_FALSE(f.AddFiles1->isEnabled());
            EXPECT_FALSE(f.ResettoDefaults1->isEnabled());
            EXPECT_TRUE(f.StatusPanelProgress->isVisible());
            EXPECT_EQ(f.StatusPanelProgress->maximum(), 3);
            EXPECT_EQ(f.StatusPanelProgress->value(), 0);
            EXPECT_EQ(f.StatusPanel0->text(),
                      QStringLiteral("Converting ") + sources[0] + QStringLiteral("..."));

            // The window answers at once: a screen reader hears the button as it reads now,
            // and a resize takes effect.
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(f.ButtonProcess);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("Cancel"));
            const QSize before = f.size();
            f.resize(before + QSize(40, 30));
            QApplication::processEvents();
            EXPECT_EQ(f.size(), before + QSize(40, 30));
            f.resize(before);

            // A drop is refused, and nothing joins the queue.
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(sourceFile(QStringLiteral("late.png"), "x"))});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&f, &enter);
            EXPECT_FALSE(enter.isAccepted());
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&f, &drop);
            EXPECT_EQ(f.imageQueue().size(), 3u);

            switch (how) {
                case How::Click:
                    QTest::mouseClick(f.ButtonProcess, Qt::LeftButton);
                    break;
                case How::Escape:
                    QTest::keyClick(&f, Qt::Key_Escape);
                    break;
                case How::Close:
                    f.close();
                    break;
            }
        });
        EXPECT_TRUE(seenRunning);
        if (how == How::Close) {
            EXPECT_EQ(resultsShown, 0);
            QElapsedTimer closing;
            closing.start();
            while (f.isVisible() && closing.elapsed() < 10000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            EXPECT_FALSE(f.isVisible()) << "the window stayed open";
        } else {
            EXPECT_EQ(resultsShown, 1);
            EXPECT_EQ(processed, QStringLiteral("0"));
            EXPECT_EQ(cancelledLine, QStringLiteral("Cancelled after 0 of 3 files"));
            EXPECT_EQ(f.ButtonProcess->text(), QStringLiteral("&Process"));
            EXPECT_TRUE(f.ComboBoxType->isEnabled());
            EXPECT_TRUE(f.TabSheet1->isEnabled());
            EXPECT_TRUE(f.AddFiles1->isEnabled());
            EXPECT_FALSE(f.StatusPanelProgress->isVisible());
            EXPECT_EQ(f.StatusPanel0->text(), QString());
        }
        EXPECT_TRUE(QDir(out).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            << QDir(out).entryList(QDir::AllEntries | QDir::Hidden).join(u' ').toStdString();
        EXPECT_TRUE(
            QDir(f.SettingsFolder)
                .entryList({QStringLiteral(".pixmorrow-run-*")}, QDir::AllEntries | QDir::Hidden)
                .isEmpty());
    }
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
