// The main window's toolbars: the File, Edit, Move and Font toolbars in the
// top dock, the bottom toolbar with the date scroll bar, their pictures, and
// the View menu's toolbar checks that follow them.
#include "schedule/Main.h"

#include <string>
#include <vector>

namespace {

// 16 x 16 pictures drawn as text, one character a pixel: '.' is transparent.
using TArt = std::vector<std::string>;

TColor ArtColor(char c)
{
    switch (c) {
    case 'K': return clBlack;
    case 'W': return clWhite;
    case 'g': return clGray;
    case 'l': return clSilver;
    case 'b': return clNavy;
    case 'B': return clBlue;
    case 'R': return clRed;
    case 'Y': return clYellow;
    case 'o': return clOlive;
    case 'G': return clGreen;
    case 'C': return clTeal;
    default: return clNone;
    }
}

const TArt kNewArt = {
    "................", "..KKKKKKKK......", "..KWWWWWWKK.....", "..KWWWWWWKWK....",
    "..KWWWWWWKWWK...", "..KWWWWWWKKKKK..", "..KWWWWWWWWWWK..", "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..", "..KWWWWWWWWWWK..", "..KWWWWWWWWWWK..", "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..", "..KWWWWWWWWWWK..", "..KKKKKKKKKKKK..", "................"};
const TArt kOpenArt = {
    "................", "................", "................", ".KKKKK..........",
    "KYWYWYK.........", "KWYWYWYKKKKKKK..", "KYWYWYWYWYWYWK..", "KWYWKKKKKKKKKKKK",
    "KYWKoooooooooooK", "KWYKooooooooooK.", "KYKoooooooooooK.", "KWKooooooooooK..",
    "KKoooooooooooK..", "KKKKKKKKKKKKK...", "................", "................"};
const TArt kSaveArt = {
    "................", ".KKKKKKKKKKKKKK.", ".KbKWWWWWWWWKbK.", ".KbKWWWWWWWWKbK.",
    ".KbKWWWWWWWWKbK.", ".KbKWWWWWWWWKbK.", ".KbbKKKKKKKKbbK.", ".KbbbbbbbbbbbbK.",
    ".KbbKKKKKKKKbbK.", ".KbbKllllKllbbK.", ".KbbKllllKllbbK.", ".KbbKllllKllbbK.",
    ".KbbKllllKllbbK.", "..KKKKKKKKKKKKK.", "................", "................"};
const TArt kPrintArt = {
    "................", "....KKKKKKKK....", "....KWWWWWWK....", "....KWKKKKWK....",
    "....KWWWWWWK....", "..KKKKKKKKKKKK..", ".KllllllllllllK.", ".KllllllllllGlK.",
    ".KllllllllllllK.", ".KggggggggggggK.", ".KllKKKKKKKKllK.", "..KKKWWWWWWKKK..",
    "....KWKKKKWK....", "....KWWWWWWK....", "....KKKKKKKK....", "................"};
// Rows of a document, with a mark beside them.
const TArt kItemAddArt = {
    "................", "KKKKKKKKKKKK....", "KWWWWWWWWWWK....", "KKKKKKKKKKKK....",
    "KWWWWWWWWWWK....", "KKKKKKKKKKKK....", "................", "KKKKKKKKK.......",
    "KlllllllK...GG..", "KlllllllK...GG..", "KKKKKKKKK.GGGGGG", "..........GGGGGG",
    "............GG..", "............GG..", "................", "................"};
const TArt kItemInsertArt = {
    "................", "....KKKKKKKKKKKK", "....KWWWWWWWWWWK", "....KKKKKKKKKKKK",
    "................", ".R..KKKKKKKKKKKK", ".RR.KllllllllllK", "RRRRKllllllllllK",
    ".RR.KKKKKKKKKKKK", ".R..............", "....KKKKKKKKKKKK", "....KWWWWWWWWWWK",
    "....KKKKKKKKKKKK", "................", "................", "................"};
const TArt kItemDeleteArt = {
    "................", "KKKKKKKKKKKK....", "KWWWWWWWWWWK....", "KKKKKKKKKKKK....",
    "KWWWWWWWWWWK....", "KKKKKKKKKKKK....", "................", "KKKKKKKKK.......",
    "KlllllllK.R...R.", "KlllllllK..R.R..", "KKKKKKKKK...R...", "...........R.R..",
    "..........R...R.", "................", "................", "................"};
// A bar on a line, with a mark beside it.
const TArt kChartAddArt = {
    "................", "................", "................", "KKKKKKKKKKK.....",
    "KYYYYYYYYYK.....", "KYYYYYYYYYK.....", "KYYYYYYYYYK.....", "KKKKKKKKKKK.....",
    "............GG..", "............GG..", "..........GGGGGG", "..........GGGGGG",
    "............GG..", "............GG..", "................", "................"};
const TArt kChartDeleteArt = {
    "................", "................", "................", "KKKKKKKKKKK.....",
    "KYYYYYYYYYK.....", "KYYYYYYYYYK.....", "KYYYYYYYYYK.....", "KKKKKKKKKKK.....",
    "................", "..........R...R.", "...........R.R..", "............R...",
    "...........R.R..", "..........R...R.", "................", "................"};
const TArt kChartInfoArt = {
    "................", "................", "................", "KKKKKKKKKKK.....",
    "KYYYYYYYYYK.....", "KYYYYYYYYYK.....", "KYYYYYYYYYK.....", "KKKKKKKKKKK.....",
    "..............K.", ".............KYK", "............KYK.", "...........KYK..",
    "..........KYK...", ".........KbK....", ".........KK.....", "................"};
const TArt kEventArt = {
    "................", "...K............", "...KRRRRR.......", "...KRRRRRRRR....",
    "...KRRRRRRRRRR..", "...KRRRRRRRR....", "...KRRRRR.......", "...K............",
    "...K............", "...K............", "...K............", "...K............",
    "...K............", "..KKK...........", ".KKKKK..........", "................"};
const TArt kGroupArt = {
    "................", ".KKKKKK.........", ".KRRRRK.........", ".KRRRRK.........",
    ".KRRRRK.........", ".KKKKKK.........", "......KKKKKK....", "......KGGGGK....",
    "......KGGGGK....", "......KGGGGK....", "......KKKKKK....", "...........KKKKK",
    "...........KBBBK", "...........KBBBK", "...........KKKKK", "................"};

// The move pictures: triangles pointing left (mirrored for the right-hand
// steps), a bar marking the year's end, a dot for the first date.
TArt Blank() { return TArt(16, std::string(16, '.')); }

void LeftTriangle(TArt &art, int tip, int width, double half)
{
    for (int x = tip; x < tip + width; ++x) {
        const double h = (x - tip + 1) * half / width;
        for (int y = 0; y < 16; ++y)
            if (y - 7.5 <= h && 7.5 - y <= h)
                art[static_cast<size_t>(y)][static_cast<size_t>(x)] = 'b';
    }
}

TArt Mirrored(TArt art)
{
    for (std::string &row : art)
        row.assign(row.rbegin(), row.rend());
    return art;
}

TArt YearArt()
{
    TArt art = Blank();
    for (int y = 3; y < 13; ++y)
        art[static_cast<size_t>(y)][2] = 'b';
    LeftTriangle(art, 3, 6, 5);
    LeftTriangle(art, 9, 6, 5);
    return art;
}

TArt MonthArt()
{
    TArt art = Blank();
    LeftTriangle(art, 2, 6, 5);
    LeftTriangle(art, 8, 6, 5);
    return art;
}

TArt WeekArt()
{
    TArt art = Blank();
    LeftTriangle(art, 4, 8, 5.5);
    return art;
}

TArt DayArt()
{
    TArt art = Blank();
    LeftTriangle(art, 5, 5, 4);
    return art;
}

TArt DotArt()
{
    TArt art = Blank();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((x - 7.5) * (x - 7.5) + (y - 7.5) * (y - 7.5) <= 16)
                art[static_cast<size_t>(y)][static_cast<size_t>(x)] = 'b';
    return art;
}

// The toolbars' pictures, in the order of the indexes below.
class TMainToolbarImages : public TBarImageList {
public:
    explicit TMainToolbarImages(TComponent *owner) : TBarImageList(owner, 16, 16)
    {
        arts_ = {kNewArt, kOpenArt, kSaveArt, kPrintArt, kItemAddArt, kItemInsertArt, kItemDeleteArt,
                 kChartAddArt, kChartDeleteArt, kChartInfoArt, kEventArt, kGroupArt,
                 YearArt(), MonthArt(), WeekArt(), DayArt(), DotArt(),
                 Mirrored(DayArt()), Mirrored(WeekArt()), Mirrored(MonthArt()), Mirrored(YearArt())};
        for (std::size_t i = 0; i < arts_.size(); ++i)
            Add(clNone); // the count of pictures
    }

    // Runs of one colour are filled at once; a disabled picture is embossed
    // (highlight one pixel down and right, shadow on top).
    void Draw(TCanvas &canvas, int x, int y, int index, bool enabled) const override
    {
        if (index < 0 || index >= static_cast<int>(arts_.size()))
            return;
        const TArt &art = arts_[static_cast<std::size_t>(index)];
        canvas.Brush().SetStyle(bsSolid);
        auto paint = [&](int dx, int dy, auto colorOf) {
            for (int row = 0; row < static_cast<int>(art.size()); ++row) {
                const std::string &line = art[static_cast<std::size_t>(row)];
                int col = 0;
                while (col < static_cast<int>(line.size())) {
                    const TColor color = colorOf(line[static_cast<std::size_t>(col)]);
                    int end = col + 1;
                    while (end < static_cast<int>(line.size()) && colorOf(line[static_cast<std::size_t>(end)]) == color)
                        ++end;
                    if (color != clNone) {
                        canvas.Brush().SetColor(color);
                        canvas.FillRect(TRect{x + dx + col, y + dy + row, x + dx + end, y + dy + row + 1});
                    }
                    col = end;
                }
            }
        };
        if (enabled) {
            paint(0, 0, ArtColor);
            return;
        }
        // Dark pixels make the embossed shape; light ones vanish into the face.
        auto dark = [](char c) {
            const TColor color = ArtColor(c);
            if (color == clNone || color == clWhite || color == clSilver || color == clYellow)
                return clNone;
            return clBlack;
        };
        paint(1, 1, [&](char c) { return dark(c) == clNone ? clNone : clBtnHighlight; });
        paint(0, 0, [&](char c) { return dark(c) == clNone ? clNone : clBtnShadow; });
    }

private:
    std::vector<TArt> arts_;
};

enum TPicture {
    picNew, picOpen, picSave, picPrint, picItemAdd, picItemInsert, picItemDelete, picChartAdd, picChartDelete,
    picChartInfo, picEvent, picGroup, picYearL, picMonthL, picWeekL, picDayL, picInitDate, picDayR, picWeekR,
    picMonthR, picYearR
};

} // namespace

TSkinItem *TfrmMain::AddToolbarItem(TSkinToolbar *toolbar, const std::string &name, const std::string &caption,
                                    int picture, std::function<void()> click)
{
    auto *item = new TSkinItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    item->SetImages(toolbarImages_);
    item->SetImageIndex(picture);
    item->OnClick = [click = std::move(click)](TObject *) { click(); };
    toolbar->Items()->Add(item);
    return item;
}

TSkinToolbar *TfrmMain::CreateToolbar(const std::string &name, const std::string &caption, int dockPos)
{
    auto *toolbar = new TSkinToolbar(this);
    toolbar->SetName(name);
    toolbar->SetCaption(caption);
    toolbar->SetDockRow(1);
    toolbar->SetDockPos(dockPos);
    toolbar->SetCurrentDock(dockTop);
    toolbar->SetShowHint(true);
    // Its buttons are the window's own layout until CreateToolbars ends.
    toolbar->BeginLoading();
    return toolbar;
}

void TfrmMain::CreateToolbars()
{
    toolbarImages_ = new TMainToolbarImages(this);

    dockTop = new TBarDock(this);
    dockTop->SetName("dockTop");
    dockTop->SetPosition(dpTop);
    dockTop->SetBoundLines(blTop | blBottom | blLeft | blRight);
    dockTop->SetFixAlign(true);
    dockTop->SetParent(this);

    tlbFile = CreateToolbar("tlbFile", "ファイル", -1);
    btnNew = AddToolbarItem(tlbFile, "btnNew", "新規作成", picNew, [this] { btnNewClick(); });
    btnOpen = AddToolbarItem(tlbFile, "btnOpen", "開く", picOpen, [this] { btnOpenClick(); });
    btnSave = AddToolbarItem(tlbFile, "btnSave", "上書き保存", picSave, [this] { btnSaveClick(); });
    btnPrint->SetImages(toolbarImages_);
    btnPrint->SetImageIndex(picPrint);
    tlbFile->Items()->Add(btnPrint);

    // The Edit toolbar's buttons run the Edit menu's commands.
    tlbEdit = CreateToolbar("tlbEdit", "編集", 91);
    const struct {
        const char *name, *caption;
        TPicture picture;
        TMenuItem *command;
    } edits[] = {
        {"btnItemAdd", "項目の追加", picItemAdd, mitItemAdd},
        {"btnItemInsert", "項目の挿入", picItemInsert, mitItemInsert},
        {"btnItemDelete", "項目の削除", picItemDelete, mitItemDelete},
        {"btnChartAdd", "チャートの追加", picChartAdd, mitChartAdd1},
        {"btnChartDelete", "チャートの削除", picChartDelete, mitChartDelete1},
        {"btnChartInfo", "チャート情報の設定", picChartInfo, mitChartInfo1},
        {"btnEvent", "イベント設定", picEvent, mitEvent1},
        {"btnGroup", "グループの設定", picGroup, mitGroup},
    };
    for (const auto &edit : edits) {
        TMenuItem *command = edit.command;
        AddToolbarItem(tlbEdit, edit.name, edit.caption, edit.picture, [command] { command->Click(); });
    }

    // The date move buttons; their commands are bound by the date navigation.
    tlbMove = CreateToolbar("tlbMove", "移動", 391);
    const struct {
        TSkinItem **button;
        const char *name, *hint;
        TPicture picture;
    } moves[] = {
        {&btnYearL, "btnYearL", "左に１年移動", picYearL}, {&btnMonthL, "btnMonthL", "左に１月移動", picMonthL},
        {&btnWeekL, "btnWeekL", "左に１週間移動", picWeekL}, {&btnDayL, "btnDayL", "左に１日移動", picDayL},
        {&btnInitDate, "btnInitDate", "最初の日付に戻る", picInitDate},
        {&btnDayR, "btnDayR", "右に１日移動", picDayR}, {&btnWeekR, "btnWeekR", "右に１週間移動", picWeekR},
        {&btnMonthR, "btnMonthR", "右に１月移動", picMonthR}, {&btnYearR, "btnYearR", "右に１年移動", picYearR},
    };
    for (const auto &move : moves) {
        *move.button = AddToolbarItem(tlbMove, move.name, move.hint, move.picture, nullptr);
        (*move.button)->SetHint(move.hint);
    }

    // The font toolbar hosts the font panel.
    tlbFont = CreateToolbar("tlbFont", "フォント", 304);
    tlbFont->Items()->Add(new TBarControlItem(this, pnlFont));
    pnlFont->SetParent(tlbFont);
    for (TSkinToolbar *toolbar : {tlbFile, tlbEdit, tlbMove, tlbFont})
        toolbar->Loaded();

    for (auto [toolbar, check] : {std::pair{tlbFile, mitDspFile}, {tlbEdit, mitDspEdit}, {tlbMove, mitDspMove},
                                  {tlbFont, mitDspFont}}) {
        check->OnClick = [toolbar = toolbar](TObject *) { toolbar->SetVisible(!toolbar->Visible()); };
    }
    tlbFile->OnVisibleChanged = [this](TObject *sender) { tlbFileVisibleChanged(sender); };
    tlbEdit->OnVisibleChanged = [this](TObject *sender) { tlbEditVisibleChanged(sender); };
    tlbMove->OnVisibleChanged = [this](TObject *sender) { tlbMoveVisibleChanged(sender); };
    tlbFont->OnVisibleChanged = [this](TObject *sender) { tlbFontVisibleChanged(sender); };
}

// The check follows the toolbar however its visibility changes (its own close
// button too); the menu command only asks for the change.
void TfrmMain::tlbFileVisibleChanged(TObject *) { mitDspFile->SetChecked(tlbFile->Visible()); }
void TfrmMain::tlbEditVisibleChanged(TObject *) { mitDspEdit->SetChecked(tlbEdit->Visible()); }
void TfrmMain::tlbMoveVisibleChanged(TObject *) { mitDspMove->SetChecked(tlbMove->Visible()); }
void TfrmMain::tlbFontVisibleChanged(TObject *) { mitDspFont->SetChecked(tlbFont->Visible()); }

void TfrmMain::CreateBottomToolbar()
{
    // Directly on the form, above the status bar: the caption column's width,
    // then the date scroll bar.
    SkinToolbar1 = new TSkinToolbar(this);
    SkinToolbar1->SetName("SkinToolbar1");
    // Its name for a screen reader; a docked toolbar shows no caption.
    SkinToolbar1->SetCaption("日付スクロール");
    SkinToolbar1->SetShrinkMode(brsmNone);
    SkinToolbar1->SetAutoResize(false);
    SkinToolbar1->SetBounds(0, 0, Width(), 17);
    SkinToolbar1->SetAlign(alBottom);
    SkinToolbar1->SetParent(this);
    pnlScb->SetParent(SkinToolbar1);
    scb2->SetParent(SkinToolbar1);
}

void TfrmMain::ArrangeBottomToolbar()
{
    SkinToolbar1->View().InvalidateLayout();
    const TSize size = SkinToolbar1->View().UpdateLayout();
    if (SkinToolbar1->Height() != size.cy)
        SkinToolbar1->SetHeight(size.cy);
}

void TfrmMain::btnNewClick() { mitNewClick(); }
void TfrmMain::btnOpenClick() { mitOpenClick(); }
void TfrmMain::btnSaveClick() { mitSaveClick(); }
