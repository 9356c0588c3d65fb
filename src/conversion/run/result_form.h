#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace pixmorrow {

class Dialogs;
class ImageQueue;
class Shell;
struct RunTotals;

// The folder Open Folder opens: the destination as typed, or for "Same Folder as Original"
// the folder of the first queued file (without a trailing separator); empty when none.
QString resultFolderToOpen(const QString& destination, const ImageQueue& queue);

// The small modal window that sums up a run. Open Folder reads the destination and the queue
// at the moment of the click, through `folderToOpen`; a folder that does not open is told
// through `dialogs`.
class TFormResult : public QDialog {
    Q_OBJECT
public:
    TFormResult(Shell& shell, Dialogs& dialogs, std::function<QString()> folderToOpen,
                QWidget* parent = nullptr);

    // Fills the three values from a completed run.
    void showTotals(const RunTotals& totals);

    void Button1Click();
    void Button2Click();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    // "Cancelled after i of N files" after a cancelled run; hidden otherwise.
    QLabel* Label7 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

private:
    // The design size, or more for larger text; in the middle of the screen.
    void fitAndCenter();

    Shell& shell_;
    Dialogs& dialogs_;
    std::function<QString()> folderToOpen_;
};

}  // namespace pixmorrow
