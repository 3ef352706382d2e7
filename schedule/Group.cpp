#include "schedule/Group.h"

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"

TdlgGroup *dlgGroup = nullptr;

namespace {

constexpr TColor kPaintingOff = static_cast<TColor>(-1);
constexpr TCursor kSetGroupCursor = 7;
constexpr int kRowsPerColumn = 6;

const char *const kRowCaptions[12] = {"１．", "２．", "３．", "４．", "５．", "６．",
                                      "７．", "８．", "９．", "１０．", "１１．", "１２．"};

void EndGroupPainting()
{
    GroupSetName.clear();
    GroupSetColor = kPaintingOff;
    Screen().SetCursor(crDefault);
}

TButton *MakeButton(TForm *form, const std::string &caption, int left, int top)
{
    auto *button = PlaceControl<TButton>(form, left, top, 75, 25);
    button->SetCaption(caption);
    return button;
}

} // namespace

TdlgGroup::TdlgGroup(TfrmMain &main) : TForm(&main), main_(main)
{
    SetCaption("グループの設定");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetClientSize(400, 245);
    SetLeft(main.Left() + 5);
    SetTop(main.Top() + main.scb1->Top());
    Label13 = PlaceControl<TLabel>(this, 12, 8, 376, 17);
    Label13->SetCaption("グループカラーを選択してチャートをクリックして下さい。");
    CreateRows();
    FindRowControls();
    Button1 = MakeButton(this, "OK", 230, 208);
    Button1->OnClick = [this](TObject *s) { btnOkClick(s); };
    dlgCansel = MakeButton(this, "キャンセル", 313, 208);
    dlgCansel->SetCancel(true);
    dlgCansel->OnClick = [this](TObject *) { Close(); };
    OnClose = [this](TObject *s, TCloseAction &action) { FormClose(s, action); };

    for (size_t i = 0; i < Groups.size(); ++i) {
        edtGroup[i]->SetVal(Groups[i].Name);
        pnlColor[i]->SetColor(Groups[i].Color);
    }
}

TdlgGroup::~TdlgGroup()
{
    if (dlgGroup == this)
        dlgGroup = nullptr;
}

void TdlgGroup::CreateRows()
{
    for (int n = 1; n <= 12; ++n) {
        int left = 12 + (n - 1) / kRowsPerColumn * 200;
        int top = 32 + (n - 1) % kRowsPerColumn * 28;
        auto *label = PlaceControl<TLabel>(this, left, top + 3, 30, 17);
        label->SetCaption(kRowCaptions[n - 1]);
        auto *edit = PlaceControl<TExEdit>(this, left + 30, top, 110, 21);
        edit->SetName("edtGroup" + IntToStr(n));
        edit->SetDataType(dString);
        edit->SetImeMode(imOpen);
        edit->OnValidate = [this](TObject *s) { edtGroup1Validate(s); };
        auto *swatch = PlaceControl<TPanel>(this, left + 146, top, 39, 20);
        swatch->SetName("pnlColor" + IntToStr(n));
        swatch->SetBevelOuter(bvLowered);
        swatch->SetHint("ダブルクリックでカラーを変更できます。");
        swatch->SetShowHint(true);
        swatch->SetTag(n - 1);
        swatch->OnClick = [this](TObject *s) { pnlColorClick(s); };
        swatch->OnDblClick = [this](TObject *s) { pnlColor1DblClick(s); };
    }
}

void TdlgGroup::FindRowControls()
{
    for (size_t i = 0; i < edtGroup.size(); ++i) {
        std::string n = IntToStr(static_cast<long long>(i + 1));
        edtGroup[i] = dynamic_cast<TExEdit *>(FindComponent("edtGroup" + n));
        pnlColor[i] = dynamic_cast<TPanel *>(FindComponent("pnlColor" + n));
    }
}

void TdlgGroup::pnlColorClick(TObject *sender)
{
    auto *swatch = static_cast<TPanel *>(sender);
    GroupSetName = edtGroup[static_cast<size_t>(swatch->Tag())]->Text();
    GroupSetColor = swatch->Color();
    Screen().SetCursor(kSetGroupCursor);
}

void TdlgGroup::pnlColor1DblClick(TObject *sender)
{
    // The first click of the double click has started painting; this ends it.
    EndGroupPainting();
    auto *swatch = static_cast<TPanel *>(sender);
    if (auto chosen = Services().ColorDialog(ColorToRGB(swatch->Color())))
        swatch->SetColor(*chosen);
    Modified = true;
}

void TdlgGroup::edtGroup1Validate(TObject *)
{
    Modified = true;
}

// A bar of the group's colour takes the group's name; a bar that carries the
// group's (non-empty) name in another colour takes the group's colour.
void TdlgGroup::ApplyGroupToCharts(const TGroup &group)
{
    for (const auto &row : ItemList)
        for (const auto &chart : row->FCharts) {
            if (chart->FBar->Color() == group.Color) {
                if (chart->FGroup != group.Name)
                    Modified = true;
                chart->FGroup = group.Name;
                main_.ChartHintText(*chart);
            } else if (!group.Name.empty() && group.Name == chart->FGroup) {
                chart->FBar->SetColor(group.Color);
                Modified = true;
            }
        }
}

void TdlgGroup::btnOkClick(TObject *)
{
    for (size_t i = 0; i < Groups.size(); ++i) {
        TGroup &group = Groups[i];
        std::string name = edtGroup[i]->Text();
        TColor color = pnlColor[i]->Color();
        // OK can be pressed without leaving a renamed edit; the change still counts.
        if (group.Name != name || group.Color != color)
            Modified = true;
        group.Name = name;
        group.Color = color;
        ApplyGroupToCharts(group);
    }
    if (SelectedChart)
        main_.pnlBgColor->SetColor(SelectedChart->FBar->Color());
    Close();
}

void TdlgGroup::FormClose(TObject *, TCloseAction &action)
{
    EndGroupPainting();
    action = caFree;
    dlgGroup = nullptr;
}

void ShowGroupDialog(TfrmMain &main)
{
    if (dlgGroup)
        return;
    dlgGroup = new TdlgGroup(main);
    dlgGroup->ShowForm();
}

void CloseGroupDialog()
{
    if (dlgGroup)
        dlgGroup->Close();
}
