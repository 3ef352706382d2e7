#include "controls/BevelLabel.h"
#include "platform/widgets/Panel.h"

#include <gtest/gtest.h>

namespace {

struct TBoard {
    TPanel panel{nullptr};
    TBevelLabel label{nullptr};
    TBoard()
    {
        panel.SetBounds(0, 0, 40, 20);
        panel.SetBevelOuter(bvNone);
        panel.SetColor(clWhite);
        label.SetBounds(0, 0, 20, 10);
        label.SetColor(clLime);
        label.SetParent(&panel);
    }
    TColor At(int x, int y)
    {
        TBitmap bitmap(40, 20);
        panel.PaintTo(bitmap.Canvas());
        return bitmap.Pixel(x, y);
    }
};

} // namespace

TEST(BevelLabel, FrameRaisedEdgeAndFace)
{
    TBoard board;
    EXPECT_EQ(board.label.Width(), 20);
    EXPECT_EQ(board.label.WidthEx(), 19);
    EXPECT_EQ(board.At(0, 0), clBlack);       // the frame ring
    EXPECT_EQ(board.At(19, 9), clBlack);
    EXPECT_EQ(board.At(1, 1), clWhite);       // highlight
    EXPECT_EQ(board.At(18, 8), 0x808080u);    // shadow
    EXPECT_EQ(board.At(10, 5), clLime);       // face
    EXPECT_EQ(board.At(25, 5), clWhite);      // beyond the label
    board.label.SetBevelColor(clYellow);
    EXPECT_EQ(board.At(0, 5), clYellow);
}

TEST(BevelLabel, NoEdgeWithoutRaisedWidthAndNothingWhenTransparent)
{
    TBoard board;
    board.label.SetRaisedWidth(0);
    EXPECT_EQ(board.At(1, 1), clLime);
    EXPECT_EQ(board.At(0, 0), clBlack);
    board.label.SetTransparent(true);
    EXPECT_EQ(board.At(0, 0), clWhite);
    EXPECT_EQ(board.At(10, 5), clWhite);
}

TEST(BevelLabel, WidthExCoversBothEndPixelsAndTinyLabelsPaint)
{
    TBoard board;
    board.label.SetWidthEx(30);
    EXPECT_EQ(board.label.Width(), 31);
    EXPECT_EQ(board.At(30, 5), clBlack);
    board.label.SetWidthEx(30);
    EXPECT_EQ(board.label.Width(), 31);
    board.label.SetBounds(0, 0, 2, 2);
    board.label.SetRaisedWidth(3);
    EXPECT_NO_THROW(board.At(0, 0));
}
