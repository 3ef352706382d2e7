#include "platform/graphics/Metafile.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace {

std::uint32_t U32(const std::string &b, size_t at)
{
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void PutU32(std::string &b, size_t at, std::uint32_t v)
{
    std::memcpy(b.data() + at, &v, 4);
}

// Offsets of the records of a given type.
std::vector<size_t> RecordsOf(const std::string &emf, std::uint32_t type)
{
    std::vector<size_t> found;
    for (size_t at = 0; at + 8 <= emf.size(); at += U32(emf, at + 4)) {
        if (U32(emf, at) == type)
            found.push_back(at);
        if (U32(emf, at + 4) == 0)
            break;
    }
    return found;
}

// A report-like page: a framed red box, an ellipse, a line and clipped Japanese text.
void DrawPage(TCanvas &c)
{
    c.Pen().SetColor(clBlack);
    c.Brush().SetColor(clRed);
    c.Rectangle(10, 10, 90, 60);
    c.Brush().SetColor(clBlue);
    c.Ellipse(110, 10, 190, 60);
    c.Pen().SetWidth(3);
    c.MoveTo(10, 80);
    c.LineTo(190, 80);
    c.Brush().SetStyle(bsClear);
    c.Font().SetName("ＭＳ ゴシック");
    c.Font().SetSize(14);
    c.Font().SetColor(clBlack);
    c.TextRect({10, 90, 190, 130}, 12, 92, "日本語ABC");
}

std::string Record(int width, int height, const std::function<void(TCanvas &)> &draw)
{
    TMetafile mf;
    mf.SetWidth(width);
    mf.SetHeight(height);
    {
        TMetafileCanvas canvas(mf);
        draw(canvas);
    }
    return mf.Data();
}

TBitmap DrawnDirectly(int width, int height, const std::function<void(TCanvas &)> &draw)
{
    TBitmap b(width, height);
    draw(b.Canvas());
    return b;
}

// Recorded into a metafile of the size and played back at the same size.
TBitmap PlayedBack(int width, int height, const std::function<void(TCanvas &)> &draw)
{
    TMetafile mf;
    mf.LoadFromBytes(Record(width, height, draw));
    TBitmap b(width, height);
    mf.Play(b.Canvas(), {0, 0, width, height});
    return b;
}

int CountDifferent(const TBitmap &a, const TBitmap &b)
{
    int different = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            different += a.Pixel(x, y) != b.Pixel(x, y);
    return different;
}

bool HasInk(const TBitmap &b, const TRect &r)
{
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (b.Pixel(x, y) != clWhite)
                return true;
    return false;
}

} // namespace

TEST(Metafile, RecordsGenuineEmfRecords)
{
    std::string emf = Record(200, 140, DrawPage);
    ASSERT_GE(emf.size(), 108u);
    EXPECT_EQ(U32(emf, 0), 1u);                  // EMR_HEADER
    EXPECT_EQ(emf.substr(40, 4), " EMF");
    EXPECT_EQ(U32(emf, 44), 0x10000u);           // version
    EXPECT_EQ(U32(emf, 48), emf.size());         // nBytes
    // The frame is the size in 0.01 mm at 96 pixels per inch.
    EXPECT_EQ(U32(emf, 24), 0u);
    EXPECT_EQ(U32(emf, 32), static_cast<std::uint32_t>(MulDiv(200, 2540, 96)));
    EXPECT_EQ(U32(emf, 36), static_cast<std::uint32_t>(MulDiv(140, 2540, 96)));
    // The bounds cover what was drawn.
    EXPECT_EQ(static_cast<int>(U32(emf, 8)), 10);
    EXPECT_EQ(static_cast<int>(U32(emf, 12)), 10);
    // The end record closes the picture.
    EXPECT_EQ(U32(emf, emf.size() - 20), 14u);
    EXPECT_EQ(U32(emf, emf.size() - 16), 20u);

    EXPECT_EQ(RecordsOf(emf, 43).size(), 1u);    // EMR_RECTANGLE
    EXPECT_EQ(RecordsOf(emf, 42).size(), 1u);    // EMR_ELLIPSE
    EXPECT_EQ(RecordsOf(emf, 54).size(), 1u);    // EMR_LINETO
    EXPECT_FALSE(RecordsOf(emf, 38).empty());    // EMR_CREATEPEN
    EXPECT_FALSE(RecordsOf(emf, 39).empty());    // EMR_CREATEBRUSHINDIRECT
    EXPECT_FALSE(RecordsOf(emf, 40).empty());    // EMR_DELETEOBJECT
    ASSERT_EQ(RecordsOf(emf, 82).size(), 1u);    // EMR_EXTCREATEFONTINDIRECTW
    size_t font = RecordsOf(emf, 82)[0];
    EXPECT_EQ(static_cast<std::int32_t>(U32(emf, font + 12)), -19);  // 14 points at 96 per inch
    std::u16string face(reinterpret_cast<const char16_t *>(emf.data() + font + 12 + 28), 7);
    EXPECT_EQ(face, u"ＭＳ ゴシック");

    // The text is wide characters with advances that add up to the measured width.
    ASSERT_EQ(RecordsOf(emf, 84).size(), 1u);    // EMR_EXTTEXTOUTW
    size_t text = RecordsOf(emf, 84)[0];
    std::uint32_t count = U32(emf, text + 44);
    ASSERT_EQ(count, 6u);
    std::u16string chars(reinterpret_cast<const char16_t *>(emf.data() + text + U32(emf, text + 48)), count);
    EXPECT_EQ(chars, u"日本語ABC");
    EXPECT_EQ(U32(emf, text + 52) & 4u, 4u);     // ETO_CLIPPED
    size_t dx = U32(emf, text + 72);
    int sum = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        sum += static_cast<int>(U32(emf, text + dx + 4 * i));
    TMetafile mf;
    TMetafileCanvas probe(mf);
    probe.Font().SetName("ＭＳ ゴシック");
    probe.Font().SetSize(14);
    EXPECT_EQ(sum, probe.TextWidth("日本語ABC"));
    EXPECT_GT(U32(emf, text + dx), 0u);
}

TEST(Metafile, SizeFrameAndBytesRoundTrip)
{
    TMetafile mf;
    mf.SetWidth(794);
    mf.SetHeight(1123);
    EXPECT_EQ(mf.Width(), 794);
    EXPECT_EQ(mf.Height(), 1123);
    {
        TMetafileCanvas canvas(mf);
        DrawPage(canvas);
    }
    TMemoryStream stream;
    stream.WriteString("xx");  // the picture need not start the stream
    mf.SaveToStream(stream);
    stream.WriteString("tail");
    stream.SetPosition(2);
    TMetafile loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(2 + mf.Data().size()));
    EXPECT_EQ(loaded.Width(), 794);
    EXPECT_EQ(loaded.Height(), 1123);
    EXPECT_EQ(loaded.MMWidth(), mf.MMWidth());
    EXPECT_EQ(loaded.Data(), mf.Data());

    // A metafile with nothing recorded still saves a sound, empty picture.
    TMetafile blank;
    blank.SetWidth(10);
    blank.SetHeight(20);
    TMemoryStream s2;
    blank.SaveToStream(s2);
    s2.SetPosition(0);
    TMetafile back;
    back.LoadFromStream(s2);
    EXPECT_EQ(back.Width(), 10);
    EXPECT_EQ(back.Height(), 20);
}

TEST(Metafile, PlaybackMatchesDirectDrawing)
{
    TBitmap direct(200, 140);
    DrawPage(direct.Canvas());

    TMetafile mf;
    mf.LoadFromBytes(Record(200, 140, DrawPage));
    TBitmap played(200, 140);
    mf.Play(played.Canvas(), {0, 0, 200, 140});
    EXPECT_EQ(CountDifferent(direct, played), 0);

    // Scaled into twice the size, the shapes move with the scale.
    TBitmap big(400, 280);
    mf.Play(big.Canvas(), {0, 0, 400, 280});
    EXPECT_EQ(big.Pixel(100, 60), clRed);
    EXPECT_EQ(big.Pixel(300, 70), clBlue);
    EXPECT_EQ(big.Pixel(100, 160), clBlack);   // the 3-pixel line at y 80, scaled
    EXPECT_TRUE(HasInk(big, {20, 184, 380, 260}));
    // The canvas comes back with its own state.
    EXPECT_EQ(big.Canvas().Brush().Color(), clWhite);
    EXPECT_FALSE(big.Canvas().HasClip());
}

TEST(Metafile, FillsClipsAndTextBackgrounds)
{
    auto draw = [](TCanvas &c) {
        c.Brush().SetColor(clLime);
        c.FillRect({0, 0, 10, 10});
        c.SaveDC();
        c.IntersectClipRect({20, 0, 30, 10});
        c.Brush().SetColor(clRed);
        c.FillRect({15, 0, 40, 10});
        c.RestoreDC(-1);
        c.Brush().SetColor(clYellow);
        c.Font().SetSize(9);
        c.TextOut(0, 20, "W");
        c.SetWindowOrg(-50, 0);
        c.Brush().SetColor(clBlue);
        c.FillRect({0, 0, 5, 5});
    };
    TBitmap direct = DrawnDirectly(60, 40, draw);
    TBitmap played = PlayedBack(60, 40, draw);
    EXPECT_EQ(played.Pixel(9, 9), clLime);
    EXPECT_EQ(played.Pixel(10, 9), clWhite);
    EXPECT_EQ(played.Pixel(16, 5), clWhite);
    EXPECT_EQ(played.Pixel(25, 5), clRed);
    EXPECT_EQ(played.Pixel(35, 5), clWhite);
    EXPECT_EQ(played.Pixel(0, 20), clYellow);  // opaque text cell
    EXPECT_EQ(played.Pixel(52, 2), clBlue);
    EXPECT_EQ(CountDifferent(direct, played), 0);
}

TEST(Metafile, DamagedBytesAreRefused)
{
    std::string good = Record(100, 100, DrawPage);
    TMetafile mf;
    // Cut short, wrong signature, a record length running past the end.
    EXPECT_THROW(mf.LoadFromBytes(good.substr(0, good.size() - 4)), EInvalidGraphic);
    std::string badSignature = good;
    badSignature[41] = 'X';
    EXPECT_THROW(mf.LoadFromBytes(badSignature), EInvalidGraphic);
    std::string badLength = good;
    PutU32(badLength, U32(good, 4) + 4, 0x7FFFFFF0);
    EXPECT_THROW(mf.LoadFromBytes(badLength), EInvalidGraphic);
    EXPECT_TRUE(mf.Empty());

    // A header claiming a huge picture is refused before anything is read.
    std::string huge = good;
    PutU32(huge, 48, 0xFFFFFFF0);
    TMemoryStream stream(huge);
    EXPECT_THROW(mf.LoadFromStream(stream), EInvalidGraphic);

    // Selecting an object that was never created stops the playback with a clear error.
    std::string badHandle = good;
    size_t select = RecordsOf(good, 37).back();
    PutU32(badHandle, select + 8, 77);
    mf.LoadFromBytes(badHandle);
    TBitmap b(100, 100);
    b.Canvas().Brush().SetColor(clAqua);
    try {
        mf.Play(b.Canvas(), {0, 0, 100, 100});
        FAIL() << "played a damaged picture";
    } catch (const EInvalidGraphic &e) {
        EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos);
    }
    EXPECT_EQ(b.Canvas().Brush().Color(), clAqua);

    // A polygon whose point count exceeds its record.
    std::string poly = Record(50, 50, [](TCanvas &c) { c.Polygon({{0, 0}, {10, 0}, {10, 10}}); });
    size_t at = RecordsOf(poly, 86).at(0);  // EMR_POLYGON16
    PutU32(poly, at + 24, 1000);
    mf.LoadFromBytes(poly);
    EXPECT_THROW(mf.Play(b.Canvas(), {0, 0, 50, 50}), EInvalidGraphic);
}

TEST(Metafile, BitmapsAndPatternsRecord)
{
    auto tile = std::make_shared<TBitmap>(2, 2);
    tile->SetPixel(0, 0, clBlack);
    tile->SetPixel(1, 1, clBlack);
    TBitmap picture(4, 3);
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect({0, 0, 4, 3});
    picture.SetPixel(3, 2, clBlue);
    auto draw = [&](TCanvas &c) {
        c.Draw(1, 1, picture);
        c.Brush().SetBitmap(tile);
        c.FillRect({10, 10, 14, 14});
    };
    TBitmap direct = DrawnDirectly(20, 20, draw);
    TBitmap played = PlayedBack(20, 20, draw);
    EXPECT_EQ(played.Pixel(1, 1), clRed);
    EXPECT_EQ(played.Pixel(4, 3), clBlue);
    EXPECT_EQ(played.Pixel(10, 10), clBlack);
    EXPECT_EQ(played.Pixel(11, 10), clWhite);
    EXPECT_EQ(CountDifferent(direct, played), 0);
}

// An independent reader renders our recorded page the way we play it back.
TEST(Metafile, IndependentReaderAgrees)
{
    if (std::system("command -v emf2svg-conv >/dev/null 2>&1 && command -v rsvg-convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "emf2svg-conv or rsvg-convert is not installed";
    std::string dir = GetTempPath();
    std::string emfPath = dir + "tarvold-page-test.emf";
    std::string svgPath = dir + "tarvold-page-test.svg";
    std::string pngPath = dir + "tarvold-page-test.png";
    // A white page background makes the drawn bounds the whole page, which is
    // what the reader takes as its picture area.
    std::string emf = Record(200, 140, [](TCanvas &c) {
        c.Brush().SetColor(clWhite);
        c.FillRect({0, 0, 200, 140});
        DrawPage(c);
    });
    WriteFileAtomically(emfPath, emf);
    ASSERT_EQ(std::system(("emf2svg-conv -i '" + emfPath + "' -o '" + svgPath + "'").c_str()), 0);
    std::string svg = ReadFileBytes(svgPath);
    EXPECT_NE(svg.find("日本語ABC"), std::string::npos);
    ASSERT_EQ(std::system(("rsvg-convert -w 200 -h 140 -b white -o '" + pngPath + "' '" + svgPath + "'").c_str()), 0);
    TBitmap theirs;
    theirs.LoadFromFile(pngPath);
    ASSERT_EQ(theirs.Width(), 200);

    TMetafile mf;
    mf.LoadFromBytes(emf);
    TBitmap ours(200, 140);
    mf.Play(ours.Canvas(), {0, 0, 200, 140});
    // Shapes in place: the same colours inside each shape.
    for (TPoint p : {Point(50, 35), Point(150, 35), Point(5, 5), Point(100, 70)}) {
        EXPECT_EQ(theirs.Pixel(p.X, p.Y), ours.Pixel(p.X, p.Y)) << p.X << "," << p.Y;
    }
    // The line (the reader draws every pen one pixel wide).
    EXPECT_NE(theirs.Pixel(100, 80), clWhite);
    EXPECT_NE(ours.Pixel(100, 80), clWhite);
    // Text present in both, in the text's band.
    EXPECT_TRUE(HasInk(theirs, {10, 90, 190, 130}));
    EXPECT_TRUE(HasInk(ours, {10, 90, 190, 130}));
    DeleteFile(emfPath);
    DeleteFile(svgPath);
    DeleteFile(pngPath);
}

namespace {

// The lengths of the dark runs along a row (or a column) of a bitmap.
std::vector<int> DarkRuns(const TBitmap &b, int at, bool row)
{
    std::vector<int> runs;
    int run = 0;
    const int length = row ? b.Width() : b.Height();
    for (int i = 0; i <= length; ++i) {
        const bool dark = i < length && (row ? b.Pixel(i, at) : b.Pixel(at, i)) == clBlack;
        if (dark) {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    return runs;
}

// A page as a report draws it: frame lines filled one pixel wide, a one-pixel
// rule and a three-pixel line drawn with the pen.
void DrawRuledPage(TCanvas &c)
{
    c.Brush().SetColor(clBlack);
    c.FrameRect({10, 10, 190, 130});
    c.Pen().SetColor(clBlack);
    c.MoveTo(20, 40);
    c.LineTo(180, 40);
    c.MoveTo(100, 120);
    c.LineTo(100, 50);
    c.Pen().SetWidth(3);
    c.MoveTo(30, 100);
    c.LineTo(90, 100);
}

} // namespace

TEST(Metafile, LinesPlayAsWideAsTheirPixelsAtEveryScale)
{
    TMetafile mf;
    mf.LoadFromBytes(Record(200, 140, DrawRuledPage));

    // Eight times the size, as a page goes to a printer: each line as wide
    // as its pixels were, where they were.
    TBitmap big(1600, 1120);
    mf.Play(big.Canvas(), {0, 0, 1600, 1120});
    EXPECT_EQ(DarkRuns(big, 600, true), (std::vector<int>{8, 8, 8}));   // frame, vertical rule, frame
    EXPECT_EQ(DarkRuns(big, 1200, false), (std::vector<int>{8, 8, 8}));  // frame, rule, frame
    EXPECT_EQ(big.Pixel(79, 500), clWhite);
    EXPECT_EQ(big.Pixel(80, 500), clBlack);   // the frame starts at pixel 10
    EXPECT_EQ(big.Pixel(87, 500), clBlack);
    EXPECT_EQ(big.Pixel(88, 500), clWhite);
    EXPECT_EQ(big.Pixel(800, 319), clWhite);  // the rule fills the row of pixel 40
    EXPECT_EQ(big.Pixel(800, 320), clBlack);
    EXPECT_EQ(big.Pixel(800, 327), clBlack);
    EXPECT_EQ(big.Pixel(800, 328), clWhite);
    EXPECT_EQ(big.Pixel(1439, 322), clBlack);  // its last pixel (179) is the line's,
    EXPECT_EQ(big.Pixel(1440, 322), clWhite);  // its end point is not
    // The pen three pixels wide draws about 24.
    const std::vector<int> crossing = DarkRuns(big, 480, false);
    ASSERT_EQ(crossing.size(), 4u);
    EXPECT_NEAR(crossing[2], 24, 1);

    // Smaller than the page, no line vanishes: each keeps a pixel.
    for (int percent : {64, 68, 50, 33}) {
        const int w = 200 * percent / 100, h = 140 * percent / 100;
        TBitmap small(w, h);
        mf.Play(small.Canvas(), {0, 0, w, h});
        const int middleRow = 70 * percent / 100, middleColumn = 150 * percent / 100;
        EXPECT_EQ(DarkRuns(small, middleRow, true).size(), 3u) << percent;     // frame, rule, frame
        EXPECT_EQ(DarkRuns(small, middleColumn, false).size(), 3u) << percent;  // frame, rule, frame
        for (int run : DarkRuns(small, middleRow, true))
            EXPECT_EQ(run, 1) << percent;
    }
}

namespace {

// A page holding one bitmap, drawn with StretchDraw (an EMR_STRETCHDIBITS).
std::string BitmapPage()
{
    TBitmap picture(4, 3);
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect({0, 0, 4, 3});
    return Record(40, 30, [&](TCanvas &c) { c.StretchDraw({10, 10, 30, 25}, picture); });
}

// The page with its bitmap record made into an EMR_BITBLT (76) or an
// EMR_STRETCHBLT (77) of the same bitmap, drawn at (10, 10), 20 x 15.
std::string BlitPage(std::uint32_t type, std::int32_t xSrc)
{
    const std::string page = BitmapPage();
    const size_t at = RecordsOf(page, 81).at(0);
    const std::uint32_t size = U32(page, at + 4), offBmi = U32(page, at + 48), offBits = U32(page, at + 56);
    const std::string bitmap = page.substr(at + offBmi, size - offBmi);
    const std::uint32_t head = type == 77 ? 108 : 100;
    std::string record(head, '\0');
    PutU32(record, 0, type);
    PutU32(record, 4, head + static_cast<std::uint32_t>(bitmap.size()));
    record.replace(8, 16, page, at + 8, 16);                 // bounds
    for (auto [place, value] : std::initializer_list<std::pair<size_t, std::uint32_t>>{
             {24, 10}, {28, 10}, {32, 20}, {36, 15}, {40, 0x00CC0020},  // destination, SRCCOPY
             {44, static_cast<std::uint32_t>(xSrc)}, {48, 0}, {52, 0x3F800000}, {64, 0x3F800000},  // source, transform
             {84, head}, {88, offBits - offBmi}, {92, head + offBits - offBmi},
             {96, size - offBits}}) {
        PutU32(record, place, value);
    }
    if (type == 77) {
        PutU32(record, 100, 4);
        PutU32(record, 104, 3);
    }
    record += bitmap;
    std::string blit = page.substr(0, at) + record + page.substr(at + size);
    PutU32(blit, 48, static_cast<std::uint32_t>(blit.size()));
    return blit;
}

} // namespace

// Saved pages can carry anything; none may overflow the player's arithmetic.
TEST(Metafile, BitmapSourcesOutsideTheirBitmapDrawNothing)
{
    auto play = [](const std::string &bytes) {
        TMetafile mf;
        mf.LoadFromBytes(bytes);
        TBitmap target(40, 30);
        mf.Play(target.Canvas(), {0, 0, 40, 30});
        return target.Pixel(20, 17);
    };
    const std::string page = BitmapPage();
    ASSERT_EQ(play(page), clRed);
    ASSERT_EQ(play(BlitPage(76, 0)), clRed);
    ASSERT_EQ(play(BlitPage(77, 0)), clRed);

    const size_t stretch = RecordsOf(page, 81).at(0);
    std::string farRight = page;
    PutU32(farRight, stretch + 32, 0x7FFFFFFF);  // xSrc
    EXPECT_EQ(play(farRight), clWhite);
    std::string farDown = page;
    PutU32(farDown, stretch + 36, 0x80000000);  // ySrc
    EXPECT_EQ(play(farDown), clWhite);
    EXPECT_EQ(play(BlitPage(76, 0x7FFFFFFF)), clWhite);
    EXPECT_EQ(play(BlitPage(77, 0x7FFFFFFF)), clWhite);
}

TEST(Metafile, APageLargerThanAnyPaperIsRefused)
{
    std::string page = Record(100, 100, DrawPage);
    TMetafile mf;
    PutU32(page, 32, 0x7FFFFFFF);  // the frame's right edge
    EXPECT_THROW(mf.LoadFromBytes(page), EInvalidGraphic);
    PutU32(page, 32, MulDiv(100, 2540, 96));
    PutU32(page, 24, 0x80000000);  // its left edge far out the other way
    EXPECT_THROW(mf.LoadFromBytes(page), EInvalidGraphic);
    // A long banner of 30 m still loads.
    PutU32(page, 24, 0);
    PutU32(page, 32, 3000000);
    mf.LoadFromBytes(page);
    EXPECT_EQ(mf.Width(), MulDiv(3000000, 96, 2540));
}

TEST(Metafile, APagesWidePensCostNoMoreThanItsShare)
{
    // 200,000 points drawn with a pen 4,096 pixels wide would cover the whole
    // target many thousand times; beyond its share the line is drawn thin.
    std::vector<TPoint> zigzag;
    for (int i = 0; i < 200000; ++i)
        zigzag.push_back({(i * 37) % 794, (i * 91) % 1123});
    TMetafile mf;
    mf.LoadFromBytes(Record(794, 1123, [&](TCanvas &c) {
        c.Pen().SetWidth(4096);
        c.Polyline(zigzag);
    }));
    TBitmap shown(508, 719);
    const auto started = std::chrono::steady_clock::now();
    mf.Play(shown.Canvas(), {0, 0, 508, 719});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    int white = 0;
    for (int y = 0; y < shown.Height(); y += 7)
        for (int x = 0; x < shown.Width(); x += 7)
            white += shown.Pixel(x, y) == clWhite;
    EXPECT_GT(white, 0);

    // A few wide lines keep their width.
    mf.LoadFromBytes(Record(200, 100, [](TCanvas &c) {
        c.Pen().SetWidth(20);
        c.Polyline({{20, 50}, {180, 50}});
    }));
    TBitmap wide(400, 200);
    mf.Play(wide.Canvas(), {0, 0, 400, 200});
    EXPECT_EQ(wide.Pixel(200, 100 - 18), clBlack);
    EXPECT_EQ(wide.Pixel(200, 100 + 18), clBlack);
}

namespace {

// Texts as auto-sized labels print them, left, centred and right-aligned,
// each in the room measured for it; the rooms are noted.
void DrawMeasuredTexts(TCanvas &c, std::vector<TRect> &rooms)
{
    c.Font().SetName("ＭＳ Ｐゴシック");
    c.Font().SetColor(clBlack);
    c.Brush().SetStyle(bsClear);
    const char *texts[] = {"株式会社テスト", "スケジュール表", "作成日: 2024/01/10", "Gantt 𠮷野家"};
    const unsigned aligns[] = {TA_LEFT, TA_CENTER, TA_RIGHT};
    int y = 4;
    for (int height : {-11, -12, -19})
        for (const char *text : texts) {
            c.Font().SetHeight(height);
            const unsigned align = aligns[rooms.size() % 3];
            const int width = c.TextWidth(text);
            const TRect room{10, y, 10 + width, y + c.TextHeight(text)};
            const int anchor = align == TA_LEFT ? room.Left : align == TA_RIGHT ? room.Right : room.Left + width / 2;
            c.SetTextAlign(align);
            c.ExtTextOut(anchor, y, 0, nullptr, text);
            rooms.push_back(room);
            y = room.Bottom + 6;
        }
}

// Ink outside every room, each scaled and widened by the pixel a glyph's
// edge may shade.
int InkOutside(const TBitmap &b, const std::vector<TRect> &rooms, double scale)
{
    int outside = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            if (b.Pixel(x, y) == clWhite)
                continue;
            bool inside = false;
            for (const TRect &r : rooms)
                inside = inside || (x >= std::floor(r.Left * scale) - 1 && x <= std::ceil(r.Right * scale)
                                    && y >= std::floor(r.Top * scale) - 1 && y <= std::ceil(r.Bottom * scale));
            outside += !inside;
        }
    return outside;
}

} // namespace

// Played smaller or larger, a font is rarely exactly as much narrower or
// wider: a text still keeps to the room it was measured for, so the label's
// rectangle that clips it cuts nothing off.
TEST(Metafile, TextsKeepTheRoomTheyWereMeasuredForAtEveryScale)
{
    const int width = 240, height = 420;
    std::vector<TRect> rooms;
    TMetafile mf;
    mf.LoadFromBytes(Record(width, height, [&](TCanvas &c) { DrawMeasuredTexts(c, rooms); }));
    for (int percent : {50, 64, 67, 68, 75, 100, 103, 150, 200}) {
        const int w = width * percent / 100, h = height * percent / 100;
        TBitmap played(w, h);
        mf.Play(played.Canvas(), {0, 0, w, h});
        EXPECT_TRUE(HasInk(played, {0, 0, w, h}));
        EXPECT_EQ(InkOutside(played, rooms, static_cast<double>(w) / width), 0) << percent << " %";
    }
}

namespace {
int InkCount(const TBitmap &b)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += b.Pixel(x, y) != clWhite;
    return n;
}
} // namespace

// A text on an opaque white background draws the same ink as on a clear one.
TEST(Metafile, OpaqueTextLosesNoInkWhenPlacedByCharacter)
{
    const int width = 400, height = 200;
    auto draw = [](bool opaque) {
        return [opaque](TCanvas &c) {
            c.Font().SetName("ＭＳ Ｐゴシック");
            c.Font().SetColor(clBlack);
            c.Font().SetHeight(-12);
            c.Brush().SetColor(clWhite);
            c.Brush().SetStyle(opaque ? bsSolid : bsClear);
            int y = 4;
            for (const char *t : {"WWWWMMMMwwwwmmmm", "株式会社テスト作成日", "Gantt schedule 2024/01/10", "AVAVAVAV yyyy ffff"}) {
                c.TextOut(10, y, t);
                y += 20;
            }
        };
    };
    TMetafile clear, opaque;
    clear.LoadFromBytes(Record(width, height, draw(false)));
    opaque.LoadFromBytes(Record(width, height, draw(true)));
    for (int percent : {50, 64, 67, 68, 75, 100, 103, 150, 200}) {
        const int w = width * percent / 100, h = height * percent / 100;
        TBitmap a(w, h), b(w, h);
        clear.Play(a.Canvas(), {0, 0, w, h});
        opaque.Play(b.Canvas(), {0, 0, w, h});
        EXPECT_EQ(InkCount(a), InkCount(b)) << percent << " %";
    }
}

// Lines of one pixel drawn side by side leave no gap between them at any zoom.
TEST(Metafile, AdjacentOnePixelLinesLeaveNoGap)
{
    const int width = 100, height = 100;
    TMetafile mf;
    mf.LoadFromBytes(Record(width, height, [](TCanvas &c) {
        c.Pen().SetColor(clBlack);
        c.Pen().SetWidth(1);
        for (int y = 20; y < 40; ++y) {
            c.MoveTo(10, y);
            c.LineTo(90, y);
        }
    }));
    for (int percent : {100, 110, 128, 150, 200, 230, 250, 300}) {
        const int w = width * percent / 100, h = height * percent / 100;
        TBitmap played(w, h);
        mf.Play(played.Canvas(), {0, 0, w, h});
        const int x = w / 2;
        int gaps = 0;
        for (int y = 20 * percent / 100 + 1; y < 40 * percent / 100 - 1; ++y)
            gaps += played.Pixel(x, y) == clWhite;
        EXPECT_EQ(gaps, 0) << percent << " %";
    }
}

