// The print, preview and page-setting commands of the main window.
#include "platform/kernel/Application.h"
#include "platform/graphics/Printers.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "report/RpPrntr.h"
#include "schedule/Main.h"
#include "schedule/printing/PageSetting.h"
#include "schedule/printing/Print.h"
#include "schedule/printing/Rep.h"

void TfrmMain::CreatePrintCommands(TMenuItem *fileMenu)
{
    auto item = [this, fileMenu](const std::string &caption, std::function<void()> click, int shortCut = 0) {
        auto *m = new TMenuItem(this);
        m->SetCaption(caption);
        m->SetShortCut(shortCut);
        m->OnClick = [click = std::move(click)](TObject *) { click(); };
        fileMenu->Add(m);
        return m;
    };
    mitPrint = item("印刷(&P)...", [this] { mitPrintClick(); }, scCtrl | 'P');
    mitPreview = item("印刷プレビュー(&V)", [this] { mitPreviewClick(); });
    mitPageSetting = item("ページ設定(&T)", [this] { mitPageSettingClick(); });
    // The File toolbar shows it after 上書き保存.
    btnPrint = new TSkinItem(this);
    btnPrint->SetName("btnPrint");
    btnPrint->SetCaption("印刷(&P)");
    btnPrint->SetHint("印刷");
    btnPrint->OnClick = [this](TObject *) { btnPrintClick(); };
}

void TfrmMain::SetPrintCommandsEnabled(bool enabled)
{
    mitPrint->SetEnabled(enabled);
    btnPrint->SetEnabled(enabled);
    mitPreview->SetEnabled(enabled);
}

bool TfrmMain::PrinterExists()
{
    if (!Printer().Printers().empty())
        return true;
    Services().MessageBox("プリンタが見つかりません。", Caption(), MB_OK | MB_ICONERROR);
    return false;
}

void TfrmMain::BeginReportRun()
{
    if (FReportRuns++ == 0)
        SetEnabled(false);
}

void TfrmMain::EndReportRun()
{
    if (FReportRuns > 0 && --FReportRuns == 0)
        SetEnabled(true);
}

void TfrmMain::PreviewOpened()
{
    ++FPreviewCount;
    FPreviewOpen = true;
}

void TfrmMain::PreviewClosed()
{
    if (FPreviewCount > 0)
        --FPreviewCount;
    FPreviewOpen = FPreviewCount > 0;
}

namespace {

// The saved-report file asked for in the document's folder; empty when cancelled.
std::string AskReportFileName(const std::string &documentPath)
{
    const std::string os = GetOSName();
    const bool newer = os == "Vista" || os == "Seven";
    TFileDialogRequest request;
    request.save = true;
    request.filter = newer ? "Report file|*.rpf" : "RPF|*.rpf";
    request.defaultExt = "rpf";
    request.overwritePrompt = !newer;
    request.initialDir = ExtractFilePath(documentPath);
    request.fileName = "";
    auto answer = Services().FileDialog(request);
    return answer ? answer->fileName : std::string();
}

// Prepares the report and sends its pages to the printer or into a file.
void PrintReport(TrepForm &rep, const std::string &documentPath)
{
    if (!rep.ChartFits())
        return;
    rep.rep1->ReportTitle = ExtractFileName(documentPath);
    rep.rep1->Prepare();
    std::unique_ptr<TRpPrinter> printer = rep.rep1->TakePrinter();
    if (!printer)
        return;
    printer->SetPrinterIndex(PrinterIndex);
    // A PDF file is proposed beside the document, as the file dialogs do.
    printer->PrinterObject().SetOutputFolder(ExtractFilePath(documentPath));
    if (PaperSize >= 0 && PaperSize <= 26)
        printer->SetPaperSize(static_cast<TRpPaperSize>(PaperSize));
    if (!PrintAll) {
        printer->FirstPage = PrintFromPage;
        if (printer->PageCount() < PrintToPage)
            PrintToPage = printer->PageCount();
        printer->LastPage = PrintToPage;
    }
    printer->SetCopies(PrintCopies);
    if (!PrintToFile) {
        printer->Print();
        return;
    }
    const std::string fileName = AskReportFileName(documentPath);
    if (!fileName.empty())
        printer->Save(fileName);
}

} // namespace

void TfrmMain::mitPrintClick()
{
    if (ItemList.empty() || !PrinterExists())
        return;
    SetPrintCommandsEnabled(false);
    std::string failure;
    try {
        TrepForm rep(*this);
        TdlgPrint dialog(*this);
        if (RunPrintDialog(dialog) == mrOk)
            PrintReport(rep, FFileName);
    } catch (const EAbort &) {
        // The person cancelled (the PDF file's name, for one): nothing to tell.
    } catch (const std::exception &e) {
        failure = e.what();
    }
    // The report and its printer are gone whatever happened; the commands
    // come back before the failure is told.
    SetPrintCommandsEnabled(true);
    if (!failure.empty())
        Application().HandleException(Exception(failure));
}

void TfrmMain::mitPageSettingClick() { ShowPageSettingDialog(*this); }

void TfrmMain::mitPreviewClick()
{
    if (ItemList.empty() || !PrinterExists())
        return;
    std::string failure;
    PreviewOpened();
    try {
        TrepForm rep(*this);
        if (rep.ChartFits())
            rep.rep1->Preview();
    } catch (const std::exception &e) {
        failure = e.what();
    }
    PreviewClosed();
    BringToFront();
    if (!failure.empty())
        Application().HandleException(Exception(failure));
}
