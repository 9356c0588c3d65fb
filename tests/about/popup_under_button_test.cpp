#include "about/popup_under_button.h"
#include "about/hidden_picture.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

// Stand-ins for a button and a menu: only their addresses count.
const int kButton = 1;
const int kOtherButton = 2;
const int kMenu = 3;
const int kOtherMenu = 4;

TEST(PopupUnderButton, AClickSoonAfterTheMenuClosedOnlyClosesIt) {
    struct Case {
        const char* what;
        const void* button;
        const void* menu;
        std::uint32_t after;
        bool shows;
    };
    const Case cases[] = {
        {"same button, 50 ms", &kButton, &kMenu, 50, false},
        {"same button, 99 ms", &kButton, &kMenu, 99, false},
        {"same button, 100 ms", &kButton, &kMenu, 100, true},
        {"other button", &kOtherButton, &kMenu, 10, true},
        {"other menu", &kButton, &kOtherMenu, 10, true},
    };
    for (const Case& c : cases) {
        testing::FakeClock clock;
        PopupUnderButton popup(clock);
        EXPECT_TRUE(popup.shouldShow(&kButton, &kMenu)) << c.what;
        clock.now = 5000;
        popup.menuClosed(&kButton, &kMenu);
        clock.now += c.after;
        EXPECT_EQ(popup.shouldShow(c.button, c.menu), c.shows) << c.what;
    }
}

TEST(PopupUnderButton, TheClickAfterTheClosingClickOpensTheMenuAgain) {
    testing::FakeClock clock;
    PopupUnderButton popup(clock);
    popup.menuClosed(&kButton, &kMenu);
    clock.now += 30;
    EXPECT_FALSE(popup.shouldShow(&kButton, &kMenu));
    clock.now += 30;  // still within 100 ms of the closing, but the popup was forgotten
    EXPECT_TRUE(popup.shouldShow(&kButton, &kMenu));
}

TEST(PopupUnderButton, TheTickCounterWrappingDoesNotMatter) {
    testing::FakeClock clock;
    PopupUnderButton popup(clock);
    clock.now = 0xFFFFFFF0u;
    popup.menuClosed(&kButton, &kMenu);
    clock.now = 0x10u;  // 32 ms later
    EXPECT_FALSE(popup.shouldShow(&kButton, &kMenu));
}

TEST(HiddenPicture, DoubleClicksAreIgnoredWhileTheCardSlides) {
    HiddenPicture egg(446, 350);
    EXPECT_EQ(egg.cardLeft(), 48);
    ASSERT_TRUE(egg.reveal());
    EXPECT_TRUE(egg.pictureVisible());
    EXPECT_TRUE(egg.sliding());
    EXPECT_TRUE(egg.step());
    EXPECT_EQ(egg.cardLeft(), 53);
    EXPECT_FALSE(egg.reveal());   // a second double-click on the icon
    EXPECT_FALSE(egg.conceal());  // a double-click on the picture
    EXPECT_TRUE(egg.pictureVisible());
    EXPECT_EQ(egg.cardLeft(), 53);

    int ticks = 1;
    while (egg.step())
        ++ticks;
    ++ticks;
    EXPECT_EQ(egg.cardLeft(), 448);  // the first left edge beyond the client width
    EXPECT_EQ(ticks, 80);
    EXPECT_FALSE(egg.sliding());

    ASSERT_TRUE(egg.conceal());
    EXPECT_FALSE(egg.pictureVisible());
    EXPECT_EQ(egg.cardLeft(), 48);
}

}  // namespace
}  // namespace pixmorrow
