#include "platform/error_report.h"
#include "platform/error.h"
#include "support/recording_dialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pixmorrow {
namespace {

TEST(GeneralErrorReport, AppendsAFullStopAfterCharactersPastIt) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Unable to create directory", "Unable to create directory."},
        {"Error 42", "Error 42."},
        {"Already stopped.", "Already stopped."},
        {"What?", "What?."},
        {"Done!", "Done!"},
        {"Range -", "Range -"},
        {"Path /tmp/", "Path /tmp/."},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(generalErrorText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
            << c.message;
    }
}

TEST(GeneralErrorReport, ShowsTheErrorInABoxTitledWithTheApplicationTitleAndGoesOn) {
    testing::RecordingDialogs dialogs;
    EXPECT_FALSE(
        reportingErrors(dialogs, [] { throw Error(QStringLiteral("Settings cannot be saved")); }));
    EXPECT_FALSE(reportingErrors(dialogs, [] { throw std::runtime_error("plain failure"); }));
    EXPECT_TRUE(reportingErrors(dialogs, [] {}));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Settings cannot be saved."));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Pixmorrow"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("plain failure."));
}

}  // namespace
}  // namespace pixmorrow
