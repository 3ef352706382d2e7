#pragma once
// The row move dialog: the selected row's number and the number to move it to.
#include "platform/widgets/Button.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/Label.h"

class TfrmMain;

class TdlgItemMove : public TForm {
public:
    TdlgItemMove();

    TLabel *lblRow, *lblFrom, *lblTo;
    TComboBox *cmbRow;
    TButton *btnOk, *btnCansel;

    // Ends the dialog with the chosen row number, or -1 when it is the row's own.
    void btnOkClick(TObject *sender);
};

// The row popup's 項目を移動: moves the selected row to the chosen number.
void ShowItemMoveDialog(TfrmMain &main, const TModalRunner &run = RunModal);
// Moves the selected row to row number `target` (1-based) as the dialog's
// result asks; any result below 1 moves nothing.
void MoveSelectedItem(TfrmMain &main, int target);
