#include "platform/qt_file_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace pixmorrow {

QStringList QtFileDialogs::openFiles(const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

QStringList QtFileDialogs::chooseFolders(const QString& title, const QString& acceptLabel,
                                         const QString& startFolder, bool several) {
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's own dialog is the one whose views allow picking several folders at once.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLabelText(QFileDialog::Accept, acceptLabel);
    if (!startFolder.isEmpty()) {
        QFileInfo start(startFolder);
        dialog.setDirectory(start.exists() ? start.absolutePath() : startFolder);
        if (start.exists()) {
            dialog.selectFile(start.absoluteFilePath());
        }
    }
    if (several) {
        for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

}  // namespace pixmorrow
