#pragma once
// The bar settings dialog: planned and actual counts, start-of-work and actual
// dates, group, text, remarks and colour of the selected bar; OK derives the
// achievement rate and the progress strip.
#include "controls/ExEdit.h"
#include "platform/widgets/Button.h"
#include "platform/widgets/ComboBox.h"
#include "platform/widgets/DateTimePicker.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"

class TfrmMain;
class TChart;

class TdlgChartSetting : public TForm {
public:
    TdlgChartSetting(TfrmMain &main, TChart &chart);

    TExEdit *edtYotei, *edtJisseki;
    TDateTimePicker *dtpChakushubi, *dtpJissekibi;
    TComboBox *cmbGroup;
    TMemo *memText, *memBikou;
    TButton *btnOk, *btnCancel;
    TPanel *pnlChartColor;

    void edtJissekiValidate(TObject *sender);
    void cmbGroupChange(TObject *sender);
    void pnlChartColorDblClick(TObject *sender);
    void btnOkClick(TObject *sender);

private:
    void SelectGroupByColor(TColor color);
    void ApplyProgressStrip(TDateTime workStart, TDateTime actual);
    TfrmMain &main_;
    TChart &chart_;
};

// The achievement rate in percent, two decimals, within 0..100.
long double AchievementRate(int planned, int actual);

// チャート情報の設定: edits the selected bar; the chart is redrawn whatever the result.
void ShowChartSettingDialog(TfrmMain &main, const TModalRunner &run = RunModal);
