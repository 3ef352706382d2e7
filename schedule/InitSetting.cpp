#include "schedule/InitSetting.h"

#include "platform/services/DesktopAssociation.h"
#include "platform/core/Exceptions.h"
#include "platform/kernel/Forms.h"
#include "platform/core/Registry.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "schedule/MainDocument.h"

namespace {

const std::vector<std::string> kFontSizes = {"6", "8", "9", "10", "11", "12", "14", "16", "18", "20", "22",
                                             "24", "26", "28", "30", "32", "34", "36", "38", "40", "42"};
const char *const kAdminMessage = "関連付けを行うには管理者権限で実行してください。";

template <typename T>
T *Place(TForm *owner, TWinControl *parent, int left, int top, int width, int height)
{
    auto *control = new T(owner);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

bool NewerWindows()
{
    std::string os = GetOSName();
    return os == "Vista" || os == "Seven";
}

// The registry root and the key prefix the association lives under.
std::string OpenAssociationRoot(TRegistry &reg)
{
    if (!NewerWindows()) {
        reg.SetRootKey(THKey::HKEY_CLASSES_ROOT);
        return "";
    }
    reg.SetRootKey(THKey::HKEY_CURRENT_USER);
    return "\\Software\\Classes";
}

void OpenOrFail(TRegistry &reg, const std::string &key)
{
    // A key that does not open means the association was not made; saying so
    // beats reporting success.
    if (!reg.OpenKey(key, true))
        throw ERegistryException("Cannot open key " + key);
}

std::string ProgramPath()
{
    return BaseDir + "Tarvold.exe";
}

TDesktopAssociation DesktopEntry()
{
    return TDesktopAssociation("tarvold.desktop");
}

} // namespace

namespace {

void WriteXmlAssociation()
{
    TRegistry reg;
    std::string prefix = OpenAssociationRoot(reg);
    if (!prefix.empty() && !reg.OpenKey(prefix, true))
        throw ERegistryException("Cannot open key " + prefix);
    OpenOrFail(reg, prefix + "\\.xml");
    reg.WriteString("", "Tarvold.xml");
    OpenOrFail(reg, prefix + "\\Tarvold.xml");
    reg.WriteString("", "");
    OpenOrFail(reg, prefix + "\\Tarvold.xml\\DefaultIcon");
    reg.WriteString("", "\"" + ProgramPath() + "\"");
    OpenOrFail(reg, prefix + "\\Tarvold.xml\\Shell");
    reg.WriteString("", "");
    OpenOrFail(reg, prefix + "\\Tarvold.xml\\Shell\\Open");
    reg.WriteString("", "");
    OpenOrFail(reg, prefix + "\\Tarvold.xml\\Shell\\Open\\Command");
    reg.WriteString("", "\"" + ProgramPath() + "\" \"%1\"");
    TRegistry user;
    user.SetRootKey(THKey::HKEY_CURRENT_USER);
    const std::string choice = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.xml";
    if (NewerWindows()) {
        user.DeleteKey(choice + "\\UserChoice");
    } else if (user.OpenKey(choice, false)) {
        user.DeleteValue("Progid");
        user.DeleteValue("Application");
    }
    DesktopEntry().Register("たるぼる", TDesktopAssociation::ExecArgument(ApplicationDir() + "tarvold") + " %f",
                            {"application/xml", "text/xml"});
}

void RemoveXmlAssociation()
{
    TRegistry reg;
    std::string prefix = OpenAssociationRoot(reg);
    if (reg.OpenKey(prefix + "\\.xml", false))
        reg.WriteString("", "xmlfile");
    reg.CloseKey();
    if (reg.KeyExists(prefix + "\\Tarvold.xml"))
        reg.DeleteKey(prefix + "\\Tarvold.xml");
    DesktopEntry().Unregister();
}

// Runs `action`; when it fails part way, `undo` takes back what it can (its
// own failure is not reported over the first one), so that the registry and
// the desktop agree with the setting that stays.
void RunOrUndo(void (*action)(), void (*undo)())
{
    try {
        action();
    } catch (...) {
        try {
            undo();
        } catch (const Exception &) {
        }
        throw;
    }
}

} // namespace

void RegisterXmlAssociation()
{
    RunOrUndo(WriteXmlAssociation, RemoveXmlAssociation);
}

void UnregisterXmlAssociation()
{
    RunOrUndo(RemoveXmlAssociation, WriteXmlAssociation);
}

TdlgInitSetting::TdlgInitSetting(TfrmMain &main) : TForm(nullptr), main_(main)
{
    SetCaption("初期設定");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientSize(420, 400);
    pgc = Place<TPageControl>(this, this, 8, 8, 404, 350);
    tabGeneral = new TTabSheet(this);
    tabGeneral->SetCaption("全般");
    tabItem = new TTabSheet(this);
    tabItem->SetCaption("項目");
    tabChart = new TTabSheet(this);
    tabChart->SetCaption("チャート");
    for (TTabSheet *sheet : {tabGeneral, tabItem, tabChart})
        sheet->SetPageControl(pgc);

    auto label = [this](TWinControl *parent, const std::string &text, int left, int top) {
        Place<TLabel>(this, parent, left, top, 120, 17)->SetCaption(text);
    };
    auto check = [this](TWinControl *parent, const std::string &text, int top) {
        auto *box = Place<TCheckBox>(this, parent, 8, top, 300, 17);
        box->SetCaption(text);
        return box;
    };
    auto swatch = [this](TWinControl *parent, int left, int top, bool singleClick) {
        auto *panel = Place<TPanel>(this, parent, left, top, 40, 20);
        panel->SetBevelOuter(bvLowered);
        auto open = [this, panel](TObject *) { ChooseColor(panel); };
        if (singleClick)
            panel->OnClick = open;
        else
            panel->OnDblClick = open;
        return panel;
    };
    auto combo = [this](TWinControl *parent, int left, int top, const std::vector<std::string> &items) {
        auto *box = Place<TComboBox>(this, parent, left, top, 140, 21);
        box->SetItems(items);
        return box;
    };

    ckbInitialLoad = check(tabGeneral, "起動時に前回保存したファイルを読み込む", 8);
    ckbTodayStart = check(tabGeneral, "ファイル読み込み時に当日から表示する", 30);
    label(tabGeneral, "XSLファイルの指定", 8, 54);
    edtXsl = Place<TExEdit>(this, tabGeneral, 8, 72, 290, 21);
    btnOpen = Place<TButton>(this, tabGeneral, 304, 70, 75, 25);
    btnOpen->SetCaption("開く(&O)");
    btnOpen->OnClick = [this](TObject *s) { btnOpenClick(s); };
    ckbLink = check(tabGeneral, ".xmlにたるぼるを関連付ける", 100);
    label(tabGeneral, "日付の色設定", 8, 126);
    label(tabGeneral, "奇数日", 8, 146);
    pnlDateColor1 = swatch(tabGeneral, 60, 144, false);
    label(tabGeneral, "偶数日", 110, 146);
    pnlDateColor2 = swatch(tabGeneral, 160, 144, true);
    label(tabGeneral, "休日", 210, 146);
    pnlHorydayColor = swatch(tabGeneral, 250, 144, true);
    ckbHorydayColorOnly = check(tabGeneral, "印刷は休日色のみ", 172);
    ckbDoubleBuffered = check(tabGeneral, "画面のちらつきを減らす", 194);
    rgpStrSet = Place<TRadioGroup>(this, tabGeneral, 8, 216, 180, 60);
    rgpStrSet->SetCaption("文字セット");
    rgpStrSet->SetItems({"Shift_JIS", "UTF-8"});
    label(tabGeneral, "タイムスケールが任意の場合の日数", 8, 284);
    speCustomTimeScale = Place<TSpinEdit>(this, tabGeneral, 200, 280, 60, 22);
    speCustomTimeScale->SetRange(1, 9999);
    speCustomTimeScale->SetMaxLength(4);
    label(tabGeneral, "日間", 266, 284);

    label(tabItem, "項目行の高さ", 8, 12);
    edtItemHeight = Place<TExEdit>(this, tabItem, 120, 8, 60, 21);
    edtItemHeight->SetDataType(dInteger);
    edtItemHeight->SetDataFormat("###0");
    edtItemHeight->SetImeMode(imClose);
    edtItemHeight->OnEnter = [this](TObject *s) { edtItemHeightEnter(s); };
    edtItemHeight->OnExit = [this](TObject *s) { edtItemHeightExit(s); };
    label(tabItem, "項目色", 8, 40);
    pnlItemColor = swatch(tabItem, 120, 38, false);
    std::vector<std::string> fonts = Services().FontNames();
    // Long names are told apart in the lists, not cut to the boxes.
    cmbItemFontName = combo(tabItem, 8, 70, fonts);
    cmbItemFontName->SetListFitsItems(true);
    cmbItemFontSize = combo(tabItem, 156, 70, kFontSizes);
    pnlItemFontColor = swatch(tabItem, 304, 70, false);
    // The font boxes and their colour stand without labels: a screen reader
    // names them by what they set.
    cmbItemFontName->SetAccessibleName("項目のフォント名");
    cmbItemFontSize->SetAccessibleName("項目のフォントサイズ");
    pnlItemFontColor->SetAccessibleName("項目の文字色");

    label(tabChart, "チャート色", 8, 12);
    pnlChartColor = swatch(tabChart, 80, 10, false);
    label(tabChart, "選択色", 130, 12);
    pnlSelectColor = swatch(tabChart, 190, 10, false);
    label(tabChart, "実績色", 8, 40);
    pnlJissekiColor = swatch(tabChart, 80, 38, false);
    label(tabChart, "完了色", 130, 40);
    pnlJissekiEndColor = swatch(tabChart, 190, 38, false);
    ckbDateFit = check(tabChart, "ﾁｬｰﾄの移動を日に合わせる", 68);
    ckbAutoMove = check(tabChart, "ﾁｬｰﾄの重なりを自動で補正する", 90);
    cmbChartFontName = combo(tabChart, 8, 116, fonts);
    cmbChartFontName->SetListFitsItems(true);
    cmbChartFontSize = combo(tabChart, 156, 116, kFontSizes);
    cmbChartAlignment = combo(tabChart, 8, 144, {"左寄せ", "中央", "右寄せ"});
    cmbChartAlignment->SetStyle(csDropDownList);
    pnlChartFontColor = swatch(tabChart, 304, 116, false);
    cmbChartFontName->SetAccessibleName("チャートのフォント名");
    cmbChartFontSize->SetAccessibleName("チャートのフォントサイズ");
    cmbChartAlignment->SetAccessibleName("チャートの文字の配置");
    pnlChartFontColor->SetAccessibleName("チャートの文字色");
    rgpJisseki = Place<TRadioGroup>(this, tabChart, 8, 172, 180, 60);
    rgpJisseki->SetCaption("実績表示");
    rgpJisseki->SetItems({"比率", "日付"});

    btnOk = Place<TButton>(this, this, 250, 366, 75, 25);
    btnOk->SetCaption("OK");
    btnOk->SetDefault(true);
    btnOk->OnClick = [this](TObject *s) { btnOkClick(s); };
    btnCancel = Place<TButton>(this, this, 335, 366, 75, 25);
    btnCancel->SetCaption("キャンセル");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    ReadSettings();
}

void TdlgInitSetting::ReadSettings()
{
    ckbInitialLoad->SetChecked(InitialLoad);
    ckbTodayStart->SetChecked(todayStart);
    edtXsl->SetVal(XSL);
    ckbLink->SetChecked(XmlTarvoldLink);
    pnlDateColor1->SetColor(DateColor1);
    pnlDateColor2->SetColor(DateColor2);
    pnlHorydayColor->SetColor(HorydayColor);
    ckbHorydayColorOnly->SetChecked(HorydayColorOnly);
    ckbDoubleBuffered->SetChecked(DoubleBufferedOn);
    rgpStrSet->SetItemIndex(EncodingStrSet == "Shift_JIS" ? 0 : 1);
    speCustomTimeScale->SetValue(CustomTimeScale);
    edtItemHeight->SetVal(static_cast<long long>(ItemDefHeight));
    pnlItemColor->SetColor(ItemColor);
    cmbItemFontName->SetText(ItemFontName);
    cmbItemFontSize->SetText(IntToStr(ItemSize));
    pnlItemFontColor->SetColor(ItemFontColor);
    pnlChartColor->SetColor(ChartColor2);
    pnlSelectColor->SetColor(SelectColor);
    pnlJissekiColor->SetColor(JissekiColor);
    pnlJissekiEndColor->SetColor(JissekiEndColor);
    ckbDateFit->SetChecked(DateFit);
    ckbAutoMove->SetChecked(AutoMove);
    cmbChartFontName->SetText(ChartFontName);
    cmbChartFontSize->SetText(IntToStr(ChartSize));
    cmbChartAlignment->SetText(ChartAlignment);
    pnlChartFontColor->SetColor(ChartFontColor);
    rgpJisseki->SetItemIndex(JissekiHyouji);
}

void TdlgInitSetting::WriteSettings()
{
    InitialLoad = ckbInitialLoad->Checked();
    todayStart = ckbTodayStart->Checked();
    XSL = edtXsl->Text();
    DateColor1 = pnlDateColor1->Color();
    DateColor2 = pnlDateColor2->Color();
    HorydayColor = pnlHorydayColor->Color();
    HorydayColorOnly = ckbHorydayColorOnly->Checked();
    DoubleBufferedOn = ckbDoubleBuffered->Checked();
    ItemDefHeight = static_cast<int>(edtItemHeight->AsInteger());
    ItemColor = pnlItemColor->Color();
    ItemFontName = cmbItemFontName->Text();
    ItemSize = StrToIntDef(cmbItemFontSize->Text(), ItemSize);
    ItemFontColor = pnlItemFontColor->Color();
    ChartColor2 = pnlChartColor->Color();
    SelectColor = pnlSelectColor->Color();
    JissekiColor = pnlJissekiColor->Color();
    JissekiEndColor = pnlJissekiEndColor->Color();
    DateFit = ckbDateFit->Checked();
    AutoMove = ckbAutoMove->Checked();
    ChartFontName = cmbChartFontName->Text();
    ChartSize = StrToIntDef(cmbChartFontSize->Text(), ChartSize);
    ChartAlignment = cmbChartAlignment->Text();
    ChartFontColor = pnlChartFontColor->Color();
    JissekiHyouji = rgpJisseki->ItemIndex();
}

void TdlgInitSetting::ChooseColor(TPanel *swatch)
{
    if (auto chosen = Services().ColorDialog(ColorToRGB(swatch->Color())))
        swatch->SetColor(*chosen);
}

void TdlgInitSetting::edtItemHeightEnter(TObject *)
{
    itemHeightText_ = edtItemHeight->Text();
}

void TdlgInitSetting::edtItemHeightExit(TObject *)
{
    long long height = edtItemHeight->AsInteger();
    const char *warning = height > 300 ? "値が大きすぎます。" : height < 20 ? "値が小さすぎます。" : nullptr;
    if (!warning)
        return;
    Services().MessageBox(warning, Caption(), MB_OK | MB_ICONWARNING);
    // Shown in the field as well as parsed back into the value.
    edtItemHeight->SetText(itemHeightText_);
}

void TdlgInitSetting::btnOpenClick(TObject *)
{
    TFileDialogRequest request;
    request.filter = "XSLファイル|*.xsl";
    request.defaultExt = "xsl";
    request.initialDir = BaseDir;
    auto answer = Services().FileDialog(request);
    if (!answer)
        return;
    if (UpperCase(ExtractFileExt(answer->fileName)) != ".XSL") {
        Services().MessageBox("ファイルの種類が違います", Caption(), MB_OK | MB_ICONWARNING);
        return;
    }
    edtXsl->SetVal(answer->fileName);
}

void TdlgInitSetting::ApplyAssociation()
{
    if (ckbLink->Checked() == XmlTarvoldLink)
        return;
    try {
        if (ckbLink->Checked())
            RegisterXmlAssociation();
        else
            UnregisterXmlAssociation();
        XmlTarvoldLink = ckbLink->Checked();
    } catch (const Exception &) {
        Services().MessageBox(kAdminMessage, Caption(), MB_OK | MB_ICONERROR);
    }
}

// A new length of the custom scale shown now that would show days past the
// last date is refused, and the length goes back.
bool TdlgInitSetting::CustomScaleFits()
{
    const int days = speCustomTimeScale->Value();
    if (main_.tbcCalSelect->TabIndex() != kCustomScaleTab || main_.PeriodAccepted(StartDate, days, Caption()))
        return true;
    speCustomTimeScale->SetValue(CustomTimeScale);
    return false;
}

void TdlgInitSetting::btnOkClick(TObject *)
{
    if (!CustomScaleFits())
        return;
    WriteSettings();
    main_.RedrawChart();
    ApplyAssociation();
    for (TWinControl *c : std::initializer_list<TWinControl *>{main_.pnlDate, main_.pnlBase, main_.scb1})
        c->SetDoubleBuffered(DoubleBufferedOn);
    EncodingStrSet = rgpStrSet->ItemIndex() == 1 ? "UTF-8" : "Shift_JIS";
    CustomTimeScale = speCustomTimeScale->Value();
    SetModalResult(mrOk);
    Modified = true;
}

TModalResult ShowInitSettingDialog(TfrmMain &main, const TModalRunner &run)
{
    TdlgInitSetting dialog(main);
    return run(dialog);
}
