#pragma once
// Text boxes: TMemo (several lines) and TEdit (one line). The text lives in the
// control, so it can be set and read without a window; a memo's lines are
// joined by CR LF, as documents keep them.
#include <string>
#include <vector>

#include "platform/kernel/Controls.h"

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent *owner);
    void SetText(const std::string &text) override;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r);
    // Selects the whole text (in the window, when there is one).
    void SelectAll();
    bool CanFocus() const override { return TWinControl::CanFocus(); }

    TEventSlot<TNotifyEvent> OnChange;

    // Platform side: the window's text changed by typing.
    void TextEdited(const std::string &text);

protected:
    virtual void Change();
    bool settingText_ = false;

private:
    bool readOnly_ = false;
};

// A memo's text starts this many pixels inside its left edge and wraps as
// far inside its right one.
constexpr int MemoTextMargin = 4;

class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent *owner);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    // The lines as the memo shows them: with WordWrap, each typed line
    // wrapped at the text width in the memo's font exactly where its window
    // wraps it (the spaces a wrap falls on are left out); without, the typed
    // lines. The same with or without a window. Text keeps the typed lines.
    std::vector<std::string> Lines() const;
    // Tab types a tab character only when this is set; otherwise it moves to
    // the next control, as in every other control of the form.
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool want);
    // Enter types a new line, and the form's default button does not get it;
    // when this is off, Enter goes to the form's buttons and types nothing.
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool want) { wantReturns_ = want; }
    bool WantsSpecialKey(int key) const override { return key == VK_RETURN && wantReturns_; }
    // The text's alignment, kept with the text.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    void SetText(const std::string &text) override;
    void SetColor(TColor color) override;
    void FontChanged() override;

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void ApplyLook();
    bool wordWrap_ = true;
    bool wantTabs_ = false;
    bool wantReturns_ = true;
    TAlignment alignment_ = taLeftJustify;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent *owner);
    void SetText(const std::string &text) override;
    // Where the text sits in the window.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void ApplyAlignment();
    TAlignment alignment_ = taLeftJustify;
};
