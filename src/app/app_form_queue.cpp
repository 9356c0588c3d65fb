// The queue page's side of the main window: drops, the row actions and the counters.
#include "app/app_form.h"
#include "app/wizard_rules.h"
#include "localization/language.h"
#include "platform/drop_action.h"
#include "platform/shell.h"
#include "queue/queue_model.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>

#include <algorithm>

namespace pixmorrow {

void TAppForm::dropPaths(const QStringList& paths) {
    intake_.addPaths(paths);
    model_->syncRowCount();
    KacItemVarGuncelle();
    PageControl1->setCurrentWidget(TabSheet1);
    QCoreApplication::processEvents();
}

void TAppForm::dragEnterEvent(QDragEnterEvent* event) {
    // During a run the queue takes nothing: the cursor shows the drop refused.
    if (runGoingOn()) {
        event->ignore();
        return;
    }
    if (event->mimeData()->hasUrls())
        acceptAsCopy(*event);
}

void TAppForm::dragMoveEvent(QDragMoveEvent* event) {
    if (runGoingOn()) {
        event->ignore();
        return;
    }
    // Every move over the window asks again: Shift pressed on the way proposes a move.
    if (event->mimeData()->hasUrls())
        acceptAsCopy(*event);
}

void TAppForm::dropEvent(QDropEvent* event) {
    if (runGoingOn()) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    if (!acceptAsCopy(*event))
        return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    guarded_([this, paths] { dropPaths(paths); });
}

bool TAppForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ListView1 || event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
        ButtonDelete->click();
        return true;
    }
    // Enter opens the file, as a double-click does.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        guarded_([this] { ListView1DblClick(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

int TAppForm::firstSelectedRow() const {
    const std::vector<std::size_t> rows = selectedRows();
    return rows.empty() ? -1 : static_cast<int>(rows.front());
}

void TAppForm::ListView1DblClick() {
    Open1Click();
}

void TAppForm::Open1Click() {
    const int row = firstSelectedRow();
    if (row >= 0) {
        openItem(services_.shell, services_.dialogs, ShellItem::File,
                 ImageQueue_.at(static_cast<std::size_t>(row)).FName, TranslateText);
    }
}

void TAppForm::Properties1Click() {
    const int row = firstSelectedRow();
    if (row < 0)
        return;
    const QString& path = ImageQueue_.at(static_cast<std::size_t>(row)).FName;
    if (!services_.shell.showItemProperties(path))
        reportFolderNotOpened(path);
}

void TAppForm::ShowinExplorer1Click() {
    const int row = firstSelectedRow();
    if (row < 0)
        return;
    const QString& path = ImageQueue_.at(static_cast<std::size_t>(row)).FName;
    if (!services_.shell.showItemInFileManager(path))
        reportFolderNotOpened(path);
}

void TAppForm::reportFolderNotOpened(const QString& file) {
    // The shell's last resort was the file's folder.
    reportNotOpened(services_.dialogs, ShellItem::Folder, QFileInfo(file).absolutePath(),
                    TranslateText);
}

void TAppForm::Delete1Click() {
    ButtonDelete->click();
}

void TAppForm::Clear1Click() {
    ButtonClear->click();
}

std::vector<std::size_t> TAppForm::selectedRows() const {
    std::vector<std::size_t> rows;
    const QItemSelection selection = ListView1->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(static_cast<std::size_t>(row));
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TAppForm::ButtonDeleteClick() {
    const std::vector<std::size_t> rows = selectedRows();
    ImageQueue_.removeRows(rows);
    model_->syncRowCount();
    ListView1->viewport()->update();
    ListView1->clearSelection();
    KacItemVarGuncelle();
}

void TAppForm::ButtonClearClick() {
    ImageQueue_.clear();
    model_->syncRowCount();
    ImageListSifirla();
    ListView1->viewport()->update();
    ListView1->clearSelection();
    KacItemVarGuncelle();
    QCoreApplication::processEvents();
}

void TAppForm::KacItemVarGuncelle() {
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), countCaption(ImageQueue_.size()));
}

void TAppForm::ImageListSifirla() {
    ImageList16Temp.reset(QIcon(QStringLiteral(":/icons/stock_empty.svg")),
                          QIcon(QStringLiteral(":/icons/stock_image.svg")));
}

void TAppForm::updateQueueView() {
    model_->syncRowCount();
    KacItemVarGuncelle();
    QCoreApplication::processEvents();
}

void TAppForm::scannedFileAdded() {
    constexpr qint64 kViewUpdateIntervalMs = 40;
    if (model_->rowCount() == 0 || !viewUpdateTimer_.isValid() ||
        viewUpdateTimer_.elapsed() >= kViewUpdateIntervalMs) {
        model_->syncRowCount();
        KacItemVarGuncelle();
        viewUpdateTimer_.restart();
    }
    QCoreApplication::processEvents();
}

}  // namespace pixmorrow
