#pragma once
// The engine's own preview window, used when a report has no OnPreview
// handler: the preview control with zoom and page buttons, thumbnails, text
// search, print setup, printing, and saving and loading report files.
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckButton.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/ListBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/TreeView.h"
#include "report/RpPrev.h"
#include "report/RpSearchDlg.h"

#include <string>

class TRpStandardPreview : public TForm, public TRpPrinterClient {
public:
    TRpStandardPreview(TComponent *owner, TRpPrinter *printer);
    ~TRpStandardPreview() override;

    TPanel *ToolBar;
    TCheckButton *ZoomFit;
    TCheckButton *ZoomToWidth;
    TCheckButton *Zoom100;
    TButton *FirstPage;
    TButton *PreviousPage;
    TButton *nextPage;
    TButton *LastPage;
    TButton *GotoPageButton;
    TButton *FindButton;
    TButton *PrintSetup;
    TButton *Print;
    TButton *SaveReport;
    TButton *LoadReport;
    TButton *ExitButton;
    TRpPreview *RpPreview;
    TPageControl *Tabs;
    TTabSheet *TabThumbs;
    TTabSheet *TabSearchResult;
    TDrawGrid *ThumbGrid;
    TLabel *SearchTextLabel;
    TListBox *SearchResultBox;
    TStatusBar *StatusBar;
    TTreeView *OutlineView;

    TRpPrinter *Printer() const { return printer_; }
    // Binds the preview control to the printer and shows the window.
    void ShowPreview();
    // How the search dialog runs; a test fills it instead.
    TModalRunner RunSearchDialog = RunModal;

    void FormCreate(TObject *sender);
    void FormClose(TObject *sender, TCloseAction &action);
    void FormKeyDown(TObject *sender, int &key, TShiftState shift);
    void FormResize(TObject *sender);
    void ZoomToFitClick(TObject *sender);
    void ZoomToWidthClick(TObject *sender);
    void ZoomTo100Click(TObject *sender);
    void FirstPageClick(TObject *sender);
    void PrevPageClick(TObject *sender);
    void NextPageClick(TObject *sender);
    void LastPageClick(TObject *sender);
    void GotoPageButtonClick(TObject *sender);
    void FindButtonClick(TObject *sender);
    void PrintSetupClick(TObject *sender);
    void PrintClick(TObject *sender);
    void SaveClick(TObject *sender);
    void LoadClick(TObject *sender);
    void ExitClick(TObject *sender);
    void RpPreviewPageAvailable(TObject *sender, int pageNum);
    void RpPreviewProgressUpdate(TObject *sender, int progress);
    void RpPreviewHyperlink(TObject *sender, TRpHyperlinkEventType eventType, const std::string &link, bool &handled);
    void OutlineViewChange(TObject *sender, int node);
    void ThumbGridDrawCell(TObject *sender, int col, int row, TRect rect, TGridDrawState state);
    void ThumbGridSelectCell(TObject *sender, int col, int row, bool &canSelect);
    void SearchResultBoxClick(TObject *sender);

    void PrinterDestroyed(TRpPrinter &printer) override;

private:
    void ShowPage(int n);
    void ApplyZoom();
    void UpdateStatus();
    void UpdatePrintButtons();
    void RebuildThumbnails();
    void ScrollPage(bool down);

    TRpPrinter *printer_;
    int lastProgress_ = 0;
    std::string loadedFile_;
};

// Shows a printer's pages in the standard preview.
class TRpStandardPreviewInterface : public TRpPreviewInterface {
public:
    using TRpPreviewInterface::TRpPreviewInterface;
    TCustomForm *Show(TRpPrinter &printer) override;
    void ShowModal(TRpPrinter &printer) override;
};

// Registers the engine's own windows (the progress form and the standard
// preview) with the report printer; the program and the test programs call
// it once at start-up.
void RegisterReportWindows();
