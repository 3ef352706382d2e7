#pragma once
// Rows whose bars carry progress strips in a window far shorter than the
// document, and the strips' colours read back from printed and previewed pages.
#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/services/InputSimulation.h"
#include "schedule/Main.h"
#include "tests/schedule/TestBars.h"

#include <cstdlib>
#include <string>

// Gives every row a bar over days 2 to 9 from `start` with a progress strip:
// done (100 %) on even rows, half done (50 %) on odd ones.
inline void AddProgressBars(TDateTime start)
{
    for (size_t r = 0; r < ItemList.size(); ++r) {
        TItem &row = *ItemList[r];
        TChart &chart = AddTestBar(row, start + 2, start + 9, static_cast<long>(r));
        chart.FYotei = 2;
        chart.FJisseki = r % 2 == 0 ? 2 : 1;
        chart.FRitsu = r % 2 == 0 ? 100 : 50;
        chart.FChakushubi = start + 2;
        chart.FJissekibi = start + 5;
        // Made as the reader makes it: hidden until the screen places it.
        TBevelLabel &strip = chart.ProgressBarNeeded();
        strip.SetTag(static_cast<long>(r));
        strip.Hide();
    }
}

// The strips' colours the rows should print, top to bottom: 'D' for a done
// bar's (`JissekiEndColor`), 'H' for a half-done one's (`JissekiColor`).
inline std::string ExpectedStripColours()
{
    std::string colours;
    for (size_t r = 0; r < ItemList.size(); ++r)
        colours += r % 2 == 0 ? 'D' : 'H';
    return colours;
}

// The window shown, its document laid out, its view at the top, and the
// rows near the view placed: the last row's strip is not.
inline void ShowWindowAtTop(TfrmMain &main)
{
    main.UpdateScrollRange();
    ASSERT_TRUE(SimulateActivation(main));
    main.RedrawChart();
    main.scb1->VertScrollBar().SetPosition(0);
    ASSERT_TRUE(ItemList.front()->FCharts[0]->FProgressBar->Visible());
    ASSERT_FALSE(ItemList.back()->FCharts[0]->FProgressBar->Visible()) << "the document fits the view";
}

// The view down to the last row, whose strip the scroll places; the rows
// the view passed over in between it never placed.
inline void ScrollWindowToBottom(TfrmMain &main)
{
    const TItem &last = *ItemList.back();
    main.scb1->VertScrollBar().SetPosition(last.Top() + last.Height() + 20 - main.scb1->ClientHeight());
    ASSERT_TRUE(ItemList.back()->FCharts[0]->FProgressBar->Visible());
    ASSERT_FALSE(ItemList[ItemList.size() / 2]->FCharts[0]->FProgressBar->Visible());
}

namespace progress_strips_detail {

inline bool Near(TColor a, TColor b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 48)
            return false;
    return true;
}

inline char ColourLetter(const TBitmap &page, int x, int y)
{
    const TColor pixel = page.Pixel(x, y);
    return Near(pixel, JissekiEndColor) ? 'D' : Near(pixel, JissekiColor) ? 'H' : ' ';
}

} // namespace progress_strips_detail

// The strips on a page drawn at 96 pixels per inch, top to bottom, read down
// the column just inside their left ends (every strip starts on the same
// day): 'D' for one in `JissekiEndColor`, 'H' for one in `JissekiColor`; a
// strip in any other colour is not read. `pixelsPerStrip` is how high a
// strip is drawn.
inline std::string StripColoursDown(const TBitmap &page, int pixelsPerStrip)
{
    using progress_strips_detail::ColourLetter;
    int column = -1;
    for (int x = 0; x < page.Width() && column < 0; ++x)
        for (int y = 0; y < page.Height(); ++y)
            if (ColourLetter(page, x, y) != ' ') {
                column = x + 2;
                break;
            }
    std::string colours;
    if (column < 0)
        return colours;
    for (int y = 0; y < page.Height();) {
        const char letter = ColourLetter(page, column, y);
        int end = y + 1;
        while (end < page.Height() && ColourLetter(page, column, end) == letter)
            ++end;
        if (letter != ' ' && end - y >= pixelsPerStrip - 2 && end - y <= pixelsPerStrip + 2)
            colours += letter;
        y = end;
    }
    return colours;
}
