#pragma once

#include "about/app_identity.h"
#include "online/notice_logic.h"
#include "online/translator.h"
#include "platform/clickable_label.h"
#include "platform/slot_guard.h"

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;
class QToolButton;
class QPropertyAnimation;

namespace pixmorrow {

class Dialogs;
class Shell;

// The update notice: a small borderless window in the top-right corner, above the others,
// without a taskbar entry. It zooms in 1 ms after creation, can be dragged, opens the download
// link on a click on its text, and closes itself 11 seconds after it was created. Closing only
// hides it; it is shown once per run.
class TNewVer : public QWidget {
    Q_OBJECT
public:
    TNewVer(const QString& serverVersion, const QString& downloadUrl, const AppIdentity& identity,
            Shell& shell, Dialogs& dialogs, QWidget* parent = nullptr,
            Translator translate = defaultTranslator());
    ~TNewVer() override;

    void FormCreate();
    void TimerStartTimer();
    void TimerCloseTimer();
    void TimerLinkTimer();
    void Label2Click();
    void Button1Click();
    void FormMouseDown(PressButton button, QPoint screenPos);
    void FormMouseMove(QPoint screenPos);
    void FormMouseUp();

    const NoticeCountdown& countdown() const { return countdown_; }
    const NoticeDrag& drag() const { return drag_; }
    // The place the window opens at and zooms out of.
    QRect homeGeometry() const;

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label1 = nullptr;
    ClickableLabel* Label2 = nullptr;
    QFrame* Panel3 = nullptr;
    QToolButton* Button1 = nullptr;
    QTimer* TimerStart = nullptr;
    QTimer* TimerClose = nullptr;
    QTimer* TimerLink = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void animate(const QRect& from, const QRect& to, bool hideAfter);

    QString serverVersion_;
    QString downloadUrl_;
    AppIdentity identity_;
    Shell& shell_;
    Dialogs& dialogs_;
    SlotGuard guarded_;
    Translator translate_;
    NoticeCountdown countdown_;
    NoticeDrag drag_;
    QPropertyAnimation* animation_ = nullptr;
    // The size the notice has at rest: the design's, or more for larger text.
    QSize homeSize_{320, 68};
};

}  // namespace pixmorrow
