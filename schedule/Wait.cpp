#include "schedule/Wait.h"

TdlgWait::TdlgWait(TComponent *owner) : TForm(owner)
{
    SetName("dlgWait");
    SetCaption("XML展開中．．．");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poMainFormCenter);
    SetClientSize(300, 40);
    pgb1 = new TProgressBar(this);
    pgb1->SetBounds(10, 12, 280, 16);
    pgb1->SetStep(1);
    pgb1->SetParent(this);
}
