// The message boxes a run raises, answered through the window system as a user answers them:
// mouse clicks and key presses that travel the application's event filters, on a real
// (virtual) display. A box that swallows them stays open; the watchdog then closes it and the
// test fails instead of hanging.
#include "app/app_form.h"
#include "conversion/routes/codec_library.h"
#include "conversion/run/result_form.h"
#include "platform/qt_dialogs.h"
#include "platform/tick_clock.h"
#include "support/file_contents.h"
#include "support/permissions_enforced.h"
#include "support/recording_file_dialogs.h"
#include "support/recording_shell.h"
#include "support/test_paths.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

namespace pixmorrow::testing {
namespace {

// How a user answers a box.
enum class Answer { ClickOk, Return, Space, Escape, WindowSystemClick };

const char* answerName(Answer answer) {
    switch (answer) {
        case Answer::ClickOk:
            return "mouse click on OK";
        case Answer::Return:
            return "Return";
        case Answer::Space:
            return "Space";
        case Answer::Escape:
            return "Escape";
        case Answer::WindowSystemClick:
            return "click through the X server";
    }
    return "";
}

// What the test saw of one box.
struct SeenBox {
    QString title;
    QString text;
    bool busyCursorShown = false;
};

QPushButton* defaultButtonOf(QWidget* window) {
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        if (auto* button = qobject_cast<QPushButton*>(box->defaultButton()))
            return button;
        return box->findChildren<QPushButton*>().value(0);
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->isDefault())
            return button;
    }
    return window->findChildren<QPushButton*>().value(0);
}

// A click where the X server puts it: the pointer moved onto the button and pressed there, so
// the event reaches the program the way a user's does.
void clickThroughWindowSystem(QPushButton* button) {
    const QPoint centre = button->mapToGlobal(button->rect().center());
    const int status = QProcess::execute(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
         QStringLiteral("click"), QStringLiteral("1")});
    EXPECT_EQ(status, 0) << "xdotool could not click";
}

void answer(QWidget* window, Answer how) {
    QPushButton* button = defaultButtonOf(window);
    ASSERT_NE(button, nullptr);
    switch (how) {
        case Answer::ClickOk:
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        case Answer::Return:
            QTest::keyClick(window, Qt::Key_Return);
            break;
        case Answer::Space:
            QTest::keyClick(button, Qt::Key_Space);
            break;
        case Answer::Escape:
            QTest::keyClick(window, Qt::Key_Escape);
            break;
        case Answer::WindowSystemClick:
            clickThroughWindowSystem(button);
            break;
    }
}

class RunBoxesTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("PIXMORROW_PROGRAM_DIR", programDir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
        qputenv("PIXMORROW_SERVICE_HOST", "127.0.0.1:9");
        static const bool codecLoaded = [] {
            CodecLibrary::loadAtStart(builtProgramFolder());
            return true;
        }();
        (void)codecLoaded;
        AppServices services{dialogs,           fileDialogs,       shell, clock,
                             builtExecutable(), programDir.path(), {}};
        form = std::make_unique<TAppForm>(services);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        watchdog.setInterval(25);
        QObject::connect(&watchdog, &QTimer::timeout, [this] { poll(); });
    }

    void TearDown() override {
        watchdog.stop();
        form.reset();
    }

    // The next modal windows the run opens, answered in this order.
    void expectBoxes(std::deque<Answer> answers) {
        answers_ = std::move(answers);
        answered_ = nullptr;
        since_.start();
        watchdog.start();
    }

    QString sourceFile(const QString& name, const QByteArray& content) {
        const QString path = work.filePath(name);
        testing::writeFile(path, content);
        return path;
    }

    QString goodBmp(const QString& name) {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(qRgb(200, 40, 90));
        const QString path = work.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    // Process pressed with the mouse, as a user presses it; returns once the run is over.
    void pressProcess() { QTest::mouseClick(form->ButtonProcess, Qt::LeftButton); }

    // After the run the window answers input again: a real click on Back changes the page.
    void expectWindowTakesInput() {
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        QTest::mouseClick(form->ButtonBack, Qt::LeftButton);
        EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    QTemporaryDir programDir;
    QTemporaryDir configDir;
    QTemporaryDir work;
    QtDialogs dialogs;
    RecordingFileDialogs fileDialogs;
    RecordingShell shell;
    SteadyTickClock clock;
    std::unique_ptr<TAppForm> form;
    QTimer watchdog;
    std::vector<SeenBox> seen;
    bool gaveUp = false;

private:
    // Finds the modal window waiting for the user and answers it; a window that is still
    // open long after it was answered swallowed the answer.
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (answers_.empty() && !answered_)
                watchdog.stop();
            return;
        }
        if (modal == answered_) {
            if (since_.elapsed() > 5000) {
                ADD_FAILURE() << "the window \"" << modal->windowTitle().toStdString()
                              << "\" did not close on " << answerName(lastAnswer_);
                gaveUp = true;
                static_cast<QDialog*>(modal)->done(0);
            }
            return;
        }
        if (answers_.empty()) {
            ADD_FAILURE() << "an unexpected window: " << modal->windowTitle().toStdString();
            gaveUp = true;
            static_cast<QDialog*>(modal)->done(0);
            return;
        }
        if (!QTest::qWaitForWindowExposed(modal))
            return;
        SeenBox box{modal->windowTitle(), QString(), false};
        if (auto* message = qobject_cast<QMessageBox*>(modal))
            box.text = message->text();
        const QCursor* cursor = QApplication::overrideCursor();
        box.busyCursorShown = cursor && cursor->shape() != Qt::ArrowCursor;
        seen.push_back(box);
        lastAnswer_ = answers_.front();
        answers_.pop_front();
        answered_ = modal;
        since_.start();
        answer(modal, lastAnswer_);
    }

    std::deque<Answer> answers_;
    QPointer<QWidget> answered_;
    Answer lastAnswer_ = Answer::ClickOk;
    QElapsedTimer since_;
};

TEST_F(RunBoxesTest, TheEmptyQueueWarningClosesOnEveryWayAUserAnswersIt) {
    for (Answer how : {Answer::ClickOk, Answer::Return, Answer::Space, Answer::Escape,
                       Answer::WindowSystemClick}) {
        SCOPED_TRACE(answerName(how));
        seen.clear();
        expectBoxes({how});
        pressProcess();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].title, QStringLiteral("WARNING"));
        EXPECT_EQ(seen[0].text, QStringLiteral("No image files have been added!"));
        EXPECT_FALSE(seen[0].busyCursorShown);
        EXPECT_FALSE(gaveUp);
        expectWindowTakesInput();
    }
}

TEST_F(RunBoxesTest, ADamagedFileIsReportedAndTheRunGoesOnToTheResultWindow) {
    form->imageQueue().append(sourceFile(QStringLiteral("damaged.jpg"), "no JPEG data here"));
    form->imageQueue().append(goodBmp(QStringLiteral("good.bmp")));
    form->updateQueueView();
    form->ComboBoxType->setCurrentText(QStringLiteral("BMP"));
    const QString out = work.filePath(QStringLiteral("out"));
    form->ComboBoxDestination->setCurrentText(out);
    // The error box, then the result window, each closed with a click.
    expectBoxes({Answer::ClickOk, Answer::WindowSystemClick});
    pressProcess();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].title, QStringLiteral("ERROR"));
    EXPECT_TRUE(seen[0].text.contains(QStringLiteral("Unknown file format")))
        << seen[0].text.toStdString();
    EXPECT_FALSE(seen[0].busyCursorShown);
    EXPECT_FALSE(seen[1].busyCursorShown);
    EXPECT_FALSE(gaveUp);
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/good.bmp")));
    expectWindowTakesInput();
}

TEST_F(RunBoxesTest, TheDestinationWarningsCloseAndTheWindowTakesInputAgain) {
    const QString taken = work.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(QDir().mkpath(taken));
    // Nobody may write there, root (as on CI) included while the capabilities that would let
    // it are held back below.
    ASSERT_TRUE(QFile::setPermissions(taken, QFile::ReadOwner | QFile::ExeOwner));
    const PermissionsEnforced enforced;
    ASSERT_TRUE(enforced.ok());
    struct Case {
        QString destination;
        const char* warning;
        Answer how;
    } cases[] = {
        // A folder under a plain file cannot be made, not even by root.
        {QStringLiteral("/proc/version/out"), "Directory does not exist!", Answer::Return},
        {taken, "Unable to write to directory!", Answer::ClickOk},
        {taken, "Unable to write to directory!", Answer::Escape},
    };
    form->imageQueue().append(goodBmp(QStringLiteral("a.bmp")));
    form->updateQueueView();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        seen.clear();
        form->PageControl1->setCurrentWidget(form->TabSheet2);
        form->ComboBoxDestination->setCurrentText(c.destination);
        expectBoxes({c.how});
        pressProcess();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].title, QStringLiteral("WARNING"));
        EXPECT_EQ(seen[0].text, QString::fromLatin1(c.warning));
        EXPECT_FALSE(seen[0].busyCursorShown);
        EXPECT_FALSE(gaveUp);
        // The destination field has the focus and takes typed text.
        QTest::keyClicks(form->ComboBoxDestination, QStringLiteral("x"));
        EXPECT_EQ(form->ComboBoxDestination->currentText(), c.destination + u'x');
        expectWindowTakesInput();
    }
}

}  // namespace
}  // namespace pixmorrow::testing
