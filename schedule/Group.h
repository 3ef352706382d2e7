#pragma once
// The group dialog: edits the document's 12 groups (name and colour) and offers
// group painting, where a click on a group's colour swatch makes every press on
// a bar in the main window give that bar the group's name and colour. It is
// modeless: it stays open beside the main window, at most one at a time, and
// frees itself when it closes.
#include "controls/ExEdit.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Panel.h"
#include "schedule/Head.h"

#include <array>

class TfrmMain;

class TdlgGroup : public TForm {
public:
    explicit TdlgGroup(TfrmMain &main);
    ~TdlgGroup() override;

    TLabel *Label13;
    // Row n of the dialog (0-based): the group's name and its colour swatch.
    std::array<TExEdit *, 12> edtGroup{};
    std::array<TPanel *, 12> pnlColor{};
    TButton *Button1, *dlgCansel;

    void pnlColorClick(TObject *sender);
    void pnlColor1DblClick(TObject *sender);
    void edtGroup1Validate(TObject *sender);
    void btnOkClick(TObject *sender);
    void FormClose(TObject *sender, TCloseAction &action);

private:
    void CreateRows();
    void FindRowControls();
    void ApplyGroupToCharts(const TGroup &group);
    TfrmMain &main_;
};

// The open group dialog, or nullptr.
extern TdlgGroup *dlgGroup;

// グループの設定: shows the group dialog without waiting, unless one is open.
void ShowGroupDialog(TfrmMain &main);
// Closes the group dialog when one is open (the document it edits is going away).
void CloseGroupDialog();
