#include "report/RpLablEd.h"

#include "platform/core/SysUtils.h"

namespace {

TLabel *FieldLabel(TWinControl *parent, int left, int top, const std::string &text)
{
    auto *label = PlaceControl<TLabel>(parent, left, top, 60, 16);
    label->SetCaption(text);
    return label;
}

TCheckBox *Flag(TWinControl *parent, int left, int top, const std::string &text)
{
    auto *box = PlaceControl<TCheckBox>(parent, left, top, 100, 20);
    box->SetCaption(text);
    return box;
}

// A size written in the dialog: whole units, the old value when the field is left blank.
long double SizeValue(const std::string &text, long double old)
{
    int value = 0;
    return TryStrToInt(Trim(text), value) ? value : old;
}

} // namespace

TRpLabelEditorForm::TRpLabelEditorForm(TComponent *owner) : TForm(owner)
{
    SetCaption("Text Settings");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(340, 200);
    Properties = PlaceControl<TPanel>(this, 8, 8, 324, 148);
    FieldLabel(Properties, 8, 6, "Properties");
    FieldLabel(Properties, 8, 32, "Text");
    Value = PlaceControl<TEdit>(Properties, 72, 28, 240, 24);
    FieldLabel(Properties, 8, 62, "Width");
    Width = PlaceControl<TMaskEdit>(Properties, 72, 58, 60, 24);
    Width->SetEditMask("9999");
    FieldLabel(Properties, 150, 62, "Height");
    Height = PlaceControl<TMaskEdit>(Properties, 212, 58, 60, 24);
    Height->SetEditMask("9999");
    AutoSize = Flag(Properties, 8, 92, "Autosize");
    Stretch = Flag(Properties, 112, 92, "Stretch");
    Transparent = Flag(Properties, 216, 92, "Transparent");
    OKButton = PlaceControl<TButton>(this, 168, 164, 78, 28);
    OKButton->SetCaption("OK");
    OKButton->SetDefault(true);
    OKButton->SetModalResult(mrOk);
    CancelButton = PlaceControl<TButton>(this, 254, 164, 78, 28);
    CancelButton->SetCaption("Cancel");
    CancelButton->SetCancel(true);
    CancelButton->SetModalResult(mrCancel);
}

bool TRpLabelEditor::ShowEditor(const TModalRunner &run)
{
    TRpLabelEditorForm form(nullptr);
    TRpPrintableSize &size = label_.Size();
    form.Value->SetText(GetText());
    form.Width->SetText(FloatToStr(size.Width()));
    form.Height->SetText(FloatToStr(size.Height()));
    form.AutoSize->SetChecked(label_.AutoSize());
    form.Stretch->SetChecked(label_.AutoStretch());
    form.Transparent->SetChecked(label_.Transparent());
    if (run(form) != mrOk)
        return false;
    SetText(form.Value->Text());
    size.SetWidth(SizeValue(form.Width->Text(), size.Width()));
    size.SetHeight(SizeValue(form.Height->Text(), size.Height()));
    label_.SetAutoSize(form.AutoSize->Checked());
    label_.SetAutoStretch(form.Stretch->Checked());
    label_.SetTransparent(form.Transparent->Checked());
    return true;
}
