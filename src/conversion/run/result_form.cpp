#include "conversion/run/result_form.h"

#include "conversion/run/conversion_run.h"
#include "conversion/run/run_texts.h"
#include "platform/icons.h"
#include "platform/shell.h"
#include "platform/window_placement.h"
#include "queue/image_queue.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace pixmorrow {

QString resultFolderToOpen(const QString& destination, const ImageQueue& queue) {
    if (destination != kSameFolder)
        return destination;
    if (queue.empty())
        return QString();
    QString folder = folderWithSeparator(queue.at(0).FName);
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

TFormResult::TFormResult(Shell& shell, std::function<QString()> folderToOpen, QWidget* parent)
    : QDialog(parent), shell_(shell), folderToOpen_(std::move(folderToOpen)) {
    setObjectName(QStringLiteral("FormResult"));
    setWindowTitle(QStringLiteral("Result"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(331, 120);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    Image1 = new QLabel(this);
    Image1->setGeometry(8, 8, 64, 64);
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/done.svg")).pixmap(64, 64));
    Image1->setScaledContents(false);
    Image1->setAttribute(Qt::WA_TranslucentBackground);

    const auto label = [this](const QString& text, int left, int top) {
        auto* result = new QLabel(text, this);
        result->move(left, top);
        result->resize(left == 78 ? 124 : 125, 16);
        return result;
    };
    Label1 = label(QStringLiteral("Processed Image Files:"), 78, 8);
    Label2 = label(QStringLiteral("Elapsed Time:"), 78, 28);
    Label3 = label(QStringLiteral("Saved Disk Space:"), 78, 48);
    Label4 = label(QStringLiteral("0"), 204, 8);
    Label5 = label(QStringLiteral("0.000 (second)"), 204, 28);
    Label6 = label(QStringLiteral("0 byte"), 204, 48);

    // Close comes first in the tab order and holds the focus, so Enter and Esc both close.
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    Button2->setGeometry(204, 88, 120, 25);
    Button1 =
        new QPushButton(namedIcon(QStringLiteral("folder")), QStringLiteral("Open Folder"), this);
    Button1->setGeometry(78, 88, 120, 25);
    Button1->setAutoDefault(false);
    Button2->setDefault(true);
    setTabOrder(Button2, Button1);
    Button2->setFocus();

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    centerOnScreen(*this);
}

void TFormResult::showTotals(const RunTotals& totals) {
    Label4->setText(totals.processedText());
    Label5->setText(totals.elapsedText());
    Label3->setText(totals.diskSpaceCaption());
    Label6->setText(totals.diskSpaceText());
}

void TFormResult::Button1Click() {
    const QString folder = folderToOpen_ ? folderToOpen_() : QString();
    if (folder.isEmpty())
        return;
    shell_.openPath(folder);
}

void TFormResult::Button2Click() {
    reject();
}

}  // namespace pixmorrow
