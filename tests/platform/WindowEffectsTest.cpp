#include "platform/kernel/WindowEffects.h"

#include "platform/core/Messages.h"
#include "platform/kernel/PopupWindow.h"

#include <gtest/gtest.h>

TEST(WindowEffects, OnlyTheTopmostOfOverlappingWindowsIsUnderAPoint)
{
    TPopupWindow below(nullptr), above(nullptr);
    below.SetBounds(100, 100, 200, 100);
    above.SetBounds(150, 120, 100, 50);
    below.ShowAt(TPoint{100, 100});
    above.ShowAt(TPoint{150, 120});
    ProcessMessages();
    TPoint overlap{160, 130}, belowOnly{110, 110};
    EXPECT_TRUE(WindowIsUnderPoint(above, overlap));
    EXPECT_FALSE(WindowIsUnderPoint(below, overlap));
    EXPECT_TRUE(WindowIsUnderPoint(below, belowOnly));
    EXPECT_FALSE(WindowIsUnderPoint(above, belowOnly));
    above.Hide();
    ProcessMessages();
    EXPECT_TRUE(WindowIsUnderPoint(below, overlap));
}
