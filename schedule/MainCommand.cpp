// The Edit, View, Settings and Help commands, the chart and row popup menus,
// the font controls and the one-slot bar clipboard.
#include "schedule/Main.h"

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Event.h"
#include "schedule/InitSetting.h"
#include "schedule/ItemHeight.h"
#include "schedule/ItemMove.h"

namespace {

void FocusIfShown(TWinControl &control)
{
    if (control.HandleAllocated() && control.CanFocus())
        control.SetFocus();
}

TAlignment AlignmentFromText(const std::string &text)
{
    if (text == "中央")
        return taCenter;
    if (text == "右寄せ")
        return taRightJustify;
    return taLeftJustify;
}

} // namespace

// ---------------------------------------------------------------- the bar clipboard

void TfrmMain::CopyChart()
{
    if (!SelectedChart)
        return;
    if (!FClipChart)
        FClipChart = std::make_unique<TChart>();
    TChart &clip = *FClipChart;
    clip.AssignClipFields(*SelectedChart);
    clip.FBar->SetWidthEx(SelectedChart->FBar->WidthEx());
    // The copy is a clipboard entry, not a selected bar.
    clip.FBar->Font().SetStyle(0);
}

void TfrmMain::mitCutClick()
{
    if (!SelectedChart)
        return;
    CopyChart();
    if (DeleteChart())
        RedrawChart();
}

void TfrmMain::mitChartAdd2Click(bool paste)
{
    if (!FPopupBand || (paste && !FClipChart))
        return;
    AddChart(*FPopupBand, FPopupX, paste);
    for (TControl *c : std::initializer_list<TControl *>{cmbChartCnt, cmbFontName, cmbFontSize, pnlFontColor,
                                                         pnlBgColor, cmbAlignment})
        c->SetEnabled(true);
    FocusIfShown(*txtDummy);
    if (SelectedChart) {
        cmbFontName->SetText(SelectedChart->FBar->Font().Name());
        cmbFontSize->SetText(IntToStr(SelectedChart->FBar->Font().Size()));
        pnlFontColor->SetColor(SelectedChart->FBar->Font().Color());
        pnlBgColor->SetColor(SelectedChart->FBar->Color());
    }
    cmbAlignment->SetText("中央");
    if (!paste)
        EndModes();
}

void TfrmMain::mitChartDeleteClick()
{
    if (DeleteChart())
        RedrawChart();
}

void TfrmMain::mitChartAdd1Click()
{
    FPutChartMode = true;
    Screen().SetCursor(5);
}

// ---------------------------------------------------------------- dialogs

void TfrmMain::mitEventClick()
{
    if (SelectedItem && ShowEventDialog(*SelectedItem))
        RedrawChart();
}

void TfrmMain::mitItemHeightClick()
{
    ShowItemHeightDialog(*this);
}

void TfrmMain::mitItemMoveClick()
{
    ShowItemMoveDialog(*this);
}

void TfrmMain::mitInitSettingClick()
{
    if (ShowInitSettingDialog(*this) == mrOk)
        tbcCalSelectChange(tbcCalSelect);
}

void TfrmMain::mitContentsClick()
{
    const std::string file = BaseDir + "Tarvold.chm";
    if (!FileExists(file))
        Services().MessageBox("ヘルプファイルが見つかりません。\n" + file, "たるぼる", MB_OK | MB_ICONWARNING);
    else if (!Services().ShowHelp(file, "/Html/たるぼるの概要.htm"))
        Services().MessageBox("ヘルプファイルを表示できません。\n" + file, "たるぼる", MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------- the font controls

void TfrmMain::cmbChartCntChange()
{
    if (!SelectedItem)
        return;
    int count = StrToIntDef(cmbChartCnt->Text(), 0);
    int current = SelectedItem->FLineCount;
    if (count < 1 || count == current || current < 1)
        return;
    TMemo &caption = *SelectedItem->FMemo;
    int height = caption.Height();
    caption.SetHeight(height + (count - current) * (height / current));
    SetLineCount(*SelectedItem, count);
    RedrawChart();
    Modified = true;
}

TFont *TfrmMain::SelectedFont() const
{
    if (SelectedChart)
        return &SelectedChart->FBar->Font();
    if (SelectedItem)
        return &SelectedItem->FMemo->Font();
    return nullptr;
}

// The font toolbar's changes are edits like any other: a change that lands
// marks the document modified, so closing asks before it is lost.
void TfrmMain::cmbFontNameChange()
{
    TFont *font = SelectedFont();
    if (!font || font->Name() == cmbFontName->Text())
        return;
    font->SetName(cmbFontName->Text());
    Modified = true;
}

void TfrmMain::cmbFontSizeChange()
{
    int size = StrToIntDef(Trim(cmbFontSize->Text()), 0);
    TFont *font = SelectedFont();
    if (!font || size <= 0 || font->Size() == size)
        return;
    font->SetSize(size);
    Modified = true;
}

void TfrmMain::cmbAlignmentChange()
{
    if (!SelectedChart)
        return;
    TAlignment alignment = AlignmentFromText(cmbAlignment->Text());
    if (SelectedChart->FBar->Alignment() == alignment)
        return;
    SelectedChart->FBar->SetAlignment(alignment);
    Modified = true;
}

void TfrmMain::pnlFontColorDblClick()
{
    if (auto chosen = Services().ColorDialog(ColorToRGB(pnlFontColor->Color())))
        pnlFontColor->SetColor(static_cast<TColor>(*chosen));
    TFont *font = SelectedFont();
    if (!font || font->Color() == pnlFontColor->Color())
        return;
    font->SetColor(pnlFontColor->Color());
    Modified = true;
}

void TfrmMain::pnlBgColorDblClick()
{
    if (auto chosen = Services().ColorDialog(ColorToRGB(pnlBgColor->Color())))
        pnlBgColor->SetColor(static_cast<TColor>(*chosen));
    if (SelectedChart) {
        TChart &chart = *SelectedChart;
        TColor oldColor = chart.FBar->Color();
        std::string oldGroup = chart.FGroup;
        chart.FBar->SetColor(pnlBgColor->Color());
        chart.FGroup.clear();
        // Groups are taken in table order, so the last one of that colour names the bar.
        for (const TGroup &group : Groups)
            if (group.Color == chart.FBar->Color())
                chart.FGroup = group.Name;
        ChartHintText(chart);
        if (chart.FBar->Color() != oldColor || chart.FGroup != oldGroup)
            Modified = true;
    } else if (SelectedItem && SelectedItem->FMemo->Color() != pnlBgColor->Color()) {
        SelectedItem->FMemo->SetColor(pnlBgColor->Color());
        Modified = true;
    }
}

void TfrmMain::BindFontControls()
{
    cmbChartCnt->OnChange = [this](TObject *) { cmbChartCntChange(); };
    cmbFontName->OnChange = [this](TObject *) { cmbFontNameChange(); };
    cmbFontSize->OnChange = [this](TObject *) { cmbFontSizeChange(); };
    cmbAlignment->OnChange = [this](TObject *) { cmbAlignmentChange(); };
    pnlFontColor->OnDblClick = [this](TObject *) { pnlFontColorDblClick(); };
    pnlBgColor->OnDblClick = [this](TObject *) { pnlBgColorDblClick(); };
}
