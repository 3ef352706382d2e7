#pragma once
// The page-setting dialog: paper and orientation, margins, the page frame, the
// header's heading, title, date and stamp boxes, and the footer's company name
// of the document.
#include "controls/ExEdit.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/ComboBox.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/RadioGroup.h"

#include <array>
#include <string>

class TfrmMain;

// The paper names of the list, in the order of the report's paper sizes.
extern const std::array<const char *, 26> PageSettingPaperNames;

class TdlgPageSetting : public TForm {
public:
    explicit TdlgPageSetting(TComponent *owner);

    TLabel *gpbYousiSize, *gpbYohaku, *gpbWakugumi, *GroupBox3, *GroupBox2, *GroupBox4;
    TComboBox *cmbSize;
    TRadioGroup *rdgOrientation;
    TExEdit *edtTopMargin, *edtBottomMargin, *edtLeftMargin, *edtRightMargin;
    TCheckBox *ckbFrameTop, *ckbFrameBottom, *ckbFrameLeft, *ckbFrameRight;
    TPanel *pnlFrameColor;
    TComboBox *cmbFrameWidth;
    TExEdit *edtMidashi;
    TCheckBox *ckbTitle, *ckbDate, *ckbHanko1, *ckbHanko2, *ckbHanko3, *ckbHanko4;
    TMemo *memKaishamei;
    TButton *btnOk, *btnCancel;

    void FormCreate();
    void edtEnter(TObject *sender);
    // False (after telling the person) when the margin was refused and its
    // previous text put back.
    bool edtTopMarginExit(TObject *sender);
    void pnlFrameColorDblClick(TObject *sender);
    void btnOkClick(TObject *sender);

private:
    TExEdit *MarginEdit(const std::string &caption, int left, int top);

    std::string enteredText_;
    TExEdit *enteredEdit_ = nullptr;
};

// The main window's ページ設定 and the print dialog's button: shows the dialog.
void ShowPageSettingDialog(TfrmMain &main, const TModalRunner &run = RunModal);
