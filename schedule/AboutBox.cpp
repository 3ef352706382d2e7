#include "schedule/AboutBox.h"

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Head.h"

#include <algorithm>

namespace {

constexpr TColor kLinkColor = 0x808000;   // teal
constexpr TColor kHoverColor = 0xFF0000;  // blue
const char *const kMailAddress = "tarvold@example.org";
const char *const kWebAddress = "https://tarvold.example.org/";

// The program's icon, our own picture: a sheet with three bars of a chart.
void DrawProgramIcon(TCanvas &c)
{
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clWhite);
    c.Pen().SetColor(clBlack);
    c.Rectangle(2, 2, 30, 30);
    c.Brush().SetColor(0x9C5A1E);
    c.FillRect(TRect{3, 3, 29, 9});
    const TColor colors[3] = {0x00C0FF, 0x40C040, 0xFF8040};
    for (int i = 0; i < 3; ++i) {
        c.Brush().SetColor(colors[i]);
        c.Rectangle(5 + i * 6, 12 + i * 6, 17 + i * 6, 17 + i * 6);
    }
}

TLabel *MakeLabel(TForm *form, const std::string &caption, int left, int top)
{
    auto *label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption(caption);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
}

} // namespace

TdlgAboutBox::TdlgAboutBox() : TForm(nullptr)
{
    SetCaption("☆★バージョン情報★☆");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientSize(330, 170);
    pnlIcon = new TPanel(this);
    pnlIcon->SetParent(this);
    pnlIcon->SetBounds(12, 12, 48, 48);
    pnlIcon->SetBevelOuter(bvLowered);
    pnlIcon->SetColor(kLinkColor);
    imgIcon = new TImage(this);
    imgIcon->SetBounds(8, 8, 32, 32);
    imgIcon->NewBitmap(32, 32, pf24bit);
    imgIcon->Bitmap().Canvas().Brush().SetColor(kLinkColor);
    imgIcon->Bitmap().Canvas().FillRect(TRect{0, 0, 32, 32});
    DrawProgramIcon(imgIcon->Bitmap().Canvas());
    imgIcon->SetParent(pnlIcon);
    const char *const letters[4] = {"た", "る", "ぼ", "る"};
    const TColor colors[4] = {clRed, clBlue, clYellow, clGreen};
    for (int i = 0; i < 4; ++i) {
        lblName[i] = MakeLabel(this, letters[i], 80 + i * 22, 14);
        lblName[i]->Font().SetStyle(fsBold);
        lblName[i]->Font().SetHeight(-17);
        lblName[i]->Font().SetColor(colors[i]);
    }
    lblFor = MakeLabel(this, "for Windows98/Me/NT/2000/XP Version", 80, 44);
    lblVersion = MakeLabel(this, FormatFloat("0.00", AppVersion), lblFor->Left() + lblFor->Width() + 4, 44);
    lblMailCaption = MakeLabel(this, "E-Mail: ", 80, 70);
    lblMail = MakeLabel(this, kMailAddress, 130, 70);
    lblUrlCaption = MakeLabel(this, "URL: ", 80, 92);
    lblUrl = MakeLabel(this, kWebAddress, 130, 92);
    for (TLabel *link : {lblMail, lblUrl}) {
        link->Font().SetColor(kLinkColor);
        link->Font().SetStyle(fsUnderline);
        link->SetCursor(crHandPoint);
        link->OnMouseMove = [this, link](TObject *, TShiftState, int, int) { HighlightLink(link); };
    }
    auto plain = [this](TObject *, TShiftState, int, int) { HighlightLink(nullptr); };
    OnMouseMove = plain;
    lblMailCaption->OnMouseMove = plain;
    lblUrlCaption->OnMouseMove = plain;
    lblMail->OnClick = [this](TObject *s) { lblMailClick(s); };
    lblUrl->OnClick = [this](TObject *s) { lblUrlClick(s); };
    OKButton = new TButton(this);
    OKButton->SetParent(this);
    OKButton->SetCaption("OK");
    // Wide enough for the version line in whatever font the desktop gives.
    SetClientSize(std::max(330, lblVersion->Left() + lblVersion->Width() + 12), 170);
    OKButton->SetBounds((ClientWidth() - 75) / 2, 130, 75, 25);
    OKButton->SetDefault(true);
    OKButton->SetModalResult(mrOk);
}

void TdlgAboutBox::lblMailClick(TObject *)
{
    Services().ShellOpen("mailto:" + lblMail->Caption());
}

void TdlgAboutBox::lblUrlClick(TObject *)
{
    Services().ShellOpen(lblUrl->Caption());
}

void TdlgAboutBox::HighlightLink(TLabel *hovered)
{
    lblMail->Font().SetColor(hovered == lblMail ? kHoverColor : kLinkColor);
    lblUrl->Font().SetColor(hovered == lblUrl ? kHoverColor : kLinkColor);
}

void ShowAboutBox(const TModalRunner &run)
{
    TdlgAboutBox dialog;
    run(dialog);
}
