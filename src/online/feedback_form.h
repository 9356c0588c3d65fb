#pragma once

#include "about/app_identity.h"
#include "online/feedback_logic.h"
#include "online/translator.h"
#include "platform/override_cursor.h"
#include "platform/slot_guard.h"

#include <QAbstractButton>
#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pixmorrow {

class Dialogs;
class FormPoster;

// One of the two choices at the top: a caption with a picture at its left that paints its own
// colours, so selection shows under any style. A left press chooses it, as does Space or its
// mnemonic; screen readers see a check box that tells whether it is chosen.
class FeedbackPanel : public QAbstractButton {
    Q_OBJECT
public:
    FeedbackPanel(const QString& caption, const QString& picture, QWidget* parent);

    void setSelected(bool selected);
    bool selected() const { return selected_; }
    // The caption as it reads; the shown one may carry a mnemonic.
    QString caption() const;
    // `taken` holds the window's mnemonics so far; the caption gets one of its own.
    void setCaption(const QString& caption, QString& taken);

    QLabel* image() const { return image_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A press of a mouse button, or of the keyboard's choosing keys as the left button.
    void choicePressed(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // What Space, the mnemonic and a screen reader's press come to: the form decides.
    void nextCheckState() override;

private:
    QLabel* image_ = nullptr;
    bool selected_ = false;
};

// The feedback window: like or dislike, a text, an optional e-mail address, and Send. Shown
// modally; every opening starts empty.
class TFeedbackForm : public QDialog {
    Q_OBJECT
public:
    TFeedbackForm(Dialogs& dialogs, FormPoster& poster, const AppIdentity& identity,
                  QWidget* parent = nullptr, Translator translate = defaultTranslator(),
                  QString host = QString());
    ~TFeedbackForm() override;

    void FormCreate();
    void Image1MouseDown(Qt::MouseButton button);
    void Image2MouseDown(Qt::MouseButton button);
    void BitBtn1Click();

    // What the Send button would send from the current controls.
    FeedbackInput input() const;

    FeedbackPanel* Panel4 = nullptr;
    FeedbackPanel* Panel5 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

private:
    void showChoice();
    void limitMemo();

    SlotGuard guarded_;
    AppIdentity identity_;
    Translator translate_;
    FeedbackChoice choice_;
    FeedbackSender sender_;
    // While the feedback is sent.
    std::optional<OverrideCursor> waitCursor_;
};

}  // namespace pixmorrow
