#include "online/new_version_form.h"

#include "platform/accessibility.h"
#include "platform/clickable_label.h"
#include "platform/design_font.h"
#include "platform/icons.h"
#include "platform/mouse_event.h"
#include "platform/shell.h"
#include "platform/window_placement.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace pixmorrow {

namespace {

constexpr QSize kClientSize(320, 68);

PressButton pressButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return PressButton::Left;
        case Qt::RightButton:
            return PressButton::Right;
        case Qt::MiddleButton:
            return PressButton::Middle;
        default:
            return PressButton::Other;
    }
}

}  // namespace

TNewVer::TNewVer(const QString& serverVersion, const QString& downloadUrl,
                 const AppIdentity& identity, Shell& shell, Dialogs& dialogs, QWidget* parent,
                 Translator translate)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      serverVersion_(serverVersion),
      downloadUrl_(downloadUrl),
      identity_(identity),
      shell_(shell),
      dialogs_(dialogs),
      guarded_(dialogs),
      translate_(std::move(translate)) {
    setObjectName(QStringLiteral("NewVer"));
    // The notice must not take the focus from the window the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kClientSize);
    setCursor(Qt::ArrowCursor);
    const QFont base = designFont(font(), 11);
    setFont(base);

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Box);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Panel1);

    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    Image1 = new QLabel(Panel1);
    Image1->setFixedSize(60, 60);
    Image1->setAlignment(Qt::AlignCenter);
    markDecorative(Image1);
    row->addWidget(Image1, 0, Qt::AlignVCenter);
    row->setContentsMargins(3, 0, 0, 0);

    Panel2 = new QFrame(Panel1);
    Panel2->setFrameShape(QFrame::NoFrame);
    auto* text = new QVBoxLayout(Panel2);
    text->setContentsMargins(3, 3, 3, 3);
    text->setSpacing(0);
    Label1 = new QLabel(Panel2);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setFont(designFont(base, 13, true));
    Label2 = new ClickableLabel(Panel2);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setWordWrap(true);
    Label2->setFont(designFont(base, 13, false, true));
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setAttribute(Qt::WA_TranslucentBackground);
    text->addWidget(Label1);
    text->addWidget(Label2, 1);
    row->addWidget(Panel2, 1);

    Panel3 = new QFrame(Panel1);
    Panel3->setFrameShape(QFrame::NoFrame);
    Panel3->setFixedWidth(22);
    auto* side = new QVBoxLayout(Panel3);
    side->setContentsMargins(0, 0, 0, 0);
    Button1 = new QToolButton(Panel3);
    Button1->setFixedSize(22, 22);
    Button1->setIcon(namedIcon(QStringLiteral("close")));
    Button1->setAutoRaise(true);
    Button1->setCursor(Qt::PointingHandCursor);
    side->addWidget(Button1);
    side->addStretch(1);
    row->addWidget(Panel3);

    // Surfaces that drag the window, and the text's panel that must not pass a press on to
    // Panel1 (the link keeps its presses to itself).
    for (QObject* o : {static_cast<QObject*>(this), static_cast<QObject*>(Panel1),
                       static_cast<QObject*>(Image1), static_cast<QObject*>(Label1),
                       static_cast<QObject*>(Panel3), static_cast<QObject*>(Panel2)}) {
        o->installEventFilter(this);
    }

    TimerStart = new QTimer(this);
    TimerStart->setInterval(1);
    TimerStart->setSingleShot(true);
    TimerClose = new QTimer(this);
    TimerClose->setInterval(1000);
    TimerLink = new QTimer(this);
    TimerLink->setInterval(100);
    guarded_.connect(TimerStart, &QTimer::timeout, this, &TNewVer::TimerStartTimer);
    guarded_.connect(TimerClose, &QTimer::timeout, this, &TNewVer::TimerCloseTimer);
    guarded_.connect(TimerLink, &QTimer::timeout, this, &TNewVer::TimerLinkTimer);
    guarded_.connect(Label2, &ClickableLabel::clicked, this, &TNewVer::Label2Click);
    guarded_.connect(Button1, &QToolButton::clicked, this, &TNewVer::Button1Click);

    guarded_([this] { FormCreate(); });
    TimerStart->start();
    TimerClose->start();
    TimerLink->start();
}

TNewVer::~TNewVer() = default;

QRect TNewVer::homeGeometry() const {
    QRect area(0, 0, 1024, 768);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    return QRect(noticeTopLeft(area, homeSize_), homeSize_);
}

void TNewVer::FormCreate() {
    Image1->setPixmap(applicationIcon().pixmap(48, 48));
    setGeometry(homeGeometry());
    Label1->setText(translate_(QStringLiteral("UPDATE AVAILABLE")));
    Label2->setText(noticeLinkText(translate_, identity_.AppProductName, serverVersion_));
    Button1->setAccessibleName(translate_(QStringLiteral("Close")));
    Button1->setToolTip(Button1->accessibleName());
    // Larger text than the design's makes the notice larger; it stays in its corner.
    fixSizeToFit(*this, kClientSize);
    homeSize_ = size();
    setGeometry(homeGeometry());
}

void TNewVer::animate(const QRect& from, const QRect& to, bool hideAfter) {
    if (animation_)
        animation_->stop();
    // Zooming needs the fixed size lifted while it runs.
    setMinimumSize(1, 1);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    animation_ = new QPropertyAnimation(this, "geometry", this);
    animation_->setDuration(kNoticeAnimationMs);
    animation_->setStartValue(from);
    animation_->setEndValue(to);
    QPropertyAnimation* running = animation_;
    connect(running, &QPropertyAnimation::finished, this, [this, running, hideAfter] {
        const QRect home = homeGeometry();
        if (hideAfter) {
            close();
        }
        setFixedSize(home.size());
        setGeometry(home);
        if (animation_ == running)
            animation_ = nullptr;
        running->deleteLater();
    });
    animation_->start();
}

void TNewVer::TimerStartTimer() {
    TimerStart->stop();
    const QRect home = homeGeometry();
    setGeometry(noticeZoomPoint(home));
    show();
    animate(noticeZoomPoint(home), home, false);
    if (QWidget* owner = parentWidget())
        owner->activateWindow();
}

void TNewVer::TimerCloseTimer() {
    if (!countdown_.tick())
        return;
    TimerClose->stop();
    if (!isVisible()) {
        close();
        return;
    }
    animate(geometry(), noticeZoomPoint(geometry()), true);
}

void TNewVer::TimerLinkTimer() {
    if (!isVisible())
        return;
    const bool inside = Label2->rect().contains(Label2->mapFromGlobal(QCursor::pos()));
    QPalette palette = Label2->palette();
    const QPalette::ColorRole role = inside ? QPalette::Highlight : QPalette::WindowText;
    palette.setColor(QPalette::WindowText, this->palette().color(role));
    Label2->setPalette(palette);
}

void TNewVer::Label2Click() {
    openPage(shell_, dialogs_, noticeLinkTarget(downloadUrl_), translate_);
    close();
}

void TNewVer::Button1Click() {
    close();
}

void TNewVer::FormMouseDown(PressButton button, QPoint screenPos) {
    drag_.press(button, screenPos);
}

void TNewVer::FormMouseMove(QPoint screenPos) {
    if (!drag_.dragging())
        return;
    move(drag_.move(screenPos, pos()));
}

void TNewVer::FormMouseUp() {
    drag_.release();
}

bool TNewVer::eventFilter(QObject* watched, QEvent* event) {
    QMouseEvent* mouse = asMouseEvent(event);
    if (mouse == nullptr)
        return QWidget::eventFilter(watched, event);
    const QPoint screenPos = mouse->globalPosition().toPoint();
    if (watched == Panel2)
        return true;  // no drag from the text's panel
    switch (mouse->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            guarded_([&] { FormMouseDown(pressButton(mouse->button()), screenPos); });
            break;
        case QEvent::MouseMove:
            guarded_([&] { FormMouseMove(screenPos); });
            break;
        default:
            guarded_([this] { FormMouseUp(); });
            break;
    }
    return true;
}

}  // namespace pixmorrow
