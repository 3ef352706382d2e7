#pragma once
// The progress window of a run that goes straight to the printer: the share
// of the work done and a Cancel button that stops the run.
#include "platform/widgets/Button.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/ProgressBar.h"
#include "report/RpPrntr.h"

class TRpProgressForm : public TForm, public TRpProgressWindow, public TRpPrinterClient {
public:
    TRpProgressForm(TComponent *owner, TRpPrinter *printer);
    ~TRpProgressForm() override;

    TLabel *Info;
    TProgressBar *Gauge;
    TButton *CancelButton;
    TRpPrinter *Printer() const { return printer_; }

    void CancelButtonClick(TObject *sender);
    void WndProc(TMessage &message) override;
    TMessageTarget *ProgressTarget() override { return this; }
    void ShowProgress() override { ShowForm(); }
    void HideProgress() override { Hide(); }
    void PrinterDestroyed(TRpPrinter &printer) override;

private:
    TRpPrinter *printer_;
};

