#include "localization/translate_form.h"

#include "localization/language_credit.h"
#include "localization/language_flags.h"
#include "localization/restart_script.h"
#include "platform/accessibility.h"
#include "platform/clickable_label.h"
#include "platform/dialogs.h"
#include "platform/icons.h"
#include "platform/mnemonics.h"
#include "platform/program_paths.h"
#include "platform/shell.h"
#include "platform/window_placement.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace pixmorrow {

namespace {

constexpr QSize kClientSize(622, 227);
constexpr int kItemHeight = 18;
constexpr int kFlagSize = 16;

QIcon flagIcon(const QString& languageName) {
    static QHash<QString, QIcon> icons;
    const QString resource = languageFlagResource(languageName);
    auto it = icons.find(resource);
    if (it == icons.end())
        it = icons.insert(resource, QIcon(resource));
    return *it;
}

// Draws a language as its flag followed by its name, in rows of a fixed height.
class FlagItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        // The selection's highlight, as the list draws it behind every item.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect r = opt.rect;
        const qreal ratio = widget ? widget->devicePixelRatioF() : qApp->devicePixelRatio();
        const QPixmap flag = flagIcon(text).pixmap(QSize(kFlagSize, kFlagSize), ratio);
        painter->drawPixmap(
            QRect(r.left() + 1, r.top() + (r.height() - kFlagSize) / 2, kFlagSize, kFlagSize),
            flag);
        const bool selected = opt.state & QStyle::State_Selected;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(r.adjusted(kFlagSize + 6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kItemHeight);
        return size;
    }
};

}  // namespace

TTranslateForm::TTranslateForm(const TranslateFormServices& services, const LanguageState& language,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowSystemMenuHint | Qt::MSWindowsFixedSizeDialogHint),
      services_(services),
      guarded_(services.dialogs),
      language_(language) {
    setObjectName(QStringLiteral("TranslateForm"));

    Label1 = new QLabel(this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setItemDelegate(new FlagItemDelegate(ComboBox1));
    ComboBox1->setIconSize(QSize(kFlagSize, kFlagSize));
    ComboBox1->setMaxVisibleItems(16);
    ComboBox1->setMinimumWidth(260);
    ComboBox1->addItem(flagIcon(QStringLiteral("English")), QStringLiteral("English"));

    Label2 = new QLabel(this);
    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setTabChangesFocus(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette face = RichEdit1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    RichEdit1->setPalette(face);

    PopupMenu1 = new QMenu(this);
    Copy1 = PopupMenu1->addAction(namedIcon(QStringLiteral("copy")), QStringLiteral("Copy"));
    SelectAll1 = PopupMenu1->addAction(QStringLiteral("Select All"));

    Panel2 = new QFrame(this);
    Panel2->setFrameShape(QFrame::HLine);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setFixedHeight(1);
    Panel1 = new QFrame(this);
    Label3 = new ClickableLabel(Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->showAsLink(QColor(0, 0, 255));
    Label3->setToolTip(services_.translationPage);
    Button1 = new QPushButton(namedIcon(QStringLiteral("tick_button")), QString(), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    labelField(Label1, ComboBox1);
    labelField(Label2, RichEdit1);
    setTabOrder(ComboBox1, RichEdit1);
    setTabOrder(RichEdit1, Label3);
    setTabOrder(Label3, Button1);

    auto* choice = new QVBoxLayout;
    choice->addWidget(Label1);
    choice->addWidget(ComboBox1);
    choice->addStretch(1);
    auto* credit = new QVBoxLayout;
    credit->addWidget(Label2);
    credit->addWidget(RichEdit1, 1);
    auto* top = new QHBoxLayout;
    top->setContentsMargins(12, 12, 12, 8);
    top->setSpacing(16);
    top->addLayout(choice, 1);
    top->addLayout(credit, 1);
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(12, 6, 12, 8);
    bottom->addWidget(Label3);
    bottom->addStretch(1);
    bottom->addWidget(Button1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(top, 1);
    column->addWidget(Panel2);
    column->addWidget(Panel1);

    guarded_([this] { FormCreate(); });

    guarded_.connect(ComboBox1, &QComboBox::currentIndexChanged, this,
                     &TTranslateForm::ComboBox1Change);
    guarded_.connect(Button1, &QPushButton::clicked, this, &TTranslateForm::Button1Click);
    guarded_.connect(Label3, &ClickableLabel::clicked, this, &TTranslateForm::Label3Click);
    guarded_.connect(Copy1, &QAction::triggered, this, &TTranslateForm::Copy1Click);
    guarded_.connect(SelectAll1, &QAction::triggered, this, &TTranslateForm::SelectAll1Click);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(at));
    });

    setLeastSize(*Button1, QSize(100, 0));
    fixSizeToFit(*this, kClientSize);
    centerOnScreen(*this, parent);
}

void TTranslateForm::FormCreate() {
    setWindowTitle(TranslateText(QStringLiteral("Language")));
    // Mnemonics go to the translated captions: one set for the window, one for the menu.
    QString taken;
    Label1->setText(withMnemonic(TranslateText(QStringLiteral("User Interface Language:")), taken));
    Label2->setText(withMnemonic(TranslateText(QStringLiteral("Translated by:")), taken));
    Button1->setText(withMnemonic(TranslateText(QStringLiteral("OK")), taken));
    Label3->setText(TranslateText(QStringLiteral("Contribute to Translation")));
    QString takenInMenu;
    Copy1->setText(withMnemonic(TranslateText(QStringLiteral("Copy")), takenInMenu));
    SelectAll1->setText(withMnemonic(TranslateText(QStringLiteral("Select All")), takenInMenu));

    {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->clear();
        for (const QString& name : chooserLanguages(language_.LanguageFiles)) {
            ComboBox1->addItem(flagIcon(name), name);
        }
        int selected = ComboBox1->findText(QStringLiteral("English"), Qt::MatchExactly);
        const int loaded = language_.LanguageName.isEmpty()
                               ? -1
                               : ComboBox1->findText(language_.LanguageName,
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (loaded >= 0)
            selected = loaded;
        ComboBox1->setCurrentIndex(selected);
    }
    ComboBox1Change();
    InitialLanguage = ComboBox1->currentText();
}

void TTranslateForm::ComboBox1Change() {
    const QString credit = languageCredit(language_.LanguageFolder, ComboBox1->currentText());
    RichEdit1->setPlainText(creditLines(credit).join(u'\n'));
}

QString TTranslateForm::restartScriptPath() const {
    return withTrailingSeparator(services_.settingsFolder) + kRestartScriptName;
}

void TTranslateForm::Button1Click() {
    const QString chosen = ComboBox1->currentText();
    if (chosen == InitialLanguage) {
        accept();
        return;
    }
    const int answer = services_.dialogs.MessageDlgWithCaptions(
        TranslateText(QStringLiteral("Restart Application?")), DialogKind::Confirmation,
        ButtonYes | ButtonNo,
        {TranslateText(QStringLiteral("Yes")), TranslateText(QStringLiteral("No"))},
        TranslateText(QStringLiteral("Confirmation")));
    if (answer != ResultYes)
        return;

    if (services_.SetLanguageFile)
        services_.SetLanguageFile(chosen + QStringLiteral(".lang.txt"));
    QCoreApplication::processEvents();
    // A script that cannot be written is reported, and the program keeps running.
    const QString script = writeRestartScript(services_.settingsFolder, services_.executablePath);
    QCoreApplication::processEvents();
    services_.shell.startDetached(QStringLiteral("/bin/sh"), {script}, services_.settingsFolder);
    QCoreApplication::processEvents();
    accept();
    if (services_.quitApplication)
        services_.quitApplication();
}

void TTranslateForm::Label3Click() {
    openPage(services_.shell, services_.dialogs, services_.translationPage, TranslateText);
}

void TTranslateForm::Copy1Click() {
    RichEdit1->copy();
}

void TTranslateForm::SelectAll1Click() {
    RichEdit1->selectAll();
}

}  // namespace pixmorrow
