#include "schedule/ItemMove.h"

#include "platform/widgets/Panel.h"
#include "platform/core/SysUtils.h"
#include "schedule/ItemHeight.h"
#include "schedule/Main.h"

#include <memory>

namespace {
constexpr TModalResult kNoMove = -1;
}

TdlgItemMove::TdlgItemMove() : TForm(nullptr)
{
    SetCaption("項目の移動");
    SetBorderStyle(bsDialog);
    SetClientSize(280, 90);
    lblRow = new TLabel(this);
    lblRow->SetParent(this);
    lblRow->SetAutoSize(false);
    lblRow->SetAlignment(taRightJustify);
    lblRow->SetBounds(8, 18, 30, 17);
    lblFrom = new TLabel(this);
    lblFrom->SetParent(this);
    lblFrom->SetCaption("行目から");
    lblFrom->SetBounds(42, 18, 50, 17);
    cmbRow = new TComboBox(this);
    cmbRow->SetParent(this);
    cmbRow->SetStyle(csDropDownList);
    cmbRow->SetImeMode(imClose);
    cmbRow->SetBounds(100, 14, 60, 21);
    lblTo = new TLabel(this);
    lblTo->SetParent(this);
    lblTo->SetCaption("行目へ移動");
    lblTo->SetBounds(166, 18, 100, 17);
    btnOk = new TButton(this);
    btnOk->SetParent(this);
    btnOk->SetCaption("OK");
    btnOk->SetBounds(50, 55, 75, 25);
    btnOk->SetDefault(true);
    btnOk->OnClick = [this](TObject *s) { btnOkClick(s); };
    btnCansel = new TButton(this);
    btnCansel->SetParent(this);
    btnCansel->SetCaption("ｷｬﾝｾﾙ");
    btnCansel->SetBounds(135, 55, 75, 25);
    btnCansel->SetCancel(true);
    btnCansel->SetModalResult(kNoMove);
    // The close box moves nothing either.
    OnClose = [this](TObject *, TCloseAction &) {
        if (ModalResult() == mrNone)
            SetModalResult(kNoMove);
    };

    std::vector<std::string> numbers;
    for (size_t i = 1; i <= ItemList.size(); ++i)
        numbers.push_back(IntToStr(static_cast<long long>(i)));
    cmbRow->SetItems(numbers);
    int index = 0;
    for (size_t i = 0; i < ItemList.size(); ++i)
        if (ItemList[i].get() == SelectedItem)
            index = static_cast<int>(i);
    cmbRow->SetItemIndex(index);
    lblRow->SetCaption(IntToStr(index + 1));
}

void TdlgItemMove::btnOkClick(TObject *)
{
    int chosen = StrToIntDef(cmbRow->Text(), 0);
    SetModalResult(cmbRow->Text() != lblRow->Caption() && chosen > 0 ? chosen : kNoMove);
    Modified = true;
}

void MoveSelectedItem(TfrmMain &main, int target)
{
    if (target <= 0 || !SelectedItem)
        return;
    // A white cover hides the rows while they are placed again.
    auto cover = std::make_unique<TPanel>(nullptr);
    cover->SetColor(clWhite);
    cover->SetBevelOuter(bvNone);
    cover->SetParent(&main);
    cover->SetAlign(alClient);
    cover->BringToFront();
    main.RelayoutItems(target - 1);
    int index = main.IndexOfItem(SelectedItem);
    main.ShowItemCounter("項目：" + IntToStr(index + 1) + "/" + IntToStr(static_cast<long long>(ItemList.size())));
}

void ShowItemMoveDialog(TfrmMain &main, const TModalRunner &run)
{
    if (!SelectedItem)
        return;
    TdlgItemMove dialog;
    PlaceBySelectedRow(main, dialog);
    MoveSelectedItem(main, run(dialog));
}
