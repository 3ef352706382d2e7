#pragma once
// The main window: the caption column, the date header with its three strips,
// the chart area, the status bar and the menus; the document operations and
// the one full redraw of the chart; start-up and close.
#include "controls/ExFileNameKeeper.h"
#include "controls/IniGT.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/ComboBox.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Image.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/core/Menus.h"
#include "platform/core/SysUtils.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/TabControl.h"
#include "schedule/Head.h"
#include "toolbar/BarDock.h"
#include "toolbar/Skin.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TfrmMain : public TForm {
public:
    // Builds the window and runs the start-up (settings folder, settings,
    // splash, holidays, first document). `commandLineFile` is the document named
    // on the command line, or "".
    TfrmMain(TComponent *owner, const std::string &commandLineFile, bool showSplash = true);
    ~TfrmMain() override;

    // ---- controls
    TMainMenu *mnuMain;
    TMenuItem *mitFile, *mitReOpen, *mitExit, *mitEdit, *mitCut1, *mitCopy1, *mitItemAdd, *mitItemInsert,
        *mitItemDelete, *mitView, *mitToolbar, *mitDspFile, *mitDspEdit, *mitDspMove, *mitDspFont, *mitStatus,
        *mitShowChartInfo, *mitSetting, *mitHelp, *mitChartAdd1, *mitChartDelete1, *mitChartInfo1, *mitEvent1,
        *mitGroup, *mitInitSetting, *mitCalendar, *mitContents, *mitAbout;
    TPopupMenu *pmn1, *pmn2;
    TMenuItem *mitChartAdd2, *mitChartDelete2, *mitColorChange2, *mitFontColorChange2, *mitCut2, *mitCopy2,
        *mitPaste, *mitChartInfo2;
    TMenuItem *mitItemAdd2, *mitItemInsert2, *mitItemDelete2, *mitEvent2, *mitColorChange3, *mitFontColorChange3,
        *mitItemHeight, *mitItemMove;
    TPanel *pnlHead, *pnlDate, *pnlTimeScale, *pnlFont, *pnlScb, *pnlItem, *pnlBase, *pnlChartSelect,
        *pnlFontColor, *pnlBgColor;
    TEdit *edtHdTitle, *txtDummy;
    TLabel *lblLine, *lblItemSuu, *lblDateHanni;
    TComboBox *cmbChartCnt, *cmbFontName, *cmbFontSize, *cmbAlignment;
    TTabControl *tbcCalSelect;
    TImage *imgYear, *imgMonth, *imgDay;
    TPaintBox *imgBase;
    TScrollBox *scb1;
    TSplitter *spl1;
    TScrollBar *scb2;
    // The toolbars: four in the top dock, one on the form above the status bar.
    TBarDock *dockTop;
    TSkinToolbar *tlbFile, *tlbEdit, *tlbMove, *tlbFont, *SkinToolbar1;
    TSkinItem *btnNew, *btnOpen, *btnSave;
    // The date move buttons, left to right (their commands are bound by the date navigation).
    TSkinItem *btnYearL, *btnMonthL, *btnWeekL, *btnDayL, *btnInitDate, *btnDayR, *btnWeekR, *btnMonthR,
        *btnYearR;
    TMemo *memChartComment;
    TStatusBar *stb1;
    TIniGT *ini;
    TExFileNameKeep *fnk1;

    // ---- document fields
    TDateTime FDocStartDate = 0;
    std::string FFileName;
    bool FHasFile = false;
    // The file as this window last read or wrote it, its name and stamp: a
    // save over a file another program changed since then asks first.
    std::string FStampedFileName;
    std::optional<TFileStamp> FFileStamp;
    bool FPutChartMode = false;
    std::unique_ptr<TChart> FClipChart;
    bool FPreviewOpen = false;  // set while any preview is open
    int FPreviewCount = 0;
    int FReportRuns = 0;        // report runs reading the document
    int FScrollOrigin = 2000;

    // ---- the redraw
    void RedrawChart();
    void BeginChartUpdate();
    void EndChartUpdate();

    // ---- document operations
    void NewDocument();
    void FreeDocument();
    void AddItem();
    // AddItem without showing the row counter (the reader shows it once, at the end).
    void AddItemQuietly();
    void InsertItem();
    void RelayoutItems(int newIndex);
    void DeleteItem();
    bool DeleteChart();
    void AddChart(TShape &band, int x, bool paste);
    TChart *FindChart(const TControl *bar) const;
    void AutoMoveCharts(int row, int line);
    void SetLineCount(TItem &row, int count);
    TDateTime PixelToDate(int x) const;
    void SelectItem(TItem *row);
    void ChartHintText(TChart &chart);
    void UpdateScrollRange();
    void SetDateLargeChange();
    // The one check of a new start or length shown: false, after a warning
    // box, for a period with days before 0001/01/01 or after 9999/12/31.
    bool PeriodAccepted(TDateTime start, int days, const std::string &caption = "たるぼる");
    std::string NextFreeFileName() const;
    // The document takes the name (the next free one), shown in the caption and the title.
    void TakeFileName(const std::string &fileName);
    void TakeNextFreeFileName();
    int IndexOfItem(const TItem *row) const;
    // The row counter shows the text, laid out clear of 行数.
    void ShowItemCounter(const std::string &text);

    // ---- start-up and close
    void FormClose(TObject *sender, TCloseAction &action);
    void FormCloseQuery(TObject *sender, bool &canClose);
    // Whether start-up could not read something (reported, defaults used).
    bool StartupHadErrors() const { return startupErrors_; }
    // The save command (上書き保存); false when nothing was saved.
    bool mitSaveClick();

    // ---- file commands (MainDocument.cpp)
    void mitNewClick();
    void mitOpenClick();
    void fnk1Select(const std::string &fileName);
    // Save as (名前をつけて保存); false when cancelled or not saved.
    bool mitSaveAsClick();
    void mitExitClick();
    void btnNewClick();
    void btnOpenClick();
    void btnSaveClick();

    // ---- toolbars (MainToolbars.cpp): the View menu's checks follow them
    void tlbFileVisibleChanged(TObject *sender);
    void tlbEditVisibleChanged(TObject *sender);
    void tlbMoveVisibleChanged(TObject *sender);
    void tlbFontVisibleChanged(TObject *sender);
    // Before new, open and a recent file: asks to save a modified document.
    // False (the command stops) when the person chose to save and the document
    // was not saved, or when the box gave neither はい nor いいえ.
    bool SavePrompt();


    // ---- printing (MainPrint.cpp)
    TMenuItem *mitPrint, *mitPreview, *mitPageSetting;
    TSkinItem *btnPrint;
    // Shows the print dialog; tests fill it through their own runner.
    TModalRunner RunPrintDialog = RunModal;
    // Told when a preview window has been shown (tests drive it from here).
    std::function<void(class TfrmPreview &)> PreviewShown;
    bool PrinterExists();
    void mitPrintClick();
    void btnPrintClick() { mitPrintClick(); }
    void mitPreviewClick();
    void mitPageSettingClick();
    // While a report run reads the document the window takes no input and
    // does not close.
    void BeginReportRun();
    void EndReportRun();
    void PreviewOpened();
    void PreviewClosed();

    // ---- mouse and keyboard editing (MainEdit.cpp)
    int FPressX = 0;
    int FPopupX = 0, FPopupY = 0;
    // The band of the last right click on a line band; cleared when that band is freed.
    TShape *FPopupBand = nullptr;
    void SetPopupBand(TShape *band);
    // The chart popup opening: it offers the items for what it opens on.
    void pmn1Popup();
    void SelectChart(TChart &chart);
    void DeselectChart();
    void LoadFontToolbar(const TChart &chart);
    void EndModes();
    void CommitChartComment();
    void txtChartMouseDown(TObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void txtChartMouseMove(TObject *sender, TShiftState shift, int x, int y);
    void txtChartMouseUp(TObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void shpItemMouseDown(TObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void shpItemMouseMove(TObject *sender, TShiftState shift, int x, int y);
    void shpItemDragOver(TObject *sender, TObject *source, int x, int y, TDragState state, bool &accept);
    void shpItemDragDrop(TObject *sender, TObject *source, int x, int y);
    void memItemEnter(TObject *sender);
    void memItemMouseDown(TObject *sender, TMouseButton button, TShiftState shift, int x, int y);
    void memItemMouseMove(TObject *sender, TShiftState shift, int x, int y);
    void memItemDragOver(TObject *sender, TObject *source, int x, int y, TDragState state, bool &accept);
    void memItemDragDrop(TObject *sender, TObject *source, int x, int y);
    void edtHdTitleEnter(TObject *sender);
    void FormKeyDown(TObject *sender, int &key, TShiftState shift);

    // ---- commands, font controls and the bar clipboard (MainCommand.cpp)
    void CopyChart();
    void mitCutClick();
    // The chart popup's チャートの追加 (or, with `paste`, 貼り付け) at the last right click.
    void mitChartAdd2Click(bool paste);
    void mitPasteClick() { mitChartAdd2Click(true); }
    void mitItemHeightClick();
    void mitItemMoveClick();
    void mitChartAdd1Click();
    void mitChartDeleteClick();
    void mitEventClick();
    void mitInitSettingClick();
    void mitContentsClick();
    void cmbChartCntChange();
    void cmbFontNameChange();
    void cmbFontSizeChange();
    void cmbAlignmentChange();
    void pnlFontColorDblClick();
    void pnlBgColorDblClick();

    // ---- date navigation (MainNavigate.cpp)
    void btnYearLeftClick(TObject *sender);
    void btnMonthLeftClick(TObject *sender);
    void btnWeekLeftClick(TObject *sender);
    void btnDayLeftClick(TObject *sender);
    void btnInitDateClick(TObject *sender);
    // The date scroll bar: the start follows the position; a start whose
    // days shown would pass the last date is refused.
    void scb2Scroll(TScrollCode code, int &position);
    void btnDayRightClick(TObject *sender);
    void btnWeekRightClick(TObject *sender);
    void btnMonthRightClick(TObject *sender);
    void btnYearRightClick(TObject *sender);
    void FormMouseWheelUp(TObject *sender, TShiftState shift, TPoint mousePos, bool &handled);
    void FormMouseWheelDown(TObject *sender, TShiftState shift, TPoint mousePos, bool &handled);

protected:
    void Notification(TComponent *component, TOperation operation) override;
    void WndProc(TMessage &message) override;

private:
    friend class TDocumentRead;
    void EnableBandPopupItems();
    void EnableBarPopupItems();
    void DisableChartPopupItems();
    void BindEditingHandlers();
    void BindNavigationHandlers();
    void BindFontControls();
    // The font of the selected bar, else of the selected row's caption, else none.
    TFont *SelectedFont() const;
    void PlaceDragPreview(const TChart &chart);
    // Runs while wheel notches wait: the rows scroll by them once the wheel
    // has stood still a moment.
    static constexpr unsigned kWheelTimer = 200;
    void ScrollRowsByWheel(int notchesDown);
    void WheelTimer();
    void ApplyWheel();
    // The one road by which the start shown changes.
    bool ChangeStart(TDateTime newStart, const std::function<bool()> &placeBar = nullptr);
    void MoveStartLeft(TDateTime newStart);
    void MoveStartRight(TDateTime newStart);
    void CreateControls();
    void CreateMenus();
    void CreateToolbars();
    TSkinToolbar *CreateToolbar(const std::string &name, const std::string &caption, int dockPos);
    TSkinItem *AddToolbarItem(TSkinToolbar *toolbar, const std::string &name, const std::string &caption,
                              int picture, std::function<void()> click);
    void CreateBottomToolbar();
    // Lays the bottom toolbar's controls out again after their widths changed.
    void ArrangeBottomToolbar();
    void CreatePrintCommands(TMenuItem *fileMenu);
    void SetPrintCommandsEnabled(bool enabled);
    void LoadCursors();
    void ChooseSettingsFolder();
    bool HolidayFolderIsShared() const;
    void MoveHolidaysToSettingsFolder();
    void ReadSettings();
    void OpenFirstDocument(const std::string &commandLineFile);
    void WriteSettings();
    void LayoutHeader();
    // The time-scale tabs are as wide as the header shows of them, no wider
    // than their row, so that a narrow window scrolls the row; the date range
    // follows their right end.
    void FitTimeScaleTabs();
    void UpdateItemCounter();
    void LayoutItemCounter();
    void DisableFontControls();
    void RenumberItems();
    // Frees every row, laying out the caption column once.
    void ClearItemList();
    void PlaceChart(TChart &chart, int width);
    // Places the bars of one row on the chart for the current redraw.
    void PlaceRowCharts(TItem &row, int width);
    void HideRowCharts(TItem &row);
    // Places the bars of the rows near the part of the chart in view that the
    // last redraw left unplaced: the redraw does the rows near the view only,
    // the others when a scroll brings them near.
    void PlaceChartsNearView();
    class TRedrawScope;
    static int ShownDays();
    void DrawStrips(int width);
    void PaintChartBackground(TObject *sender);
    void DrawRowSeparators(TCanvas &canvas, const TItem &row, int width);
    void DrawEvents(TCanvas &canvas, const TItem &row, int width);
    void FormResize(TObject *sender);
    // A scale whose days from the start shown would pass the last date is refused.
    void tbcCalSelectChanging(TObject *sender, int newIndex, bool &allowChange);
    void tbcCalSelectChange(TObject *sender);
    // The date scroll bar begins at the first date and ends at the last start
    // whose days shown end by the last date, so that holding an arrow never
    // reaches a start that is refused; a bar that ended at the last start
    // for `daysBefore` days follows the new scale there.
    void FitDateScrollBarEnds(int daysBefore);
    long long PositionOfStart(TDateTime start) const;
    long long LastFittingPosition(int days) const;
    void ReportStartupError(const std::string &message);

    TBarImageList *toolbarImages_ = nullptr;
    TModelHost host_;
    bool startupErrors_ = false;
    bool settingsRead_ = false;
    bool redrawing_ = false;
    // The notches not yet applied, in order: +1 down, -1 up; when the first
    // and the last of them came.
    std::vector<int> wheelNotches_;
    std::chrono::steady_clock::time_point wheelSpinStart_, wheelLastNotch_;
    // Counts the redraws; a row whose bars were placed by the current one
    // carries its number.
    unsigned redrawCount_ = 0;
};

// The document reader (MainDocument.cpp), in two steps so that a file that
// does not read is never taken over: the file is read whole into values (the
// wait window up), and only then are they built into the model and window.
class TDocumentRead {
public:
    // Raises with the reason when the file does not read: no schedule, the
    // file line and value that cannot be read, a start date too late.
    explicit TDocumentRead(const std::string &fileName);
    ~TDocumentRead();
    TDocumentRead(const TDocumentRead &) = delete;
    TDocumentRead &operator=(const TDocumentRead &) = delete;
    // Builds the document into the model and window, which FreeDocument and
    // NewDocument have just reset.
    void BuildIn(TfrmMain &form);

private:
    struct TParts;
    std::string fileName_;
    std::unique_ptr<TParts> parts_;
};
// The file read whole, or none when it does not read, after `refuse` was
// given the message that says why, naming the file.
std::unique_ptr<TDocumentRead> ReadDocumentFile(const std::string &fileName,
                                                const std::function<void(const std::string &)> &refuse);
// Both steps at once, into the freshly reset model and window.
void ReadXmlFile(TfrmMain &form, const std::string &fileName);
// The document writer (MainDocument.cpp): writes the model to the file; false
// (after telling the person) when it was not saved.
bool WriteXmlFile(TfrmMain &form, const std::string &fileName);
