#pragma once

#include "localization/language.h"
#include "localization/translate_form.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow::testing {

// The per-user store lives in a folder of the test run's own; it is set before anything
// reads it, since the store's location is fixed at its first use.
inline QString testConfigFolder() {
    static QTemporaryDir folder;
    static const bool set = [] {
        qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
        return true;
    }();
    (void)set;
    return folder.path();
}

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

// A program folder with a Languages folder and a chooser over it, with recording services.
class ChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        testConfigFolder();
        ASSERT_TRUE(QDir(programDir.path()).mkdir(QStringLiteral("Languages")));
        language.LanguageFolder = programDir.path() + QStringLiteral("/Languages");
    }

    void addLanguage(const QString& fileName, const QByteArray& content) {
        writeFile(language.LanguageFolder + u'/' + fileName, content);
        language.LanguageFiles << fileName;
    }

    TranslateFormServices services() {
        return {dialogs,
                shell,
                executable,
                settingsDir.path(),
                QStringLiteral("https://www.maker.test/translation/"),
                [this](const QString& file) { chosenFiles << file; },
                [this] { ++quits; }};
    }

    TTranslateForm& chooser() {
        if (!chooser_)
            chooser_ = std::make_unique<TTranslateForm>(services(), language);
        return *chooser_;
    }

    QTemporaryDir programDir;
    QTemporaryDir settingsDir;
    QString executable = QStringLiteral("/opt/pixmorrow/pixmorrow");
    LanguageState language;
    RecordingDialogs dialogs;
    RecordingShell shell;
    QStringList chosenFiles;
    int quits = 0;

private:
    std::unique_ptr<TTranslateForm> chooser_;
};

}  // namespace pixmorrow::testing
