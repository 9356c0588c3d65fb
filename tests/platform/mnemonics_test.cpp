// Mnemonics for captions known only at run time: one letter each, never one already taken.
#include "platform/mnemonics.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

TEST(Mnemonics, EachCaptionGetsAFreeLetterWordStartsFirst) {
    struct Case {
        QString taken;
        QStringList captions;
        QStringList shown;
    } cases[] = {
        {"", {"Yes", "No"}, {"&Yes", "&No"}},
        // A second word's start before any letter inside a word.
        {"", {"Save", "Send Now"}, {"&Save", "Send &Now"}},
        {"n", {"Nein"}, {"N&ein"}},
        // Letters are compared without case, also outside ASCII.
        {"s", {"Save", "send"}, {"S&ave", "s&end"}},
        {"", {"Ünlü", "über"}, {"&Ünlü", "ü&ber"}},
        // A digit serves when no letter is free.
        {"ab", {"ab 2"}, {"ab &2"}},
        // An "&" of the caption shows as itself.
        {"", {"Drag & Drop"}, {"&Drag && Drop"}},
        // Nothing free: no mnemonic, and nothing taken.
        {"ok", {"OK", "ko"}, {"OK", "ko"}},
        {"", {"", "..."}, {"", "..."}},
    };
    for (const Case& c : cases) {
        QString taken = c.taken;
        QStringList shown;
        for (const QString& caption : c.captions)
            shown << withMnemonic(caption, taken);
        EXPECT_EQ(shown, c.shown) << c.captions.join(u'|').toStdString();
        for (qsizetype i = 0; i < shown.size(); ++i)
            EXPECT_EQ(withoutMnemonic(shown[i]), c.captions[i]) << shown[i].toStdString();
    }
}

TEST(Mnemonics, TheMnemonicOfACaptionIsTheLetterAfterASingleAmpersand) {
    EXPECT_EQ(mnemonicOf(QStringLiteral("&Yes")), u'y');
    EXPECT_EQ(mnemonicOf(QStringLiteral("Add Fo&lder")), u'l');
    EXPECT_EQ(mnemonicOf(QStringLiteral("Drag && Drop")), QChar());
    EXPECT_EQ(mnemonicOf(QStringLiteral("A && &B")), u'b');
    EXPECT_EQ(mnemonicOf(QStringLiteral("Plain")), QChar());
    EXPECT_EQ(mnemonicOf(QStringLiteral("End&")), QChar());
    EXPECT_EQ(withoutMnemonic(QStringLiteral("A && &B&")), QStringLiteral("A & B"));
}

}  // namespace
}  // namespace pixmorrow
