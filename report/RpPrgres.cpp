#include "report/RpPrgres.h"

#include "platform/kernel/Application.h"

TRpProgressForm::TRpProgressForm(TComponent *owner, TRpPrinter *printer) : TForm(owner), printer_(printer)
{
    SetCaption("Printing progress");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientSize(300, 110);
    Info = PlaceControl<TLabel>(this, 16, 12, 268, 16);
    Gauge = PlaceControl<TProgressBar>(this, 16, 36, 268, 20);
    CancelButton = PlaceControl<TButton>(this, 110, 70, 80, 26);
    CancelButton->SetCaption("Cancel");
    CancelButton->SetCancel(true);
    CancelButton->OnClick = [this](TObject *sender) { CancelButtonClick(sender); };
    if (printer_ != nullptr)
        printer_->AttachClient(this);
}

TRpProgressForm::~TRpProgressForm()
{
    if (printer_ != nullptr)
        printer_->DetachClient(this);
}

void TRpProgressForm::PrinterDestroyed(TRpPrinter &printer)
{
    if (&printer == printer_)
        printer_ = nullptr;
}

void TRpProgressForm::CancelButtonClick(TObject *)
{
    if (printer_ != nullptr)
        printer_->Cancel();
}

void TRpProgressForm::WndProc(TMessage &message)
{
    if (message.Msg != WM_RPPROGRESS) {
        TForm::WndProc(message);
        return;
    }
    // Only every fifth per cent is shown, so that the window does not flicker.
    const int percent = static_cast<int>(message.WParam & 0xFFFF);
    if (percent % 5 != 0)
        return;
    Gauge->SetPosition(percent);
    Info->SetCaption(std::to_string(percent) + "% " + " Completed");
    ProcessMessages();
}

