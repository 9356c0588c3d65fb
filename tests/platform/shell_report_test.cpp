// Opening through the shell: what did not open is told, by kind and by name, in the user's
// language; what opened is not.
#include "platform/shell.h"
#include "support/recording_dialogs.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

QString german(const QString& key) {
    if (key == QStringLiteral("This folder could not be opened:"))
        return QStringLiteral("Dieser Ordner konnte nicht geöffnet werden:");
    return key;
}

TEST(ShellReport, WhatDoesNotOpenIsToldByKindAndNameAndWhatOpensIsNot) {
    for (bool opens : {true, false}) {
        testing::RecordingShell shell;
        testing::RecordingDialogs dialogs;
        shell.opens = opens;
        EXPECT_EQ(openPage(shell, dialogs, QStringLiteral("https://a.example/x"), german), opens);
        EXPECT_EQ(openItem(shell, dialogs, ShellItem::File, QStringLiteral("/p/a b.png"), german),
                  opens);
        EXPECT_EQ(openItem(shell, dialogs, ShellItem::Folder, QStringLiteral("/p/out"), german),
                  opens);
        EXPECT_EQ(shell.calls, (std::vector<QString>{"openUrl https://a.example/x",
                                                     "openPath /p/a b.png", "openPath /p/out"}));
        if (opens) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 3u);
        EXPECT_EQ(dialogs.messages[0].text,
                  QStringLiteral("This web page could not be opened:\rhttps://a.example/x"));
        EXPECT_EQ(dialogs.messages[1].text,
                  QStringLiteral("This file could not be opened:\r/p/a b.png"));
        EXPECT_EQ(dialogs.messages[2].text,
                  QStringLiteral("Dieser Ordner konnte nicht geöffnet werden:\r/p/out"));
        for (const auto& message : dialogs.messages) {
            EXPECT_EQ(message.title, QStringLiteral("Pixmorrow"));
            EXPECT_EQ(message.icon, MessageIcon::Warning);
        }
    }
}

}  // namespace
}  // namespace pixmorrow
