// The resize controls' plain logic: what the fields show for a request, the request they
// make, the first field across a change of unit, and where keeping folders applies.
#include "app/resize_choice.h"

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using formats::ResizeMode;

TEST(ResizeChoice, FieldsAndRequestsGoBothWays) {
    struct Case {
        const char* text;
        int mode, first, second, maximum;
        bool secondShown;
        const char* unit;
    } cases[] = {
        {"long:1920", 0, 1920, 1080, 65535, false, "px"},
        {"width:800", 1, 800, 1080, 65535, false, "px"},
        {"height:1", 2, 1, 1080, 65535, false, "px"},
        {"fit:640x480", 3, 640, 480, 65535, true, "px"},
        {"1000%", 4, 1000, 1080, 1000, false, "%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto request = formats::parseResizeRequest(c.text);
        ASSERT_TRUE(request);
        const ResizeFields fields = fieldsFor(*request);
        EXPECT_EQ(fields.modeIndex, c.mode);
        EXPECT_EQ(fields.first, c.first);
        EXPECT_EQ(fields.second, c.second);
        EXPECT_EQ(fields.firstMaximum, c.maximum);
        EXPECT_EQ(fields.secondShown, c.secondShown);
        EXPECT_EQ(fields.unit, QString::fromLatin1(c.unit));
        const formats::ResizeRequest back = requestFor(c.mode, c.first, c.second, true);
        EXPECT_EQ(formats::resizeRequestText(back), c.text);
        EXPECT_TRUE(back.enlarge);
    }
    EXPECT_EQ(resizeModeNames().size(), int(ResizeMode::Percent) + 1);
    // Out of range: brought into it, a mode index past the list reads as the last mode.
    EXPECT_EQ(formats::resizeRequestText(requestFor(4, 5000, 0, false)), "1000%");
    EXPECT_EQ(formats::resizeRequestText(requestFor(0, 0, 0, false)), "long:1");
    EXPECT_EQ(formats::resizeRequestText(requestFor(3, 99999, -4, false)), "fit:65535x1");
    EXPECT_EQ(formats::resizeRequestText(requestFor(9, 20, 0, false)), "20%");
}

TEST(ResizeChoice, TheFirstFieldStartsAgainOnlyWhenItsUnitChanges) {
    EXPECT_EQ(firstValueAfterModeChange(ResizeMode::LongestSide, ResizeMode::Width, 800), 800);
    EXPECT_EQ(firstValueAfterModeChange(ResizeMode::Width, ResizeMode::FitInBox, 640), 640);
    EXPECT_EQ(firstValueAfterModeChange(ResizeMode::Height, ResizeMode::Percent, 600), 50);
    EXPECT_EQ(firstValueAfterModeChange(ResizeMode::Percent, ResizeMode::LongestSide, 25), 1920);
    EXPECT_EQ(firstValueAfterModeChange(ResizeMode::Percent, ResizeMode::Percent, 25), 25);
}

TEST(ResizeChoice, KeepingFoldersAppliesToADestinationFolderOnly) {
    const QString same = QStringLiteral("Same Folder as Original");
    EXPECT_TRUE(keepStructureApplies(QStringLiteral("/home/me/out"), same));
    EXPECT_TRUE(keepStructureApplies(QStringLiteral("relative"), same));
    EXPECT_FALSE(keepStructureApplies(same, same));
    EXPECT_FALSE(keepStructureApplies(QString(), same));
    EXPECT_FALSE(keepStructureApplies(QStringLiteral("  "), same));
}

}  // namespace
}  // namespace pixmorrow
