#include "app/app_form.h"

#include "about/about_box.h"
#include "about/app_identity.h"
#include "app/quality_spin_box.h"
#include "app/reset_defaults.h"
#include "app/settings_folder.h"
#include "app/wizard_rules.h"
#include "conversion/format_table.h"
#include "conversion/routes/engine_factory.h"
#include "conversion/run/conversion_run.h"
#include "conversion/run/result_form.h"
#include "conversion/run/run_window.h"
#include "localization/language.h"
#include "localization/language_preference.h"
#include "localization/translate_form.h"
#include "online/curl_form_poster.h"
#include "online/feedback_form.h"
#include "online/maker_site.h"
#include "online/new_version_form.h"
#include "online/update_checker.h"
#include "platform/accessibility.h"
#include "platform/dialogs.h"
#include "platform/drop_action.h"
#include "platform/elided_label.h"
#include "platform/file_dialogs.h"
#include "platform/icons.h"
#include "platform/mnemonics.h"
#include "platform/override_cursor.h"
#include "platform/program_paths.h"
#include "platform/shell.h"
#include "platform/window_placement.h"
#include "queue/queue_model.h"
#include "queue/supported_input.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace pixmorrow {

namespace {

// The design's width is the least a button gets; a larger font widens it.
QPushButton* makeButton(const QString& caption, const QString& icon, int width, QWidget* parent) {
    auto* button = new QPushButton(namedIcon(icon), caption, parent);
    setLeastSize(*button, QSize(width, 0));
    return button;
}

}  // namespace

TAppForm::TAppForm(const AppServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      guarded_(services.dialogs),
      intake_(ImageQueue_, Intake::Hooks{[this] { return IncludeSubfolders1->isChecked(); },
                                         [this] { scannedFileAdded(); }}) {
    setObjectName(QStringLiteral("AppForm"));
    setWindowIcon(applicationIcon());
    resize(478, 421 + 44);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    buildImagesPage();
    buildOptionsPage();
    PageControl1->addTab(TabSheet1, countCaption(0));
    PageControl1->addTab(TabSheet2, QStringLiteral("Options"));

    // The external converter's output; never shown to the user.
    MemoCMD = new QPlainTextEdit(this);
    MemoCMD->setObjectName(QStringLiteral("MemoCMD"));
    MemoCMD->setReadOnly(true);
    MemoCMD->setFixedHeight(89);
    MemoCMD->hide();
    CommandLog1.onChange = [this](const QString&) {
        MemoCMD->setPlainText(CommandLog1.lines().join(QLatin1Char('\n')));
    };

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PageControl1, 1);
    column->addWidget(MemoCMD);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    // A long path is cut in the middle instead of widening the window.
    StatusPanel0 = new ElidedLabel(StatusBar1);
    StatusBar1->addWidget(StatusPanel0, 1);
    StatusPanelProgress = new QProgressBar(StatusBar1);
    StatusPanelProgress->setObjectName(QStringLiteral("StatusPanelProgress"));
    StatusPanelProgress->setFormat(QStringLiteral("%v / %m"));
    StatusPanelProgress->setMaximumWidth(160);
    StatusPanelProgress->hide();
    StatusBar1->addPermanentWidget(StatusPanelProgress);
    showResultForm = [](TFormResult& form) { form.exec(); };
    setStatusBar(StatusBar1);

    buildMenus();
    setTabOrders();

    CancelRun = new QAction(this);
    CancelRun->setShortcut(QKeySequence(Qt::Key_Escape));
    CancelRun->setShortcutContext(Qt::WindowShortcut);
    CancelRun->setEnabled(false);
    addAction(CancelRun);
    connect(CancelRun, &QAction::triggered, this, [this] { cancelRun(); });

    TimerParam = new QTimer(this);
    TimerParam->setInterval(1);
    TimerChecker = new QTimer(this);
    TimerChecker->setInterval(1000);

    connectHandlers();
    FormCreate();

    TimerParam->start();
    TimerChecker->start();

    centerOnScreen(*this);
}

TAppForm::~TAppForm() = default;

void TAppForm::buildImagesPage() {
    auto* page = new QVBoxLayout(TabSheet1);
    auto* top = new QHBoxLayout;
    // Mnemonics are unique across both pages and the menu bar.
    ButtonFiles = makeButton(QStringLiteral("&Add Files"), QStringLiteral("add"), 90, TabSheet1);
    ButtonFolder =
        makeButton(QStringLiteral("Add Fo&lder"), QStringLiteral("folder_add"), 90, TabSheet1);
    ButtonDelete = makeButton(QStringLiteral("&Delete"), QStringLiteral("delete"), 90, TabSheet1);
    ButtonClear = makeButton(QStringLiteral("&Clear"), QStringLiteral("clear"), 90, TabSheet1);
    for (QPushButton* b : {ButtonFiles, ButtonFolder, ButtonDelete, ButtonClear})
        top->addWidget(b);
    top->addStretch(1);
    page->addLayout(top);

    IconSource& icons = services_.iconSource ? *services_.iconSource : desktopIcons_;
    model_ = new QueueModel(
        ImageQueue_, ImageList16Temp, icons,
        [this] { return DisplayIcons1 == nullptr || DisplayIcons1->isChecked(); }, this);
    ListView1 = new QTableView(TabSheet1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(model_);
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setWordWrap(false);
    ListView1->setCornerButtonEnabled(false);
    ListView1->setAccessibleName(QStringLiteral("Images"));
    // Tab leaves the list for the buttons; the arrow keys move inside it.
    ListView1->setTabKeyNavigation(false);
    // The end of a path tells files apart; the tooltip holds the whole of it.
    ListView1->setTextElideMode(Qt::ElideMiddle);
    ListView1->verticalHeader()->hide();
    ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QFont listFont = ListView1->font();
    listFont.setPointSize(12);
    ListView1->setFont(listFont);
    ListView1->verticalHeader()->setDefaultSectionSize(QFontMetrics(listFont).height() + 6);
    QHeaderView* header = ListView1->horizontalHeader();
    header->setSectionsMovable(true);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QueueModel::FilenameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(QueueModel::SizeColumn, QHeaderView::Fixed);
    header->resizeSection(QueueModel::SizeColumn, 150);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->installEventFilter(this);
    page->addWidget(ListView1, 1);

    PopupMenu1 = new QMenu(this);
    Open1 = PopupMenu1->addAction(QStringLiteral("&Open"));
    Properties1 = PopupMenu1->addAction(QStringLiteral("&Properties"));
    ShowinExplorer1 = PopupMenu1->addAction(QStringLiteral("&Show in Explorer"));
    PopupMenu1->addSeparator();
    Delete1 = PopupMenu1->addAction(namedIcon(QStringLiteral("delete")), QStringLiteral("&Delete"));
    Clear1 = PopupMenu1->addAction(namedIcon(QStringLiteral("clear")), QStringLiteral("&Clear"));
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    ButtonNext = makeButton(QStringLiteral("&Next"), QStringLiteral("next"), 134, TabSheet1);
    ButtonNext->setLayoutDirection(Qt::RightToLeft);  // the arrow right of the text
    bottom->addWidget(ButtonNext);
    page->addLayout(bottom);
}

void TAppForm::buildOptionsPage() {
    auto* page = new QVBoxLayout(TabSheet2);
    auto* grid = new QGridLayout;
    Label1 = new QLabel(QStringLiteral("&Output Format:"), TabSheet2);
    ComboBoxType = new QComboBox(TabSheet2);
    ComboBoxType->setObjectName(QStringLiteral("ComboBoxType"));
    ComboBoxType->addItems(outputTypes());
    ComboBoxType->setMaxVisibleItems(15);
    ComboBoxType->setCurrentIndex(0);
    labelField(Label1, ComboBoxType);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ComboBoxType, 0, 1);

    Label2 = new QLabel(QStringLiteral("&Quality:"), TabSheet2);
    SpinEdit1 = new QualitySpinBox(TabSheet2);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(1, 100);
    SpinEdit1->setValue(100);
    labelField(Label2, SpinEdit1);
    Label3 = new QLabel(QStringLiteral("%"), TabSheet2);
    auto* quality = new QHBoxLayout;
    quality->addWidget(SpinEdit1);
    quality->addWidget(Label3);
    quality->addStretch(1);
    grid->addWidget(Label2, 1, 0);
    grid->addLayout(quality, 1, 1);

    CheckBoxGrayscale = new QCheckBox(QStringLiteral("Convert to &Grayscale"), TabSheet2);
    grid->addWidget(CheckBoxGrayscale, 2, 1);

    // Its caption is translated, so it is set once the language is loaded.
    CheckBoxKeepMetadata = new QCheckBox(TabSheet2);
    CheckBoxKeepMetadata->setObjectName(QStringLiteral("CheckBoxKeepMetadata"));
    grid->addWidget(CheckBoxKeepMetadata, 3, 1);
    buildResizeControls(grid, 4);

    Label5 = new QLabel(QStringLiteral("D&estination:"), TabSheet2);
    ComboBoxDestination = new QComboBox(TabSheet2);
    ComboBoxDestination->setObjectName(QStringLiteral("ComboBoxDestination"));
    ComboBoxDestination->setEditable(true);
    ComboBoxDestination->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxDestination->addItem(kSameFolderAsOriginal);
    ComboBoxDestination->setCurrentText(kSameFolderAsOriginal);
    ComboBoxDestination->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    labelField(Label5, ComboBoxDestination);
    ButtonBrowse = new QPushButton(namedIcon(QStringLiteral("folder")),
                                   QStringLiteral("B&rowse..."), TabSheet2);
    auto* destination = new QHBoxLayout;
    destination->addWidget(ComboBoxDestination, 1);
    destination->addWidget(ButtonBrowse);
    grid->addWidget(Label5, 6, 0);
    grid->addLayout(destination, 6, 1);
    // Under the destination it depends on.
    grid->addWidget(CheckBoxKeepStructure, 7, 1);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(12);
    page->addLayout(grid);
    page->addStretch(1);

    auto* bottom = new QHBoxLayout;
    ButtonBack = makeButton(QStringLiteral("&Back"), QStringLiteral("previous"), 134, TabSheet2);
    ButtonProcess =
        makeButton(QStringLiteral("&Process"), QStringLiteral("tick_button"), 134, TabSheet2);
    bottom->addWidget(ButtonBack);
    bottom->addStretch(1);
    bottom->addWidget(ButtonProcess);
    page->addLayout(bottom);
}

void TAppForm::buildMenus() {
    // Mnemonics are unique within the menu bar and within each menu.
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    AddFiles1 =
        FileMenu->addAction(namedIcon(QStringLiteral("add")), QStringLiteral("Add &Files..."));
    AddFiles1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddFolder1 = FileMenu->addAction(namedIcon(QStringLiteral("folder_add")),
                                     QStringLiteral("Add F&older..."));
    AddFolder1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    FileMenu->addSeparator();
    Exit1 = FileMenu->addAction(namedIcon(QStringLiteral("exit")), QStringLiteral("E&xit"));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    SettingsMenu = menuBar()->addMenu(QStringLiteral("&Settings"));
    DisplayIcons1 = SettingsMenu->addAction(QStringLiteral("&Display Icons"));
    DisplayIcons1->setCheckable(true);
    DisplayIcons1->setChecked(true);
    IncludeSubfolders1 = SettingsMenu->addAction(QStringLiteral("&Include Subfolders"));
    IncludeSubfolders1->setCheckable(true);
    IncludeSubfolders1->setChecked(true);
    SettingsMenu->addSeparator();
    ResettoDefaults1 = SettingsMenu->addAction(QStringLiteral("&Reset to Defaults..."));

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = HelpMenu->addAction(namedIcon(QStringLiteral("help")), QStringLiteral("Online &Help"));
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    Help2->setShortcutContext(Qt::ApplicationShortcut);
    HelpMenu->addSeparator();
    UpdateNotifications1 = HelpMenu->addAction(QStringLiteral("&Update Notifications"));
    UpdateNotifications1->setCheckable(true);
    UpdateNotifications1->setChecked(true);
    UpdateNotifications1->setEnabled(false);
    UpdateNotificationsBar = HelpMenu->addSeparator();
    Language1 =
        HelpMenu->addAction(namedIcon(QStringLiteral("flag")), QStringLiteral("&Language..."));
    SendFeedback1 = HelpMenu->addAction(namedIcon(QStringLiteral("feedback")),
                                        QStringLiteral("Send &Feedback..."));
    About1 = HelpMenu->addAction(namedIcon(QStringLiteral("about")), QStringLiteral("&About..."));
}

void TAppForm::setTabOrders() {
    // Page by page as the eye reads it, the tabs first; hidden widgets are passed over.
    const std::initializer_list<QWidget*> order = {PageControl1->tabBar(),
                                                   ButtonFiles,
                                                   ButtonFolder,
                                                   ButtonDelete,
                                                   ButtonClear,
                                                   ListView1,
                                                   ButtonNext,
                                                   ComboBoxType,
                                                   SpinEdit1,
                                                   CheckBoxGrayscale,
                                                   CheckBoxKeepMetadata,
                                                   CheckBoxResize,
                                                   ComboBoxResizeMode,
                                                   SpinEditResize1,
                                                   SpinEditResize2,
                                                   CheckBoxNoEnlarge,
                                                   ComboBoxDestination,
                                                   ButtonBrowse,
                                                   CheckBoxKeepStructure,
                                                   ButtonBack,
                                                   ButtonProcess};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous != nullptr)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void TAppForm::connectHandlers() {
    auto on = [this](auto* sender, auto signal, void (TAppForm::*handler)()) {
        guarded_.connect(sender, signal, this, handler);
    };
    on(ButtonNext, &QPushButton::clicked, &TAppForm::ButtonNextClick);
    on(ButtonBack, &QPushButton::clicked, &TAppForm::ButtonBackClick);
    on(ButtonFiles, &QPushButton::clicked, &TAppForm::ButtonFilesClick);
    on(ButtonFolder, &QPushButton::clicked, &TAppForm::ButtonFolderClick);
    on(ButtonDelete, &QPushButton::clicked, &TAppForm::ButtonDeleteClick);
    on(ButtonClear, &QPushButton::clicked, &TAppForm::ButtonClearClick);
    on(PageControl1, &QTabWidget::currentChanged, &TAppForm::PageControl1Change);
    on(ComboBoxType, &QComboBox::currentIndexChanged, &TAppForm::ComboBoxTypeChange);
    on(ButtonProcess, &QPushButton::clicked, &TAppForm::ButtonProcessClick);
    on(ButtonBrowse, &QPushButton::clicked, &TAppForm::ButtonBrowseClick);
    on(AddFiles1, &QAction::triggered, &TAppForm::AddFiles1Click);
    on(AddFolder1, &QAction::triggered, &TAppForm::AddFolder1Click);
    on(Exit1, &QAction::triggered, &TAppForm::Exit1Click);
    on(Help2, &QAction::triggered, &TAppForm::Help2Click);
    on(DisplayIcons1, &QAction::triggered, &TAppForm::DisplayIcons1Click);
    on(IncludeSubfolders1, &QAction::triggered, &TAppForm::IncludeSubfolders1Click);
    on(ResettoDefaults1, &QAction::triggered, &TAppForm::ResettoDefaults1Click);
    // Every change of the field's text, typed or stepped or set, is saved at once.
    on(static_cast<QualitySpinBox*>(SpinEdit1), &QualitySpinBox::fieldTextChanged,
       &TAppForm::SpinEdit1Change);
    on(ComboBoxDestination, &QComboBox::editTextChanged, &TAppForm::ComboBoxDestinationChange);
    on(CheckBoxKeepMetadata, &QCheckBox::toggled, &TAppForm::CheckBoxKeepMetadataClick);
    on(CheckBoxResize, &QCheckBox::toggled, &TAppForm::CheckBoxResizeClick);
    on(ComboBoxResizeMode, &QComboBox::currentIndexChanged, &TAppForm::ComboBoxResizeModeChange);
    on(SpinEditResize1, &QSpinBox::valueChanged, &TAppForm::SpinEditResizeChange);
    on(SpinEditResize2, &QSpinBox::valueChanged, &TAppForm::SpinEditResizeChange);
    on(CheckBoxNoEnlarge, &QCheckBox::toggled, &TAppForm::CheckBoxNoEnlargeClick);
    on(CheckBoxKeepStructure, &QCheckBox::toggled, &TAppForm::CheckBoxKeepStructureClick);
    on(TimerChecker, &QTimer::timeout, &TAppForm::TimerCheckerTimer);
    on(UpdateNotifications1, &QAction::triggered, &TAppForm::UpdateNotifications1Click);
    on(SendFeedback1, &QAction::triggered, &TAppForm::SendFeedback1Click);
    on(TimerParam, &QTimer::timeout, &TAppForm::TimerParamTimer);
    on(ListView1, &QAbstractItemView::doubleClicked, &TAppForm::ListView1DblClick);
    on(Open1, &QAction::triggered, &TAppForm::Open1Click);
    on(Properties1, &QAction::triggered, &TAppForm::Properties1Click);
    on(ShowinExplorer1, &QAction::triggered, &TAppForm::ShowinExplorer1Click);
    on(Delete1, &QAction::triggered, &TAppForm::Delete1Click);
    on(Clear1, &QAction::triggered, &TAppForm::Clear1Click);
    on(Language1, &QAction::triggered, &TAppForm::Language1Click);
    on(About1, &QAction::triggered, &TAppForm::About1Click);
}

void TAppForm::FormCreate() {
    guarded_([this] {
        AppIdentity identity;
        try {
            readAppIdentity(services_.executablePath, identity);
        } catch (...) {
            setAppIdentity(identity);
            throw;
        }
        setAppIdentity(identity);
        setWindowTitle(identity.caption);
        setAcceptDrops(true);
        SettingsFolder = chooseSettingsFolder(services_.programFolder, identity.AppCompanyName,
                                              identity.AppProductName);
        settings_.open(SettingsFolder);
        const QString destination = settings_.startDestination();
        if (!destination.isEmpty()) {
            // Applying the stored text is no change to store.
            const QSignalBlocker blocker(ComboBoxDestination);
            ComboBoxDestination->setCurrentText(destination);
        }
        // A value other than the field's initial 100 changes its text, which saves the file.
        const int shownBefore = SpinEdit1->value();
        SpinEdit1->setValue(settings_.startQuality());
        if (SpinEdit1->value() == shownBefore && settings_.storedQualityOutOfRange()) {
            // 150 shows as the 100 already there; the file still gets the corrected value.
            guarded_([this] { SpinEdit1Change(); });
        }
        {
            // Applying the stored choice is no change to store.
            const QSignalBlocker blocker(CheckBoxKeepMetadata);
            CheckBoxKeepMetadata->setChecked(settings_.startKeepMetadata());
        }
        applyStoredResizeChoices();
        LoadLanguage(preferredLanguageFile());
        captionKeepMetadata();
        captionResizeControls();
        PageControl1->setCurrentWidget(TabSheet1);
        ButtonClearClick();
    });
}

void TAppForm::ButtonNextClick() {
    if (model_->rowCount() == 0) {
        services_.dialogs.beep();
        return;
    }
    {
        // Next runs the page-change rule itself, once, as a tab change by the user would.
        const QSignalBlocker blocker(PageControl1);
        PageControl1->setCurrentWidget(TabSheet2);
    }
    PageControl1Change();
}

void TAppForm::ButtonBackClick() {
    PageControl1->setCurrentWidget(TabSheet1);
}

void TAppForm::PageControl1Change() {
    if (PageControl1->currentIndex() != 1)
        return;
    if (shouldSwitchWebpToPng(ImageQueue_, ComboBoxType->currentText())) {
        ComboBoxType->setCurrentIndex(1);
    }
    ComboBoxTypeChange();
}

void TAppForm::ComboBoxTypeChange() {
    const bool visible = usesQuality(ComboBoxType->currentText());
    Label2->setVisible(visible);
    SpinEdit1->setVisible(visible);
    Label3->setVisible(visible);
}

void TAppForm::ButtonProcessClick() {
    if (running_) {
        cancelRun();
        return;
    }
    std::optional<RunTotals> totals;
    const QString folder =
        SettingsFolder.isEmpty() ? withTrailingSeparator(services_.programFolder) : SettingsFolder;
    EngineFactory factory(services_.programFolder);
    // Workers log on their own threads; the hidden log is the window's, so it takes the text
    // on the window's thread.
    factory.showLog = [this](const QString& text) {
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                CommandLog1.clear();
                CommandLog1.appendText(text);
            },
            Qt::QueuedConnection);
    };
    EventLoopWaiter waiter;
    runCancel_.reset();
    RunSettings settings;
    settings.settingsFolder = folder;
    settings.cancel = &runCancel_;
    settings.waiter = &waiter;
    WindowRunReporter reporter(StatusPanel0, StatusPanelProgress, ComboBoxDestination, PageControl1,
                               TabSheet1);
    // The inputs go once the preconditions have passed: a warning about the destination still
    // gives it the focus.
    reporter.runGoesOn = [this](bool going) { setRunning(going); };
    // After a cancel, workers still ending their file are waited for when the result window
    // has been shown.
    ConversionRun run(services_.dialogs, reporter, services_.clock, factory, settings);
    {
        const OverrideCursor busy(Qt::BusyCursor);
        // The window stays alive during the run: it repaints and takes a Cancel, while what
        // would change the run is disabled; all of it is back however the run ends.
        struct Running {
            TAppForm& form;
            ~Running() {
                if (form.running_)
                    form.setRunning(false);
            }
        } running{*this};
        QStringList sources, scanRoots;
        for (const TMyRecord& record : ImageQueue_.items()) {
            sources << record.FName;
            scanRoots << record.scanRoot;
        }
        ConversionOptions options{
            ComboBoxType->currentText(), SpinEdit1->value(), CheckBoxGrayscale->isChecked(),
            ComboBoxDestination->currentText(), CheckBoxKeepMetadata->isChecked()};
        addResizeOptions(options, scanRoots);
        totals = run.run(sources, options);
    }
    if (totals && !closeAfterRun_) {
        TFormResult form(
            services_.shell, services_.dialogs,
            [this] { return resultFolderToOpen(ComboBoxDestination->currentText(), ImageQueue_); },
            this);
        form.showTotals(*totals);
        showResultForm(form);
    }
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        const bool quit = quitAfterRun_;
        quitAfterRun_ = false;
        // Once this handler has returned, the run's workers are gone.
        QTimer::singleShot(0, this, [this, quit] {
            if (quit)
                QApplication::quit();
            else
                close();
        });
    }
}

void TAppForm::cancelRun() {
    if (running_)
        runCancel_.cancel();
}

void TAppForm::setRunning(bool running) {
    running_ = running;
    for (QWidget* input : std::initializer_list<QWidget*>{
             TabSheet1, PageControl1->tabBar(), ComboBoxType, SpinEdit1, CheckBoxGrayscale,
             CheckBoxKeepMetadata, CheckBoxResize, ComboBoxResizeMode, SpinEditResize1,
             SpinEditResize2, CheckBoxNoEnlarge, CheckBoxKeepStructure, ComboBoxDestination,
             ButtonBrowse, ButtonBack})
        input->setEnabled(!running);
    // The resize fields and the folder-structure box follow their own rules once back.
    if (!running)
        updateResizeControls();
    for (QAction* action : {AddFiles1, AddFolder1, DisplayIcons1, IncludeSubfolders1,
                            ResettoDefaults1, Language1, Delete1, Clear1})
        action->setEnabled(!running);
    CancelRun->setEnabled(running);
    if (running) {
        // The translation gets a letter no other caption of the page or the menu bar uses.
        QString taken = takenMnemonics(*TabSheet2, ButtonProcess);
        ButtonProcess->setText(withMnemonic(TranslateText(QStringLiteral("Cancel")), taken));
        ButtonProcess->setIcon(namedIcon(QStringLiteral("close")));
        ButtonProcess->setFocus();
        StatusPanelProgress->setAccessibleName(TranslateText(QStringLiteral("Progress")));
    } else {
        ButtonProcess->setText(QStringLiteral("&Process"));
        ButtonProcess->setIcon(namedIcon(QStringLiteral("tick_button")));
    }
}

void TAppForm::closeEvent(QCloseEvent* event) {
    if (!running_) {
        QMainWindow::closeEvent(event);
        return;
    }
    closeAfterRun_ = true;
    cancelRun();
    event->ignore();
}

void TAppForm::ButtonBrowseClick() {
    const QStringList folders = services_.fileDialogs.chooseFolders(
        QStringLiteral("Select folder:"), QStringLiteral("Select"), LastChosenFolder, false);
    if (folders.isEmpty() || folders.front().isEmpty())
        return;
    LastChosenFolder = folders.front();
    // The destination's change handling stores the new text.
    ComboBoxDestination->setCurrentText(LastChosenFolder);
}

void TAppForm::Help2Click() {
    openPage(services_.shell, services_.dialogs,
             makerUrl(QStringLiteral("http"), onlineHelpPath(appIdentity().AppProductName)),
             TranslateText);
}

void TAppForm::Exit1Click() {
    if (running_) {
        closeAfterRun_ = true;
        quitAfterRun_ = true;
        cancelRun();
        return;
    }
    QApplication::quit();
}

void TAppForm::AddFiles1Click() {
    ButtonFiles->click();
}

void TAppForm::AddFolder1Click() {
    ButtonFolder->click();
}

void TAppForm::ButtonFilesClick() {
    static const QString patterns = addFilesPatterns();
    const QString filter = TranslateText(QStringLiteral("Image Files")) + QStringLiteral(" (") +
                           patterns + QStringLiteral(");;") +
                           TranslateText(QStringLiteral("All Files (*.*)"))
                               .replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
    const QStringList chosen = services_.fileDialogs.openFiles(filter, QStringLiteral("webp"));
    if (chosen.isEmpty())
        return;
    intake_.addChosenFiles(chosen);
    updateQueueView();
}

void TAppForm::ButtonFolderClick() {
    const QStringList folders = services_.fileDialogs.chooseFolders(
        QStringLiteral("Select folder:"), QStringLiteral("Select"), LastChosenFolder, true);
    if (folders.isEmpty())
        return;
    LastChosenFolder = folders.front();
    for (const QString& folder : folders)
        intake_.AddMyFolder(folder);
    model_->syncRowCount();
    KacItemVarGuncelle();
}

void TAppForm::TimerParamTimer() {
    TimerParam->stop();
    intake_.addPaths(services_.arguments);
    updateQueueView();
}

void TAppForm::DisplayIcons1Click() {
    ListView1->viewport()->update();
}

void TAppForm::IncludeSubfolders1Click() {}

void TAppForm::Language1Click() {
    const QString folder = SettingsFolder.isEmpty() ? services_.programFolder : SettingsFolder;
    const QString page = makerUrl(QStringLiteral("https"), QStringLiteral("/translation/"));
    TranslateFormServices chooser{services_.dialogs,
                                  services_.shell,
                                  services_.executablePath,
                                  folder,
                                  page,
                                  [this](const QString& file) { SetLanguageFile(file); },
                                  [] { QCoreApplication::quit(); }};
    TTranslateForm form(chooser, languageState(), this);
    form.exec();
}

void TAppForm::About1Click() {
    TAboutBox box(services_.dialogs, services_.shell, services_.clock, services_.programFolder,
                  this);
    box.exec();
}

void TAppForm::SetLanguageFile(const QString& Filename) {
    storePreferredLanguageFile(Filename);
}

void TAppForm::SpinEdit1Change() {
    settings_.storeQuality(SpinEdit1->cleanText());
}

void TAppForm::ComboBoxDestinationChange() {
    updateResizeControls();
    settings_.storeDestination(ComboBoxDestination->currentText());
}

void TAppForm::CheckBoxKeepMetadataClick() {
    settings_.storeKeepMetadata(CheckBoxKeepMetadata->isChecked());
}

QString TAppForm::takenMnemonics(const QWidget& scope, const QAbstractButton* except) const {
    QString taken;
    for (const QAbstractButton* button : scope.findChildren<QAbstractButton*>())
        if (button != except)
            taken += mnemonicOf(button->text());
    for (const QLabel* label : scope.findChildren<QLabel*>())
        taken += mnemonicOf(label->text());
    for (const QAction* menu : menuBar()->actions())
        taken += mnemonicOf(menu->text());
    taken.remove(QChar());
    return taken;
}

void TAppForm::captionKeepMetadata() {
    // The translation gets a letter no other caption of the window or its menu bar uses.
    QString taken = takenMnemonics(*this, CheckBoxKeepMetadata);
    const QString caption = TranslateText(QStringLiteral("Keep metadata (EXIF, XMP)"));
    CheckBoxKeepMetadata->setText(withMnemonic(caption, taken));
}

void TAppForm::ResettoDefaults1Click() {
    if (ResetToDefaults(services_.dialogs, services_.shell, SettingsFolder + AppSettings::kFileName,
                        services_.executablePath)) {
        QApplication::quit();
    }
}

void TAppForm::TimerCheckerTimer() {
    if (!Checker) {
        CheckerSetup setup;
        if (makeCheckerSetup) {
            setup = makeCheckerSetup();
        } else {
            setup.identity = appIdentity();
        }
        Checker = std::make_unique<TChecker>(std::move(setup));
        Checker->start();
        return;
    }
    if (!Checker->CheckDone())
        return;
    TimerChecker->stop();
    const CheckResults& results = Checker->results();
    UpdateNotifications1->setEnabled(true);
    if (results.ShowUpdate == 0)
        UpdateNotifications1->setChecked(false);
    if (results.NoticePending && !NewVer) {
        NewVer = new TNewVer(results.ServerVersion, results.DownloadURL, appIdentity(),
                             services_.shell, services_.dialogs, this);
    }
}

void TAppForm::UpdateNotifications1Click() {
    // The action has already toggled its check mark; the store follows it from the next start.
    QSettingsUpdateStore store;
    storeShowUpdate(store, UpdateNotifications1->isChecked());
}

void TAppForm::SendFeedback1Click() {
    CurlFormPoster::Options options;
    options.userAgent = appIdentity().AppProductName + u'/' + appIdentity().AppVersion;
    CurlFormPoster poster(options);
    TFeedbackForm feedback(services_.dialogs, poster, appIdentity(), this);
    feedback.exec();
}

}  // namespace pixmorrow
