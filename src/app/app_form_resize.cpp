// The Options page's resize and folder-structure controls. Their logic is plain
// (app/resize_choice.h); these handlers only move values between it, the widgets and the
// settings file.
#include "app/app_form.h"
#include "app/resize_choice.h"
#include "conversion/run/conversion_run.h"
#include "localization/language.h"
#include "platform/mnemonics.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QSpinBox>

namespace pixmorrow {

void TAppForm::buildResizeControls(QGridLayout* grid, int row) {
    // Captions and list entries are translated, so they are set once the language is loaded.
    CheckBoxResize = new QCheckBox(TabSheet2);
    CheckBoxResize->setObjectName(QStringLiteral("CheckBoxResize"));
    ComboBoxResizeMode = new QComboBox(TabSheet2);
    ComboBoxResizeMode->setObjectName(QStringLiteral("ComboBoxResizeMode"));
    for (int i = 0; i < resizeModeNames().size(); ++i)
        ComboBoxResizeMode->addItem(QString());
    const auto sizeField = [this](const char* name) {
        auto* field = new QSpinBox(TabSheet2);
        field->setObjectName(QString::fromLatin1(name));
        field->setRange(1, int(formats::kMaxResizePixels));
        // Typing 1 on the way to 1920 is no choice to store.
        field->setKeyboardTracking(false);
        field->setAccelerated(true);
        return field;
    };
    SpinEditResize1 = sizeField("SpinEditResize1");
    SpinEditResize2 = sizeField("SpinEditResize2");
    LabelResizeBy = new QLabel(QStringLiteral("\u00d7"), TabSheet2);
    LabelResizeUnit = new QLabel(TabSheet2);
    auto* line = new QHBoxLayout;
    line->addWidget(CheckBoxResize);
    line->addWidget(ComboBoxResizeMode);
    line->addWidget(SpinEditResize1);
    line->addWidget(LabelResizeBy);
    line->addWidget(SpinEditResize2);
    line->addWidget(LabelResizeUnit);
    line->addStretch(1);
    grid->addLayout(line, row, 1);

    CheckBoxNoEnlarge = new QCheckBox(TabSheet2);
    CheckBoxNoEnlarge->setObjectName(QStringLiteral("CheckBoxNoEnlarge"));
    CheckBoxNoEnlarge->setChecked(true);
    grid->addWidget(CheckBoxNoEnlarge, row + 1, 1);

    CheckBoxKeepStructure = new QCheckBox(TabSheet2);
    CheckBoxKeepStructure->setObjectName(QStringLiteral("CheckBoxKeepStructure"));

    const ResizeFields fields = fieldsFor(formats::ResizeRequest{});
    SpinEditResize1->setValue(fields.first);
    SpinEditResize2->setValue(fields.second);
    updateResizeControls();
}

void TAppForm::applyStoredResizeChoices() {
    const QSignalBlocker a(CheckBoxResize), b(ComboBoxResizeMode), c(SpinEditResize1),
        d(SpinEditResize2), e(CheckBoxNoEnlarge), f(CheckBoxKeepStructure);
    const formats::ResizeRequest stored = settings_.startResizeTo();
    const ResizeFields fields = fieldsFor(stored);
    CheckBoxResize->setChecked(settings_.startResize());
    ComboBoxResizeMode->setCurrentIndex(fields.modeIndex);
    shownResizeMode_ = fields.modeIndex;
    SpinEditResize1->setMaximum(fields.firstMaximum);
    SpinEditResize1->setValue(fields.first);
    SpinEditResize2->setValue(fields.second);
    CheckBoxNoEnlarge->setChecked(!stored.enlarge);
    CheckBoxKeepStructure->setChecked(settings_.startKeepFolderStructure());
    updateResizeControls();
}

void TAppForm::captionResizeControls() {
    // Letters no other caption of the window or its menu bar uses, given in the order the
    // controls are read; the keep-metadata check box has chosen its letter before.
    QAbstractButton* const own[] = {CheckBoxResize, CheckBoxNoEnlarge, CheckBoxKeepStructure};
    for (QAbstractButton* button : own)
        button->setText(QString());
    QString taken = takenMnemonics(*this, nullptr);
    CheckBoxResize->setText(withMnemonic(TranslateText(QStringLiteral("Resize:")), taken));
    CheckBoxNoEnlarge->setText(
        withMnemonic(TranslateText(QStringLiteral("Do not enlarge")), taken));
    CheckBoxKeepStructure->setText(
        withMnemonic(TranslateText(QStringLiteral("Keep folder structure")), taken));
    const QStringList modes = resizeModeNames();
    for (int i = 0; i < modes.size(); ++i)
        ComboBoxResizeMode->setItemText(i, TranslateText(modes.at(i)));
    ComboBoxResizeMode->setAccessibleName(TranslateText(QStringLiteral("Resize mode")));
    SpinEditResize1->setAccessibleName(TranslateText(QStringLiteral("Size")));
    SpinEditResize2->setAccessibleName(TranslateText(QStringLiteral("Box height")));
    updateResizeControls();
}

void TAppForm::updateResizeControls() {
    const ResizeFields fields =
        fieldsFor(requestFor(ComboBoxResizeMode->currentIndex(), SpinEditResize1->value(),
                             SpinEditResize2->value(), false));
    const bool on = CheckBoxResize->isChecked();
    for (QWidget* widget :
         std::initializer_list<QWidget*>{ComboBoxResizeMode, SpinEditResize1, LabelResizeBy,
                                         SpinEditResize2, LabelResizeUnit, CheckBoxNoEnlarge})
        widget->setEnabled(on);
    LabelResizeBy->setVisible(fields.secondShown);
    SpinEditResize2->setVisible(fields.secondShown);
    LabelResizeUnit->setText(fields.unit == QLatin1String("%") ? fields.unit
                                                               : TranslateText(fields.unit));
    if (ComboBoxDestination != nullptr)
        CheckBoxKeepStructure->setEnabled(
            keepStructureApplies(ComboBoxDestination->currentText(), kSameFolderAsOriginal));
}

void TAppForm::CheckBoxResizeClick() {
    settings_.storeResize(CheckBoxResize->isChecked());
    updateResizeControls();
}

void TAppForm::ComboBoxResizeModeChange() {
    const int mode = ComboBoxResizeMode->currentIndex();
    const int first = firstValueAfterModeChange(
        formats::ResizeMode(shownResizeMode_), formats::ResizeMode(mode), SpinEditResize1->value());
    shownResizeMode_ = mode;
    {
        // One store for the whole change, below.
        const QSignalBlocker blocker(SpinEditResize1);
        SpinEditResize1->setMaximum(fieldsFor(requestFor(mode, 1, 1, false)).firstMaximum);
        SpinEditResize1->setValue(first);
    }
    SpinEditResizeChange();
}

void TAppForm::SpinEditResizeChange() {
    settings_.storeResizeTo(requestFor(ComboBoxResizeMode->currentIndex(), SpinEditResize1->value(),
                                       SpinEditResize2->value(), !CheckBoxNoEnlarge->isChecked()));
    updateResizeControls();
}

void TAppForm::CheckBoxNoEnlargeClick() {
    settings_.storeResizeEnlarge(!CheckBoxNoEnlarge->isChecked());
}

void TAppForm::CheckBoxKeepStructureClick() {
    settings_.storeKeepFolderStructure(CheckBoxKeepStructure->isChecked());
}

void TAppForm::addResizeOptions(ConversionOptions& options, const QStringList& scanRoots) const {
    if (CheckBoxResize->isChecked())
        options.resize = requestFor(ComboBoxResizeMode->currentIndex(), SpinEditResize1->value(),
                                    SpinEditResize2->value(), !CheckBoxNoEnlarge->isChecked());
    options.keepFolderStructure =
        CheckBoxKeepStructure->isEnabled() && CheckBoxKeepStructure->isChecked();
    options.scanRoots = scanRoots;
}

}  // namespace pixmorrow
