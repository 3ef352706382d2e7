#include "schedule/Title.h"

#include "platform/core/SysUtils.h"
#include "schedule/Head.h"

TfrmTitle::TfrmTitle(TComponent *owner) : TForm(owner)
{
    SetBorderStyle(bsNone);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 227, 104);
    pnlTitle = new TPanel(this);
    pnlTitle->SetAlign(alClient);
    pnlTitle->SetBevelOuter(bvNone);
    pnlTitle->SetParent(this);
    img1 = new TImage(this);
    img1->SetAlign(alClient);
    img1->SetParent(pnlTitle);
    img1->NewBitmap(227, 104, pf24bit);
    DrawTitlePicture();
    lblVersion = new TLabel(this);
    lblVersion->SetTransparent(true);
    lblVersion->Font().SetColor(clBlue);
    lblVersion->SetLeft(182);
    lblVersion->SetTop(51);
    lblVersion->SetCaption(FormatFloat("0.00", AppVersion));
    lblVersion->SetParent(pnlTitle);
    edDummy = new TEdit(this);
    edDummy->SetBounds(-200, -200, 10, 10);
    edDummy->SetParent(this);
    tmr1 = new TTimer(this);
    tmr1->OnTimer = [this](TObject *) {
        tmr1->SetEnabled(false);
        Close();
    };
}

// Our own title picture: a sky band with the name and a few bars of a chart.
void TfrmTitle::DrawTitlePicture()
{
    TCanvas &c = img1->Bitmap().Canvas();
    c.Brush().SetColor(0xFFF4E8);
    c.FillRect(TRect{0, 0, 227, 104});
    c.Brush().SetColor(0x9C5A1E);
    c.FillRect(TRect{0, 0, 227, 34});
    c.Brush().SetStyle(bsClear);
    c.Font().SetName("ＭＳ Ｐゴシック");
    c.Font().SetSize(16);
    c.Font().SetStyle(fsBold);
    c.Font().SetColor(clWhite);
    c.TextOut(12, 6, "たるぼる");
    c.Font().SetSize(8);
    c.Font().SetStyle(0);
    c.TextOut(120, 14, "Schedule editor");
    const TColor colors[3] = {0x80FFFF, 0x80FF80, 0xFF8080};
    for (int i = 0; i < 3; ++i) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(colors[i]);
        c.Pen().SetColor(clBlack);
        c.Rectangle(14 + i * 40, 44 + i * 18, 84 + i * 40, 56 + i * 18);
    }
    c.Font().SetColor(clNavy);
    c.Brush().SetStyle(bsClear);
    c.TextOut(150, 51, "Ver.");
}
