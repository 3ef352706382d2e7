#include "schedule/Main.h"

#include "platform/kernel/Application.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/MemoryPages.h"
#include "platform/core/Registry.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/AboutBox.h"
#include "schedule/Cal.h"
#include "schedule/ChartSetting.h"
#include "schedule/Group.h"
#include "schedule/MainDocument.h"
#include "schedule/Title.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <unordered_set>

namespace {

constexpr int kStripWidth = 3000;
constexpr int kYearHeight = 16, kMonthHeight = 17, kDayHeight = 17;
constexpr int kCaptionColumnWidth = 180;
constexpr int kDateRangeGap = 4; // between the time-scale tabs and the date range

int Round(long double v) { return RoundInt(v); }

const std::vector<std::pair<std::string, int>> kTimeScales = {
    {"１週間", 7}, {"２週間", 14}, {"３週間", 21}, {"１ヶ月", 31}, {"２ヶ月", 62},
    {"３ヶ月", 95}, {"６ヶ月", 183}, {"１年間", 365}, {"２年間", 730}, {"任意", 0},
};

// The program's own cursors, drawn as text: X black, o white.
const std::vector<std::string> kPutChartCursor = {
    "X..........", "XX.........", "XoX........", "XooX.......", "XoooX......", "XooooX.....",
    "XoooooX....", "XooooooX...", "XoooXXXX...", "XooX.......", "XoX..XXXXXX", "XX...XooooX",
    "X....XooooX", ".....XXXXXX"};
const std::vector<std::string> kMoveChartCursor = {
    ".....X.....", "....XoX....", "...XoooX...", ".....o.....", ".X...o...X.", "XooooooooX.",
    ".X...o...X.", ".....o.....", "...XoooX...", "....XoX....", ".....X....."};
const std::vector<std::string> kSetGroupCursor = {
    "X..........", "XX.........", "XoX........", "XooX.......", "XoooX......", "XooooX.....",
    "XoooooX....", "XooXXXX....", "XoX...XXXXX", "XX....XoXoX", "X.....XXXXX", "......XoXoX",
    "......XXXXX"};

// Opening for appending needs an existing file that may be written.
bool CanAppend(const std::string &path)
{
    if (!FileExists(path))
        return false;
    std::ofstream file(path, std::ios::app);
    return file.is_open();
}

} // namespace

// ---------------------------------------------------------------- building the window

TfrmMain::TfrmMain(TComponent *owner, const std::string &commandLineFile, bool showSplash) : TForm(owner)
{
    SetName("frmMain");
    SetBounds(0, 0, 800, 600);
    SetKeyPreview(true);
    CreateMenus();
    CreateControls();
    ModelHost = &host_;
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    OnCloseQuery = [this](TObject *s, bool &c) { FormCloseQuery(s, c); };
    OnResize = [this](TObject *s) { FormResize(s); };

    // Start-up. A failure in one step is reported and the rest goes on with
    // what was read and the defaults.
    ResizeImage(*imgYear, kYearHeight, kStripWidth, pf16bit);
    ResizeImage(*imgMonth, kMonthHeight, kStripWidth, pf16bit);
    ResizeImage(*imgDay, kDayHeight, kStripWidth, pf16bit);
    LoadCursors();
    DateColor1 = 0xFFFFFF;
    DateColor2 = 0xE3E3E3;
    HorydayColor = 0x02C6CEFF;
    ChooseSettingsFolder();
    ini->SetFileName(SettingsDir + "Tarvold.ini");
    fnk1->LoadFromIni(SettingsDir + "Tarvold.ini");
    if (showSplash) {
        TfrmTitle splash(nullptr);
        splash.ShowModal();
    }
    NewDocument();
    txtDummy->SetLeft(-100);
    DateIniDir = ini->ReadString("Other", "DateIniDir", BaseDir);
    HolidayList.clear();
    try {
        LoadHolidays();
    } catch (const std::exception &e) {
        ReportStartupError(e.what());
    }
    if (!UseAppDir && HolidayFolderIsShared())
        MoveHolidaysToSettingsFolder();
    ReadSettings();
    OpenFirstDocument(commandLineFile);
    Application().SetHintHidePause(60000);
    stb1->SetPanelText(0, "本日" + FormatDateTime("yyyy\"年\"m\"月\"d\"日(\"aaa\")\"", Date()));
    SetCaption(FFileName);
    Application().SetTitle("たるぼる-" + ExtractFileName(FFileName));
    RedrawChart();
}

TfrmMain::~TfrmMain()
{
    FreeDocument();
    if (ModelHost == &host_)
        ModelHost = nullptr;
    // The controls are owned by the form and freed by it; the model is gone first.
    SetMenu(nullptr);
}

void TfrmMain::ReportStartupError(const std::string &message)
{
    startupErrors_ = true;
    Services().MessageBox(message, "たるぼる", MB_OK | MB_ICONERROR);
}

void TfrmMain::CreateMenus()
{
    mnuMain = new TMainMenu(this);
    auto item = [this](TMenuItem *parent, const std::string &caption, std::function<void()> click = nullptr,
                       int shortCut = 0) {
        auto *m = new TMenuItem(this);
        m->SetCaption(caption);
        m->SetShortCut(shortCut);
        if (click)
            m->OnClick = [click = std::move(click)](TObject *) { click(); };
        parent->Add(m);
        return m;
    };
    auto addItem = [this] {
        AddItem();
        UpdateScrollRange();
        RedrawChart();
        if (SelectedItem)
            SelectedItem->FMemo->SetFocus();
    };
    auto insertItem = [this] {
        if (ItemList.empty())
            return;
        InsertItem();
        UpdateScrollRange();
        RedrawChart();
        if (SelectedItem)
            SelectedItem->FMemo->SetFocus();
    };
    auto deleteItem = [this] {
        DeleteItem();
        ShowItemCounter(ItemList.empty() ? "項目：0/0" : "項目：-/" + IntToStr(static_cast<long long>(ItemList.size())));
        UpdateScrollRange();
        RedrawChart();
    };
    auto chartInfo = [this] { ShowChartSettingDialog(*this); };
    auto event = [this] { mitEventClick(); };
    auto fontColor = [this] { pnlFontColorDblClick(); };
    auto bgColor = [this] { pnlBgColorDblClick(); };

    TMenuItem *root = mnuMain->Items();
    mitFile = item(root, "ファイル(&F)");
    item(mitFile, "新規作成(&N)", [this] { mitNewClick(); }, scCtrl | 'N');
    item(mitFile, "開く(&O)...", [this] { mitOpenClick(); }, scCtrl | 'O');
    item(mitFile, "上書き保存(&S)", [this] { mitSaveClick(); }, scCtrl | 'S');
    item(mitFile, "名前をつけて保存(&A)...", [this] { mitSaveAsClick(); });
    item(mitFile, "-");
    CreatePrintCommands(mitFile);
    item(mitFile, "-");
    mitReOpen = item(mitFile, "開き直す(&R)");
    item(mitFile, "-");
    mitExit = item(mitFile, "終了(&X)", [this] { mitExitClick(); });

    mitEdit = item(root, "編集(&E)");
    mitCut1 = item(mitEdit, "切り取り(&X)", [this] { mitCutClick(); });
    mitCopy1 = item(mitEdit, "コピー(&C)", [this] { CopyChart(); });
    item(mitEdit, "-");
    mitItemAdd = item(mitEdit, "項目の追加(&A)", addItem, scCtrl | 'A');
    mitItemInsert = item(mitEdit, "項目の挿入(&I)", insertItem, scCtrl | 'I');
    mitItemDelete = item(mitEdit, "項目の削除(&D)", deleteItem, scCtrl | 'D');
    item(mitEdit, "-");
    mitChartAdd1 = item(mitEdit, "チャートの追加(&H)", [this] { mitChartAdd1Click(); }, scCtrl | 'H');
    mitChartDelete1 = item(mitEdit, "チャートの削除(&R)", [this] { mitChartDeleteClick(); }, scCtrl | 'R');
    mitChartInfo1 = item(mitEdit, "チャート情報の設定(&T)", chartInfo);
    item(mitEdit, "-");
    mitEvent1 = item(mitEdit, "イベント設定(&E)", event);
    mitGroup = item(mitEdit, "グループの設定(&G)", [this] { ShowGroupDialog(*this); });

    mitView = item(root, "表示(&V)");
    mitToolbar = item(mitView, "ツールバー");
    mitDspFile = item(mitToolbar, "ファイル");
    mitDspEdit = item(mitToolbar, "編集");
    mitDspMove = item(mitToolbar, "移動");
    mitDspFont = item(mitToolbar, "フォント");
    for (TMenuItem *m : {mitDspFile, mitDspEdit, mitDspMove, mitDspFont})
        m->SetChecked(true);
    mitStatus = item(mitView, "ステータスバー", [this] {
        mitStatus->SetChecked(!mitStatus->Checked());
        stb1->SetVisible(mitStatus->Checked());
    });
    mitStatus->SetChecked(true);
    mitShowChartInfo = item(mitView, "チャート情報", [this] {
        for (auto &row : ItemList)
            for (auto &chart : row->FCharts)
                chart->FBar->SetShowHint(!chart->FBar->ShowHint());
        mitShowChartInfo->SetChecked(!mitShowChartInfo->Checked());
        host_.ShowChartInfo = mitShowChartInfo->Checked();
    });
    mitShowChartInfo->SetChecked(true);

    mitSetting = item(root, "設定(&S)");
    mitInitSetting = item(mitSetting, "初期設定(&P)", [this] { mitInitSettingClick(); });
    mitCalendar = item(mitSetting, "カレンダー(&C)", [this] { ShowCalendarDialog(*this); });
    mitHelp = item(root, "ヘルプ(&H)");
    mitContents = item(mitHelp, "たるぼるヘルプ(&P)", [this] { mitContentsClick(); });
    mitAbout = item(mitHelp, "バージョン情報(&A)...", [] { ShowAboutBox(); });
    mitCut1->SetEnabled(false);
    mitCopy1->SetEnabled(false);

    pmn1 = new TPopupMenu(this);
    TMenuItem *chartPopup = pmn1->Items();
    mitChartAdd2 = item(chartPopup, "チャートの追加(&I)", [this] { mitChartAdd2Click(false); });
    mitChartDelete2 = item(chartPopup, "チャートの削除(&D)", [this] { mitChartDeleteClick(); });
    mitColorChange2 = item(chartPopup, "カラーの変更(&C)", bgColor);
    mitFontColorChange2 = item(chartPopup, "文字色の変更(&N)", fontColor);
    mitCut2 = item(chartPopup, "切り取り(&X)", [this] { mitCutClick(); });
    mitCopy2 = item(chartPopup, "コピー(&C)", [this] { CopyChart(); });
    mitPaste = item(chartPopup, "貼り付け(&V)", [this] { mitPasteClick(); });
    mitChartInfo2 = item(chartPopup, "チャート情報の設定(&S)", chartInfo);
    for (int i = 0; i < chartPopup->Count(); ++i)
        chartPopup->Items(i)->SetEnabled(false);

    pmn2 = new TPopupMenu(this);
    TMenuItem *rowPopup = pmn2->Items();
    mitItemAdd2 = item(rowPopup, "項目の追加(&I)", addItem);
    mitItemInsert2 = item(rowPopup, "項目の挿入(&I)", insertItem);
    mitItemDelete2 = item(rowPopup, "項目の削除(&D)", deleteItem);
    item(rowPopup, "-");
    mitEvent2 = item(rowPopup, "イベント編集(&E)", event);
    mitColorChange3 = item(rowPopup, "カラーの変更(&C)", bgColor);
    mitFontColorChange3 = item(rowPopup, "文字色の変更(&N)", fontColor);
    item(rowPopup, "-");
    mitItemHeight = item(rowPopup, "項目高さ設定(&H)", [this] { mitItemHeightClick(); });
    mitItemMove = item(rowPopup, "項目を移動(&M)", [this] { mitItemMoveClick(); });
    SetMenu(mnuMain);
}

void TfrmMain::CreateControls()
{
    ini = new TIniGT(this);
    fnk1 = new TExFileNameKeep(this);
    fnk1->SetParentMenu(mitReOpen);
    fnk1->OnSelect = [this](const std::string &fileName) { fnk1Select(fileName); };

    stb1 = new TStatusBar(this);
    stb1->AddPanel(200);
    stb1->AddPanel(300);
    stb1->AddPanel(50);
    stb1->SetParent(this);

    // The font controls sit on one panel, which the font toolbar hosts. The
    // panel is narrow enough for the four toolbars to share the dock's row in
    // the default window of 800 pixels without hiding a button.
    pnlFont = new TPanel(this);
    pnlFont->SetName("pnlFont");
    pnlFont->SetBevelOuter(bvNone);
    pnlFont->SetBounds(0, 0, 272, 25);
    cmbFontName = new TComboBox(this);
    cmbFontName->SetBounds(2, 2, 100, 21);
    // The font toolbar's boxes stand without labels: a screen reader names
    // them by what they choose, not by the value they show.
    cmbFontName->SetAccessibleName("フォント名");
    // Long names are told apart in the list, not cut to the box.
    cmbFontName->SetListFitsItems(true);
    cmbFontName->SetParent(pnlFont);
    cmbFontSize = new TComboBox(this);
    cmbFontSize->SetBounds(104, 2, 40, 21);
    cmbFontSize->SetItems({"6", "8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "30",
                           "32", "34", "36", "38", "40", "42"});
    cmbFontSize->SetAccessibleName("フォントサイズ");
    cmbFontSize->SetParent(pnlFont);
    cmbAlignment = new TComboBox(this);
    cmbAlignment->SetStyle(csDropDownList);
    cmbAlignment->SetBounds(146, 2, 64, 21);
    cmbAlignment->SetItems({"左寄せ", "中央", "右寄せ"});
    cmbAlignment->SetAccessibleName("文字の配置");
    cmbAlignment->SetParent(pnlFont);
    pnlFontColor = new TPanel(this);
    pnlFontColor->SetBounds(212, 3, 28, 20);
    pnlFontColor->SetCaption("Font");
    pnlFontColor->SetParent(pnlFont);
    pnlBgColor = new TPanel(this);
    pnlBgColor->SetBounds(242, 3, 28, 20);
    pnlBgColor->SetCaption("BG");
    pnlBgColor->SetParent(pnlFont);
    CreateToolbars();

    pnlDate = new TPanel(this);
    pnlDate->SetName("pnlDate");
    pnlDate->SetBevelOuter(bvNone);
    pnlDate->SetBounds(0, 26, Width(), 78);
    pnlDate->SetAlign(alTop);
    pnlDate->SetParent(this);
    pnlHead = new TPanel(this);
    pnlHead->SetBevelOuter(bvNone);
    pnlHead->SetBounds(0, 0, kCaptionColumnWidth, 78);
    pnlHead->SetParent(pnlDate);
    edtHdTitle = new TEdit(this);
    edtHdTitle->SetBounds(4, 4, kCaptionColumnWidth - 8, 21);
    edtHdTitle->SetAccessibleName("タイトル");
    edtHdTitle->OnChange = [](TObject *) { Modified = true; };
    edtHdTitle->SetParent(pnlHead);
    lblItemSuu = new TLabel(this);
    lblItemSuu->SetBounds(4, 56, 80, 17);
    lblItemSuu->SetParent(pnlHead);
    cmbChartCnt = new TComboBox(this);
    cmbChartCnt->SetStyle(csDropDownList);
    cmbChartCnt->SetItems({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    cmbChartCnt->SetBounds(0, 52, 45, 21);
    cmbChartCnt->SetParent(pnlHead);
    lblLine = new TLabel(this);
    lblLine->SetCaption("行数");
    lblLine->SetTop(56);
    lblLine->SetParent(pnlHead);
    tbcCalSelect = new TTabControl(this);
    std::vector<std::string> tabs;
    for (const auto &scale : kTimeScales)
        tabs.push_back(scale.first);
    tbcCalSelect->SetTabs(tabs);
    tbcCalSelect->SetTabWidth(45);
    tbcCalSelect->SetBounds(kCaptionColumnWidth, 0, tbcCalSelect->TabsWidth(), 26);
    tbcCalSelect->OnChanging = [this](TObject *s, int index, bool &allow) { tbcCalSelectChanging(s, index, allow); };
    tbcCalSelect->OnChange = [this](TObject *s) { tbcCalSelectChange(s); };
    tbcCalSelect->SetParent(pnlDate);
    lblDateHanni = new TLabel(this);
    lblDateHanni->SetBounds(tbcCalSelect->BoundsRect().Right + kDateRangeGap, 6, 200, 17);
    lblDateHanni->SetParent(pnlDate);
    // The panel follows the window's width through the alignment, which may
    // come after the window's own resize handler: the tabs follow the panel.
    pnlDate->OnResize = [this](TObject *) { FitTimeScaleTabs(); };
    pnlTimeScale = new TPanel(this);
    pnlTimeScale->SetBevelOuter(bvNone);
    pnlTimeScale->SetBounds(kCaptionColumnWidth, 26, kStripWidth, kYearHeight + kMonthHeight + kDayHeight);
    pnlTimeScale->SetParent(pnlDate);
    imgYear = new TImage(this);
    imgMonth = new TImage(this);
    imgDay = new TImage(this);
    int top = 0;
    for (auto [image, height] : {std::pair{imgYear, kYearHeight}, {imgMonth, kMonthHeight}, {imgDay, kDayHeight}}) {
        image->SetBounds(0, top, kStripWidth, height);
        image->SetParent(pnlTimeScale);
        top += height;
    }

    pnlScb = new TPanel(this);
    pnlScb->SetBevelOuter(bvNone);
    pnlScb->SetBounds(0, 0, kCaptionColumnWidth, 17);
    scb2 = new TScrollBar(this);
    scb2->SetBounds(kCaptionColumnWidth, 0, 400, 17);
    scb2->SetAccessibleName("日付");
    scb2->OnScroll = [this](TObject *, TScrollCode code, int &pos) { scb2Scroll(code, pos); };
    CreateBottomToolbar();

    scb1 = new TScrollBox(this);
    scb1->SetAlign(alClient);
    scb1->VertScrollBar().SetIncrement(8);
    scb1->SetParent(this);
    pnlItem = new TPanel(this);
    pnlItem->SetBevelOuter(bvNone);
    pnlItem->SetBounds(0, 0, kCaptionColumnWidth, 100);
    pnlItem->SetAlign(alLeft);
    pnlItem->SetPopupMenu(pmn2);
    // Thousands of rows: only the captions near the view have a window.
    pnlItem->SetChildWindowsOnDemand(true);
    pnlItem->SetParent(scb1);
    spl1 = new TSplitter(this);
    spl1->SetBounds(kCaptionColumnWidth, 0, 3, 100);
    spl1->SetAlign(alLeft);
    spl1->OnCanResize = [this](TObject *, int &size, bool &) { stb1->SetPanelText(1, "項目の幅:" + IntToStr(size)); };
    spl1->OnMoved = [this](TObject *) {
        LayoutHeader();
        stb1->SetPanelText(1, "項目の幅:" + IntToStr(spl1->Left()));
        RedrawChart();
    };
    spl1->SetParent(scb1);
    pnlBase = new TPanel(this);
    pnlBase->SetBevelOuter(bvNone);
    pnlBase->SetColor(clWhite);
    pnlBase->SetAlign(alClient);
    pnlBase->SetPopupMenu(pmn1);
    pnlBase->SetParent(scb1);
    scb1->OnScroll = [this](TObject *) { PlaceChartsNearView(); };
    imgBase = new TPaintBox(this);
    imgBase->SetAlign(alClient);
    imgBase->OnPaint = [this](TObject *s) { PaintChartBackground(s); };
    imgBase->SetParent(pnlBase);
    memChartComment = new TMemo(this);
    memChartComment->SetBounds(0, 0, 230, 111);
    memChartComment->SetColor(clWhite);
    memChartComment->SetImeMode(imOpen);
    memChartComment->Hide();
    memChartComment->SetParent(pnlBase);
    pnlChartSelect = new TPanel(this);
    pnlChartSelect->SetColor(clNavy);
    pnlChartSelect->SetBevelOuter(bvNone);
    pnlChartSelect->Hide();
    pnlChartSelect->SetParent(pnlBase);
    txtDummy = new TEdit(this);
    txtDummy->SetBounds(-100, 0, 10, 10);
    txtDummy->SetParent(this);

    host_.ItemPanel = pnlItem;
    host_.ChartPanel = pnlBase;
    host_.ItemPopup = pmn2;
    host_.ItemChange = [](TObject *) { Modified = true; };
    host_.ItemEnter = [this](TObject *sender) {
        auto *memo = static_cast<TMemo *>(sender);
        if (memo->Tag() >= 0 && memo->Tag() < static_cast<long>(ItemList.size()))
            SelectItem(ItemList[static_cast<size_t>(memo->Tag())].get());
        UpdateItemCounter();
    };
    host_.SplitterCanResize = [this](TObject *, int &size, bool &) {
        stb1->SetPanelText(1, "項目の高さ:" + IntToStr(size));
    };
    host_.SplitterMoved = [this](TObject *sender) {
        auto *splitter = static_cast<TSplitter *>(sender);
        if (TControl *memo = splitter->ResizeControl())
            stb1->SetPanelText(1, "項目の高さ:" + IntToStr(memo->Height()));
        UpdateScrollRange();
        RedrawChart();
        Modified = true;
    };
    BindEditingHandlers();
    BindNavigationHandlers();
    BindFontControls();
}

void TfrmMain::LoadCursors()
{
    Screen().SetCursorImage(5, kPutChartCursor, 0, 0);
    Screen().SetCursorImage(6, kMoveChartCursor, 5, 5);
    Screen().SetCursorImage(7, kSetGroupCursor, 0, 0);
}

// ---------------------------------------------------------------- start-up

void TfrmMain::ChooseSettingsFolder()
{
    BaseDir = IncludeTrailingPathDelimiter(Services().ProgramDir());
    TRegistry registry;
    registry.SetRootKey(THKey::HKEY_CURRENT_USER);
    if (registry.OpenKeyReadOnly("Software\\Tarvold") && registry.ValueExists("Path"))
        BaseDir = registry.ReadString("Path");
    UseAppDir = CanAppend(BaseDir + "Date.ini");
    std::string os = GetOSName();
    if (os == "Vista" || os == "Seven")
        UseAppDir = false;
    if (UseAppDir) {
        SettingsDir = BaseDir;
        return;
    }
    std::string appData = Services().AppDataDir();
    std::string older = appData + "/Tervold/";
    std::string newer = appData + "/Tarvold/";
    if (DirectoryExists(older)) {
        if (DirectoryExists(newer)) {
            DeleteFile(older + "Tervold.ini");
            RemoveDir(older);
        } else {
            RenameFile(older + "Tervold.ini", older + "Tarvold.ini");
            RenameFile(ExcludeTrailingPathDelimiter(older), ExcludeTrailingPathDelimiter(newer));
        }
    }
    SettingsDir = newer;
    if (!DirectoryExists(SettingsDir))
        ForceDirectories(SettingsDir);
}

// A holiday folder in the program's folder (or under the system's program
// folder) is shared by every user; with the settings kept per user the
// holidays are kept per user too.
bool TfrmMain::HolidayFolderIsShared() const
{
    const std::string programFolder = IncludeTrailingPathDelimiter(BaseDir);
    if (!BaseDir.empty() && IncludeTrailingPathDelimiter(DateIniDir).compare(0, programFolder.size(), programFolder) == 0)
        return true;
    const std::string programFiles = GetEnvVar("ProgramFiles");
    return !programFiles.empty() && DateIniDir.find(programFiles) != std::string::npos;
}

// The holidays read from the shared folder are carried over, unless the
// settings folder already has a holiday file of its own: that one is the
// user's and is read instead of being overwritten.
void TfrmMain::MoveHolidaysToSettingsFolder()
{
    const std::string shared = DateIniDir;
    DateIniDir = SettingsDir;
    try {
        if (FileExists(SettingsDir + "Date.ini")) {
            HolidayList.clear();
            LoadHolidays();
        } else if (FileExists(shared + "Date.ini")) {
            SaveHolidays();
        }
    } catch (const std::exception &e) {
        ReportStartupError(e.what());
    }
}

void TfrmMain::ReadSettings()
{
    try {
        ini->ReadWindowPlacement("Window", "Form", *this);
    } catch (const std::exception &e) {
        ReportStartupError(e.what());
    }
    TIniGT &s = *ini;
    DateFit = s.ReadBool("Chart", "DateFit", true);
    AutoMove = s.ReadBool("Chart", "AutoMove", true);
    ChartColor2 = static_cast<TColor>(s.ReadInteger("Chart", "ChartColor2", 0x80FFFF));
    SelectColor = static_cast<TColor>(s.ReadInteger("Chart", "SelectColor", 0x00FFFF));
    JissekiColor = static_cast<TColor>(s.ReadInteger("Chart", "JissekiColor", 255));
    JissekiEndColor = static_cast<TColor>(s.ReadInteger("Chart", "JissekiEndColor", 0xFF0000));
    JissekiHyouji = s.ReadInteger("Chart", "JissekiHyouji", 0);
    ChartFontName = s.ReadString("Chart", "ChartFontName", "ＭＳ ゴシック");
    ChartSize = s.ReadInteger("Chart", "ChartSize", 9);
    ChartAlignment = s.ReadString("Chart", "ChartAlignment", "中央");
    ChartFontColor = static_cast<TColor>(s.ReadInteger("Chart", "ChartFontColor", static_cast<int>(clWindowText)));
    ItemColor = static_cast<TColor>(s.ReadInteger("Item", "ItemColor", static_cast<int>(clWindow)));
    ItemDefHeight = s.ReadInteger("Item", "ItemDefHeight", 50);
    ItemFontName = s.ReadString("Item", "ItemFontName", "ＭＳ ゴシック");
    ItemSize = s.ReadInteger("Item", "ItemSize", 9);
    ItemFontColor = static_cast<TColor>(s.ReadInteger("Item", "ItemFontColor", static_cast<int>(clWindowText)));
    InitialLoad = s.ReadBool("Other", "InitialLoad", true);
    todayStart = s.ReadBool("Other", "todayStart", false);
    XSL = s.ReadString("Other", "XSL", BaseDir + "Tarvold.xsl");
    DateColor1 = static_cast<TColor>(s.ReadInteger("Other", "DateColor1", 0xFFFFFF));
    DateColor2 = static_cast<TColor>(s.ReadInteger("Other", "DateColor2", 0xE3E3E3));
    HorydayColor = static_cast<TColor>(s.ReadInteger("Other", "HorydayColor", 0x02C6CEFF));
    HorydayColorOnly = s.ReadBool("Other", "HorydayColorOnly", true);
    DoubleBufferedOn = s.ReadBool("Other", "DoubleBuffered", false);
    bool statusBar = s.ReadBool("Show", "StatusBar", true);
    bool chartInfo = s.ReadBool("Show", "ChartInfo", true);
    std::string version = s.ReadString("Other", "Version", "0");
    XmlTarvoldLink = s.ReadBool("Other", "XmlTarvoldLink", false);
    PrinterIndex = s.ReadInteger("Other", "PrinterIndex", -1);
    EncodingStrSet = s.ReadString("Other", "EncodingStrSet", "Shift_JIS");
    CustomTimeScale = s.ReadInteger("Other", "CustomTimeScale", 7);

    mitStatus->SetChecked(statusBar);
    stb1->SetVisible(statusBar);
    mitShowChartInfo->SetChecked(chartInfo);
    host_.ShowChartInfo = chartInfo;
    // A version that is not a number is reported and treated as an old file.
    long double versionNumber = 0;
    if (!TryStrToFloat(version, versionNumber))
        ReportStartupError("設定ファイルの Version が数値ではありません: " + version);
    // Settings written by an older version leave the checks as designed.
    if (versionNumber >= 0.99L) {
        mitDspFile->SetChecked(tlbFile->Visible());
        mitDspEdit->SetChecked(tlbEdit->Visible());
        mitDspMove->SetChecked(tlbMove->Visible());
        mitDspFont->SetChecked(tlbFont->Visible());
    }
    if (CustomTimeScale < 1 || CustomTimeScale > 9999)
        CustomTimeScale = 7;
    if (ItemDefHeight == 0)
        ItemDefHeight = 50;
    settingsRead_ = true;
}

void TfrmMain::OpenFirstDocument(const std::string &commandLineFile)
{
    // A relative name would mean another file once the folder changes, in the
    // recent-file list of a later start above all.
    FFileName = commandLineFile.empty() ? commandLineFile : ExpandFileName(commandLineFile);
    if (FFileName.empty() && InitialLoad)
        FFileName = ini->IniFile().ReadString("KeepFileNames", "FileName1", "");
    if (FFileName.empty()) {
        FFileName = NextFreeFileName();
        return;
    }
    if (!FileExists(FFileName))
        return;
    // The new document must not take the name of a file that does not read:
    // a save would replace what the person could still repair.
    std::unique_ptr<TDocumentRead> read =
        ReadDocumentFile(FFileName, [this](const std::string &refusal) { ReportStartupError(refusal); });
    if (!read) {
        FFileName = NextFreeFileName();
        return;
    }
    scb1->Hide();
    try {
        FreeDocument();
        NewDocument();
        read->BuildIn(*this);
        SetCurrentDir(ExtractFileDir(FFileName));
    } catch (const std::exception &e) {
        // Only a want of resources fails here: a new, empty document under a new name.
        read.reset();
        ReportStartupError(FFileName + "\r\n" + e.what());
        FreeDocument();
        NewDocument();
        FFileName = NextFreeFileName();
    }
    read.reset();
    scb1->Show();
    RedrawChart();
}

void TfrmMain::WriteSettings()
{
    TIniGT &s = *ini;
    s.WriteString("Other", "Version", FormatFloat("0.00", AppVersion));
    s.WriteWindowPlacement("Window", "Form", *this);
    s.WriteBool("Chart", "DateFit", DateFit);
    s.WriteBool("Chart", "AutoMove", AutoMove);
    s.WriteInteger("Chart", "ChartColor2", static_cast<int>(ChartColor2));
    s.WriteInteger("Chart", "SelectColor", static_cast<int>(SelectColor));
    s.WriteInteger("Chart", "JissekiColor", static_cast<int>(JissekiColor));
    s.WriteInteger("Chart", "JissekiEndColor", static_cast<int>(JissekiEndColor));
    s.WriteInteger("Chart", "JissekiHyouji", JissekiHyouji);
    s.WriteString("Chart", "ChartFontName", ChartFontName);
    s.WriteInteger("Chart", "ChartSize", ChartSize);
    s.WriteString("Chart", "ChartAlignment", ChartAlignment);
    s.WriteInteger("Chart", "ChartFontColor", static_cast<int>(ChartFontColor));
    s.WriteInteger("Item", "ItemColor", static_cast<int>(ItemColor));
    s.WriteInteger("Item", "ItemDefHeight", ItemDefHeight);
    s.WriteString("Item", "ItemFontName", ItemFontName);
    s.WriteInteger("Item", "ItemSize", ItemSize);
    s.WriteInteger("Item", "ItemFontColor", static_cast<int>(ItemFontColor));
    s.WriteBool("Other", "InitialLoad", InitialLoad);
    s.WriteBool("Other", "todayStart", todayStart);
    s.WriteString("Other", "XSL", XSL);
    s.WriteInteger("Other", "DateColor1", static_cast<int>(DateColor1));
    s.WriteInteger("Other", "DateColor2", static_cast<int>(DateColor2));
    s.WriteInteger("Other", "HorydayColor", static_cast<int>(HorydayColor));
    s.WriteBool("Other", "HorydayColorOnly", HorydayColorOnly);
    s.WriteBool("Other", "DoubleBuffered", DoubleBufferedOn);
    s.WriteBool("Show", "StatusBar", mitStatus->Checked());
    s.WriteBool("Show", "ChartInfo", mitShowChartInfo->Checked());
    s.WriteBool("Window", "Dialog.Show", mitShowChartInfo->Checked());
    s.WriteBool("Other", "XmlTarvoldLink", XmlTarvoldLink);
    s.WriteString("Other", "DateIniDir", DateIniDir);
    s.WriteInteger("Other", "CustomTimeScale", CustomTimeScale);
    SaveDockablePositionsToIni(this, s.Path(), "frmMain_");
    s.WriteInteger("Other", "PrinterIndex", PrinterIndex);
    s.WriteString("Other", "EncodingStrSet", EncodingStrSet);
}

void TfrmMain::FormClose(TObject *, TCloseAction &)
{
    // Settings are written only when they were read, so a start-up cut short
    // never writes defaults over the person's file.
    if (settingsRead_) {
        try {
            WriteSettings();
        } catch (const std::exception &e) {
            Services().MessageBox(e.what(), "たるぼる", MB_OK | MB_ICONERROR);
        }
    }
    Hide();
    FreeDocument();
    HolidayList.clear();
}

void TfrmMain::FormCloseQuery(TObject *, bool &canClose)
{
    if (tbcCalSelect->HandleAllocated())
        tbcCalSelect->SetFocus();
    if (FPreviewOpen || FReportRuns > 0) {
        canClose = false;
        return;
    }
    if (!Modified)
        return;
    switch (Services().MessageBox("データが変更されています。保存しますか？", "確認", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        canClose = mitSaveClick();
        break;
    case IDNO:
        break;
    default:
        canClose = false;
        break;
    }
}

bool TfrmMain::mitSaveClick()
{
    try {
        return FHasFile ? WriteXmlFile(*this, FFileName) : mitSaveAsClick();
    } catch (const std::exception &e) {
        Services().MessageBox(e.what(), "たるぼる", MB_OK | MB_ICONERROR);
        return false;
    }
}

// ---------------------------------------------------------------- document operations

void TfrmMain::LayoutHeader()
{
    int l = pnlBase->Left() + 2;
    tbcCalSelect->SetLeft(l);
    pnlTimeScale->SetLeft(l);
    pnlHead->SetWidth(l);
    edtHdTitle->SetWidth(l - 8);
    cmbChartCnt->SetLeft(l - cmbChartCnt->Width() - 3);
    lblLine->SetLeft(l - cmbChartCnt->Width() - lblLine->Width() - 3);
    LayoutItemCounter();
    FitTimeScaleTabs();
    pnlScb->SetWidth(l);
    scb2->SetLeft(l);
    scb2->SetWidth(std::max(0, scb1->Width() - l));
    ArrangeBottomToolbar();
}

// No wider than the tabs, so that the date range beside them shows whole in
// the default window of 800 pixels.
void TfrmMain::FitTimeScaleTabs()
{
    const int shown = pnlDate->ClientWidth() - tbcCalSelect->Left();
    tbcCalSelect->SetWidth(std::clamp(shown, 0, tbcCalSelect->TabsWidth()));
    lblDateHanni->SetLeft(tbcCalSelect->BoundsRect().Right + kDateRangeGap);
}

void TfrmMain::DisableFontControls()
{
    for (TControl *c : std::initializer_list<TControl *>{cmbChartCnt, cmbFontName, cmbFontSize, cmbAlignment,
                                                         pnlFontColor, pnlBgColor})
        c->SetEnabled(false);
    cmbFontName->SetItems(Screen().Fonts());
    cmbChartCnt->SetText("1");
    cmbFontName->SetText(Font().Name());
    cmbFontSize->SetText(IntToStr(Font().Size()));
    cmbAlignment->SetText("左寄せ");
    pnlFontColor->SetColor(clWindowText);
    pnlBgColor->SetColor(0xFFFFFF);
}

void TfrmMain::NewDocument()
{
    FileVersion = 0;
    ChartDragState = 3;
    FPutChartMode = false;
    Screen().SetCursor(crDefault);
    StartDate = std::floor(Date());
    FDocStartDate = StartDate;
    PixelsPerDay = 0;
    SelectedItem = nullptr;
    SelectedChart = nullptr;
    FClipChart.reset();
    ClearItemList();
    pnlItem->SetWidth(kCaptionColumnWidth);
    LayoutHeader();
    for (TMenuItem *m : {mitCopy1, mitCut1, mitChartAdd2, mitChartDelete2, mitColorChange2, mitFontColorChange2,
                         mitCopy2, mitCut2, mitPaste, mitChartInfo2})
        m->SetEnabled(false);
    DisableFontControls();
    memChartComment->Hide();
    pnlChartSelect->Hide();
    edtHdTitle->SetText("");
    Modified = false;
    ResetPageSettings();
    FHasFile = false;
    FStampedFileName.clear();
    FFileStamp.reset();
    FPreviewOpen = false;
    GroupSetColor = static_cast<TColor>(-1);
    GroupSetName.clear();
    ResetGroups();
    tbcCalSelect->SetTabIndex(0);
    DaysShown = 7;
    UpdateScrollRange();
    // The rows of the next document start at the top: a position left from a
    // longer document would still fit its range and show nothing.
    scb1->VertScrollBar().SetPosition(0);
    scb2->SetParams(2000, 0, 4000);
    FScrollOrigin = 2000;
    SetDateLargeChange();
    FitDateScrollBarEnds(DaysShown);
    ShowItemCounter("項目：0/0");
}

void TfrmMain::FreeDocument()
{
    CloseGroupDialog();
    SelectedItem = nullptr;
    SelectedChart = nullptr;
    ClearItemList();
    FClipChart.reset();
    ReturnFreeMemory();
}

void TfrmMain::ClearItemList()
{
    // Every caption and splitter leaving the column would lay out the rest
    // again: lay it out once, after all are gone.
    TAlignPause pause(*pnlItem);
    ItemList.clear();
}

int TfrmMain::IndexOfItem(const TItem *row) const
{
    // A row's caption carries its index (kept by RenumberItems); trust it only
    // when it points back at the row.
    if (row) {
        long tag = row->FMemo->Tag();
        if (tag >= 0 && tag < static_cast<long>(ItemList.size()) && ItemList[static_cast<size_t>(tag)].get() == row)
            return static_cast<int>(tag);
    }
    for (size_t i = 0; i < ItemList.size(); ++i)
        if (ItemList[i].get() == row)
            return static_cast<int>(i);
    return -1;
}

void TfrmMain::UpdateItemCounter()
{
    ShowItemCounter("項目：" + IntToStr(IndexOfItem(SelectedItem) + 1) + "/"
                    + IntToStr(static_cast<long long>(ItemList.size())));
}

void TfrmMain::ShowItemCounter(const std::string &text)
{
    lblItemSuu->SetCaption(text);
    LayoutItemCounter();
}

// The row counter stands on the line of 行数 when it ends before that label,
// otherwise (five-digit counts in a narrow caption column) on a line of its
// own between the title and 行数, so that both read whole.
void TfrmMain::LayoutItemCounter()
{
    constexpr int kLeft = 4, kGap = 4, kBesideTop = 56, kOwnLineTop = 31;
    lblItemSuu->SetLeft(kLeft);
    const bool fits = kLeft + lblItemSuu->Width() + kGap <= lblLine->Left();
    lblItemSuu->SetTop(fits ? kBesideTop : kOwnLineTop);
}

void TfrmMain::AddItem()
{
    AddItemQuietly();
    UpdateItemCounter();
}

void TfrmMain::AddItemQuietly()
{
    auto row = std::make_unique<TItem>();
    TItem *added = row.get();
    ItemList.push_back(std::move(row));
    SetLineCount(*added, 1);
    SelectItem(added);
    imgBase->Invalidate();
    Modified = true;
}

void TfrmMain::InsertItem()
{
    if (!SelectedItem)
        return;
    int index = IndexOfItem(SelectedItem);
    auto row = std::make_unique<TItem>();
    TItem *added = row.get();
    ItemList.push_back(std::move(row));
    SetLineCount(*added, 1);
    SelectItem(added);
    RelayoutItems(index);
    UpdateItemCounter();
    Modified = true;
}

void TfrmMain::RenumberItems()
{
    for (size_t r = 0; r < ItemList.size(); ++r) {
        TItem &row = *ItemList[r];
        long tag = static_cast<long>(r);
        row.FMemo->SetTag(tag);
        row.FSplitter->SetTag(tag);
        for (int j = 0; j < row.FLineCount; ++j)
            row.FLines[static_cast<size_t>(j)]->SetTag(tag);
        for (auto &chart : row.FCharts) {
            chart->FBar->SetTag(tag);
            if (chart->FProgressBar)
                chart->FProgressBar->SetTag(tag);
        }
    }
}

void TfrmMain::RelayoutItems(int newIndex)
{
    int from = IndexOfItem(SelectedItem);
    if (from < 0 || newIndex < 0 || newIndex >= static_cast<int>(ItemList.size()))
        return;
    int scroll = scb1->VertScrollBar().Position();
    auto row = std::move(ItemList[static_cast<size_t>(from)]);
    ItemList.erase(ItemList.begin() + from);
    ItemList.insert(ItemList.begin() + newIndex, std::move(row));
    TItem &moved = *ItemList[static_cast<size_t>(newIndex)];
    if (newIndex == 0) {
        moved.FMemo->SetTop(0);
    } else {
        const TMemo &previous = *ItemList[static_cast<size_t>(newIndex - 1)]->FMemo;
        moved.FMemo->SetTop(previous.Top() + previous.Height() + 1);
    }
    moved.FSplitter->SetTop(moved.FMemo->Top() + moved.FMemo->Height());
    RenumberItems();
    RedrawChart();
    scb1->VertScrollBar().SetPosition(scroll);
    Modified = true;
}

void TfrmMain::DeleteItem()
{
    if (!SelectedItem)
        return;
    if (Services().MessageBox("項目を削除します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    int index = IndexOfItem(SelectedItem);
    SelectedItem = nullptr;
    SelectedChart = nullptr;
    ItemList.erase(ItemList.begin() + index);
    RenumberItems();
    mitCopy1->SetEnabled(false);
    mitCut1->SetEnabled(false);
    RedrawChart();
    DisableFontControls();
    memChartComment->Hide();
    Modified = true;
}

bool TfrmMain::DeleteChart()
{
    if (!SelectedChart || !SelectedItem)
        return false;
    auto &charts = SelectedItem->FCharts;
    auto it = std::find_if(charts.begin(), charts.end(), [](const auto &c) { return c.get() == SelectedChart; });
    if (it == charts.end())
        return false;
    charts.erase(it);
    SelectedChart = nullptr;
    mitCopy1->SetEnabled(false);
    mitCut1->SetEnabled(false);
    if (SelectedItem->FMemo->CanFocus())
        SelectedItem->FMemo->SetFocus();
    memChartComment->Hide();
    Modified = true;
    return true;
}

namespace {

// The bar's end after its start by its duration; an end past the calendar is
// held to its last day, and the duration follows.
void PlaceEndInCalendar(TChart &c)
{
    const TDateTime end = static_cast<TDateTime>(c.FStartDate + c.FDuration);
    c.FEndDate = HeldEnd(c.FStartDate, end);
    if (c.FEndDate != end)
        c.FDuration = static_cast<long double>(c.FEndDate) - c.FStartDate;
}

} // namespace

TChart *TfrmMain::FindChart(const TControl *bar) const
{
    long row = bar->Tag();
    if (row < 0 || row >= static_cast<long>(ItemList.size()))
        return nullptr;
    for (auto &chart : ItemList[static_cast<size_t>(row)]->FCharts)
        if (chart->FBar.get() == bar)
            return chart.get();
    return nullptr;
}

void TfrmMain::AddChart(TShape &band, int x, bool paste)
{
    long rowIndex = band.Tag();
    if (rowIndex < 0 || rowIndex >= static_cast<long>(ItemList.size()))
        return;
    TItem &row = *ItemList[static_cast<size_t>(rowIndex)];
    SelectItem(&row);
    UpdateItemCounter();
    auto chart = std::make_unique<TChart>();
    TChart &c = *chart;
    if (paste && FClipChart)
        c.AssignClipFields(*FClipChart);
    c.FStartDate = HeldToCalendar(x / PixelsPerDay + StartDate);
    if (DateFit)
        c.FStartDate = std::trunc(c.FStartDate);
    PlaceEndInCalendar(c);
    int left = DateToPixel(PixelsPerDay, c.FStartDate);
    const TBarPlace place = BarPlace(band);
    c.FBar->SetBounds(left, place.Top, c.FBar->Width(), place.Height);
    c.FBar->SetWidthEx(DateToPixel(PixelsPerDay, c.FEndDate) - left);
    c.FBar->SetTag(band.Tag());
    c.FBar->Show();
    if (c.FJisseki > 0) {
        TBevelLabel &strip = c.ProgressBarNeeded();
        int p1 = JissekiHyouji != 0 ? DateToPixel(PixelsPerDay, c.FChakushubi) : c.FBar->Left();
        int width = JissekiHyouji != 0 ? DateToPixel(PixelsPerDay, c.FJissekibi) + Round(PixelsPerDay) - p1
                                       : static_cast<int>(std::trunc(c.FBar->WidthEx() * c.FRitsu / 100));
        strip.SetBounds(p1, c.FBar->Top() + c.FBar->Height() - 1, strip.Width(), 5);
        strip.SetWidthEx(width);
        strip.SetColor(ProgressStripColor(c));
        strip.SetShowHint(true);
        strip.Show();
    }
    for (int j = 0; j < row.FLineCount; ++j)
        if (row.FLines[static_cast<size_t>(j)].get() == &band)
            c.FLine = j;
    c.FSelected = true;
    row.FCharts.push_back(std::move(chart));
    if (SelectedChart) {
        SelectedChart->FSelected = false;
        SelectedChart->FBar->Font().SetStyle(0);
        SelectedChart->FBar->SetBevelColor(0);
    }
    SelectedChart = &c;
    c.FBar->SetBevelColor(SelectColor);
    if (AutoMove)
        AutoMoveCharts(static_cast<int>(rowIndex), c.FLine);
    mitCopy1->SetEnabled(true);
    mitCut1->SetEnabled(true);
    ChartHintText(c);
    Modified = true;
}

void TfrmMain::AutoMoveCharts(int rowIndex, int line)
{
    if (rowIndex < 0 || rowIndex >= static_cast<int>(ItemList.size()))
        return;
    auto &charts = ItemList[static_cast<size_t>(rowIndex)]->FCharts;
    if (charts.size() < 2)
        return;
    // Among bars that start together the selected one sorts first.
    if (SelectedChart)
        SelectedChart->FStartDate -= 0.001;
    std::stable_sort(charts.begin(), charts.end(),
                     [](const auto &a, const auto &b) { return CompareChartStart(a->FStartDate, b->FStartDate) < 0; });
    if (SelectedChart)
        SelectedChart->FStartDate += 0.001;
    int w = pnlBase->Width();
    for (size_t i = 0; i < charts.size(); ++i) {
        TChart &a = *charts[i];
        if (a.FLine != line)
            continue;
        for (size_t k = i; k < charts.size(); ++k) {
            TChart &b = *charts[k];
            if (&b == &a || b.FLine != line || !(b.FStartDate < a.FEndDate))
                continue;
            b.FStartDate = a.FEndDate;
            PlaceEndInCalendar(b);
            ChartHintText(b);
            int left = DateToPixel(PixelsPerDay, b.FStartDate);
            int right = DateToPixel(PixelsPerDay, b.FEndDate);
            b.FBar->SetLeft(left);
            b.FBar->SetWidthEx(right - left);
            if (left > w || right < 0) {
                b.FBar->Hide();
            } else {
                b.FBar->Show();
                b.FBar->BringToFront();
            }
            if (b.FProgressBar && JissekiHyouji == 0)
                b.FProgressBar->SetLeft(b.FBar->Left());
            break;
        }
    }
}

void TfrmMain::SetLineCount(TItem &row, int count)
{
    // A count outside 1..10 would index past the bands: it is clamped.
    count = std::clamp(count, 1, MaxLineCount);
    if (count == row.FLineCount)
        return;
    int height = (row.Height() + 1) / count;
    for (int j = 0; j < count; ++j) {
        auto &band = row.FLines[static_cast<size_t>(j)];
        if (!band) {
            band = std::make_unique<TShape>(nullptr);
            band->Brush().SetStyle(bsClear);
            band->Pen().SetStyle(psClear);
            band->SetTag(row.FMemo->Tag());
            band->OnMouseDown = host_.BandMouseDown;
            band->OnMouseMove = host_.BandMouseMove;
            band->OnDragOver = host_.BandDragOver;
            band->OnDragDrop = host_.BandDragDrop;
            band->SetParent(pnlBase);
        }
        int top = j == 0 ? row.Top() : row.FLines[static_cast<size_t>(j - 1)]->Top() + height;
        band->SetBounds(0, top, imgBase->Width(), height);
    }
    for (int j = count; j < MaxLineCount; ++j)
        row.FLines[static_cast<size_t>(j)].reset();
    for (auto &chart : row.FCharts)
        if (chart->FLine >= count - 1) {
            chart->FBar->Hide();
            if (chart->FProgressBar)
                chart->FProgressBar->Hide();
        }
    row.FLineCount = count;
}

TDateTime TfrmMain::PixelToDate(int x) const
{
    long double date = x / PixelsPerDay + StartDate;
    if (DateFit)
        date = static_cast<long double>(RoundHalfEven(date));
    return static_cast<TDateTime>(date);
}

void TfrmMain::SelectItem(TItem *row)
{
    SelectedItem = row;
    pnlChartSelect->Hide();
}

void TfrmMain::ChartHintText(TChart &c)
{
    // The text is made when the hint is shown: reading thousands of bars makes none.
    c.HintChanged();
}

void TfrmMain::UpdateScrollRange()
{
    int range = ItemList.empty() ? 1000 : ItemList.back()->Top() + ItemList.back()->Height() + 1000;
    scb1->VertScrollBar().SetRange(range);
    pnlBase->SetHeight(range);
}

std::string TfrmMain::NextFreeFileName() const
{
    for (int n = 1;; ++n) {
        std::string name = SettingsDir + "Schedule" + IntToStr(n) + ".xml";
        if (!FileExists(name))
            return name;
    }
}

void TfrmMain::FormResize(TObject *)
{
    FitTimeScaleTabs();
    scb2->SetWidth(std::max(0, scb1->Width() - pnlBase->Left() + 2));
    ArrangeBottomToolbar();
    RedrawChart();
}

// A third of the days shown, at least one day: a scale of one or two days
// still pages.
void TfrmMain::SetDateLargeChange()
{
    scb2->SetLargeChange(std::max(1, DaysShown / 3));
}

void TfrmMain::tbcCalSelectChange(TObject *)
{
    std::string text = tbcCalSelect->SelectedText();
    const int daysBefore = DaysShown;
    for (const auto &scale : kTimeScales)
        if (scale.first == text)
            DaysShown = scale.second == 0 ? CustomTimeScale : scale.second;
    SetDateLargeChange();
    FitDateScrollBarEnds(daysBefore);
    RedrawChart();
}

// ---------------------------------------------------------------- the redraw

// The redraw changes the chart panel (every bar and band on it), the date
// strips and the date range label: only the chart panel, which holds the
// thousands of controls, has its updates stopped, and only what changed is
// repainted afterwards.
void TfrmMain::BeginChartUpdate()
{
    pnlBase->SetRedraw(false);
}

void TfrmMain::EndChartUpdate()
{
    pnlBase->SetRedraw(true);
    pnlBase->Invalidate();
}

namespace {

void StripLine(TCanvas &canvas, int x1, int y1, int x2, int y2)
{
    canvas.Pen().SetColor(clWhite);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

void FillStrip(TCanvas &canvas, TColor color, int width, int height)
{
    // What an earlier, wider chart drew beyond the strip goes: the strip ends
    // where the first layout of this width ends it, not at the window's edge.
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWhite);
    canvas.FillRect(TRect{width + 10, 0, kStripWidth, height});
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(color);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.Rectangle(0, 0, width + 10, height);
    canvas.Font().SetName("MS UI Gothic");
    canvas.Font().SetSize(9);
    canvas.Font().SetColor(clWhite);
    canvas.Brush().SetStyle(bsClear);
}

// Whether day d of month m gets a label (and its line) on the day strip, and where.
bool DayLabelled(int daysShown, int m, int d)
{
    if (daysShown <= 31) return true;
    if (daysShown <= 62) return d % 2 == 1 && d != 31 && !(m == 2 && d >= 28);
    if (daysShown <= 182) return d % 3 == 1 && d != 31 && !(m == 2 && d >= 28);
    if (daysShown <= 365) return d % 10 == 1 && d != 31;
    if (daysShown <= 729) return false;
    return d % 15 == 1 && d != 31;
}

bool DayLined(int daysShown, int d)
{
    if (daysShown <= 95) return true;
    if (daysShown <= 182) return false;
    if (daysShown <= 365) return d % 10 == 1 && d != 31;
    if (daysShown <= 729) return false;
    return d % 15 == 1 && d != 31;
}

} // namespace

void TfrmMain::DrawStrips(int w)
{
    const long double ppd = PixelsPerDay;
    TCanvas &year = imgYear->Bitmap().Canvas();
    TCanvas &month = imgMonth->Bitmap().Canvas();
    TCanvas &day = imgDay->Bitmap().Canvas();
    FillStrip(year, 0x808080, w, kYearHeight);
    StripLine(year, 0, 0, 0, kYearHeight);
    FillStrip(month, 0x808000, w, kMonthHeight);
    StripLine(month, 0, 0, 0, kMonthHeight);
    StripLine(month, 0, 0, kStripWidth, 0);
    FillStrip(day, 0x800000, w, kDayHeight);
    StripLine(day, 0, 0, kStripWidth, 0);
    StripLine(day, 0, kDayHeight - 1, kStripWidth, kDayHeight - 1);
    StripLine(day, 0, 0, 0, kDayHeight - 1);

    long long k = static_cast<long long>(std::trunc(Date() - StartDate));
    if (k >= 0 && k < DaysShown) {
        int left = Round(k * ppd);
        day.Pen().SetColor(0xFF0000);
        day.Brush().SetStyle(bsSolid);
        day.Brush().SetColor(0xFF0000);
        day.Rectangle(left, 1, left + Round(ppd), kDayHeight - 1);
        day.Brush().SetStyle(bsClear);
    }

    int lastYear = -1, lastMonth = -1;
    for (int i = 0; i < ShownDays(); ++i) {
        int left = Round(i * ppd);
        int y, m, d;
        DecodeDate(StartDate + i, y, m, d);
        if (y != lastYear) {
            std::string text = IntToStr(y) + "年";
            // The room up to 1 January of the next year.
            TDateTime nextYear = FirstDayOfNextYear(StartDate + i);
            if (i != 0 || (nextYear - StartDate) * ppd >= year.TextWidth(text))
                year.TextOut(left + 3, 2, text);
            StripLine(year, left, 0, left, kYearHeight);
            lastYear = y;
        }
        if (m != lastMonth) {
            std::string text = IntToStr(m) + "月";
            if (i != 0 || month.TextWidth(text) <= (DaysInMonth(y, m) - d) * ppd)
                month.TextOut(left + 3, 2, text);
            StripLine(month, left, 0, left, kYearHeight);
            lastMonth = m;
        }
        if (!DayLabelled(DaysShown, m, d))
            continue;
        std::string text = IntToStr(d);
        if (DaysShown <= 14)
            text += "(" + WeekdayNames[static_cast<size_t>(DayOfWeek(StartDate + i) - 1)] + ")";
        int h = day.TextWidth(text) / 2;
        int x = DaysShown <= 31 ? Round(ppd / 2) + left - h
              : DaysShown <= 62 ? Round(ppd) + left - h
              : DaysShown <= 182 ? Round(ppd * 3 / 2) + left - h
              : left + 2;
        day.TextOut(x, 2, text);
        StripLine(day, left, 0, left, kDayHeight);
    }
    imgYear->Invalidate();
    imgMonth->Invalidate();
    imgDay->Invalidate();
}

void TfrmMain::PlaceChart(TChart &c, int w)
{
    int x1 = DateToPixel(PixelsPerDay, c.FStartDate);
    int x2 = DateToPixel(PixelsPerDay, c.FEndDate);
    if (x1 > w || x2 < 0) {
        c.FBar->Hide();
    } else {
        x1 = std::max(x1, -10);
        x2 = std::min(x2, w + 10);
        TItem &row = *ItemList[static_cast<size_t>(c.FBar->Tag())];
        const TBarPlace place = BarPlace(*row.FLines[static_cast<size_t>(c.FLine)]);
        c.FBar->SetBounds(x1, place.Top, c.FBar->Width(), place.Height);
        c.FBar->SetWidthEx(x2 - x1);
        c.FBar->Font().SetStyle(c.FSelected ? TFontStyles(fsBold) : TFontStyles(0));
        c.FBar->Show();
        c.FBar->BringToFront();
    }
    if (!c.FProgressBar)
        return;
    auto [p1, p2] = ProgressStripEnds(c, PixelsPerDay);
    TBevelLabel &strip = *c.FProgressBar;
    if (p1 > w || p2 < 0) {
        strip.Hide();
        return;
    }
    p1 = std::max(p1, -10);
    p2 = std::min(p2, w + 10);
    strip.SetBounds(p1, c.FBar->Top() + c.FBar->Height() - 1, strip.Width(), strip.Height());
    strip.SetWidthEx(p2 - p1);
    strip.SetColor(ProgressStripColor(c));
    strip.Show();
    strip.BringToFront();
}

void TfrmMain::PlaceRowCharts(TItem &row, int w)
{
    row.PlacedRedraw = redrawCount_;
    const int n = row.FLineCount;
    for (const auto &chart : row.FCharts) {
        // A bar on a line the row does not have stays in the model, unseen.
        if (chart->FLine < 0 || chart->FLine >= n) {
            chart->FBar->Hide();
            if (chart->FProgressBar)
                chart->FProgressBar->Hide();
            continue;
        }
        PlaceChart(*chart, w);
    }
}

// Bars placed by an earlier redraw stand where that redraw put them: they are
// hidden until the row comes near the view again.
void TfrmMain::HideRowCharts(TItem &row)
{
    row.PlacedRedraw = TItem::kBarsHidden;
    for (const auto &chart : row.FCharts) {
        chart->FBar->Hide();
        if (chart->FProgressBar)
            chart->FProgressBar->Hide();
    }
}

namespace {

// The rows [first, last) that meet the rows' area from `top` to `bottom`
// (rows are in the order of their Top).
std::pair<size_t, size_t> RowsBetween(int top, int bottom)
{
    auto first = std::lower_bound(ItemList.begin(), ItemList.end(), top,
                                  [](const auto &row, int y) { return row->Top() + row->Height() + 2 < y; });
    auto last = std::upper_bound(first, ItemList.end(), bottom,
                                 [](int y, const auto &row) { return y < row->Top(); });
    return {static_cast<size_t>(first - ItemList.begin()), static_cast<size_t>(last - ItemList.begin())};
}

// The rows within a view height (at least 256 pixels) above and below the
// part of the chart in view, so that a scroll by a page finds its bars in
// place; every row while nothing of the chart can be seen.
std::pair<size_t, size_t> RowsNearView(const TWinControl &chart)
{
    const TRect seen = chart.SeenRect();
    if (seen.Bottom <= seen.Top || seen.Right <= seen.Left)
        return {0, ItemList.size()};
    const int margin = std::max(seen.Height(), 256);
    return RowsBetween(seen.Top - margin, seen.Bottom + margin);
}

} // namespace

void TfrmMain::PlaceChartsNearView()
{
    if (redrawing_ || redrawCount_ == 0 || PixelsPerDay <= 0)
        return;
    const auto [first, last] = RowsNearView(*pnlBase);
    const int w = pnlBase->Width();
    bool placed = false;
    for (size_t r = first; r < last; ++r) {
        TItem &row = *ItemList[r];
        if (row.PlacedRedraw == redrawCount_)
            continue;
        if (!placed)
            BeginChartUpdate();
        placed = true;
        PlaceRowCharts(row, w);
    }
    if (!placed)
        return;
    if (SelectedChart)
        SelectedChart->FBar->BringToFront();
    EndChartUpdate();
}

// Whatever ends a redraw, a failure too, the chart is left redrawable and
// its updates on.
class TfrmMain::TRedrawScope {
public:
    explicit TRedrawScope(TfrmMain &form) : form_(form)
    {
        form_.redrawing_ = true;
        form_.BeginChartUpdate();
    }
    ~TRedrawScope()
    {
        form_.EndChartUpdate();
        form_.redrawing_ = false;
    }
    TRedrawScope(const TRedrawScope &) = delete;
    TRedrawScope &operator=(const TRedrawScope &) = delete;

private:
    TfrmMain &form_;
};

void TfrmMain::RedrawChart()
{
    if (redrawing_ || DaysShown <= 0)
        return;
    const TRedrawScope scope(*this);
    ++redrawCount_;
    if (redrawCount_ == TItem::kBarsHidden || redrawCount_ == TItem::kBarsUnplaced)
        redrawCount_ = 1;
    const int w = pnlBase->Width();
    PixelsPerDay = static_cast<long double>(w) / DaysShown;
    TDateTime last = Round(DaysShown * PixelsPerDay) - w < Round(PixelsPerDay / 2) ? StartDate + DaysShown - 1
                                                                                  : StartDate + DaysShown - 2;
    lblDateHanni->SetCaption(FormatDateTime("yyyy/MM/dd", StartDate) + "～" + FormatDateTime("yyyy/MM/dd", last));
    DrawStrips(w);
    // Every row's bands, which the rows' drops and clicks need; the bars only
    // of the rows near the view (and of the selected row), the others when
    // they come near.
    const auto [first, lastNear] = RowsNearView(*pnlBase);
    for (size_t r = 0; r < ItemList.size(); ++r) {
        TItem &row = *ItemList[r];
        int n = row.FLineCount;
        if (n <= 0)
            continue;
        int height = (row.Height() + 1) / n;
        for (int j = 0; j < n; ++j) {
            int top = j == 0 ? row.Top() : row.FLines[static_cast<size_t>(j - 1)]->Top() + height;
            row.FLines[static_cast<size_t>(j)]->SetBounds(0, top, imgBase->Width(), height);
        }
        if ((r >= first && r < lastNear) || &row == SelectedItem)
            PlaceRowCharts(row, w);
        else if (row.PlacedRedraw != TItem::kBarsHidden)
            HideRowCharts(row);
    }
    if (SelectedChart)
        SelectedChart->FBar->BringToFront();
    imgBase->Invalidate();
}

// The days drawn: those of the days shown that are dates (a start or a scale
// that would show days past the last date is refused where it comes in; the
// drawing does not count on that).
int TfrmMain::ShownDays()
{
    return static_cast<int>(std::clamp<long double>(LastDate - std::trunc(StartDate) + 1, 0, DaysShown));
}

// The chart background is painted for the part that needs it: the day
// columns and lines, then only the rows that meet that part.
void TfrmMain::PaintChartBackground(TObject *)
{
    TCanvas &canvas = imgBase->Canvas();
    const int w = pnlBase->Width(), h = pnlBase->Height();
    const long double ppd = PixelsPerDay;
    if (ppd <= 0)
        return;
    TRect clip = canvas.ClipRect();
    std::unordered_set<double> holidays(HolidayList.begin(), HolidayList.end());
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    for (int i = 0; i < ShownDays(); ++i) {
        int left = Round(i * ppd);
        int right = Round(i * ppd + ppd) + 1;
        int y, m, d;
        DecodeDate(StartDate + i, y, m, d);
        TColor color = DaysShown >= 365 || d % 2 == 1 ? DateColor1 : DateColor2;
        if (holidays.count(StartDate + i))
            color = HorydayColor;
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(color);
        canvas.FillRect(TRect{left, std::max(0, clip.Top), right, std::min(h, clip.Bottom)});
        if (DayLined(DaysShown, d)) {
            canvas.Pen().SetColor(0xC0C0C0);
            canvas.MoveTo(left, std::max(0, clip.Top));
            canvas.LineTo(left, std::min(h, clip.Bottom));
        }
    }
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(0x808080);
    canvas.Pen().SetWidth(2);
    canvas.Rectangle(0, 0, w, h);
    canvas.Pen().SetWidth(1);
    // Rows are in order of their Top: find the first that reaches the clip.
    auto first = std::lower_bound(ItemList.begin(), ItemList.end(), clip.Top,
                                  [](const auto &row, int top) { return row->Top() + row->Height() + 2 < top; });
    for (auto it = first; it != ItemList.end() && (*it)->Top() <= clip.Bottom; ++it) {
        DrawRowSeparators(canvas, **it, w);
        DrawEvents(canvas, **it, w);
    }
}

void TfrmMain::DrawRowSeparators(TCanvas &canvas, const TItem &row, int w)
{
    int n = row.FLineCount;
    if (n <= 0)
        return;
    int height = (row.Height() + 1) / n;
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetStyle(psSolid);
    int y = row.Top() + row.Height() + 1;
    canvas.MoveTo(0, y);
    canvas.LineTo(w, y);
    canvas.Pen().SetStyle(psDot);
    for (int j = 0; j + 1 < n; ++j) {
        int bandBottom = row.Top() + (j + 1) * height;
        canvas.MoveTo(0, bandBottom);
        canvas.LineTo(w, bandBottom);
    }
    canvas.Pen().SetStyle(psSolid);
}

void TfrmMain::DrawEvents(TCanvas &canvas, const TItem &row, int w)
{
    int n = row.FLineCount;
    if (n <= 0)
        return;
    int height = (row.Height() + 1) / n;
    for (const TEvent &e : row.FEvents) {
        if (e.EndFlg != 0 || e.Line < 0 || e.Line >= n)
            continue;
        int x = DateToPixel(PixelsPerDay, e.EventDate);
        if (x < 0 || x >= w)
            continue;
        canvas.Font().SetName(e.FontName);
        canvas.Font().SetSize(e.FontSize > 0 ? e.FontSize : 9);
        canvas.Font().SetColor(e.FontColor);
        canvas.Font().SetStyle(0);
        int mw = canvas.TextWidth(e.Marker);
        int tx = PixelsPerDay >= mw + 3 ? x + 3 : x + Round(PixelsPerDay / 2) - mw / 2 + 1;
        int th = canvas.TextHeight(e.Marker);
        int bandTop = row.Top() + e.Line * height;
        int ty = e.Position == 0 ? bandTop
               : e.Position == 1 ? bandTop + height / 2 - th / 2
               : e.Position == 2 ? bandTop + height - th
               : 0;
        canvas.Brush().SetStyle(bsClear);
        canvas.TextOut(tx, ty, e.Marker + e.EventName);
    }
}
