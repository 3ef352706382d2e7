#include "schedule/printing/PageSetting.h"

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "schedule/printing/Preview.h"
#include "schedule/printing/Rep.h"

const std::array<const char *, 26> PageSettingPaperNames = {
    "Default Size", "Letter 8 12 x 11 in", "Letter Small 8 12 x 11 in", "Tabloid 11 x 17 in",
    "Ledger 17 x 11 in", "Legal 8 12 x 14 in", "Statement 5 12 x 8 12 in", "Executive 7 14 x 10 12 in",
    "A3 297 x 420 mm", "A4 210 x 297 mm", "A4 Small 210 x 297 mm", "A5 148 x 210 mm", "B4 (JIS) 250 x 354",
    "B5 (JIS) 182 x 257 mm", "Folio 8 12 x 13 in", "Quarto 215 x 275 mm", "10x14 in", "11x17 in",
    "Note 8 12 x 11 in", "Envelope #9 3 78 x 8 78", "Envelope #10 4 18 x 9 12", "Envelope #11 4 12 x 10 38",
    "Envelope #12 4 \\276 x 11", "Envelope #14 5 x 11 12", "C size sheet", "D size sheet",
};

namespace {

constexpr long double MaxMargin = 200;

TLabel *AddCaption(TForm *form, const std::string &text, int left, int top, int width = 60)
{
    auto *label = PlaceControl<TLabel>(form, left, top, width, 17);
    label->SetCaption(text);
    return label;
}

TCheckBox *Check(TForm *form, const std::string &text, int left, int top, int width = 60)
{
    auto *box = PlaceControl<TCheckBox>(form, left, top, width, 17);
    box->SetCaption(text);
    return box;
}

} // namespace

TExEdit *TdlgPageSetting::MarginEdit(const std::string &caption, int left, int top)
{
    AddCaption(this, caption, left, top + 3, 20);
    auto *edit = PlaceControl<TExEdit>(this, left + 20, top, 60, 21);
    edit->SetDataType(dFloat);
    edit->SetDataFormat("##0.00");
    edit->SetImeMode(imDisable);
    edit->SetSilentEnable(true);
    edit->OnEnter = [this](TObject *s) { edtEnter(s); };
    edit->OnExit = [this](TObject *s) { edtTopMarginExit(s); };
    AddCaption(this, "㎜", left + 84, top + 3, 20);
    return edit;
}

TdlgPageSetting::TdlgPageSetting(TComponent *owner) : TForm(owner)
{
    SetName("dlgPageSetting");
    SetCaption("ページ設定");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientSize(520, 400);
    if (frmPreview != nullptr)
        SetFormStyle(fsStayOnTop);

    gpbYousiSize = AddCaption(this, "用紙サイズ", 12, 8, 120);
    cmbSize = PlaceControl<TComboBox>(this, 20, 28, 220, 21);
    cmbSize->SetStyle(csDropDownList);
    cmbSize->SetItems({PageSettingPaperNames.begin(), PageSettingPaperNames.end()});
    rdgOrientation = PlaceControl<TRadioGroup>(this, 20, 56, 220, 52);
    rdgOrientation->SetCaption("印刷方向");
    rdgOrientation->SetColumns(2);
    rdgOrientation->SetItems({"縦", "横"});

    gpbYohaku = AddCaption(this, "余白", 12, 116, 120);
    edtTopMargin = MarginEdit("上", 20, 132);
    edtBottomMargin = MarginEdit("下", 130, 132);
    edtLeftMargin = MarginEdit("左", 20, 160);
    edtRightMargin = MarginEdit("右", 130, 160);

    gpbWakugumi = AddCaption(this, "枠組み", 12, 196, 120);
    ckbFrameTop = Check(this, "上", 20, 216, 40);
    ckbFrameBottom = Check(this, "下", 64, 216, 40);
    ckbFrameLeft = Check(this, "左", 108, 216, 40);
    ckbFrameRight = Check(this, "右", 152, 216, 40);
    AddCaption(this, "色", 20, 244, 20);
    pnlFrameColor = PlaceControl<TPanel>(this, 44, 240, 40, 21);
    pnlFrameColor->SetBevelOuter(bvLowered);
    pnlFrameColor->SetColor(clWindowText);
    pnlFrameColor->OnDblClick = [this](TObject *s) { pnlFrameColorDblClick(s); };
    AddCaption(this, "枠の太さ", 100, 244, 60);
    cmbFrameWidth = PlaceControl<TComboBox>(this, 164, 240, 60, 21);
    cmbFrameWidth->SetStyle(csDropDownList);
    cmbFrameWidth->SetItems({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});

    AddCaption(this, "レイアウト", 264, 8, 120);
    GroupBox3 = AddCaption(this, "ヘッダー", 272, 28, 120);
    AddCaption(this, "見出し", 280, 52, 50);
    edtMidashi = PlaceControl<TExEdit>(this, 332, 48, 170, 21);
    edtMidashi->SetDataType(dString);
    edtMidashi->SetImeMode(imOpen);
    ckbTitle = Check(this, "タイトル", 280, 78, 90);
    ckbDate = Check(this, "作成日/頁", 380, 78, 100);
    GroupBox2 = AddCaption(this, "はんこ欄", 272, 106, 120);
    ckbHanko1 = Check(this, "承認印", 280, 126, 90);
    ckbHanko2 = Check(this, "査閲印", 380, 126, 90);
    ckbHanko3 = Check(this, "担当者印", 280, 150, 90);
    ckbHanko4 = Check(this, "作成者印", 380, 150, 90);
    GroupBox4 = AddCaption(this, "フッター", 272, 182, 120);
    AddCaption(this, "会社名", 280, 206, 50);
    memKaishamei = PlaceControl<TMemo>(this, 332, 202, 170, 60);
    memKaishamei->SetImeMode(imOpen);

    btnOk = PlaceControl<TButton>(this, 340, 360, 75, 25);
    btnOk->SetCaption("OK");
    btnOk->SetDefault(true);
    btnOk->OnClick = [this](TObject *s) { btnOkClick(s); };
    btnCancel = PlaceControl<TButton>(this, 425, 360, 75, 25);
    btnCancel->SetCaption("キャンセル");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    FormCreate();
}

void TdlgPageSetting::FormCreate()
{
    cmbSize->SetItemIndex(PaperSize >= 0 && PaperSize < 26 ? PaperSize : -1);
    rdgOrientation->SetItemIndex(Orientation);
    edtTopMargin->SetVal(TopMargin);
    edtBottomMargin->SetVal(BottomMargin);
    edtLeftMargin->SetVal(LeftMargin);
    edtRightMargin->SetVal(RightMargin);
    ckbFrameTop->SetChecked(FrameTop);
    ckbFrameBottom->SetChecked(FrameBottom);
    ckbFrameLeft->SetChecked(FrameLeft);
    ckbFrameRight->SetChecked(FrameRight);
    pnlFrameColor->SetColor(FrameColor);
    const auto &widths = cmbFrameWidth->Items();
    int width = -1;
    for (size_t i = 0; i < widths.size(); ++i)
        if (widths[i] == IntToStr(FrameWidth))
            width = static_cast<int>(i);
    cmbFrameWidth->SetItemIndex(width);
    edtMidashi->SetText(PrintMidashi);
    ckbTitle->SetChecked(PrintTitle);
    ckbDate->SetChecked(PrintDate);
    ckbHanko1->SetChecked(PrintHanko1);
    ckbHanko2->SetChecked(PrintHanko2);
    ckbHanko3->SetChecked(PrintHanko3);
    ckbHanko4->SetChecked(PrintHanko4);
    memKaishamei->SetText(PrintKaishamei);
}

void TdlgPageSetting::edtEnter(TObject *sender)
{
    enteredEdit_ = static_cast<TExEdit *>(sender);
    enteredText_ = enteredEdit_->Text();
}

bool TdlgPageSetting::edtTopMarginExit(TObject *sender)
{
    auto *edit = static_cast<TExEdit *>(sender);
    if (edit == enteredEdit_)
        enteredEdit_ = nullptr;
    const long double value = edit->AsFloat();
    // A negative margin would print off the paper.
    const char *refusal = value > MaxMargin ? "値が大きすぎます。" : value < 0 ? "値が小さすぎます。" : nullptr;
    if (refusal == nullptr)
        return true;
    Services().MessageBox(refusal, Caption(), MB_OK | MB_ICONWARNING);
    edit->SetText(enteredText_);
    return false;
}

void TdlgPageSetting::pnlFrameColorDblClick(TObject *)
{
    if (auto color = Services().ColorDialog(ColorToRGB(pnlFrameColor->Color())))
        pnlFrameColor->SetColor(static_cast<TColor>(*color));
}

void TdlgPageSetting::btnOkClick(TObject *)
{
    // The margin being edited is checked as leaving it would.
    if (enteredEdit_ != nullptr && !edtTopMarginExit(enteredEdit_)) {
        SetModalResult(mrNone);
        return;
    }
    // Margins that leave no room would stop every run; they are refused here.
    long double width = 0, length = 0;
    PrintedPageSize(cmbSize->ItemIndex() >= 0 ? cmbSize->ItemIndex() : PaperSize,
                    rdgOrientation->ItemIndex() >= 0 ? rdgOrientation->ItemIndex() : Orientation, width, length);
    if (const char *refusal = MarginsRefusal(width, length, edtTopMargin->AsFloat(), edtBottomMargin->AsFloat(),
                                             edtLeftMargin->AsFloat(), edtRightMargin->AsFloat())) {
        Services().MessageBox(refusal, Caption(), MB_OK | MB_ICONWARNING);
        SetModalResult(mrNone);
        return;
    }
    // Without a choice in a list the document keeps its value.
    if (cmbSize->ItemIndex() >= 0)
        PaperSize = cmbSize->ItemIndex();
    if (rdgOrientation->ItemIndex() >= 0)
        Orientation = static_cast<std::uint8_t>(rdgOrientation->ItemIndex());
    TopMargin = edtTopMargin->AsFloat();
    BottomMargin = edtBottomMargin->AsFloat();
    LeftMargin = edtLeftMargin->AsFloat();
    RightMargin = edtRightMargin->AsFloat();
    FrameTop = ckbFrameTop->Checked();
    FrameBottom = ckbFrameBottom->Checked();
    FrameLeft = ckbFrameLeft->Checked();
    FrameRight = ckbFrameRight->Checked();
    FrameColor = pnlFrameColor->Color();
    if (cmbFrameWidth->ItemIndex() >= 0)
        FrameWidth = StrToInt(cmbFrameWidth->Items()[static_cast<size_t>(cmbFrameWidth->ItemIndex())]);
    PrintMidashi = edtMidashi->Text();
    PrintTitle = ckbTitle->Checked();
    PrintDate = ckbDate->Checked();
    PrintHanko1 = ckbHanko1->Checked();
    PrintHanko2 = ckbHanko2->Checked();
    PrintHanko3 = ckbHanko3->Checked();
    PrintHanko4 = ckbHanko4->Checked();
    PrintKaishamei = memKaishamei->Text();
    Modified = true;
    SetModalResult(mrOk);
}

void ShowPageSettingDialog(TfrmMain &main, const TModalRunner &run)
{
    (void)main;
    TdlgPageSetting dialog(nullptr);
    run(dialog);
}
