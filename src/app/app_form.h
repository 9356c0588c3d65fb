#pragma once

#include "app/app_services.h"
#include "app/app_settings.h"
#include "conversion/external/command_runner.h"
#include "conversion/run/cancel_token.h"
#include "platform/slot_guard.h"
#include "queue/icon_source.h"
#include "queue/image_queue.h"
#include "queue/intake.h"
#include "queue/row_icons.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTimer;

namespace pixmorrow {

class QueueModel;
struct ConversionOptions;
class TFormResult;
class TChecker;
class TNewVer;
struct CheckerSetup;

// The main window: a two-page wizard (Images, Options) with menus, a status bar and two
// timers. Handlers are thin: they run the queue, intake, conversion and online parts, each
// through the general error report so no exception reaches the event loop. Components keep
// their designer names and are public, as a form's published fields are, for the tests.
class TAppForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TAppForm(const AppServices& services, QWidget* parent = nullptr);
    ~TAppForm() override;

    ImageQueue& imageQueue() { return ImageQueue_; }
    const AppServices& services() const { return services_; }

    // Handlers, named after their component and event.
    void FormCreate();
    void ButtonNextClick();
    void ButtonBackClick();
    void PageControl1Change();
    void Help2Click();
    void Exit1Click();
    void AddFiles1Click();
    void AddFolder1Click();
    void ButtonFilesClick();
    void ButtonFolderClick();
    void ButtonDeleteClick();
    void ButtonClearClick();
    void ComboBoxTypeChange();
    void ButtonProcessClick();
    void ButtonBrowseClick();
    void DisplayIcons1Click();
    void IncludeSubfolders1Click();
    void SpinEdit1Change();
    void ComboBoxDestinationChange();
    void CheckBoxKeepMetadataClick();
    void CheckBoxResizeClick();
    void ComboBoxResizeModeChange();
    void SpinEditResizeChange();
    void CheckBoxNoEnlargeClick();
    void CheckBoxKeepStructureClick();
    void ResettoDefaults1Click();
    void TimerCheckerTimer();
    void UpdateNotifications1Click();
    void SendFeedback1Click();
    void TimerParamTimer();
    void ListView1DblClick();
    void Open1Click();
    void Properties1Click();
    void ShowinExplorer1Click();
    void Delete1Click();
    void Clear1Click();
    // Files and folders dropped on the window, in the order given.
    void dropPaths(const QStringList& paths);
    void Language1Click();
    void About1Click();

    // Keeps the language file chosen in the language chooser for the next start.
    void SetLanguageFile(const QString& Filename);

    // Count caption of the Images tab; the row-icon list's reset.
    void KacItemVarGuncelle();
    void ImageListSifirla();
    // After an intake road: row count, count caption, one event-loop pass.
    void updateQueueView();
    // After each file a folder scan adds: one event-loop pass, so commands run mid-scan; the
    // row count and caption follow at most every 40 ms (and at once for the first row), as
    // repainting the window for each of thousands of files would cost more than the scan.
    void scannedFileAdded();

    // Components.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QPushButton* ButtonFiles = nullptr;
    QPushButton* ButtonFolder = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonNext = nullptr;
    QTableView* ListView1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBoxType = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QLabel* Label3 = nullptr;
    QCheckBox* CheckBoxGrayscale = nullptr;
    QCheckBox* CheckBoxKeepMetadata = nullptr;
    // Resize: the check box, the mode list, the size (or percentage) and the box's height
    // with the "x" between them, the unit, and "Do not enlarge".
    QCheckBox* CheckBoxResize = nullptr;
    QComboBox* ComboBoxResizeMode = nullptr;
    QSpinBox* SpinEditResize1 = nullptr;
    QLabel* LabelResizeBy = nullptr;
    QSpinBox* SpinEditResize2 = nullptr;
    QLabel* LabelResizeUnit = nullptr;
    QCheckBox* CheckBoxNoEnlarge = nullptr;
    QCheckBox* CheckBoxKeepStructure = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* ComboBoxDestination = nullptr;
    QPushButton* ButtonBrowse = nullptr;
    QPushButton* ButtonBack = nullptr;
    QPushButton* ButtonProcess = nullptr;
    QPlainTextEdit* MemoCMD = nullptr;
    // The external converter's log; MemoCMD shows its lines.
    CommandLog CommandLog1;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    // Files done of N while a run goes on; hidden otherwise.
    QProgressBar* StatusPanelProgress = nullptr;
    // Escape during a run: cancels it, as the Process button does then.
    QAction* CancelRun = nullptr;
    QTimer* TimerParam = nullptr;
    QTimer* TimerChecker = nullptr;

    QMenu* FileMenu = nullptr;
    QAction* AddFiles1 = nullptr;
    QAction* AddFolder1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* SettingsMenu = nullptr;
    QAction* DisplayIcons1 = nullptr;
    QAction* IncludeSubfolders1 = nullptr;
    QAction* ResettoDefaults1 = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* Help2 = nullptr;
    QAction* UpdateNotifications1 = nullptr;
    QAction* UpdateNotificationsBar = nullptr;
    QAction* Language1 = nullptr;
    QAction* SendFeedback1 = nullptr;
    QAction* About1 = nullptr;

    QMenu* PopupMenu1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Properties1 = nullptr;
    QAction* ShowinExplorer1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* Clear1 = nullptr;

    RowIconList ImageList16Temp;

    // The folder that holds settings.ini, the conversion's temporary files and the restart
    // script; chosen once while the window is created. Ends in "/".
    QString SettingsFolder;
    // The folder last picked in a folder dialog (Add Folder, destination Browse...).
    QString LastChosenFolder;
    QueueModel* queueModel() const { return model_; }
    // Shows a run's result window; modal by default, tests look at it instead.
    std::function<void(TFormResult&)> showResultForm;
    // The settings.ini store, opened while the window is created.
    AppSettings& settings() { return settings_; }

    // The update check of this run (started by the first TimerChecker tick) and the notice it
    // may open. Tests set makeCheckerSetup to check against their own store and service.
    std::unique_ptr<TChecker> Checker;
    TNewVer* NewVer = nullptr;
    std::function<CheckerSetup()> makeCheckerSetup;

    static inline const QString kSameFolderAsOriginal = QStringLiteral("Same Folder as Original");

    Intake& intake() { return intake_; }
    // Whether a run is going on; Process then reads Cancel and the inputs are disabled.
    bool runGoingOn() const { return running_; }
    // The lowest selected row, or -1.
    int firstSelectedRow() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // During a run: cancels it and closes once it is over.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildImagesPage();
    void buildOptionsPage();
    // The keep-metadata check box's caption in the loaded language.
    void captionKeepMetadata();
    // The mnemonic letters in use among `scope`'s buttons (but `except`) and labels and in
    // the menu bar, for a caption known only at run time.
    QString takenMnemonics(const QWidget& scope, const QAbstractButton* except) const;
    // The resize and folder-structure controls (app_form_resize.cpp): made into `grid`'s
    // rows `row` and `row` + 1 (the folder-structure check box is placed by the caller),
    // their stored state applied without storing it again, their captions in the loaded
    // language, which of them can be used now, and what they add to a run's options.
    void buildResizeControls(QGridLayout* grid, int row);
    void applyStoredResizeChoices();
    void captionResizeControls();
    void updateResizeControls();
    void addResizeOptions(ConversionOptions& options, const QStringList& scanRoots) const;
    // The mode the resize fields were last set up for.
    int shownResizeMode_ = 0;
    void buildMenus();
    void setTabOrders();
    // Properties or Show in Explorer could not even open the file's folder.
    void reportFolderNotOpened(const QString& file);
    void connectHandlers();
    // Rows selected in the list view, ascending.
    std::vector<std::size_t> selectedRows() const;
    // Disables the queue, the options and the menu items that change them, and turns
    // Process into Cancel; all back when `running` is false.
    void setRunning(bool running);
    void cancelRun();

    AppServices services_;
    SlotGuard guarded_;
    ImageQueue ImageQueue_;
    DesktopIconSource desktopIcons_;
    QueueModel* model_ = nullptr;
    AppSettings settings_;
    Intake intake_;
    QElapsedTimer viewUpdateTimer_;
    bool running_ = false;
    CancelToken runCancel_;
    // Asked to close (or quit) during a run: done once the run is over.
    bool closeAfterRun_ = false;
    bool quitAfterRun_ = false;
};

}  // namespace pixmorrow
