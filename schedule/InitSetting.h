#pragma once
// The initial-settings dialog: the application settings on three pages, and
// the ".xml" association.
#include "controls/ExEdit.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/RadioGroup.h"
#include "platform/widgets/SpinEdit.h"

class TfrmMain;

class TdlgInitSetting : public TForm {
public:
    explicit TdlgInitSetting(TfrmMain &main);

    TPageControl *pgc;
    TTabSheet *tabGeneral, *tabItem, *tabChart;
    TCheckBox *ckbInitialLoad, *ckbTodayStart, *ckbLink, *ckbHorydayColorOnly, *ckbDoubleBuffered;
    TExEdit *edtXsl;
    TButton *btnOpen;
    TPanel *pnlDateColor1, *pnlDateColor2, *pnlHorydayColor;
    TRadioGroup *rgpStrSet;
    TSpinEdit *speCustomTimeScale;
    TExEdit *edtItemHeight;
    TPanel *pnlItemColor, *pnlItemFontColor;
    TComboBox *cmbItemFontName, *cmbItemFontSize;
    TPanel *pnlChartColor, *pnlSelectColor, *pnlJissekiColor, *pnlJissekiEndColor, *pnlChartFontColor;
    TCheckBox *ckbDateFit, *ckbAutoMove;
    TComboBox *cmbChartFontName, *cmbChartFontSize, *cmbChartAlignment;
    TRadioGroup *rgpJisseki;
    TButton *btnOk, *btnCancel;

    void edtItemHeightEnter(TObject *sender);
    void edtItemHeightExit(TObject *sender);
    void btnOpenClick(TObject *sender);
    void btnOkClick(TObject *sender);
    // Opens the colour dialog on a swatch; OK gives it the chosen colour.
    void ChooseColor(TPanel *swatch);

private:
    void ReadSettings();
    bool CustomScaleFits();
    void WriteSettings();
    void ApplyAssociation();
    TfrmMain &main_;
    std::string itemHeightText_;
};

// Makes the program the handler of ".xml" files (registry and desktop), or
// gives them back. Raises when a key or file cannot be written.
void RegisterXmlAssociation();
void UnregisterXmlAssociation();

// 設定 > 初期設定.
TModalResult ShowInitSettingDialog(TfrmMain &main, const TModalRunner &run = RunModal);
