#pragma once

#include "about/hidden_picture.h"
#include "about/matrix_rain.h"
#include "about/popup_under_button.h"
#include "platform/clickable_label.h"
#include "platform/slot_guard.h"

#include <QDialog>
#include <QImage>
#include <QPoint>

#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace pixmorrow {

class Dialogs;
class Shell;
class TickClock;

// The about window: a black card with the logo, the application's icon, name and version,
// OK and Info and the maker's link, with green characters falling around it. The window is
// dragged by any of its surfaces; a double-click on the icon uncovers a hidden picture.
// The rain is drawn into a backing image of the window's background; each tick repaints
// only the cells it changed, and the card's widgets stay on top of it.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // `random` feeds the rain; the process's generator when null.
    TAboutBox(Dialogs& dialogs, Shell& shell, TickClock& clock, const QString& programFolder,
              QWidget* parent = nullptr, RainRandom* random = nullptr);
    ~TAboutBox() override;

    // Handlers, named after their component and event.
    void FormCreate();
    void FormResize();
    void FormMouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void FormMouseMove(const QPoint& globalPos);
    void FormMouseUp();
    void FormAfterMonitorDpiChanged();
    void tmTimerTimer();
    void TimerEggTimer();
    void Image1DblClick();
    void ImageEggDblClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void Label5Click();
    void Credits1Click();
    void Howtouninstall1Click();
    void LicensePrivacyPolicy1Click();
    // Draws the logo and the hidden picture at the window's current pixel ratio.
    void HighDPIImageYukle();

    const MatrixRain& rain() const { return rain_; }
    // The window's background with the rain on it, at the window's pixel ratio.
    const QImage& rainImage() const { return background_; }
    bool isDragging() const { return dragging; }

    // Components.
    QFrame* Panel1 = nullptr;
    QLabel* Image2 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    ClickableLabel* Label5 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Credits1 = nullptr;
    QAction* Howtouninstall1 = nullptr;
    QAction* LicensePrivacyPolicy1 = nullptr;
    QFrame* PanelEgg = nullptr;
    QLabel* ImageEgg = nullptr;
    QTimer* tmTimer = nullptr;
    QTimer* TimerEgg = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class Canvas;

    void StartRain();
    void buildCard();
    // Places the card's parts for their texts; answers whether the window's size changed.
    bool layOutCard();
    void openPage(const QString& scheme, const QString& path);
    // Recreates the background at the window's size and pixel ratio, black.
    void resetBackground();
    // Repaints one cell of the background unless the card hides it.
    void cellChanged(const QRect& cell);

    Dialogs& dialogs_;
    SlotGuard guarded_;
    Shell& shell_;
    QString programFolder_;
    std::unique_ptr<RainRandom> ownRandom_;
    std::unique_ptr<Canvas> canvas_;
    QImage background_;
    MatrixRain rain_;
    PopupUnderButton popup_;
    HiddenPicture egg_;
    bool created_ = false;
    bool dragging = false;
    QPoint d_;  // dx, dy: the pointer's last screen position during a drag
};

}  // namespace pixmorrow
