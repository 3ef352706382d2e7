// The toolkit platform the program starts on: the X server's wherever an X
// display is there, unless the person chose one.
#include "platform/kernel/Application.h"

#include <gtest/gtest.h>

// An X display and no choice: the X server, whatever else the desktop runs;
// the compositor only when the X server does not answer.
TEST(ToolkitPlatform, AnXDisplayIsUsedUnlessThePersonChoseAPlatform)
{
    EXPECT_EQ(ToolkitPlatformFor(":0", ""), "xcb;wayland");
    EXPECT_EQ(ToolkitPlatformFor("localhost:10.0", ""), "xcb;wayland");
    // The person's choice stands, whatever it is.
    EXPECT_EQ(ToolkitPlatformFor(":0", "wayland"), "");
    EXPECT_EQ(ToolkitPlatformFor(":0", "offscreen"), "");
    EXPECT_EQ(ToolkitPlatformFor(":0", "xcb"), "");
    // Without an X display the toolkit chooses as before.
    EXPECT_EQ(ToolkitPlatformFor("", ""), "");
    EXPECT_EQ(ToolkitPlatformFor("", "wayland"), "");
}
