#pragma once

#include "localization/language.h"
#include "platform/clickable_label.h"
#include "platform/slot_guard.h"

#include <QDialog>

#include <functional>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace pixmorrow {

class Dialogs;
class Shell;

// What the language chooser is given: the services it asks and opens through, the running
// executable and the folder for the restart script, and the main window's side of a
// confirmed change.
struct TranslateFormServices {
    Dialogs& dialogs;
    Shell& shell;
    QString executablePath;
    QString settingsFolder;
    // The maker's translation page, opened by the "Contribute to Translation" link.
    QString translationPage;
    // Keeps the chosen language file ("German.lang.txt") for the next start.
    std::function<void(const QString& Filename)> SetLanguageFile;
    // Ends the application once the restart script runs.
    std::function<void()> quitApplication;
};

// The language chooser: the languages of the Languages folder with their flags, the
// translators of the selected one, a link to the translation page, and OK, which restarts
// the program in another language once the user confirms.
class TTranslateForm : public QDialog {
    Q_OBJECT
public:
    TTranslateForm(const TranslateFormServices& services, const LanguageState& language,
                   QWidget* parent = nullptr);

    // Handlers, named after their component and event.
    void FormCreate();
    void ComboBox1Change();
    void Button1Click();
    void Label3Click();
    void Copy1Click();
    void SelectAll1Click();

    // The language selected when the chooser finished opening.
    QString InitialLanguage;
    // Where the restart script is written.
    QString restartScriptPath() const;

    // Components.
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* RichEdit1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    ClickableLabel* Label3 = nullptr;
    QPushButton* Button1 = nullptr;

private:
    TranslateFormServices services_;
    SlotGuard guarded_;
    LanguageState language_;
};

}  // namespace pixmorrow
