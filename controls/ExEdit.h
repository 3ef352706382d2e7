#pragma once
// The validating edit: a one-line edit that holds a typed value (text,
// integer, real or date), parses every change into it, shows it formatted when
// the edit is entered and left, moves on with Enter, and tells OnValidate when
// the person leaves it after changing the text.
#include "platform/core/DateTime.h"
#include "platform/widgets/Memo.h"

#include <string>
#include <variant>

enum TEditDataType { dString, dInteger, dFloat, dDateTime };

// The value: nothing yet, a text, an integer or a real (dates are reals).
using TExValue = std::variant<std::monostate, std::string, long long, long double>;

// The message the edit sends itself to run OnValidate before the focus moves on.
constexpr unsigned WM_EXEDIT_VALIDATE = WM_USER + 100;

class TExEdit : public TEdit {
public:
    explicit TExEdit(TComponent *owner);

    TEditDataType DataType() const { return dataType_; }
    void SetDataType(TEditDataType type);
    const std::string &DataFormat() const { return dataFormat_; }
    void SetDataFormat(const std::string &format) { dataFormat_ = format; }
    const TExValue &Val() const { return val_; }
    // Copies the value and shows it formatted.
    void SetVal(const TExValue &value);
    bool ZeroIndicated() const { return zeroIndicated_; }
    void SetZeroIndicated(bool v) { zeroIndicated_ = v; }
    bool SilentEnable() const { return silentEnable_; }
    // False gives the read-only look: pale blue, read-only, no tab stop.
    void SetSilentEnable(bool v);

    // The value read as a number (0 when it is none) or as text.
    long long AsInteger() const;
    long double AsFloat() const;
    TDateTime AsDate() const { return static_cast<TDateTime>(AsFloat()); }
    std::string AsString() const;

    TNotifyEvent OnValidate;

    void WndProc(TMessage &message) override;

protected:
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(int &key, TShiftState shift) override;

private:
    void TextToValue();
    void ValueToText();
    bool ParseNumber(const std::string &text, TExValue &value) const;
    bool ParseDate(const std::string &text, TExValue &value) const;
    std::string FormatValue() const;
    void ShowText(const std::string &text);

    TEditDataType dataType_ = dString;
    std::string dataFormat_;
    TExValue val_;
    bool zeroIndicated_ = false;
    bool silentEnable_ = true;
    std::string enteredText_;
    bool showing_ = false;
};
