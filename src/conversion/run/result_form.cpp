#include "conversion/run/result_form.h"

#include "conversion/run/conversion_run.h"
#include "conversion/run/run_texts.h"
#include "localization/language.h"
#include "platform/absolute_path.h"
#include "platform/accessibility.h"
#include "platform/icons.h"
#include "platform/shell.h"
#include "platform/window_placement.h"
#include "queue/image_queue.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace pixmorrow {

QString resultFolderToOpen(const QString& destination, const ImageQueue& queue) {
    if (destination != kSameFolder)
        return absolutePath(destination);
    if (queue.empty())
        return QString();
    QString folder = folderWithSeparator(queue.at(0).FName);
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

TFormResult::TFormResult(Shell& shell, Dialogs& dialogs, std::function<QString()> folderToOpen,
                         QWidget* parent)
    : QDialog(parent), shell_(shell), dialogs_(dialogs), folderToOpen_(std::move(folderToOpen)) {
    setObjectName(QStringLiteral("FormResult"));
    setWindowTitle(QStringLiteral("Result"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    // The design's places at the default font (picture at 8,8; captions at 78; values at 204;
    // rows 20 apart; buttons at 88), and room to grow where a larger font needs it.
    Image1 = new QLabel(this);
    Image1->setFixedSize(64, 64);
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/done.svg")).pixmap(64, 64));
    Image1->setScaledContents(false);
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    markDecorative(Image1);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(4);
    const auto label = [this, rows](const QString& text, int row, int column) {
        auto* result = new QLabel(text, this);
        rows->addWidget(result, row, column, Qt::AlignLeft | Qt::AlignVCenter);
        rows->setRowMinimumHeight(row, 16);
        return result;
    };
    Label1 = label(QStringLiteral("Processed Image Files:"), 0, 0);
    Label2 = label(QStringLiteral("Elapsed Time:"), 1, 0);
    Label3 = label(QStringLiteral("Saved Disk Space:"), 2, 0);
    Label4 = label(QStringLiteral("0"), 0, 1);
    Label5 = label(QStringLiteral("0.000 (second)"), 1, 1);
    Label6 = label(QStringLiteral("0 byte"), 2, 1);
    Label7 = new QLabel(this);
    Label7->setTextFormat(Qt::PlainText);
    rows->addWidget(Label7, 3, 0, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    Label7->hide();
    rows->setColumnMinimumWidth(0, 120);
    rows->setColumnStretch(1, 1);

    // Close comes first in the tab order and holds the focus, so Enter and Esc both close.
    Button2 = new QPushButton(QStringLiteral("&Close"), this);
    Button1 =
        new QPushButton(namedIcon(QStringLiteral("folder")), QStringLiteral("&Open Folder"), this);
    for (QPushButton* button : {Button1, Button2})
        setLeastSize(*button, QSize(120, 25));
    Button1->setAutoDefault(false);
    Button2->setDefault(true);
    setTabOrder(Button2, Button1);
    Button2->setFocus();

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(rows, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addSpacing(64 + 6);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 2, 7);
    column->setSpacing(0);
    column->addLayout(top);
    column->addSpacing(8);
    column->addStretch(1);
    column->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    fitAndCenter();
}

void TFormResult::fitAndCenter() {
    fixSizeToFit(*this, QSize(331, 120));
    centerOnScreen(*this);
}

void TFormResult::showTotals(const RunTotals& totals) {
    Label4->setText(totals.processedText());
    Label5->setText(totals.elapsedText());
    Label3->setText(totals.diskSpaceCaption());
    Label6->setText(totals.diskSpaceText());
    Label7->setText(totals.cancelledText());
    Label7->setVisible(totals.cancelled);
    // A screen reader tells the totals when the window opens, not only label by label.
    const std::pair<QLabel*, QLabel*> rows[] = {
        {Label1, Label4}, {Label2, Label5}, {Label3, Label6}};
    QStringList lines;
    for (const auto& [caption, value] : rows)
        lines << caption->text() + u' ' + value->text();
    if (totals.cancelled)
        lines << Label7->text();
    setAccessibleDescription(lines.join(u'\n'));
    fitAndCenter();
}

void TFormResult::Button1Click() {
    const QString folder = folderToOpen_ ? folderToOpen_() : QString();
    if (folder.isEmpty())
        return;
    openItem(shell_, dialogs_, ShellItem::Folder, folder, TranslateText);
}

void TFormResult::Button2Click() {
    reject();
}

}  // namespace pixmorrow
