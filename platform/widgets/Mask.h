#pragma once
// Edit masks and the masked edit.
//
// A mask is "characters;save literals;blank" as the class library writes it:
//   L letter (required)   l letter     A letter or digit (required)  a letter or digit
//   C any character (req.) c any       0 digit (required)            9 digit
//   # digit or sign       > upper case from here   < lower case   <> case as typed
//   \ the next character is a literal  ! optional characters become leading blanks
//   _ a blank literal     every other character is a literal.
// The second field "0" keeps the literals out of the text, "1" (or none) keeps
// them in; the third is the character shown for an empty position ("_").
#include "platform/kernel/Controls.h"

#include <string>
#include <vector>

class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const std::string &mask);

    bool Empty() const { return positions_.empty(); }
    int Length() const { return static_cast<int>(positions_.size()); }
    bool IsLiteral(int pos) const;
    bool IsRequired(int pos) const;
    // The character as it is entered at `pos` (case converted), or 0 when the position refuses it.
    char32_t Accept(int pos, char32_t c) const;
    char32_t Literal(int pos) const;
    bool SaveLiterals() const { return saveLiterals_; }
    char32_t BlankChar() const { return blank_; }

    // Positions filled from a text: literals of the text are matched, the other
    // characters go to the editable positions they fit (blanks where they do not).
    std::u32string Layout(const std::u32string &text) const;
    // The text of laid-out positions: blanks as spaces, literals only when saved.
    std::u32string TextOf(const std::u32string &positions) const;
    // The text an empty edit shows as its value ("    /  /  ").
    std::u32string EmptyText() const { return TextOf(Layout(U"")); }
    // Every required position holds a character.
    bool Complete(const std::u32string &positions) const;

private:
    enum class Kind { Literal, Letter, LetterOrDigit, Any, Digit, DigitOrSign };
    enum class Case { AsTyped, Upper, Lower };
    struct Position {
        Kind kind = Kind::Literal;
        bool required = false;
        Case charCase = Case::AsTyped;
        char32_t literal = 0;
    };
    std::vector<Position> positions_;
    bool saveLiterals_ = true;
    bool leadingBlanks_ = false;
    char32_t blank_ = U'_';
};

// The mask's text taken for `value` (the class library's FormatMaskText).
std::string FormatMaskText(const std::string &mask, const std::string &value);

std::u32string Utf8ToUtf32(const std::string &text);
std::string Utf32ToUtf8(const std::u32string &text);

// A one-line edit that paints itself and takes its input as WM_KEYDOWN and
// WM_CHAR messages (WParam = the character's code point). With a mask the text
// has a fixed set of positions: typing overwrites the next editable position
// the character fits, refused characters leave the text alone.
class TCustomMaskEdit : public TCustomControl {
public:
    explicit TCustomMaskEdit(TComponent *owner);

    std::string EditMask() const { return maskText_; }
    void SetEditMask(const std::string &mask);
    const TEditMask &Mask() const { return mask_; }
    bool IsMasked() const { return !mask_.Empty(); }

    // The value: with a mask, blanks as spaces and literals when the mask saves them.
    std::string Text() const override;
    void SetText(const std::string &text) override;
    // What the edit shows (with a mask, blanks as the mask's blank character).
    std::string EditText() const;

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r) { readOnly_ = r; }
    // The largest number of characters without a mask (0 = no limit).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n) { maxLength_ = n; }
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool a) { autoSelect_ = a; }
    bool HideCaret() const { return hideCaret_; }
    void SetHideCaret(bool h) { hideCaret_ = h; Invalidate(); }

    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    void SetSelStart(int pos);
    void SetSelLength(int length);
    void SelectAll();
    std::string SelText() const;
    void Clear() { SetText(""); }
    // Every required position filled (always true without a mask).
    bool IsComplete() const;
    // The selection to the system clipboard; cutting also clears it. Pasting
    // takes the clipboard's first line as if typed at the selection: a mask
    // places it character by character, MaxLength cuts it short.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    TNotifyEvent OnChange;

    // The text area (the whole control unless a descendant keeps room for a button).
    virtual TRect TextRect() const { return ClientRect(); }

    // A screen reader reads the edit as a text field with its text as value.
    int AccessibleRole() const override;
    std::string AccessibleValue() const override { return EditText(); }

protected:
    void WndProc(TMessage &message) override;
    void KeyDown(int &key, TShiftState shift) override;
    // A typed character; the default inserts it.
    virtual void KeyPress(char32_t &key);
    virtual void Change();
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void CreateHandle() override;

private:
    void TypeChar(char32_t c);
    void DeleteBack();
    void DeleteForward();
    void ClearSelection();
    bool ClipboardKey(int key, TShiftState shift);
    void SetContent(std::u32string content);
    void MoveCaret(int pos, bool extend);
    int PositionAt(int x);
    int NextEditable(int pos) const;

    std::string maskText_;
    TEditMask mask_;
    std::u32string content_;  // with a mask: one character per position, blanks as ' '
    int selStart_ = 0;
    int selLength_ = 0;
    int anchor_ = 0;
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool modified_ = false;
    bool autoSelect_ = true;
    bool hideCaret_ = false;
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent *owner) : TCustomMaskEdit(owner) {}
};
