#include "controls/ExEdit.h"

#include "platform/widgets/Button.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <algorithm>
#include <limits>

namespace {

constexpr TColor kSilentColor = 0xFFF0E1;

void EraseFirst(std::string &text, char c)
{
    if (auto at = text.find(c); at != std::string::npos)
        text.erase(at, 1);
}

// Digits after the point of a number format; a format without a point counts whole.
int DecimalsOf(const std::string &format)
{
    auto point = format.find('.');
    int position = point == std::string::npos ? 0 : static_cast<int>(point) + 1;
    return static_cast<int>(format.size()) - position;
}

// The text a person typed as a number: thousands separators and currency signs
// go, and a "-" anywhere but in front is dropped.
std::string CleanNumber(const std::string &typed)
{
    std::string text = Trim(typed);
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    EraseFirst(text, '\\');
    EraseFirst(text, '$');
    if (text.empty() || text.front() != '-')
        text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
    return text;
}

} // namespace

TExEdit::TExEdit(TComponent *owner) : TEdit(owner)
{
    val_ = std::string();
}

void TExEdit::SetDataType(TEditDataType type)
{
    if (type == dataType_)
        return;
    dataType_ = type;
    SetNumericInput(type != dString);
    enteredText_.clear();
    SetText("");
    Invalidate();
}

void TExEdit::SetVal(const TExValue &value)
{
    val_ = value;
    ValueToText();
}

void TExEdit::SetSilentEnable(bool v)
{
    silentEnable_ = v;
    SetColor(v ? clWindow : kSilentColor);
    SetTabStop(v);
    SetReadOnly(!v);
}

long long TExEdit::AsInteger() const
{
    if (auto *i = std::get_if<long long>(&val_))
        return *i;
    if (auto *f = std::get_if<long double>(&val_)) {
        // Truncated, and held within the integer's range.
        constexpr long double lowest = static_cast<long double>(std::numeric_limits<long long>::min());
        constexpr long double highest = static_cast<long double>(std::numeric_limits<long long>::max());
        if (!(*f > lowest))
            return std::numeric_limits<long long>::min();
        if (!(*f < highest))
            return std::numeric_limits<long long>::max();
        return static_cast<long long>(*f);
    }
    return 0;
}

long double TExEdit::AsFloat() const
{
    if (auto *f = std::get_if<long double>(&val_))
        return *f;
    if (auto *i = std::get_if<long long>(&val_))
        return static_cast<long double>(*i);
    return 0;
}

std::string TExEdit::AsString() const
{
    if (auto *s = std::get_if<std::string>(&val_))
        return *s;
    return Text();
}

void TExEdit::Change()
{
    if (!showing_)
        TextToValue();
    TEdit::Change();
}

void TExEdit::TextToValue()
{
    const std::string text = Text();
    TExValue value;
    bool ok = true;
    switch (dataType_) {
    case dString: value = text; break;
    case dInteger:
    case dFloat: ok = ParseNumber(text, value); break;
    case dDateTime: ok = ParseDate(text, value); break;
    }
    if (ok)
        val_ = value;
}

bool TExEdit::ParseNumber(const std::string &typed, TExValue &value) const
{
    if (typed.empty()) {
        value = dataType_ == dInteger ? TExValue(0LL) : TExValue(0.0L);
        return true;
    }
    std::string text = CleanNumber(HalfWidthForms(typed));
    if (dataType_ == dInteger) {
        int i = 0;
        if (!TryStrToInt(text, i))
            return false;
        value = static_cast<long long>(i);
        return true;
    }
    long double f = 0;
    if (!TryStrToFloat(text, f))
        return false;
    int decimals = DecimalsOf(dataFormat_);
    std::string mask = decimals > 0 ? "0." + std::string(static_cast<size_t>(decimals), '0') : "0";
    if (!TryStrToFloat(FormatFloat(mask, f), f))
        return false;
    value = f;
    return true;
}

bool TExEdit::ParseDate(const std::string &typed, TExValue &value) const
{
    const std::string text = HalfWidthForms(typed);
    if (text.empty()) {
        value = 0.0L;
        return true;
    }
    TDateTime date = 0;
    if (!TryStrToDate(text, date))
        return false;
    // A month and day (or a day) typed late in the year means early next year.
    if (std::count(text.begin(), text.end(), '/') <= 1 && text.size() < 5) {
        int y, m, d, ty, tm, td;
        DecodeDate(date, y, m, d);
        DecodeDate(Date(), ty, tm, td);
        TDateTime next = 0;
        if (y == ty && (m == 1 || m == 2) && tm > 10 && TryEncodeDate(y + 1, m, d, next))
            date = next;
    }
    value = static_cast<long double>(date);
    return true;
}

std::string TExEdit::FormatValue() const
{
    switch (dataType_) {
    case dString:
        return AsString();
    case dInteger:
    case dFloat: {
        long double v = AsFloat();
        if (zeroIndicated_ && v == 0)
            return std::string();
        if (dataFormat_.empty())
            return dataType_ == dInteger ? IntToStr(AsInteger()) : FloatToStr(v);
        return FormatFloat(dataFormat_, v);
    }
    case dDateTime: {
        TDateTime d = AsDate();
        if (d == 0)
            return std::string();
        return dataFormat_.empty() ? DateToStr(d) : FormatDateTime(dataFormat_, d);
    }
    }
    return std::string();
}

void TExEdit::ValueToText()
{
    try {
        ShowText(FormatValue());
    } catch (const Exception &) {
        ShowText(std::string());
        enteredText_.clear();
    }
}

void TExEdit::ShowText(const std::string &text)
{
    // Showing the value must not parse it back: a rounded or empty shown text
    // would otherwise change the value itself.
    showing_ = true;
    try {
        SetText(text);
    } catch (...) {
        showing_ = false;
        throw;
    }
    showing_ = false;
}

void TExEdit::DoEnter()
{
    TEdit::DoEnter();
    enteredText_ = Text();
    ValueToText();
    SelectAll();
}

void TExEdit::KeyDown(int &key, TShiftState shift)
{
    TEdit::KeyDown(key, shift);
    if (key != VK_RETURN)
        return;
    if (TCustomForm *form = GetParentForm(this))
        form->SelectNext(this, true);
    SelectAll();
    key = 0;
}

void TExEdit::DoExit()
{
    if (Text() != enteredText_)
        SendMessage(this, WM_EXEDIT_VALIDATE);
    if (dataType_ == dDateTime)
        TextToValue();
    ValueToText();
    TEdit::DoExit();
}

void TExEdit::WndProc(TMessage &message)
{
    if (message.Msg == WM_EXEDIT_VALIDATE) {
        if (OnValidate)
            OnValidate(this);
        return;
    }
    TEdit::WndProc(message);
}
