#include "online/feedback_form.h"

#include "online/maker_site.h"
#include "platform/icons.h"
#include "platform/window_placement.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace pixmorrow {

namespace {

QFont pixelFont(const QFont& base, int pixels, bool bold = false) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

const QString kLike = QStringLiteral("I like it!");
const QString kDislike = QStringLiteral("I dislike it!");
const QString kAppreciate = QStringLiteral("We would really appreciate your feedback.");
const QString kWhat = QStringLiteral("What did you like or dislike?");
const QString kIncludeEmail = QStringLiteral("Include my e-mail:");
const QString kSend = QStringLiteral("Send");

}  // namespace

FeedbackPanel::FeedbackPanel(const QString& caption, const QString& picture, QWidget* parent)
    : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setLineWidth(2);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    setFixedHeight(40);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    image_ = new QLabel(this);
    image_->setFixedSize(32, 32);
    image_->setPixmap(QIcon(picture).pixmap(32, 32));
    image_->setScaledContents(true);
    image_->setAttribute(Qt::WA_TranslucentBackground);
    caption_ = new QLabel(caption, this);
    caption_->setAlignment(Qt::AlignCenter);
    QFont font = caption_->font();
    font.setPixelSize(16);
    caption_->setFont(font);
    row->addWidget(image_);
    row->addWidget(caption_, 1);
    // Balances the picture so the caption sits in the middle.
    row->addSpacing(32);
    setSelected(false);
}

void FeedbackPanel::setSelected(bool selected) {
    selected_ = selected;
    const QPalette system = QApplication::palette();
    QPalette own = palette();
    own.setColor(QPalette::Window, system.color(selected ? QPalette::Highlight : QPalette::Button));
    own.setColor(QPalette::WindowText,
                 system.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    setPalette(own);
    caption_->setPalette(own);
    setFrameShadow(selected ? QFrame::Sunken : QFrame::Raised);
}

QString FeedbackPanel::caption() const {
    return caption_->text();
}

void FeedbackPanel::setCaption(const QString& caption) {
    caption_->setText(caption);
}

void FeedbackPanel::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button());
    event->accept();
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
    setFixedSize(525, 326);
    QFont base = font();
    base.setPixelSize(11);
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
    Label1->setFont(pixelFont(base, 16));
    Label2 = new QLabel(kWhat, this);
    Label2->setFont(pixelFont(base, 13, true));
    column->addWidget(Label1);
    column->addWidget(Label2);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setFont(pixelFont(base, 13));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    column->addWidget(Memo1, 1);

    auto* email = new QHBoxLayout;
    Label3 = new QLabel(kIncludeEmail, this);
    Label3->setFont(pixelFont(base, 13));
    Label3->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Label3->setFixedHeight(30);
    Edit1 = new QLineEdit(this);
    Edit1->setFont(pixelFont(base, 13));
    Edit1->setMaxLength(kEmailMaxLength);
    email->addWidget(Label3);
    email->addWidget(Edit1, 1);
    column->addLayout(email);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    BitBtn1 = new QPushButton(namedIcon(QStringLiteral("feedback")), kSend, this);
    BitBtn1->setFont(pixelFont(base, 16));
    BitBtn1->setFixedSize(172, 33);
    BitBtn1->setIconSize(QSize(24, 24));
    // Enter in the text must not send half a message.
    BitBtn1->setAutoDefault(false);
    bottom->addWidget(BitBtn1);
    column->addLayout(bottom);

    guarded_.connect(Panel4, &FeedbackPanel::pressed, this, &TFeedbackForm::Image1MouseDown);
    guarded_.connect(Panel5, &FeedbackPanel::pressed, this, &TFeedbackForm::Image2MouseDown);
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
    centerOnScreen(*this);
}

TFeedbackForm::~TFeedbackForm() = default;

void TFeedbackForm::FormCreate() {
    setWindowTitle(identity_.AppProductName + u' ' + translate_(QStringLiteral("feedback")));
    Label1->setText(translate_(kAppreciate));
    Label2->setText(translate_(kWhat));
    Label3->setText(translate_(kIncludeEmail));
    BitBtn1->setText(translate_(kSend));
    Panel4->setCaption(translate_(kLike));
    Panel5->setCaption(translate_(kDislike));
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
