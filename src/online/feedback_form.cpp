#include "online/feedback_form.h"

#include "online/maker_site.h"
#include "platform/accessibility.h"
#include "platform/design_font.h"
#include "platform/icons.h"
#include "platform/mnemonics.h"
#include "platform/window_placement.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace pixmorrow {

namespace {

const QString kLike = QStringLiteral("I like it!");
const QString kDislike = QStringLiteral("I dislike it!");
const QString kAppreciate = QStringLiteral("We would really appreciate your feedback.");
const QString kWhat = QStringLiteral("What did you like or dislike?");
const QString kIncludeEmail = QStringLiteral("Include my e-mail:");
const QString kSend = QStringLiteral("Send");

constexpr int kPanelHeight = 40;
constexpr int kPanelPicture = 32;
constexpr int kPanelMargin = 4;

}  // namespace

FeedbackPanel::FeedbackPanel(const QString& caption, const QString& picture, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setFont(designFont(font(), 16));
    image_ = new QLabel(this);
    image_->setFixedSize(kPanelPicture, kPanelPicture);
    image_->setPixmap(QIcon(picture).pixmap(kPanelPicture, kPanelPicture));
    image_->setScaledContents(true);
    image_->setAttribute(Qt::WA_TranslucentBackground);
    // The caption says what the picture shows.
    markDecorative(image_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kPanelMargin, 2, kPanelMargin, 2);
    row->addWidget(image_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    setText(caption);
    setSelected(false);
}

void FeedbackPanel::setSelected(bool selected) {
    selected_ = selected;
    // Screen readers hear of the change through the check state.
    setChecked(selected);
    const QPalette system = QApplication::palette();
    QPalette own = palette();
    own.setColor(QPalette::Window, system.color(selected ? QPalette::Highlight : QPalette::Button));
    own.setColor(QPalette::WindowText,
                 system.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    setPalette(own);
    update();
}

QString FeedbackPanel::caption() const {
    return withoutMnemonic(text());
}

void FeedbackPanel::setCaption(const QString& caption, QString& taken) {
    setText(withMnemonic(caption, taken));
    updateGeometry();
}

QSize FeedbackPanel::sizeHint() const {
    const QFontMetrics metrics(font());
    const int side = kPanelMargin + kPanelPicture + 8;
    return QSize(2 * side + metrics.horizontalAdvance(caption()),
                 std::max(kPanelHeight, metrics.height() + 8));
}

QSize FeedbackPanel::minimumSizeHint() const {
    return sizeHint();
}

void FeedbackPanel::mousePressEvent(QMouseEvent* event) {
    emit choicePressed(event->button());
    event->accept();
}

void FeedbackPanel::mouseReleaseEvent(QMouseEvent* event) {
    // The press has chosen already; a release is no second click.
    event->accept();
}

void FeedbackPanel::nextCheckState() {
    emit choicePressed(Qt::LeftButton);
}

void FeedbackPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    qDrawShadePanel(&painter, rect(), palette(), selected_, 2);
    // The caption sits in the middle, the picture's width kept free on both sides.
    const int side = kPanelMargin + kPanelPicture;
    int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this))
        flags |= Qt::TextHideMnemonic;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(side, 2, -side, -2), flags, text());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(kPanelMargin, kPanelMargin, -kPanelMargin, -kPanelMargin);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

TFeedbackForm::TFeedbackForm(Dialogs& dialogs, FormPoster& poster, const AppIdentity& identity,
                             QWidget* parent, Translator translate, QString host)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      guarded_(dialogs),
      identity_(identity),
      translate_(translate),
      sender_(dialogs, poster, identity, host.isEmpty() ? makerHost() : host, translate) {
    setObjectName(QStringLiteral("FeedbackForm"));
    const QFont base = designFont(font(), 11);
    setFont(base);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(3, 3, 3, 6);
    column->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    Panel4 = new FeedbackPanel(kLike, QStringLiteral(":/pictures/like.svg"), this);
    Panel5 = new FeedbackPanel(kDislike, QStringLiteral(":/pictures/dislike.svg"), this);
    Image1 = Panel4->image();
    Image2 = Panel5->image();
    top->addWidget(Panel4, 1);
    top->addWidget(Panel5, 1);
    column->addLayout(top);

    Label1 = new QLabel(kAppreciate, this);
    Label1->setFont(designFont(base, 16));
    Label2 = new QLabel(kWhat, this);
    Label2->setFont(designFont(base, 13, true));
    column->addWidget(Label1);
    column->addWidget(Label2);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setFont(designFont(base, 13));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    labelField(Label2, Memo1);
    column->addWidget(Memo1, 1);

    auto* email = new QHBoxLayout;
    Label3 = new QLabel(kIncludeEmail, this);
    Label3->setFont(designFont(base, 13));
    Label3->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Edit1 = new QLineEdit(this);
    Edit1->setFont(designFont(base, 13));
    Edit1->setMaxLength(kEmailMaxLength);
    labelField(Label3, Edit1);
    email->addWidget(Label3);
    email->addWidget(Edit1, 1);
    column->addLayout(email);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    BitBtn1 = new QPushButton(namedIcon(QStringLiteral("feedback")), kSend, this);
    BitBtn1->setFont(designFont(base, 16));
    BitBtn1->setIconSize(QSize(24, 24));
    // Enter in the text must not send half a message.
    BitBtn1->setAutoDefault(false);
    bottom->addWidget(BitBtn1);
    column->addLayout(bottom);

    setTabOrder(Panel4, Panel5);
    setTabOrder(Panel5, Memo1);
    setTabOrder(Memo1, Edit1);
    setTabOrder(Edit1, BitBtn1);

    guarded_.connect(Panel4, &FeedbackPanel::choicePressed, this, &TFeedbackForm::Image1MouseDown);
    guarded_.connect(Panel5, &FeedbackPanel::choicePressed, this, &TFeedbackForm::Image2MouseDown);
    guarded_.connect(BitBtn1, &QPushButton::clicked, this, &TFeedbackForm::BitBtn1Click);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { limitMemo(); });

    sender_.onBusy = [this](bool busy) {
        if (busy) {
            waitCursor_.emplace(Qt::WaitCursor);
        } else {
            waitCursor_.reset();
        }
    };

    guarded_([this] { FormCreate(); });
    setLeastSize(*Label3, QSize(0, 30));
    setLeastSize(*BitBtn1, QSize(172, 33));
    fixSizeToFit(*this, QSize(525, 326));
    centerOnScreen(*this);
}

TFeedbackForm::~TFeedbackForm() = default;

void TFeedbackForm::FormCreate() {
    setWindowTitle(identity_.AppProductName + u' ' + translate_(QStringLiteral("feedback")));
    Label1->setText(translate_(kAppreciate));
    // Mnemonics go to the translated captions, so none repeats in this window.
    QString taken;
    Panel4->setCaption(translate_(kLike), taken);
    Panel5->setCaption(translate_(kDislike), taken);
    Label2->setText(withMnemonic(translate_(kWhat), taken));
    Label3->setText(withMnemonic(translate_(kIncludeEmail), taken));
    BitBtn1->setText(withMnemonic(translate_(kSend), taken));
}

void TFeedbackForm::showChoice() {
    Panel4->setSelected(choice_.like());
    Panel5->setSelected(choice_.dislike());
}

void TFeedbackForm::Image1MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    choice_.clickLike();
    showChoice();
}

void TFeedbackForm::Image2MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    choice_.clickDislike();
    showChoice();
}

FeedbackInput TFeedbackForm::input() const {
    FeedbackInput in;
    in.like = Panel4->selected();
    in.dislike = Panel5->selected();
    in.likeCaption = Panel4->caption();
    in.dislikeCaption = Panel5->caption();
    in.text = Memo1->toPlainText();
    in.email = Edit1->text();
    return in;
}

void TFeedbackForm::BitBtn1Click() {
    switch (sender_.send(input())) {
        case FeedbackSender::Outcome::EmptyText:
            Memo1->setFocus();
            break;
        case FeedbackSender::Outcome::InvalidEmail:
            Edit1->setFocus();
            break;
        case FeedbackSender::Outcome::Delivered:
            accept();
            break;
        case FeedbackSender::Outcome::Failed:
            break;
    }
}

void TFeedbackForm::limitMemo() {
    const QString text = Memo1->toPlainText();
    if (text.size() <= kFeedbackMaxLength)
        return;
    QTextCursor cursor = Memo1->textCursor();
    const int position = cursor.position();
    Memo1->setPlainText(text.left(kFeedbackMaxLength));
    cursor = Memo1->textCursor();
    cursor.setPosition(std::min(position, kFeedbackMaxLength));
    Memo1->setTextCursor(cursor);
}

}  // namespace pixmorrow
