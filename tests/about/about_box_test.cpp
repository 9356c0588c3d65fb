#include "about/about_box.h"
#include "about/app_identity.h"
#include "localization/language.h"
#include "online/maker_site.h"
#include "support/fake_clock.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow {
namespace {

// The largest value of every range: drops at the bottom rows, full brightness.
class MaxRandom final : public RainRandom {
public:
    int random(int range) override { return range > 0 ? range - 1 : 0; }
};

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("PIXMORROW_SERVICE_HOST", "www.maker.test");
        setAppIdentity({QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"),
                        QStringLiteral("2.0"), QStringLiteral("TARNWICK - Pixmorrow")});
    }
    void TearDown() override { qunsetenv("PIXMORROW_SERVICE_HOST"); }

    TAboutBox& box() {
        if (!box_) {
            box_ = std::make_unique<TAboutBox>(dialogs, shell, clock, programDir.path(), nullptr,
                                               &random);
        }
        return *box_;
    }

    static void mouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, QPoint global) {
        const QPointF local = target->mapFromGlobal(QPointF(global));
        QMouseEvent event(
            type, local, QPointF(global), button,
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
            Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    QTemporaryDir programDir;
    testing::RecordingDialogs dialogs;
    testing::RecordingShell shell;
    testing::FakeClock clock;
    MaxRandom random;

private:
    std::unique_ptr<TAboutBox> box_;
};

TEST_F(AboutBoxTest, ShowsNameVersionAndTheMakersLink) {
    TAboutBox& b = box();
    EXPECT_EQ(b.windowTitle(), QStringLiteral("About Pixmorrow"));
    EXPECT_EQ(b.Label2->text(), QStringLiteral("Pixmorrow 2.0"));
    EXPECT_EQ(b.BitBtn1->text(), QStringLiteral("&OK"));
    EXPECT_EQ(b.BitBtn2->text(), QStringLiteral("&Info"));
    EXPECT_EQ(b.Credits1->text(), QStringLiteral("&Acknowledgements..."));
    EXPECT_EQ(b.Howtouninstall1->text(), QStringLiteral("&How to uninstall..."));
    EXPECT_EQ(b.LicensePrivacyPolicy1->text(), QStringLiteral("&License..."));
    EXPECT_EQ(b.Label5->text(), QStringLiteral("http://www.maker.test/"));
    EXPECT_EQ(b.Label5->toolTip(), b.Label5->text());
    EXPECT_TRUE(b.Label5->font().underline());
    EXPECT_EQ(b.size(), QSize(446, 374));
    EXPECT_EQ(b.Panel1->geometry(), QRect(48, 42, 350, 291));
    EXPECT_EQ(b.PanelEgg->geometry(), QRect(61, 77, 324, 220));
    EXPECT_FALSE(b.PanelEgg->isVisibleTo(&b));
    EXPECT_FALSE(b.Image2->pixmap().isNull());
    EXPECT_FALSE(b.ImageEgg->pixmap().isNull());
    EXPECT_FALSE(b.Image1->pixmap().isNull());
    EXPECT_TRUE(b.tmTimer->isActive());
    EXPECT_EQ(b.tmTimer->interval(), 50);
    EXPECT_FALSE(b.TimerEgg->isActive());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AboutBoxTest, OpensThePagesOfTheMaker) {
    TAboutBox& b = box();
    b.Label5Click();
    b.Credits1Click();
    b.Howtouninstall1Click();
    const std::vector<QString> expected{
        QStringLiteral("openUrl http://www.maker.test/"),
        QStringLiteral("openUrl https://www.maker.test/blog/credits-and-acknowledgements/"),
        QStringLiteral("openUrl http://www.maker.test/blog/how-to-uninstall-tarnwick-software/"),
    };
    EXPECT_EQ(shell.calls, expected);
    // The link opens on a left click; it does not start a drag.
    b.show();
    const QPoint at = b.Label5->mapToGlobal(b.Label5->rect().center());
    mouse(b.Label5, QEvent::MouseButtonPress, Qt::LeftButton, at);
    EXPECT_FALSE(b.isDragging());
    mouse(b.Label5, QEvent::MouseButtonRelease, Qt::LeftButton, at);
    ASSERT_EQ(shell.calls.size(), 4u);
    EXPECT_EQ(shell.calls.back(), expected.front());
}

TEST_F(AboutBoxTest, PagesAndTheLicenceThatDoNotOpenAreToldWithTheirAddress) {
    TAboutBox& b = box();
    QFile license(programDir.filePath(QStringLiteral("license.txt")));
    ASSERT_TRUE(license.open(QIODevice::WriteOnly));
    license.close();
    shell.opens = false;
    b.Label5Click();
    b.Credits1Click();
    b.Howtouninstall1Click();
    b.LicensePrivacyPolicy1Click();
    std::vector<QString> told;
    for (const auto& message : dialogs.messages) {
        told.push_back(message.text);
        EXPECT_EQ(message.title, QStringLiteral("Pixmorrow"));
    }
    const QString page = QStringLiteral("This web page could not be opened:\r");
    EXPECT_EQ(
        told,
        (std::vector<QString>{
            page + QStringLiteral("http://www.maker.test/"),
            page + QStringLiteral("https://www.maker.test/blog/credits-and-acknowledgements/"),
            page + QStringLiteral("http://www.maker.test/blog/how-to-uninstall-tarnwick-software/"),
            QStringLiteral("This file could not be opened:\r") + programDir.path() +
                QStringLiteral("/license.txt")}));
}

TEST_F(AboutBoxTest, OpensTheLicenceFromTheProgramFolderOrSaysItIsMissing) {
    TAboutBox& b = box();
    b.LicensePrivacyPolicy1Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("File not found!"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("License"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(shell.calls.empty());

    // A folder of that name is no licence either.
    ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("license.txt")));
    b.LicensePrivacyPolicy1Click();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    ASSERT_TRUE(QDir(programDir.path()).rmdir(QStringLiteral("license.txt")));

    QFile license(programDir.filePath(QStringLiteral("license.txt")));
    ASSERT_TRUE(license.open(QIODevice::WriteOnly));
    license.write("terms\n");
    license.close();
    b.LicensePrivacyPolicy1Click();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0],
              QStringLiteral("openPath ") + programDir.path() + QStringLiteral("/license.txt"));
}

TEST_F(AboutBoxTest, TheIconSlidesTheCardAwayAndThePictureBringsItBack) {
    TAboutBox& b = box();
    b.show();
    b.Image1DblClick();
    EXPECT_TRUE(b.PanelEgg->isVisible());
    EXPECT_TRUE(b.TimerEgg->isActive());
    EXPECT_EQ(b.TimerEgg->interval(), 5);
    b.TimerEggTimer();
    EXPECT_EQ(b.Panel1->pos(), QPoint(53, 42));
    // While sliding, both double-clicks do nothing.
    b.Image1DblClick();
    b.ImageEggDblClick();
    EXPECT_TRUE(b.PanelEgg->isVisible());
    EXPECT_EQ(b.Panel1->pos(), QPoint(53, 42));
    while (b.TimerEgg->isActive())
        b.TimerEggTimer();
    EXPECT_GT(b.Panel1->x(), b.width());
    // The double-click arrives through the picture itself.
    const QPoint at = b.ImageEgg->mapToGlobal(b.ImageEgg->rect().center());
    mouse(b.ImageEgg, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
    EXPECT_FALSE(b.PanelEgg->isVisible());
    EXPECT_EQ(b.Panel1->pos(), QPoint(48, 42));
}

TEST_F(AboutBoxTest, DragsByItsSurfacesButNotWithTheRightButton) {
    TAboutBox& b = box();
    b.move(100, 100);
    b.show();
    QApplication::processEvents();
    for (QWidget* surface : {static_cast<QWidget*>(&b), static_cast<QWidget*>(b.Panel1),
                             static_cast<QWidget*>(b.Image1), static_cast<QWidget*>(b.Image2),
                             static_cast<QWidget*>(b.Label2)}) {
        const QPoint start = b.pos();
        const QPoint at = surface->mapToGlobal(QPoint(2, 2));
        mouse(surface, QEvent::MouseButtonPress, Qt::RightButton, at);
        mouse(surface, QEvent::MouseMove, Qt::RightButton, at + QPoint(30, 20));
        mouse(surface, QEvent::MouseButtonRelease, Qt::RightButton, at + QPoint(30, 20));
        EXPECT_EQ(b.pos(), start) << surface->objectName().toStdString();

        mouse(surface, QEvent::MouseButtonPress, Qt::LeftButton, at);
        EXPECT_TRUE(b.isDragging());
        mouse(surface, QEvent::MouseMove, Qt::LeftButton, at + QPoint(30, 20));
        mouse(surface, QEvent::MouseMove, Qt::LeftButton, at + QPoint(25, 30));
        mouse(surface, QEvent::MouseButtonRelease, Qt::LeftButton, at + QPoint(25, 30));
        EXPECT_FALSE(b.isDragging());
        EXPECT_EQ(b.pos(), start + QPoint(25, 30)) << surface->objectName().toStdString();
    }
    // A button is no handle.
    const QPoint start = b.pos();
    const QPoint at = b.BitBtn1->mapToGlobal(QPoint(2, 2));
    mouse(b.BitBtn1, QEvent::MouseButtonPress, Qt::LeftButton, at);
    EXPECT_FALSE(b.isDragging());
    mouse(b.BitBtn1, QEvent::MouseMove, Qt::LeftButton, at + QPoint(30, 20));
    EXPECT_EQ(b.pos(), start);
}

TEST_F(AboutBoxTest, EachTickDrawsTheDropsIntoTheBackground) {
    TAboutBox& b = box();
    const QImage& image = b.rainImage();
    ASSERT_EQ(image.size(), b.size() * b.devicePixelRatioF());
    const int ratio = static_cast<int>(b.devicePixelRatioF());
    auto brightestGreen = [&](int column, int row) {
        int best = 0;
        for (int y = row * 12 * ratio; y < (row + 1) * 12 * ratio && y < image.height(); ++y) {
            for (int x = column * 8 * ratio; x < (column + 1) * 8 * ratio; ++x) {
                best = std::max(best, qGreen(image.pixel(x, y)));
            }
        }
        return best;
    };
    const RainDrop first = b.rain().drops().front();
    EXPECT_EQ(brightestGreen(first.Column, first.Row), 0);
    b.tmTimerTimer();
    // Brightness 99 throughout: the head is drawn in (148, 252, 98), never redder than green.
    EXPECT_GT(brightestGreen(first.Column, first.Row), 150);
    EXPECT_GT(brightestGreen(first.Column, first.Row - 1), 30);
    const QRgb sample = image.pixel(first.Column * 8 * ratio + 3, first.Row * 12 * ratio + 6);
    EXPECT_LE(qRed(sample), qGreen(sample));
    EXPECT_EQ(b.rain().tick(), 1u);
}

TEST_F(AboutBoxTest, OkAndEscapeClose) {
    {
        TAboutBox& b = box();
        b.show();
        b.BitBtn1->click();
        EXPECT_FALSE(b.isVisible());
    }
    for (QPushButton* TAboutBox::*button : {&TAboutBox::BitBtn1, &TAboutBox::BitBtn2}) {
        TAboutBox b(dialogs, shell, clock, programDir.path(), nullptr, &random);
        b.show();
        (b.*button)->setFocus();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(b.*button, &escape);
        EXPECT_FALSE(b.isVisible());
        EXPECT_EQ(b.result(), QDialog::Rejected);
    }
}

TEST_F(AboutBoxTest, TheTitleTakesTheNameWithoutFormattingTheTranslation) {
    // The name is put in place of "%s" only; other percent signs stay as they are.
    setAppIdentity({QStringLiteral("TARNWICK"), QStringLiteral("50% %d Pix"), QStringLiteral("2.0"),
                    QString()});
    EXPECT_EQ(box().windowTitle(), QStringLiteral("About 50% %d Pix"));
}

TEST_F(AboutBoxTest, ShowsItsTextsInTheLoadedLanguage) {
    struct Case {
        QByteArray entry;
        QString title;
    };
    const Case cases[] = {
        {"{About %s}\xC3\x9C"
         "ber %s",
         QStringLiteral("\u00DC"
                        "ber Pixmorrow")},
        {"{About %s}%s hakk\xC4\xB1nda %d", QStringLiteral("Pixmorrow hakk\u0131nda %d")},
        // Without exactly one placeholder the translation is not trusted.
        {"{About %s}\xC3\x9C"
         "ber",
         QStringLiteral("About Pixmorrow")},
        {"{About %s}%s %s", QStringLiteral("About Pixmorrow")},
    };
    ASSERT_TRUE(QDir(programDir.path()).mkpath(QStringLiteral("Languages")));
    qputenv("PIXMORROW_PROGRAM_DIR", programDir.path().toLocal8Bit());
    for (const Case& c : cases) {
        QFile file(programDir.filePath(QStringLiteral("Languages/German.lang.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.entry +
                   "\n{Info}Mehr\n{License...}Lizenz...\n{File not found!}Datei fehlt!\n"
                   "{License}Lizenz\n");
        file.close();
        LoadLanguage(QStringLiteral("German.lang.txt"));
        ASSERT_EQ(languageState().LanguageName, QStringLiteral("German"));
        TAboutBox b(dialogs, shell, clock, programDir.path(), nullptr, &random);
        EXPECT_EQ(b.windowTitle(), c.title) << c.entry.toStdString();
        EXPECT_EQ(b.BitBtn2->text(), QStringLiteral("&Mehr"));
        EXPECT_EQ(b.LicensePrivacyPolicy1->text(), QStringLiteral("&Lizenz..."));
        b.LicensePrivacyPolicy1Click();
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Datei fehlt!"));
        EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("Lizenz"));
    }
    // Back to English for whatever runs next in this process.
    QDir(programDir.filePath(QStringLiteral("Languages"))).removeRecursively();
    LoadLanguage(QString());
    qunsetenv("PIXMORROW_PROGRAM_DIR");
    EXPECT_TRUE(languageState().LanguageFilePath.isEmpty());
}

}  // namespace
}  // namespace pixmorrow
