#include "about/about_box.h"

#include "about/app_identity.h"
#include "about/picture.h"
#include "localization/language.h"
#include "online/maker_site.h"
#include "platform/accessibility.h"
#include "platform/clickable_label.h"
#include "platform/design_font.h"
#include "platform/dialogs.h"
#include "platform/icons.h"
#include "platform/mnemonics.h"
#include "platform/mouse_event.h"
#include "platform/shell.h"
#include "platform/window_placement.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace pixmorrow {

namespace {

constexpr QSize kClientSize(446, 374);
constexpr QRect kCardRect(48, 42, 350, 291);
constexpr QSize kEggSize(324, 220);
constexpr QSize kLogoSize(344, 105);
constexpr QSize kPictureSize(320, 214);
constexpr int kRainInterval = 50;
constexpr int kEggInterval = 5;

constexpr QSize kButtonSize(112, 30);
constexpr int kLinkHeight = 22;

}  // namespace

// Draws the rain's cells into the window's background image and asks for a repaint of
// just those cells. A painter stays open for the duration of one tick.
class TAboutBox::Canvas final : public RainSurface {
public:
    explicit Canvas(TAboutBox& box) : box_(box) {
        font_.setFamily(QStringLiteral("monospace"));
        font_.setStyleHint(QFont::Monospace);
        font_.setPixelSize(12);
    }

    void begin() {
        if (box_.background_.isNull())
            return;
        painter_ = std::make_unique<QPainter>(&box_.background_);
        painter_->setFont(font_);
    }
    void end() { painter_.reset(); }

    void clearSurface() override {
        if (painter_) {
            painter_->fillRect(box_.rect(), Qt::black);
        } else {
            box_.background_.fill(Qt::black);
        }
        box_.update();
    }
    void eraseCell(int column, int row) override {
        const QRect cell = cellRect(column, row);
        if (!painter_ || !box_.rect().intersects(cell))
            return;
        painter_->fillRect(cell, Qt::black);
        box_.cellChanged(cell);
    }
    void drawCell(int column, int row, QChar character, QRgb colour) override {
        const QRect cell = cellRect(column, row);
        if (!painter_ || !box_.rect().intersects(cell))
            return;
        painter_->fillRect(cell, Qt::black);
        painter_->setPen(QColor::fromRgb(colour));
        painter_->drawText(cell, Qt::AlignCenter, QString(character));
        box_.cellChanged(cell);
    }

private:
    QRect cellRect(int column, int row) const {
        const MatrixRain& rain = box_.rain_;
        return QRect(column * rain.charWidth(), row * rain.charHeight(), rain.charWidth(),
                     rain.charHeight());
    }

    TAboutBox& box_;
    QFont font_;
    std::unique_ptr<QPainter> painter_;
};

TAboutBox::TAboutBox(Dialogs& dialogs, Shell& shell, TickClock& clock, const QString& programFolder,
                     QWidget* parent, RainRandom* random)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowSystemMenuHint | Qt::MSWindowsFixedSizeDialogHint),
      dialogs_(dialogs),
      guarded_(dialogs),
      shell_(shell),
      programFolder_(programFolder),
      ownRandom_(random ? nullptr : std::make_unique<SystemRainRandom>()),
      canvas_(std::make_unique<Canvas>(*this)),
      rain_(random ? *random : *ownRandom_, *canvas_),
      popup_(clock),
      egg_(kClientSize.width(), kCardRect.width()) {
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(kClientSize);
    // Every pixel of the window comes from the background image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);

    buildCard();

    tmTimer = new QTimer(this);
    tmTimer->setInterval(kRainInterval);
    TimerEgg = new QTimer(this);
    TimerEgg->setInterval(kEggInterval);
    guarded_.connect(tmTimer, &QTimer::timeout, this, &TAboutBox::tmTimerTimer);
    guarded_.connect(TimerEgg, &QTimer::timeout, this, &TAboutBox::TimerEggTimer);
    guarded_.connect(BitBtn1, &QPushButton::clicked, this, &TAboutBox::BitBtn1Click);
    guarded_.connect(BitBtn2, &QPushButton::clicked, this, &TAboutBox::BitBtn2Click);
    guarded_.connect(Label5, &ClickableLabel::clicked, this, &TAboutBox::Label5Click);
    guarded_.connect(Credits1, &QAction::triggered, this, &TAboutBox::Credits1Click);
    guarded_.connect(Howtouninstall1, &QAction::triggered, this, &TAboutBox::Howtouninstall1Click);
    guarded_.connect(LicensePrivacyPolicy1, &QAction::triggered, this,
                     &TAboutBox::LicensePrivacyPolicy1Click);

    resetBackground();
    guarded_([this] { FormCreate(); });
    created_ = true;

    centerOnScreen(*this, parent);
}

TAboutBox::~TAboutBox() {
    // The timers go with the window; no tick may reach a half-destroyed canvas.
    tmTimer->stop();
    TimerEgg->stop();
}

void TAboutBox::buildCard() {
    // The hidden picture lies behind the card, centred in the window.
    PanelEgg = new QFrame(this);
    PanelEgg->setObjectName(QStringLiteral("PanelEgg"));
    PanelEgg->setAutoFillBackground(true);
    PanelEgg->resize(kEggSize);
    PanelEgg->hide();
    ImageEgg = new QLabel(PanelEgg);
    ImageEgg->setObjectName(QStringLiteral("ImageEgg"));
    ImageEgg->setGeometry(2, (kEggSize.height() - kPictureSize.height()) / 2, kPictureSize.width(),
                          kPictureSize.height());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    Panel1->setGeometry(kCardRect);

    Image2 = new QLabel(Panel1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(3, 3, kLogoSize.width(), kLogoSize.height());

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(14, 124, 34, 34);
    Bevel1->setStyleSheet(QStringLiteral("QFrame#Bevel1 { border: 1px solid #505050; }"));
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(15, 125, 32, 32);
    Image1->setAlignment(Qt::AlignCenter);

    Label2 = new QLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(58, 121, 290, 40);
    Label2->setWordWrap(true);
    Label2->setFont(designFont(QFont(), 16));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    const QString buttonStyle = QStringLiteral(
        "QPushButton { color: white; background: #1c1c1c; border: 1px solid #5c5c5c;"
        " border-radius: 3px; padding: 3px 10px; }"
        "QPushButton:hover { background: #2a2a2a; }"
        "QPushButton:pressed { background: #0f0f0f; }"
        "QPushButton:focus { border-color: #3cb043; }");
    BitBtn1 = new QPushButton(Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(QRect(QPoint(58, 186), kButtonSize));
    BitBtn1->setFont(designFont(QFont(), 16));
    BitBtn1->setStyleSheet(buttonStyle);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(QRect(QPoint(180, 186), kButtonSize));
    BitBtn2->setFont(designFont(QFont(), 16));
    BitBtn2->setStyleSheet(buttonStyle);
    BitBtn2->setIcon(QIcon(QStringLiteral(":/pictures/arrow.svg")));
    BitBtn2->setIconSize(QSize(12, 12));
    BitBtn2->setLayoutDirection(Qt::RightToLeft);  // the arrow right of the text

    // The link opens on a left click released over it; it does not drag the window.
    Label5 = new ClickableLabel(Panel1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setGeometry(0, 256, kCardRect.width(), kLinkHeight);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setFont(designFont(QFont(), 13));
    Label5->showAsLink(QColor(0, 255, 0));
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, Label5);

    // The product's name is in Label2 beside the icon; the frame and the hidden picture are
    // ornaments.
    for (QWidget* ornament : std::initializer_list<QWidget*>{Image1, Bevel1, ImageEgg})
        markDecorative(ornament);

    PopupMenu1 = new QMenu(this);
    Credits1 = PopupMenu1->addAction(QStringLiteral("Acknowledgements..."));
    Howtouninstall1 = PopupMenu1->addAction(QStringLiteral("How to uninstall..."));
    LicensePrivacyPolicy1 = PopupMenu1->addAction(QStringLiteral("License..."));

    PanelEgg->stackUnder(Panel1);
    for (QWidget* w : std::initializer_list<QWidget*>{Panel1, Image1, Image2, Label2, ImageEgg}) {
        w->installEventFilter(this);
    }
}

void TAboutBox::FormCreate() {
    StartRain();
    const AppIdentity& identity = appIdentity();
    setWindowTitle(translateFormat(QStringLiteral("About %s"), identity.AppProductName));
    Label2->setText(identity.AppProductName + u' ' + identity.AppVersion);
    Image2->setAccessibleName(identity.AppCompanyName);
    // Mnemonics go to the translated captions: one set for the card, one for the menu.
    QString taken;
    BitBtn1->setText(withMnemonic(TranslateText(QStringLiteral("OK")), taken));
    BitBtn2->setText(withMnemonic(TranslateText(QStringLiteral("Info")), taken));
    QString takenInMenu;
    Credits1->setText(
        withMnemonic(TranslateText(QStringLiteral("Acknowledgements...")), takenInMenu));
    Howtouninstall1->setText(
        withMnemonic(TranslateText(QStringLiteral("How to uninstall...")), takenInMenu));
    LicensePrivacyPolicy1->setText(
        withMnemonic(TranslateText(QStringLiteral("License...")), takenInMenu));
    const QString home = makerUrl(QStringLiteral("http"), QStringLiteral("/"));
    Label5->setText(home);
    Label5->setToolTip(home);
    // Larger text than the design's may need a taller card; the rain then fills the taller
    // window.
    if (layOutCard())
        StartRain();
    HighDPIImageYukle();
    PanelEgg->move((width() - PanelEgg->width()) / 2, (height() - PanelEgg->height()) / 2);
}

bool TAboutBox::layOutCard() {
    // Each part keeps its design place and size unless its text needs more; what follows it
    // moves down by as much.
    const int label2Height = std::max(40, Label2->heightForWidth(Label2->width()));
    Label2->resize(Label2->width(), label2Height);
    const int buttonsTop = std::max(186, Label2->y() + label2Height + 25);
    const QSize button =
        kButtonSize.expandedTo(BitBtn1->sizeHint()).expandedTo(BitBtn2->sizeHint());
    BitBtn1->setGeometry(QRect(QPoint(58, buttonsTop), button));
    BitBtn2->setGeometry(QRect(QPoint(58 + button.width() + 10, buttonsTop), button));
    const int linkTop = std::max(256, buttonsTop + button.height() + 40);
    const int linkHeight = std::max(kLinkHeight, Label5->sizeHint().height());
    Label5->setGeometry(0, linkTop, kCardRect.width(), linkHeight);
    const int cardHeight = std::max(kCardRect.height(), linkTop + linkHeight + 13);
    Panel1->resize(kCardRect.width(), cardHeight);
    const QSize client(kClientSize.width(), kClientSize.height() + cardHeight - kCardRect.height());
    if (client == size())
        return false;
    setFixedSize(client);
    return true;
}

void TAboutBox::HighDPIImageYukle() {
    const qreal ratio = devicePixelRatioF();
    Image1->setPixmap(applicationIcon().pixmap(QSize(32, 32), ratio));
    Image2->setPixmap(renderPicture(QStringLiteral(":/pictures/logo.svg"), kLogoSize, ratio));
    ImageEgg->setPixmap(renderPicture(QStringLiteral(":/pictures/cat.svg"), kPictureSize, ratio));
}

void TAboutBox::StartRain() {
    const QSize outer = frameGeometry().size();
    rain_.StartRain(outer.width(), outer.height());
    tmTimer->start(kRainInterval);
}

void TAboutBox::resetBackground() {
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    background_ = image;
    update();
}

void TAboutBox::FormResize() {
    resetBackground();
    if (created_)
        rain_.ResetRain();
}

void TAboutBox::FormAfterMonitorDpiChanged() {
    HighDPIImageYukle();
    FormResize();
}

void TAboutBox::tmTimerTimer() {
    canvas_->begin();
    rain_.RainStep();
    canvas_->end();
}

void TAboutBox::cellChanged(const QRect& cell) {
    // Cells the card or the picture cover entirely are kept in the background for later but
    // need no repaint now.
    for (QWidget* cover : std::initializer_list<QWidget*>{Panel1, PanelEgg}) {
        if (cover->isVisible() && cover->geometry().contains(cell))
            return;
    }
    update(cell);
}

void TAboutBox::paintEvent(QPaintEvent* event) {
    if (!qFuzzyCompare(background_.devicePixelRatio(), devicePixelRatioF())) {
        // Moved to a screen of another pixel ratio: reload at the new one after this paint.
        QTimer::singleShot(0, this, [this] { guarded_([this] { FormAfterMonitorDpiChanged(); }); });
    }
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), background_);
}

void TAboutBox::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    guarded_([this] { FormResize(); });
}

bool TAboutBox::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::ScreenChangeInternal && created_ &&
        !qFuzzyCompare(background_.devicePixelRatio(), devicePixelRatioF())) {
        guarded_([this] { FormAfterMonitorDpiChanged(); });
    }
    return handled;
}

void TAboutBox::FormMouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (button == Qt::RightButton)
        return;
    dragging = true;
    d_ = globalPos;
}

void TAboutBox::FormMouseMove(const QPoint& globalPos) {
    if (!dragging)
        return;
    move(pos() + (globalPos - d_));
    d_ = globalPos;
}

void TAboutBox::FormMouseUp() {
    dragging = false;
}

void TAboutBox::mousePressEvent(QMouseEvent* event) {
    guarded_([&] { FormMouseDown(event->button(), event->globalPosition().toPoint()); });
}

void TAboutBox::mouseMoveEvent(QMouseEvent* event) {
    guarded_([&] { FormMouseMove(event->globalPosition().toPoint()); });
}

void TAboutBox::mouseReleaseEvent(QMouseEvent*) {
    guarded_([&] { FormMouseUp(); });
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    QMouseEvent* mouse = asMouseEvent(event);
    if (mouse == nullptr)
        return QDialog::eventFilter(watched, event);
    switch (mouse->type()) {
        case QEvent::MouseButtonPress:
            mousePressEvent(mouse);
            break;
        case QEvent::MouseMove:
            mouseMoveEvent(mouse);
            break;
        case QEvent::MouseButtonRelease:
            mouseReleaseEvent(mouse);
            break;
        case QEvent::MouseButtonDblClick:
            if (watched == Image1)
                guarded_([this] { Image1DblClick(); });
            if (watched == ImageEgg)
                guarded_([this] { ImageEggDblClick(); });
            break;
        default:
            break;
    }
    return true;
}

void TAboutBox::Image1DblClick() {
    if (!egg_.reveal())
        return;
    PanelEgg->show();
    TimerEgg->start(kEggInterval);
}

void TAboutBox::TimerEggTimer() {
    egg_.step();
    Panel1->move(egg_.cardLeft(), Panel1->y());
    if (!egg_.sliding())
        TimerEgg->stop();
}

void TAboutBox::ImageEggDblClick() {
    if (!egg_.conceal())
        return;
    PanelEgg->hide();
    Panel1->move(egg_.cardLeft(), Panel1->y());
}

void TAboutBox::BitBtn1Click() {
    close();
}

void TAboutBox::BitBtn2Click() {
    popup_.popup(BitBtn2, PopupMenu1);
}

void TAboutBox::openPage(const QString& scheme, const QString& path) {
    pixmorrow::openPage(shell_, dialogs_, makerUrl(scheme, path), TranslateText);
}

void TAboutBox::Label5Click() {
    openPage(QStringLiteral("http"), QStringLiteral("/"));
}

void TAboutBox::Credits1Click() {
    openPage(QStringLiteral("https"), QStringLiteral("/blog/credits-and-acknowledgements/"));
}

void TAboutBox::Howtouninstall1Click() {
    openPage(QStringLiteral("http"), QStringLiteral("/blog/how-to-uninstall-tarnwick-software/"));
}

void TAboutBox::LicensePrivacyPolicy1Click() {
    const QString license = programFolder_ + QStringLiteral("/license.txt");
    if (QFileInfo(license).isFile()) {
        openItem(shell_, dialogs_, ShellItem::File, license, TranslateText);
        return;
    }
    dialogs_.showMessage(TranslateText(QStringLiteral("File not found!")),
                         TranslateText(QStringLiteral("License")), MessageIcon::Error);
}

}  // namespace pixmorrow
