#pragma once
// Editors of printable controls for the design surface, and the label's:
// its text, size and the AutoSize, Stretch and Transparent flags.
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Mask.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "report/RpCtrls.h"

#include <string>

class TRpPrintableEditor : public TObject {
public:
    explicit TRpPrintableEditor(TRpPrintable &printable) : printable_(printable) {}

    TRpPrintable &Printable() const { return printable_; }
    virtual std::string GetCaption() const { return ""; }
    virtual std::string GetText() const { return ""; }
    virtual void SetText(const std::string &) {}
    virtual void SetColor(TColor color) { printable_.SetColor(color); }
    virtual void SetFont(const TFont &font) { printable_.Font().Assign(font); }
    virtual void SetCaption(const std::string &) {}
    // Opens the editor's dialog; true when the person chose OK.
    virtual bool ShowEditor(const TModalRunner &run = RunModal) { (void)run; return false; }

private:
    TRpPrintable &printable_;
};

class TRpLabelEditorForm : public TForm {
public:
    explicit TRpLabelEditorForm(TComponent *owner);

    TPanel *Properties;
    TEdit *Value;
    TMaskEdit *Width;
    TMaskEdit *Height;
    TCheckBox *AutoSize;
    TCheckBox *Stretch;
    TCheckBox *Transparent;
    TButton *OKButton;
    TButton *CancelButton;
};

class TRpLabelEditor : public TRpPrintableEditor {
public:
    explicit TRpLabelEditor(TRpCustomLabel &label) : TRpPrintableEditor(label), label_(label) {}

    std::string GetCaption() const override { return label_.Caption(); }
    std::string GetText() const override { return label_.Caption(); }
    void SetText(const std::string &text) override { label_.SetCaption(text); }
    void SetCaption(const std::string &caption) override { label_.SetCaption(caption); }
    bool ShowEditor(const TModalRunner &run = RunModal) override;

private:
    TRpCustomLabel &label_;
};
