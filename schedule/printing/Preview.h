#pragma once
// The schedule's preview window: the report's pages as they are made, with
// page and zoom controls and a print button bound by the report form.
#include "platform/widgets/Button.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/SpeedButton.h"
#include "platform/widgets/SpinEdit.h"
#include "report/RpPrev.h"

class TfrmPreview : public TForm {
public:
    explicit TfrmPreview(TComponent *owner);

    TPanel *pnlTool;
    TSpinEdit *spePage, *speZoom;
    TSpeedButton *btnFirst, *btnPrior, *btnNext, *btnLast, *btnFit, *SpeedButton1, *SpeedButton2, *btnPrint;
    TButton *btnClose;
    TRpPreview *pre1;

    void pre1PageAvailable(TObject *sender, int pageNum);
    void speZoomChange(TObject *sender);
    void btnFitClick(TObject *sender);
    void SpeedButton1Click(TObject *sender);
    void SpeedButton2Click(TObject *sender);
    void spePageChange(TObject *sender);
    void btnFirstClick(TObject *sender);
    void btnPriorClick(TObject *sender);
    void btnNextClick(TObject *sender);
    void btnLastClick(TObject *sender);
    void btnCloseClick(TObject *sender);
    void FormClose(TObject *sender, TCloseAction &action);

private:
    TSpeedButton *ToolButton(int &left, const std::string &face, const std::string &hint);
    int PageCount() const;
    void GoToPage(int page);
};

// The preview window shown last (none while no preview is up).
extern TfrmPreview *frmPreview;
