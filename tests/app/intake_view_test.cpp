#include "app/app_form_fixture.h"
#include "queue/icon_source.h"
#include "queue/queue_model.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

namespace pixmorrow {
namespace {

void writeBytes(const QString& path, qint64 size) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.resize(size);
}

// Hands out a distinct icon per call and counts the calls.
class CountingIcons final : public IconSource {
public:
    QIcon iconFor(const QString& path) override {
        ++calls;
        if (!QFileInfo::exists(path))
            return {};
        QPixmap p(16, 16);
        p.fill(QColor::fromHsv((calls * 40) % 360, 200, 200));
        return QIcon(p);
    }
    int calls = 0;
};

class IntakeViewTest : public testing::AppFormTest {
protected:
    TAppForm& viewForm(QStringList arguments = {}) {
        if (!built_) {
            AppServices services{
                dialogs,           fileDialogs,          shell, clock, testing::builtExecutable(),
                programDir.path(), std::move(arguments), &icons};
            built_ = std::make_unique<TAppForm>(services);
        }
        return *built_;
    }
    QVariant cell(int row, int column, int role) {
        return built_->queueModel()->data(built_->queueModel()->index(row, column), role);
    }
    void select(std::initializer_list<int> rows) {
        for (int row : rows) {
            built_->ListView1->selectionModel()->select(
                built_->queueModel()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QTemporaryDir files;
    CountingIcons icons;
    std::unique_ptr<TAppForm> built_;
};

TEST_F(IntakeViewTest, ADropIsHandledInItsOrderWithFoldersScannedAtTheirPlace) {
    writeBytes(files.filePath("one.jpg"), 10);
    writeBytes(files.filePath("two.jpg"), 10);
    writeBytes(files.filePath("notes.txt"), 10);
    writeBytes(files.filePath("folder/in.png"), 10);
    TAppForm& f = viewForm();
    f.PageControl1->setCurrentIndex(1);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(files.filePath("one.jpg")),
                  QUrl::fromLocalFile(files.filePath("two.jpg")),
                  QUrl::fromLocalFile(files.filePath("notes.txt")),
                  QUrl::fromLocalFile(files.filePath("folder"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &drop);
    ASSERT_EQ(f.imageQueue().size(), 3u);
    EXPECT_EQ(f.imageQueue().at(0).FName, files.filePath("one.jpg"));
    EXPECT_EQ(f.imageQueue().at(1).FName, files.filePath("two.jpg"));
    EXPECT_EQ(f.imageQueue().at(2).FName, files.filePath("folder/in.png"));
    EXPECT_EQ(f.PageControl1->currentWidget(), f.TabSheet1);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [3]"));

    // A long name is not cut short.
    const QString longName = files.filePath(QString(200, u'x') + "/" + QString(120, u'y') + ".png");
    writeBytes(longName, 1);
    f.dropPaths({longName});
    EXPECT_EQ(f.imageQueue().at(3).FName, longName);
}

// Shift while dragging proposes a move, after which the source application would delete the
// originals: every drop is taken as a copy, and a source that offers no copy gets nothing.
TEST_F(IntakeViewTest, AShiftDropIsTakenAsACopy) {
    writeBytes(files.filePath("one.jpg"), 10);
    TAppForm& f = viewForm();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(files.filePath("one.jpg"))});
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(10, 10), copyOrMove, &mime, Qt::LeftButton, Qt::ShiftModifier);
    enter.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(&f, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent move(QPoint(20, 20), copyOrMove, &mime, Qt::LeftButton, Qt::ShiftModifier);
    move.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(&f, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(20, 20), copyOrMove, &mime, Qt::LeftButton, Qt::ShiftModifier);
    drop.setDropAction(Qt::MoveAction);
    ASSERT_EQ(drop.dropAction(), Qt::MoveAction);
    QCoreApplication::sendEvent(&f, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(f.imageQueue().size(), 1u);

    // Only a move on offer: refused.
    QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
    QDropEvent moveDrop(QPointF(20, 20), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &moveDrop);
    EXPECT_FALSE(moveDrop.isAccepted());
    EXPECT_EQ(f.imageQueue().size(), 1u);
}

// A file named like markup shows as its name in the queue.
TEST_F(IntakeViewTest, AnHtmlLikeNameShowsAsItIs) {
    const QString name = QStringLiteral("<img src=x onerror=alert(1)><b>bold &amp; <i>more.png");
    writeBytes(files.filePath(name), 10);
    TAppForm& f = viewForm();
    f.dropPaths({files.filePath(name)});
    ASSERT_EQ(f.imageQueue().size(), 1u);
    EXPECT_EQ(cell(0, 0, Qt::DisplayRole).toString(), files.filePath(name));
    // The tooltip, which would read markup, holds it escaped.
    const QString tip = cell(0, 0, Qt::ToolTipRole).toString();
    QTextDocument shown;
    shown.setHtml(tip);
    EXPECT_EQ(shown.toPlainText(), files.filePath(name)) << tip.toStdString();
}

TEST_F(IntakeViewTest, TheCommandLineIsQueuedOnceAfterTheEventLoopStarts) {
    writeBytes(files.filePath("Shots/a.tif"), 5);
    TAppForm& f =
        viewForm({files.filePath("My Pictures/x.webp"), files.filePath("Shots"), "readme.txt"});
    EXPECT_TRUE(f.imageQueue().empty());
    // However late the loaded machine runs the timer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.imageQueue().size() >= 2; }, 10000));
    ASSERT_EQ(f.imageQueue().size(), 2u);
    EXPECT_EQ(f.imageQueue().at(0).FName, files.filePath("My Pictures/x.webp"));
    EXPECT_EQ(f.imageQueue().at(1).FName, files.filePath("Shots/a.tif"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [2]"));
    // The timer is spent, so only something already posted could queue them again.
    EXPECT_FALSE(f.TimerParam->isActive());
    QCoreApplication::processEvents();
    EXPECT_EQ(f.imageQueue().size(), 2u);
}

TEST_F(IntakeViewTest, ClearDuringARunningScanEmptiesTheQueueAndTheScanGoesOn) {
    for (int i = 0; i < 30; ++i)
        writeBytes(files.filePath(QStringLiteral("big/%1.png").arg(i)), 1);
    TAppForm& f = viewForm();
    // The scan's first event pass, after the first file, runs this queued click mid-scan.
    QMetaObject::invokeMethod(f.ButtonClear, "click", Qt::QueuedConnection);
    fileDialogs.folderAnswers.push_back({files.filePath("big")});
    f.ButtonFolder->click();
    EXPECT_EQ(f.imageQueue().size(), 29u);
    EXPECT_EQ(f.queueModel()->rowCount(), 29);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [%1]").arg(f.imageQueue().size()));
    EXPECT_EQ(f.LastChosenFolder, files.filePath("big"));
    ASSERT_EQ(fileDialogs.folderRequests.size(), 1u);
    EXPECT_EQ(fileDialogs.folderRequests[0].title, QStringLiteral("Select folder:"));
    EXPECT_EQ(fileDialogs.folderRequests[0].acceptLabel, QStringLiteral("Select"));
    EXPECT_TRUE(fileDialogs.folderRequests[0].several);
}

TEST_F(IntakeViewTest, AddFilesTakesEveryChosenFileWithTheTwoFilters) {
    TAppForm& f = viewForm();
    fileDialogs.fileAnswers.push_back({"/tmp/notes.txt", "/tmp/a.png", "/tmp/a.png"});
    f.AddFiles1->trigger();
    EXPECT_EQ(f.imageQueue().size(), 3u);
    ASSERT_EQ(fileDialogs.filters.size(), 1u);
    EXPECT_TRUE(fileDialogs.filters[0].startsWith("Image Files (*.png *.webp *.jpg"));
    EXPECT_TRUE(fileDialogs.filters[0].endsWith(";;All Files (*)"));
    EXPECT_FALSE(fileDialogs.filters[0].contains(".apng"));
    EXPECT_EQ(fileDialogs.filters[0],
              QStringLiteral("Image Files (*.png *.webp *.jpg *.jpeg *.jfif *.tif *.tiff *.gif "
                             "*.ico *.bmp *.wmp *.avif *.psd *.heic *.heif *.svg *.tga *.jxl "
                             "*.jp2);;All Files (*)"));
    EXPECT_EQ(fileDialogs.suffixes[0], QStringLiteral("webp"));
    f.ButtonFiles->click();  // cancelled: nothing changes
    EXPECT_EQ(f.imageQueue().size(), 3u);
}

TEST_F(IntakeViewTest, SizesAreLookedUpAtEachDrawWithTheLocalesSeparators) {
    writeBytes(files.filePath("big.png"), 1234567);
    writeBytes(files.filePath("zero.png"), 0);
    TAppForm& f = viewForm();
    f.dropPaths(
        {files.filePath("big.png"), files.filePath("zero.png"), files.filePath("gone.png")});
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(cell(0, 1, Qt::DisplayRole).toString(), QStringLiteral("1,234,567"));
    EXPECT_EQ(cell(1, 1, Qt::DisplayRole).toString(), QStringLiteral("0"));
    EXPECT_EQ(cell(2, 1, Qt::DisplayRole).toString(), QStringLiteral("-1"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(cell(0, 1, Qt::DisplayRole).toString(), QStringLiteral("1.234.567"));
    writeBytes(files.filePath("big.png"), 12);
    EXPECT_EQ(cell(0, 1, Qt::DisplayRole).toString(), QStringLiteral("12"));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(cell(0, 1, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
}

TEST_F(IntakeViewTest, RowIconsAreFetchedOnceAndTheStockIconShowsWhenIconsAreOff) {
    writeBytes(files.filePath("a.png"), 1);
    TAppForm& f = viewForm();
    f.dropPaths({files.filePath("a.png"), files.filePath("missing.png")});
    EXPECT_EQ(icons.calls, 0);  // nothing drawn yet: nothing fetched
    const QIcon first = cell(0, 0, Qt::DecorationRole).value<QIcon>();
    EXPECT_FALSE(first.isNull());
    EXPECT_EQ(f.imageQueue().at(0).FImageIndex, 2);
    EXPECT_TRUE(cell(1, 0, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(f.imageQueue().at(1).FImageIndex, -1);
    cell(0, 0, Qt::DecorationRole);
    cell(1, 0, Qt::DecorationRole);
    EXPECT_EQ(icons.calls, 2);

    f.DisplayIcons1->trigger();
    EXPECT_FALSE(f.DisplayIcons1->isChecked());
    const QIcon stock = cell(0, 0, Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(stock.cacheKey(), f.ImageList16Temp.icon(1).cacheKey());
    EXPECT_EQ(cell(1, 0, Qt::DecorationRole).value<QIcon>().cacheKey(), stock.cacheKey());
    f.DisplayIcons1->trigger();
    EXPECT_EQ(cell(0, 0, Qt::DecorationRole).value<QIcon>().cacheKey(), first.cacheKey());
    EXPECT_EQ(icons.calls, 2);

    f.ButtonClear->click();  // a clear forgets the failed fetch too
    f.dropPaths({files.filePath("missing.png")});
    cell(0, 0, Qt::DecorationRole);
    EXPECT_EQ(icons.calls, 3);
}

TEST_F(IntakeViewTest, RowActionsUseTheFirstSelectedRowOnly) {
    TAppForm& f = viewForm();
    for (int i = 1; i <= 6; ++i)
        f.imageQueue().append(QStringLiteral("/pics/My Photo %1.png").arg(i));
    f.updateQueueView();
    f.Open1->trigger();
    f.Properties1->trigger();
    f.ShowinExplorer1->trigger();
    EXPECT_TRUE(shell.calls.empty());
    select({4, 2});  // rows 5 and 3
    f.Open1->trigger();
    f.Properties1->trigger();
    f.ShowinExplorer1->trigger();
    f.ListView1DblClick();
    EXPECT_EQ(shell.calls,
              (std::vector<QString>{
                  "openPath /pics/My Photo 3.png", "showItemProperties /pics/My Photo 3.png",
                  "showItemInFileManager /pics/My Photo 3.png", "openPath /pics/My Photo 3.png"}));
}

TEST_F(IntakeViewTest, RowActionsThatNothingOpensAreToldWithTheirPath) {
    TAppForm& f = viewForm();
    f.imageQueue().append(QStringLiteral("/pics/My Photo 1.png"));
    f.updateQueueView();
    select({0});
    shell.opens = false;
    f.Open1->trigger();
    f.Properties1->trigger();
    f.ShowinExplorer1->trigger();
    // Properties and Show in Explorer fall back to the folder; that is what did not open.
    std::vector<QString> told;
    for (const auto& message : dialogs.messages)
        told.push_back(message.text);
    EXPECT_EQ(told, (std::vector<QString>{
                        QStringLiteral("This file could not be opened:\r/pics/My Photo 1.png"),
                        QStringLiteral("This folder could not be opened:\r/pics"),
                        QStringLiteral("This folder could not be opened:\r/pics")}));
}

TEST_F(IntakeViewTest, TheDeleteKeyDeletesTheSelectedRows) {
    TAppForm& f = viewForm();
    for (int i = 1; i <= 4; ++i)
        f.imageQueue().append(QStringLiteral("/p/%1.png").arg(i));
    f.updateQueueView();
    QTest::keyClick(f.ListView1, Qt::Key_Delete);
    EXPECT_EQ(f.imageQueue().size(), 4u);
    select({0, 3});
    QTest::keyClick(f.ListView1, Qt::Key_Delete);
    ASSERT_EQ(f.imageQueue().size(), 2u);
    EXPECT_EQ(f.imageQueue().at(0).FName, QStringLiteral("/p/2.png"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Images [2]"));
}

}  // namespace
}  // namespace pixmorrow
