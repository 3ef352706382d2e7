#include "schedule/ChartSetting.h"

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"

#include <cmath>

namespace {

TLabel *AddLabel(TForm *form, const std::string &text, int left, int top)
{
    auto *label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption(text);
    label->SetBounds(left, top, 60, 17);
    return label;
}

TExEdit *CountEdit(TForm *form, int left, int top)
{
    auto *edit = PlaceControl<TExEdit>(form, left, top, 90, 21);
    edit->SetDataType(dInteger);
    edit->SetDataFormat("###,##0");
    edit->SetAlignment(taRightJustify);
    edit->SetImeMode(imClose);
    return edit;
}

TDateTime ShownEnd(TDateTime end)
{
    TDateTime last = std::trunc(end);
    return last == end ? last - 1 : last;
}

} // namespace

long double AchievementRate(int planned, int actual)
{
    if (actual <= 0)
        return 0;
    if (planned <= 0)
        return 100;
    long double rate = StrToFloat(FormatFloat("0.00", static_cast<long double>(actual) / planned * 100));
    return rate > 100 ? 100 : rate;
}

TdlgChartSetting::TdlgChartSetting(TfrmMain &main, TChart &chart) : TForm(nullptr), main_(main), chart_(chart)
{
    SetCaption("チャート情報の設定");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientSize(360, 330);
    AddLabel(this, "予定数", 12, 14);
    edtYotei = CountEdit(this, 90, 10);
    AddLabel(this, "実績数", 12, 40);
    edtJisseki = CountEdit(this, 90, 36);
    edtJisseki->OnValidate = [this](TObject *s) { edtJissekiValidate(s); };
    AddLabel(this, "着手日", 12, 66);
    dtpChakushubi = PlaceControl<TDateTimePicker>(this, 90, 62, 120, 21);
    AddLabel(this, "実績日", 12, 92);
    dtpJissekibi = PlaceControl<TDateTimePicker>(this, 90, 88, 120, 21);
    AddLabel(this, "ｸﾞﾙｰﾌﾟ", 12, 118);
    cmbGroup = PlaceControl<TComboBox>(this, 90, 114, 120, 21);
    cmbGroup->SetStyle(csDropDownList);
    cmbGroup->OnChange = [this](TObject *s) { cmbGroupChange(s); };
    AddLabel(this, "内容", 12, 144);
    memText = PlaceControl<TMemo>(this, 90, 140, 250, 60);
    memText->SetImeMode(imOpen);
    AddLabel(this, "備考", 12, 206);
    memBikou = PlaceControl<TMemo>(this, 90, 202, 250, 60);
    memBikou->SetImeMode(imOpen);
    btnOk = PlaceControl<TButton>(this, 180, 290, 75, 25);
    btnOk->SetCaption("OK");
    btnOk->SetDefault(true);
    btnOk->OnClick = [this](TObject *s) { btnOkClick(s); };
    btnCancel = PlaceControl<TButton>(this, 265, 290, 75, 25);
    btnCancel->SetCaption("キャンセル");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    AddLabel(this, "チャート色", 230, 14);
    pnlChartColor = PlaceControl<TPanel>(this, 300, 10, 40, 21);
    pnlChartColor->SetBevelOuter(bvLowered);
    pnlChartColor->OnDblClick = [this](TObject *s) { pnlChartColorDblClick(s); };

    for (TDateTimePicker *picker : {dtpChakushubi, dtpJissekibi}) {
        picker->SetFormat("yyyy/MM/dd");
        picker->SetImeMode(imClose);
    }
    edtYotei->SetVal(static_cast<long long>(chart.FYotei));
    edtJisseki->SetVal(static_cast<long long>(chart.FJisseki));
    bool done = chart.FJisseki > 0;
    dtpChakushubi->SetDate(done ? chart.FChakushubi : chart.FStartDate);
    dtpJissekibi->SetDate(done ? chart.FJissekibi : ShownEnd(chart.FEndDate));
    dtpChakushubi->SetEnabled(done);
    dtpJissekibi->SetEnabled(done);
    pnlChartColor->SetColor(chart.FBar->Color());
    memText->SetText(chart.FBar->Caption());
    memBikou->SetText(chart.FBikou);
    for (const TGroup &group : Groups)
        if (!group.Name.empty())
            cmbGroup->AddItem(group.Name);
    cmbGroup->SetItemIndex(cmbGroup->IndexOf(chart.FGroup));
}

void TdlgChartSetting::edtJissekiValidate(TObject *)
{
    bool done = edtJisseki->AsInteger() > 0;
    dtpChakushubi->SetEnabled(done);
    dtpJissekibi->SetEnabled(done);
}

void TdlgChartSetting::cmbGroupChange(TObject *)
{
    for (const TGroup &group : Groups)
        if (group.Name == cmbGroup->Text())
            pnlChartColor->SetColor(group.Color);
}

void TdlgChartSetting::SelectGroupByColor(TColor color)
{
    cmbGroup->SetItemIndex(-1);
    for (const TGroup &group : Groups)
        if (group.Color == color)
            cmbGroup->SetItemIndex(cmbGroup->IndexOf(group.Name));
}

void TdlgChartSetting::pnlChartColorDblClick(TObject *)
{
    auto chosen = Services().ColorDialog(ColorToRGB(pnlChartColor->Color()));
    if (!chosen)
        return;
    pnlChartColor->SetColor(*chosen);
    SelectGroupByColor(*chosen);
}

void TdlgChartSetting::ApplyProgressStrip(TDateTime workStart, TDateTime actual)
{
    if (chart_.FJisseki <= 0) {
        chart_.FProgressBar.reset();
        return;
    }
    TBevelLabel &strip = chart_.ProgressBarNeeded();
    strip.SetColor(ProgressStripColor(chart_));
    int left = 0, width = 0;
    if (JissekiHyouji != 0) {
        left = DateToPixel(PixelsPerDay, workStart);
        width = DateToPixel(PixelsPerDay, actual) + RoundInt(PixelsPerDay) - left;
    } else {
        left = chart_.FBar->Left();
        width = static_cast<int>(std::trunc(chart_.FBar->WidthEx() * chart_.FRitsu / 100));
    }
    strip.SetBounds(left, chart_.FBar->Top() + chart_.FBar->Height() - 1, strip.Width(), 5);
    strip.SetWidthEx(width);
    strip.SetShowHint(true);
    strip.Show();
}

void TdlgChartSetting::btnOkClick(TObject *)
{
    long long planned = edtYotei->AsInteger();
    long long actual = edtJisseki->AsInteger();
    // Negative counts would give a negative rate and strip width.
    if (planned < 0 || actual < 0) {
        Services().MessageBox("値が小さすぎます。", Caption(), MB_OK | MB_ICONWARNING);
        SetModalResult(mrNone);
        return;
    }
    TDateTime workStart = 0, actualDate = 0;
    if (actual > 0) {
        workStart = std::trunc(dtpChakushubi->Date());
        actualDate = std::trunc(dtpJissekibi->Date());
    }
    if (workStart > actualDate) {
        Services().MessageBox("着手日が実績日の後にあります.", Caption(), MB_OK | MB_ICONERROR);
        SetModalResult(mrNone);
        return;
    }
    chart_.FYotei = static_cast<int>(planned);
    chart_.FJisseki = static_cast<int>(actual);
    chart_.FChakushubi = workStart;
    chart_.FJissekibi = actualDate;
    chart_.FBikou = memBikou->Text();
    chart_.FRitsu = AchievementRate(chart_.FYotei, chart_.FJisseki);
    ApplyProgressStrip(workStart, actualDate);
    chart_.FBar->SetColor(pnlChartColor->Color());
    main_.pnlBgColor->SetColor(pnlChartColor->Color());
    chart_.FBar->SetCaption(memText->Text());
    if (cmbGroup->Text() != chart_.FGroup)
        chart_.FGroup = cmbGroup->Text();
    main_.ChartHintText(chart_);
    Modified = true;
    SetModalResult(mrOk);
}

void ShowChartSettingDialog(TfrmMain &main, const TModalRunner &run)
{
    if (!SelectedChart)
        return;
    {
        TdlgChartSetting dialog(main, *SelectedChart);
        run(dialog);
    }
    main.RedrawChart();
}
