#include "schedule/ItemHeight.h"

#include "platform/core/SysUtils.h"
#include "schedule/Main.h"

void PlaceBySelectedRow(TfrmMain &main, TForm &dialog)
{
    if (!SelectedItem)
        return;
    const TMemo &caption = *SelectedItem->FMemo;
    int top = main.Top() + main.scb1->Top() + caption.Top() - main.scb1->VertScrollBar().Position() + 50;
    int left = main.Left() + main.scb1->Left() + caption.Left() + 60;
    dialog.SetBounds(left, top, dialog.Width(), dialog.Height());
}

TdlgItemHeight::TdlgItemHeight(TfrmMain &main) : TForm(nullptr), main_(main)
{
    SetCaption("項目高さ設定");
    SetBorderStyle(bsDialog);
    SetClientSize(250, 100);
    lblHeight = new TLabel(this);
    lblHeight->SetParent(this);
    lblHeight->SetCaption("高さ");
    lblHeight->SetBounds(16, 18, 30, 17);
    speHeight = new TSpinEdit(this);
    speHeight->SetParent(this);
    speHeight->SetBounds(56, 14, 70, 22);
    speHeight->SetRange(20, 300);
    speHeight->SetHint("Zoom to the specified percentage");
    ckbAll = new TCheckBox(this);
    ckbAll->SetParent(this);
    ckbAll->SetCaption("すべての項目");
    ckbAll->SetBounds(136, 16, 108, 17);
    ckbAll->SetTabStop(false);
    btnOk = new TButton(this);
    btnOk->SetParent(this);
    btnOk->SetCaption("OK");
    btnOk->SetBounds(42, 60, 75, 25);
    btnOk->SetDefault(true);
    btnOk->SetModalResult(mrOk);
    btnOk->OnClick = [this](TObject *s) { btnOkClick(s); };
    btnCansel = new TButton(this);
    btnCansel->SetParent(this);
    btnCansel->SetCaption("ｷｬﾝｾﾙ");
    btnCansel->SetBounds(132, 60, 75, 25);
    btnCansel->SetCancel(true);
    btnCansel->SetModalResult(mrCancel);

    if (SelectedItem && SelectedItem->FLineCount > 0)
        speHeight->SetValue(SelectedItem->Height() / SelectedItem->FLineCount);
    ckbAll->SetChecked(false);
}

void TdlgItemHeight::btnOkClick(TObject *)
{
    auto apply = [this](TItem &row) { row.FMemo->SetHeight(speHeight->Value() * row.FLineCount); };
    if (ckbAll->Checked()) {
        for (auto &row : ItemList)
            apply(*row);
    } else if (SelectedItem) {
        apply(*SelectedItem);
    }
    Modified = true;
    main_.UpdateScrollRange();
}

void ShowItemHeightDialog(TfrmMain &main, const TModalRunner &run)
{
    if (!SelectedItem)
        return;
    TdlgItemHeight dialog(main);
    PlaceBySelectedRow(main, dialog);
    if (run(dialog) != mrOk)
        return;
    main.stb1->SetPanelText(1, "項目の高さ:" + IntToStr(SelectedItem->Height()));
    main.RedrawChart();
}
