#include "app/app_form_fixture.h"
#include "app/wizard_rules.h"
#include "queue/queue_model.h"

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

namespace pixmorrow {
namespace {

using testing::AppFormTest;

void addFiles(TAppForm& f, const QStringList& paths) {
    for (const QString& p : paths)
        f.imageQueue().append(p);
    f.updateQueueView();
}

TEST_F(AppFormTest, StartsOnTheImagesPageWithTheCaptionFromTheVersionResource) {
    TAppForm& f = form();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("TARNWICK - Pixmorrow"));
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [0]"));
    EXPECT_EQ(f.ComboBoxType->currentText(), QStringLiteral("WEBP"));
    EXPECT_EQ(f.ComboBoxType->count(), 12);
    QStringList types;
    for (int i = 0; i < f.ComboBoxType->count(); ++i)
        types << f.ComboBoxType->itemText(i);
    EXPECT_EQ(types, (QStringList{"WEBP", "PNG", "APNG", "JPG", "JPEG", "JFIF", "TIF", "TIFF",
                                  "GIF", "BMP", "ICO", "WMP"}));
    EXPECT_EQ(f.ComboBoxDestination->currentText(), QStringLiteral("Same Folder as Original"));
    EXPECT_TRUE(f.DisplayIcons1->isChecked());
    EXPECT_TRUE(f.IncludeSubfolders1->isChecked());
    EXPECT_TRUE(f.UpdateNotifications1->isChecked());
    EXPECT_FALSE(f.UpdateNotifications1->isEnabled());
    EXPECT_EQ(f.ImageList16Temp.count(), 2);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AppFormTest, AnExecutableWithoutVersionResourceIsReportedAndTheWindowStillOpens) {
    AppServices services{
        dialogs,           fileDialogs, shell, clock, QStringLiteral("/nonexistent/pixmorrow"),
        programDir.path(), {}};
    TAppForm f(services);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(u'.'));
}

TEST_F(AppFormTest, NextOnAnEmptyQueueBeepsAndStays) {
    TAppForm& f = form();
    f.ButtonNextClick();
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
    addFiles(f, {QStringLiteral("/x/a.png")});
    f.ButtonNextClick();
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet2);
    f.ButtonBackClick();
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
}

TEST_F(AppFormTest, EnteringOptionsSwitchesWebpToPngOnlyForAWebpFirstFile) {
    struct Case {
        QStringList files;
        const char* type;
        const char* after;
    } cases[] = {
        {{"/x/photo.WEBP"}, "WEBP", "PNG"},
        {{"/x/photo.webp", "/x/b.png"}, "WEBP", "PNG"},
        {{"/x/photo.webp"}, "JPG", "JPG"},
        {{"/x/a.png", "/x/b.webp"}, "WEBP", "WEBP"},
        {{}, "WEBP", "WEBP"},
    };
    for (const Case& c : cases) {
        ImageQueue q;
        for (const QString& p : c.files)
            q.append(p);
        EXPECT_EQ(shouldSwitchWebpToPng(q, QString::fromLatin1(c.type)) ? "PNG" : c.type,
                  std::string(c.after));
    }

    TAppForm& f = form();
    addFiles(f, {QStringLiteral("/x/photo.webp")});
    f.ButtonNextClick();
    EXPECT_EQ(f.ComboBoxType->currentText(), QStringLiteral("PNG"));
    EXPECT_TRUE(f.SpinEdit1->isHidden());
    // Choosing WEBP again, Back and Next: switched again.
    f.ComboBoxType->setCurrentText(QStringLiteral("WEBP"));
    EXPECT_FALSE(f.SpinEdit1->isHidden());
    f.ButtonBackClick();
    f.ButtonNextClick();
    EXPECT_EQ(f.ComboBoxType->currentText(), QStringLiteral("PNG"));
    // A tab change by the user runs the same rule.
    f.ComboBoxType->setCurrentText(QStringLiteral("WEBP"));
    f.PageControl1->setCurrentIndex(0);
    f.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(f.ComboBoxType->currentText(), QStringLiteral("PNG"));
}

TEST_F(AppFormTest, QualityShowsOnlyForTypesThatUseIt) {
    TAppForm& f = form();
    for (const char* type : {"WEBP", "JPG", "JPEG", "JFIF"}) {
        f.ComboBoxType->setCurrentText(QString::fromLatin1(type));
        EXPECT_FALSE(f.SpinEdit1->isHidden()) << type;
        EXPECT_FALSE(f.Label2->isHidden());
        EXPECT_FALSE(f.Label3->isHidden());
    }
    for (const char* type : {"PNG", "APNG", "TIF", "TIFF", "GIF", "BMP", "ICO", "WMP"}) {
        f.ComboBoxType->setCurrentText(QString::fromLatin1(type));
        EXPECT_TRUE(f.SpinEdit1->isHidden()) << type;
        EXPECT_TRUE(f.Label2->isHidden());
        EXPECT_TRUE(f.Label3->isHidden());
    }
}

TEST_F(AppFormTest, DeleteRemovesTheSelectedRowsAndUpdatesTheCaption) {
    TAppForm& f = form();
    addFiles(f, {"/p/1.png", "/p/2.png", "/p/3.png", "/p/4.png", "/p/5.png"});
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [5]"));
    QItemSelectionModel* selection = f.ListView1->selectionModel();
    for (int row : {1, 3}) {
        selection->select(f.queueModel()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    f.ButtonDelete->click();
    ASSERT_EQ(f.imageQueue().size(), 3u);
    EXPECT_EQ(f.imageQueue().at(0).FName, QStringLiteral("/p/1.png"));
    EXPECT_EQ(f.imageQueue().at(1).FName, QStringLiteral("/p/3.png"));
    EXPECT_EQ(f.imageQueue().at(2).FName, QStringLiteral("/p/5.png"));
    EXPECT_EQ(f.queueModel()->rowCount(), 3);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [3]"));
    EXPECT_FALSE(selection->hasSelection());

    f.ButtonDelete->click();  // nothing selected: nothing removed
    EXPECT_EQ(f.imageQueue().size(), 3u);
}

TEST_F(AppFormTest, ClearEmptiesTheQueueAndResetsTheIconList) {
    TAppForm& f = form();
    addFiles(f, {"/p/1.png", "/p/2.png"});
    f.ImageList16Temp.add(QIcon(QStringLiteral(":/icons/add.svg")));
    f.ButtonClear->click();
    EXPECT_TRUE(f.imageQueue().empty());
    EXPECT_EQ(f.queueModel()->rowCount(), 0);
    EXPECT_EQ(f.ImageList16Temp.count(), 2);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [0]"));
    f.ButtonClear->click();
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [0]"));
}

TEST_F(AppFormTest, CountCaptionHasNoThousandsSeparator) {
    EXPECT_EQ(countCaption(12345), QStringLiteral("Images [12345]"));
}

TEST_F(AppFormTest, OnlineHelpOpensTheProductsHelpPage) {
    qputenv("PIXMORROW_SERVICE_HOST", "127.0.0.1:8080");
    TAppForm& f = form();
    f.Help2->trigger();
    qunsetenv("PIXMORROW_SERVICE_HOST");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0], QStringLiteral("openUrl http://127.0.0.1:8080/help/pixmorrow/"));
    EXPECT_EQ(onlineHelpPath(QStringLiteral("Pix Morrow Pro")),
              QStringLiteral("/help/pix-morrow-pro/"));
    EXPECT_EQ(f.Help2->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(AppFormTest, AHelpPageThatDoesNotOpenIsToldWithItsAddress) {
    qputenv("PIXMORROW_SERVICE_HOST", "127.0.0.1:8080");
    TAppForm& f = form();
    shell.opens = false;
    f.Help2->trigger();
    qunsetenv("PIXMORROW_SERVICE_HOST");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral(
                  "This web page could not be opened:\rhttp://127.0.0.1:8080/help/pixmorrow/"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace pixmorrow
