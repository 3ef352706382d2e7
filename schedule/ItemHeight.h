#pragma once
// The row height dialog: the height of one line of the selected row, or of
// every row, each row keeping its own number of lines.
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/SpinEdit.h"

class TfrmMain;

class TdlgItemHeight : public TForm {
public:
    explicit TdlgItemHeight(TfrmMain &main);

    TLabel *lblHeight;
    TSpinEdit *speHeight;
    TCheckBox *ckbAll;
    TButton *btnOk, *btnCansel;

    void btnOkClick(TObject *sender);

private:
    TfrmMain &main_;
};

// Places a row dialog beside the selected row's caption, as the row popup menu's commands do.
void PlaceBySelectedRow(TfrmMain &main, TForm &dialog);
// The row popup's 項目高さ設定: shows the dialog and, on OK, the new height in the status bar.
void ShowItemHeightDialog(TfrmMain &main, const TModalRunner &run = RunModal);
