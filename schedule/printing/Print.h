#pragma once
// The print dialog: printer, copies, page range and printing to a file, kept
// in the shared print values.
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/ComboBox.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/RadioButton.h"
#include "platform/widgets/SpinEdit.h"

class TfrmMain;

class TdlgPrint : public TForm {
public:
    explicit TdlgPrint(TfrmMain &main);

    TLabel *GroupBox1;
    TRadioButton *rbtAll, *rbtSelect;
    TLabel *lblP1, *lblP2, *lblP3;
    TSpinEdit *speStart, *speEnd;
    TButton *btnPageSetting;
    TCheckBox *ckbToFile;
    TLabel *Label1, *Label2;
    TComboBox *cmbCopies, *cmbPrinterName;
    TButton *btnOk, *btnCancel;
    // Shows the page-setting dialog (tests fill it through their own runner).
    TModalRunner RunPageSetting = RunModal;

    void FormCreate();
    void rbtAllClick(TObject *sender);
    void rbtSelectClick(TObject *sender);
    void btnPageSettingClick(TObject *sender);
    void btnOkClick(TObject *sender);
    void cmbPrinterNameChange(TObject *sender);

private:
    void ShowRange(bool shown);

    TfrmMain &main_;
};
