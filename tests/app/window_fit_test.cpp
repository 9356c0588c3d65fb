// Every window at the font it gets: at the default font the fixed windows keep their design
// size, and with larger text (the same tests run with QT_FONT_DPI=144, with and without
// high-DPI scaling) they grow so that no caption, value or button is cut.
#include "about/about_box.h"
#include "about/app_identity.h"
#include "app/app_form_fixture.h"
#include "conversion/run/conversion_run.h"
#include "conversion/run/result_form.h"
#include "localization/language.h"
#include "localization/language_preference.h"
#include "localization/translate_form.h"
#include "online/feedback_form.h"
#include "online/form_post.h"
#include "online/new_version_form.h"
#include "platform/elided_label.h"
#include "support/test_paths.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow::testing {
namespace {

// The font setting of this run, set before main() creates the application, as the desktop
// sets it before a program starts: PIXMORROW_TEST_TEXT=large_font is text 1.5 times larger
// without high-DPI scaling, large_font_scaled the same with it.
const bool kTextSet = [] {
    const QByteArray text = qgetenv("PIXMORROW_TEST_TEXT");
    if (text == "large_font" || text == "large_font_scaled") {
        qputenv("QT_FONT_DPI", "144");
        qputenv("QT_ENABLE_HIGHDPI_SCALING", text == "large_font" ? "0" : "1");
    }
    return true;
}();

class NoPoster final : public FormPoster {
public:
    QString PostForm(const QString&, const FormFields&, int) override { return QString(); }
};

const AppIdentity kIdentity{QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"),
                            QStringLiteral("2.0"), QStringLiteral("TARNWICK - Pixmorrow")};

// Text is larger than the design's when the font DPI is above 96 without scaling.
bool largerText(const QWidget& window) {
    return window.logicalDpiY() > 96;
}

std::string nameOf(const QWidget* w) {
    const QString text = qobject_cast<const QLabel*>(w) ? static_cast<const QLabel*>(w)->text()
                         : qobject_cast<const QAbstractButton*>(w)
                             ? static_cast<const QAbstractButton*>(w)->text()
                             : QString();
    return (QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName() + u' ' +
            text)
        .toStdString();
}

// No visible text of `window` is cut: each label, button and field has at least the room
// its text asks for, and lies inside the window.
void expectNothingClips(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    const QRect inside = window.rect();
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->isWindow())
            continue;
        // The text fields inside spin and combo boxes are sized by their boxes.
        if (qobject_cast<QAbstractSpinBox*>(w->parentWidget()) ||
            qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        SCOPED_TRACE(nameOf(w));
        const QRect place(w->mapTo(&window, QPoint(0, 0)), w->size());
        const bool text = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                          qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
                          qobject_cast<QAbstractSpinBox*>(w);
        if (!text)
            continue;
        EXPECT_TRUE(inside.contains(place)) << "at " << place.x() << "," << place.y() << " "
                                            << place.width() << "x" << place.height();
        if (qobject_cast<ElidedLabel*>(w))
            continue;  // cuts its text on purpose, with a tooltip
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->pixmap().isNull() || label->text().isEmpty())
                continue;
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()));
                continue;
            }
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->text().isEmpty())
            continue;
        const QSize needed = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)
                                 ? w->sizeHint()
                                 : w->minimumSizeHint();
        EXPECT_GE(w->width(), needed.width());
        EXPECT_GE(w->height(), needed.height());
    }
}

void expectDesignSizeOrLarger(const QWidget& window, QSize design) {
    if (largerText(window)) {
        EXPECT_GE(window.width(), design.width());
        EXPECT_GE(window.height(), design.height());
    } else {
        EXPECT_EQ(window.size(), design);
    }
}

// The texts of a shipped translation.
Translator shippedTranslation(const QString& language) {
    QFile file(testSourceFolder() + QStringLiteral("/../resources/Languages/") + language +
               QStringLiteral(".lang.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = decodeLanguageLines(file.readAll(), file.fileName());
    return [lines](const QString& key) {
        const QString found = FindTranslation(key, lines);
        return found.isEmpty() ? key : found;
    };
}

class WindowFit : public AppFormTest {
protected:
    void SetUp() override {
        AppFormTest::SetUp();
        setAppIdentity(kIdentity);
    }
};

TEST_F(WindowFit, TheMainWindowsPagesShowEveryCaption) {
    TAppForm& form = AppFormTest::form();
    form.imageQueue().append(QStringLiteral("/pictures/holiday/photo 1.png"));
    form.updateQueueView();
    for (QWidget* page : {form.TabSheet1, form.TabSheet2}) {
        SCOPED_TRACE(page == form.TabSheet1 ? "Images" : "Options");
        form.PageControl1->setCurrentWidget(page);
        expectNothingClips(form);
    }
    EXPECT_GE(form.ButtonFiles->width(), 90);
    EXPECT_GE(form.ButtonNext->width(), 134);
    if (!largerText(form)) {
        EXPECT_EQ(form.ButtonFiles->width(), 90);
        EXPECT_EQ(form.ButtonProcess->width(), 134);
    }
}

// The Options page with its resize and folder-structure controls on, in English and in
// every shipped translation: the longest captions still fit.
TEST_F(WindowFit, TheOptionsPageShowsTheResizeControlsInEveryLanguage) {
    const QString shipped = testSourceFolder() + QStringLiteral("/../resources/Languages");
    ASSERT_TRUE(QDir().mkpath(programDir.filePath(QStringLiteral("Languages"))));
    for (const QString& name : QDir(shipped).entryList(QDir::Files))
        QFile::copy(shipped + u'/' + name,
                    programDir.filePath(QStringLiteral("Languages/")) + name);
    for (const QString& language :
         {QString(), QStringLiteral("German"), QStringLiteral("French"), QStringLiteral("Spanish"),
          QStringLiteral("Italian"), QStringLiteral("PortugueseBrazil"), QStringLiteral("Turkish"),
          QStringLiteral("Dutch"), QStringLiteral("Polish")}) {
        SCOPED_TRACE(language.isEmpty() ? "English" : language.toStdString());
        storePreferredLanguageFile(language.isEmpty() ? QStringLiteral("none.lang.txt")
                                                      : language + QStringLiteral(".lang.txt"));
        AppServices services{dialogs,           fileDialogs,       shell, clock,
                             builtExecutable(), programDir.path(), {}};
        TAppForm form(services);
        if (!language.isEmpty()) {
            EXPECT_NE(form.CheckBoxNoEnlarge->text().remove(u'&'),
                      QStringLiteral("Do not enlarge"));
        }
        form.PageControl1->setCurrentWidget(form.TabSheet2);
        form.CheckBoxResize->setChecked(true);
        form.ComboBoxResizeMode->setCurrentIndex(3);  // fit in box: both fields
        form.ComboBoxDestination->setCurrentText(QStringLiteral("/tmp"));
        expectNothingClips(form);
        // Every entry of the mode list fits its box.
        const QFontMetrics metrics(form.ComboBoxResizeMode->font());
        for (int i = 0; i < form.ComboBoxResizeMode->count(); ++i)
            EXPECT_LE(metrics.horizontalAdvance(form.ComboBoxResizeMode->itemText(i)),
                      form.ComboBoxResizeMode->width());
    }
    LoadLanguage(QString());
}

TEST_F(WindowFit, TheResultWindowShowsItsCaptionsAndValues) {
    TFormResult form(shell, dialogs, [] { return QString(); });
    RunTotals totals;
    totals.processedCount = 1234;
    totals.inputTotal = 2'000'000;
    totals.outputTotal = 500'000;
    totals.elapsedMilliseconds = 123'456;
    form.showTotals(totals);
    expectDesignSizeOrLarger(form, QSize(331, 120));
    expectNothingClips(form);
}

TEST_F(WindowFit, TheAboutWindowShowsItsCard) {
    TAboutBox box(dialogs, shell, clock, programDir.path());
    expectDesignSizeOrLarger(box, QSize(446, 374));
    expectNothingClips(box);
}

TEST_F(WindowFit, TheChooserShowsItsCaptions) {
    LanguageState language;
    TranslateFormServices services{
        dialogs, shell, builtExecutable(), configDir.path(), QStringLiteral("https://x/"), {}, {}};
    TTranslateForm chooser(services, language);
    expectDesignSizeOrLarger(chooser, QSize(622, 227));
    expectNothingClips(chooser);
}

TEST_F(WindowFit, TheFeedbackWindowShowsItsCaptionsInEnglishAndInTranslations) {
    NoPoster poster;
    for (const QString& language : {QString(), QStringLiteral("German"), QStringLiteral("French"),
                                    QStringLiteral("PortugueseBrazil")}) {
        SCOPED_TRACE(language.toStdString());
        TFeedbackForm form(dialogs, poster, kIdentity, nullptr,
                           language.isEmpty() ? defaultTranslator() : shippedTranslation(language));
        expectDesignSizeOrLarger(form, QSize(525, 326));
        expectNothingClips(form);
    }
}

TEST_F(WindowFit, TheNoticeShowsItsTextInEnglishAndInTranslations) {
    for (const QString& language :
         {QString(), QStringLiteral("German"), QStringLiteral("Polish")}) {
        SCOPED_TRACE(language.toStdString());
        TNewVer notice(QStringLiteral("2.1"), QStringLiteral("https://dl.example/"), kIdentity,
                       shell, dialogs, nullptr,
                       language.isEmpty() ? defaultTranslator() : shippedTranslation(language));
        // Shown at rest, without its zoom.
        notice.TimerStart->stop();
        expectDesignSizeOrLarger(notice, QSize(320, 68));
        expectNothingClips(notice);
    }
}

}  // namespace
}  // namespace pixmorrow::testing
