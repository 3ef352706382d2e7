#include "schedule/printing/Print.h"

#include "platform/graphics/Printers.h"
#include "schedule/Main.h"
#include "schedule/printing/PageSetting.h"
#include "schedule/printing/Preview.h"

namespace {

TLabel *AddCaption(TForm *form, const std::string &text, int left, int top, int width)
{
    auto *label = PlaceControl<TLabel>(form, left, top, width, 17);
    label->SetCaption(text);
    return label;
}

TSpinEdit *PageEdit(TForm *form, int left, int top)
{
    auto *edit = PlaceControl<TSpinEdit>(form, left, top, 56, 22);
    edit->SetRange(1, 999);
    edit->SetValue(1);
    return edit;
}

} // namespace

TdlgPrint::TdlgPrint(TfrmMain &main) : TForm(nullptr), main_(main)
{
    SetName("dlgPrint");
    SetCaption("印刷指定");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientSize(380, 230);
    // Above a preview window, which stays on top.
    if (frmPreview != nullptr)
        SetFormStyle(fsStayOnTop);

    GroupBox1 = AddCaption(this, "印刷する項目", 12, 8, 120);
    rbtAll = PlaceControl<TRadioButton>(this, 24, 30, 90, 17);
    rbtAll->SetCaption("すべて");
    rbtAll->OnClick = [this](TObject *s) { rbtAllClick(s); };
    rbtSelect = PlaceControl<TRadioButton>(this, 24, 56, 90, 17);
    rbtSelect->SetCaption("範囲指定");
    rbtSelect->OnClick = [this](TObject *s) { rbtSelectClick(s); };
    lblP1 = AddCaption(this, "ページ", 118, 58, 40);
    speStart = PageEdit(this, 160, 54);
    lblP2 = AddCaption(this, "～", 220, 58, 16);
    speEnd = PageEdit(this, 238, 54);
    lblP3 = AddCaption(this, "まで", 298, 58, 30);
    btnPageSetting = PlaceControl<TButton>(this, 24, 90, 100, 25);
    btnPageSetting->SetCaption("ページ設定");
    btnPageSetting->OnClick = [this](TObject *s) { btnPageSettingClick(s); };
    ckbToFile = PlaceControl<TCheckBox>(this, 140, 94, 120, 17);
    ckbToFile->SetCaption("ファイルへ出力");
    Label1 = AddCaption(this, "部数", 24, 130, 40);
    cmbCopies = PlaceControl<TComboBox>(this, 70, 126, 60, 21);
    cmbCopies->SetStyle(csDropDownList);
    cmbCopies->SetItems({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    Label2 = AddCaption(this, "プリンタ", 24, 160, 50);
    cmbPrinterName = PlaceControl<TComboBox>(this, 80, 156, 280, 21);
    cmbPrinterName->SetStyle(csDropDownList);
    cmbPrinterName->OnChange = [this](TObject *s) { cmbPrinterNameChange(s); };
    btnOk = PlaceControl<TButton>(this, 200, 194, 75, 25);
    btnOk->SetCaption("印刷");
    btnOk->SetDefault(true);
    btnOk->OnClick = [this](TObject *s) { btnOkClick(s); };
    btnCancel = PlaceControl<TButton>(this, 285, 194, 75, 25);
    btnCancel->SetCaption("キャンセル");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    FormCreate();
}

void TdlgPrint::FormCreate()
{
    rbtAll->SetChecked(true);
    ShowRange(false);
    cmbCopies->SetItemIndex(0);
    try {
        Printer().SetPrinterIndex(PrinterIndex);
    } catch (const EPrinter &) {
        // The printer chosen before is gone: the default one prints.
        PrinterIndex = -1;
        Printer().SetPrinterIndex(-1);
    }
    cmbPrinterName->SetItems(Printer().Printers());
    cmbPrinterName->SetItemIndex(Printer().PrinterIndex());
}

void TdlgPrint::ShowRange(bool shown)
{
    for (TControl *control : {static_cast<TControl *>(speStart), static_cast<TControl *>(speEnd),
                              static_cast<TControl *>(lblP1), static_cast<TControl *>(lblP2),
                              static_cast<TControl *>(lblP3)}) {
        control->SetEnabled(shown);
        control->SetVisible(shown);
    }
}

void TdlgPrint::rbtAllClick(TObject *) { ShowRange(false); }

void TdlgPrint::rbtSelectClick(TObject *) { ShowRange(true); }

void TdlgPrint::btnPageSettingClick(TObject *) { ShowPageSettingDialog(main_, RunPageSetting); }

void TdlgPrint::cmbPrinterNameChange(TObject *) { PrinterIndex = cmbPrinterName->ItemIndex(); }

void TdlgPrint::btnOkClick(TObject *)
{
    PrintAll = rbtAll->Checked();
    if (!PrintAll) {
        PrintFromPage = speStart->Value();
        PrintToPage = speEnd->Value();
    }
    PrintCopies = cmbCopies->ItemIndex() + 1;
    PrintToFile = ckbToFile->Checked();
    SetModalResult(mrOk);
}
