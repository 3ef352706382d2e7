// The built-in functions of report expressions and the function library.
#include "report/RpExpr.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/core/DateTime.h"
#include "platform/core/Encoding.h"
#include "platform/core/SysUtils.h"

namespace {

std::string Format1(std::string_view pattern, std::string_view value)
{
    return StringReplaceAll(pattern, "%s", value);
}

// Byte-level text work on code page 932: double-byte characters are never split
// and never change case.
enum class TByteType { Single, Lead, Trail };

std::vector<TByteType> ByteTypes(std::string_view bytes)
{
    std::vector<TByteType> types(bytes.size(), TByteType::Single);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) {
            types[i] = TByteType::Lead;
            types[++i] = TByteType::Trail;
        }
    }
    return types;
}

// Case changes touch only the letters A to Z: every other character of code
// page 932 is double-byte or a half-width kana, which keep their case. Working
// on the UTF-8 text keeps the characters that the code page lacks.
std::string MapAsciiCase(std::string_view text, bool upper)
{
    std::string out(text);
    for (char &c : out) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string Cp932Upper(std::string_view text)
{
    return MapAsciiCase(text, true);
}

std::string Cp932Lower(std::string_view text)
{
    return MapAsciiCase(text, false);
}

std::string Cp932Pretty(std::string_view text)
{
    if (text.empty())
        return std::string();
    std::size_t head = RpUtf8CharLength(text, 0);
    return MapAsciiCase(text.substr(0, head), true) + MapAsciiCase(text.substr(head), false);
}

std::string Cp932Copy(std::string_view text, long long start, long long count)
{
    // The code page bytes, and for each byte the UTF-8 offset of its character,
    // so that the bytes picked are cut from the text itself.
    std::string bytes;
    std::vector<std::size_t> offsets;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = RpUtf8CharLength(text, pos);
        std::string character = Utf8ToCp932(text.substr(pos, length));
        bytes += character;
        offsets.insert(offsets.end(), character.size(), pos);
        pos += length;
    }
    offsets.push_back(text.size());
    std::vector<TByteType> types = ByteTypes(bytes);
    long long size = static_cast<long long>(bytes.size());
    if (start < 1)
        start = 1;
    if (count > 0 && start <= size && types[static_cast<std::size_t>(start - 1)] == TByteType::Trail) {
        ++start;
        --count;
    }
    long long last = start + count - 1;
    if (count > 0 && last <= size && types[static_cast<std::size_t>(last - 1)] == TByteType::Lead)
        --count;
    if (start > size || count <= 0)
        return std::string();
    std::size_t from = offsets[static_cast<std::size_t>(start - 1)];
    std::size_t to = offsets[static_cast<std::size_t>(std::min(start - 1 + count, size))];
    return std::string(text.substr(from, to - from));
}

bool IsNumber(const TRpValue &value)
{
    return value.Kind == rpvInteger || value.Kind == rpvFloat;
}

double AsDouble(const TRpValue &value)
{
    return value.Kind == rpvInteger ? value.IntValue : value.FloatValue;
}

// A function that knows its name for its messages.
class TRpEvNamedFunction : public TRpEvElementFunction {
protected:
    TRpValue WrongArguments(const char *name) const
    {
        return TRpValue::Error(Format1("Wrong arguments for %s", name));
    }
    bool HasOne(TRpValueKind kind) const { return args_.size() == 1 && args_[0].Kind == kind; }
};

class TRpEvIfFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() == 3 && args_[0].Kind == rpvBoolean)
            result = args_[0].BoolValue ? args_[1] : args_[2];
        else
            result = WrongArguments("IF");
    }
};

class TRpEvStrFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() == 1 && (IsNumber(args_[0]) || args_[0].Kind == rpvBoolean))
            result = TRpValue::String(RpValueToText(args_[0]));
        else
            result = TRpValue::Error("Conversion error");
    }
};

// UPPER, LOWER and PRETTY: one string argument.
class TRpEvTextFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() != 1)
            result = TRpValue::Error(Format1("Missing argument for %s", Name()));
        else if (args_[0].Kind != rpvString)
            result = TRpValue::Error(args_[0].IsError() ? args_[0].Text : std::string());
        else
            result = TRpValue::String(Apply(args_[0].Text));
    }

protected:
    virtual const char *Name() const = 0;
    virtual std::string Apply(std::string_view text) const = 0;
};

class TRpEvUpperFunction : public TRpEvTextFunction {
    const char *Name() const override { return "UPPER"; }
    std::string Apply(std::string_view text) const override { return Cp932Upper(text); }
};

class TRpEvLowerFunction : public TRpEvTextFunction {
    const char *Name() const override { return "LOWER"; }
    std::string Apply(std::string_view text) const override { return Cp932Lower(text); }
};

class TRpEvPrettyFunction : public TRpEvTextFunction {
    const char *Name() const override { return "PRETTY"; }
    std::string Apply(std::string_view text) const override { return Cp932Pretty(text); }
};

class TRpEvTimeFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        result = args_.empty() ? TRpValue::String(TimeToStr(Now())) : TRpValue::Error();
    }
};

class TRpEvDateFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        result = args_.empty() ? TRpValue::String(DateToStr(Date())) : TRpValue::Error();
    }
};

class TRpEvCopyFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() != 3 || args_[0].Kind != rpvString || args_[1].Kind != rpvInteger ||
            args_[2].Kind != rpvInteger)
            result = TRpValue::Error();
        else
            result = TRpValue::String(Cp932Copy(args_[0].Text, args_[1].IntValue, args_[2].IntValue));
    }
};

class TRpEvFormatNumericFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() != 2 || args_[0].Kind != rpvString || !IsNumber(args_[1])) {
            result = TRpValue::Error();
            return;
        }
        try {
            result = TRpValue::String(FormatFloat(args_[0].Text, AsDouble(args_[1])));
        } catch (const std::exception &) {
            result = TRpValue::Error("Invalid format or value specified");
        }
    }
};

class TRpEvIntFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (HasOne(rpvInteger)) {
            result = args_[0];
        } else if (HasOne(rpvFloat)) {
            double whole = std::trunc(args_[0].FloatValue);
            if (whole >= INT_MIN && whole <= INT_MAX)
                result = TRpValue::Integer(static_cast<int>(whole));
            else
                result = TRpValue::Error("Integer overflow");
        } else {
            result = WrongArguments("INT");
        }
    }
};

class TRpEvFracFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        double whole = 0;
        if (HasOne(rpvInteger))
            result = TRpValue::Float(0);
        else if (HasOne(rpvFloat))
            result = TRpValue::Float(std::modf(args_[0].FloatValue, &whole));
        else
            result = TRpValue::Error();
    }
};

class TRpEvSQRTFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() == 1 && IsNumber(args_[0]) && AsDouble(args_[0]) >= 0)
            result = TRpValue::Float(std::sqrt(AsDouble(args_[0])));
        else
            result = TRpValue::Error("Invalid argument to SQRT function");
    }
};

class TRpEvDivFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        if (args_.size() != 2 || !IsNumber(args_[0]) || !IsNumber(args_[1])) {
            result = WrongArguments("DIV");
            return;
        }
        long long dividend = 0;
        long long divisor = 0;
        if (!Rounded(args_[0], dividend) || !Rounded(args_[1], divisor)) {
            result = TRpValue::Error("Integer overflow");
            return;
        }
        if (divisor == 0) {
            result = TRpValue::Error("Division by Zero");
            return;
        }
        long long quotient = dividend / divisor;
        if (quotient < INT_MIN || quotient > INT_MAX)
            result = TRpValue::Error("Integer overflow");
        else
            result = TRpValue::Integer(static_cast<int>(quotient));
    }

private:
    // Integers as they are, floats rounded to the nearest integer (halves to even).
    static bool Rounded(const TRpValue &value, long long &rounded)
    {
        if (value.Kind == rpvInteger) {
            rounded = value.IntValue;
            return true;
        }
        if (!(std::fabs(value.FloatValue) < 9.0e18))
            return false;
        rounded = RoundHalfEven(value.FloatValue);
        return true;
    }
};

class TRpEvTypeOfFunction : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        static const char *const names[] = {"INTEGER", "FLOAT", "STRING", "BOOLEAN", "ERROR"};
        if (args_.size() == 1)
            result = TRpValue::String(names[args_[0].Kind]);
        else
            result = WrongArguments("TypeOf");
    }
};

template <bool Value>
class TRpEvBooleanConstant : public TRpEvNamedFunction {
public:
    void ComputeResult(TRpValue &result) override
    {
        result = args_.empty() ? TRpValue::Boolean(Value) : TRpValue::Error("Too many arguments");
    }
};
using TRpEvTrue = TRpEvBooleanConstant<true>;
using TRpEvFalse = TRpEvBooleanConstant<false>;

// Aggregates take one value per aggregation step and keep their running value
// until reset.
class TRpEvSumFunction : public TRpEvNamedFunction {
public:
    TRpEvSumFunction() { isAggregate_ = true; }
    void Accumulate() override
    {
        if (args_.size() != 1) {
            Take(TRpValue::Error());
            return;
        }
        const TRpValue &value = args_[0];
        if (!taken_) {
            Take(IsNumber(value) ? value : TRpValue::Error(value.IsError() ? value.Text : std::string()));
            return;
        }
        if (running_.IsError())
            return;
        if (value.Kind == rpvString)
            running_ = TRpValue::Error();
        else if (IsNumber(value))
            // A float joining an integer total makes it a float; an overflow an error.
            running_ = RpApplyOperator(opAdd, running_, value);
    }
    void ComputeResult(TRpValue &result) override
    {
        result = taken_ ? running_ : TRpValue::Integer(0);
    }
    void ResetAggregate() override { taken_ = false; }

protected:
    const TRpValue &Running() const { return running_; }

private:
    void Take(TRpValue value)
    {
        taken_ = true;
        running_ = std::move(value);
    }
    TRpValue running_;
    bool taken_ = false;
};

class TRpEvAverageFunction : public TRpEvSumFunction {
public:
    void Accumulate() override
    {
        TRpEvSumFunction::Accumulate();
        ++count_;
        const TRpValue &sum = Running();
        if (IsNumber(sum))
            average_ = TRpValue::Float(AsDouble(sum) / count_);
        else
            average_ = TRpValue::Error(sum.Text);
    }
    void ComputeResult(TRpValue &result) override { result = average_; }
    void ResetAggregate() override
    {
        TRpEvSumFunction::ResetAggregate();
        average_ = TRpValue::Float(0);
        count_ = 0;
    }

private:
    TRpValue average_ = TRpValue::Integer(0);
    long long count_ = 0;
};

// MAX and MIN: numbers compare numerically whatever their kinds, strings as
// byte texts, booleans false below true; values that cannot be compared with
// the running value are passed over.
class TRpEvExtremeFunction : public TRpEvNamedFunction {
public:
    TRpEvExtremeFunction() { isAggregate_ = true; }
    void Accumulate() override
    {
        if (args_.size() != 1) {
            taken_ = true;
            running_ = TRpValue::Error();
            return;
        }
        const TRpValue &value = args_[0];
        if (!taken_) {
            taken_ = true;
            running_ = value;
            return;
        }
        if (running_.IsError() || !Comparable(running_, value))
            return;
        if (KeepsLarger() ? Greater(value, running_) : Greater(running_, value))
            running_ = value;
    }
    void ComputeResult(TRpValue &result) override
    {
        result = taken_ ? running_ : TRpValue::Integer(0);
    }
    void ResetAggregate() override { taken_ = false; }

protected:
    virtual bool KeepsLarger() const = 0;

private:
    static bool Comparable(const TRpValue &running, const TRpValue &value)
    {
        return (IsNumber(running) && IsNumber(value)) || (running.Kind == value.Kind && !value.IsError());
    }
    static bool Greater(const TRpValue &left, const TRpValue &right)
    {
        if (left.Kind == rpvBoolean)
            return left.BoolValue > right.BoolValue;
        TRpValue greater = RpApplyOperator(opGreater, left, right);
        return greater.Kind == rpvBoolean && greater.BoolValue;
    }

    TRpValue running_;
    bool taken_ = false;
};

class TRpEvMaxFunction : public TRpEvExtremeFunction {
    bool KeepsLarger() const override { return true; }
};

class TRpEvMinFunction : public TRpEvExtremeFunction {
    bool KeepsLarger() const override { return false; }
};

class TRpEvCountFunction : public TRpEvNamedFunction {
public:
    TRpEvCountFunction() { isAggregate_ = true; }
    void Accumulate() override
    {
        if (count_ < INT_MAX)
            ++count_;
    }
    void ComputeResult(TRpValue &result) override
    {
        if (args_.empty())
            result = TRpValue::Integer(count_);
        else
            result = TRpValue::Error(std::string("COUNT - ") + "Too many arguments");
    }
    void ResetAggregate() override { count_ = 0; }

private:
    int count_ = 0;
};

constexpr const char *BuiltInVendor = "Tarvold";

template <class T>
void AddBuiltIn(TRpLibrary &library, const char *name, const char *pattern, const char *code, const char *help,
                const char *separator = "|")
{
    library.Add(TRpLibraryEntry{name, std::string(pattern) + separator + help, code, BuiltInVendor,
                                [] { return std::make_unique<T>(); }});
}

void RegisterBuiltIns(TRpLibrary &library)
{
    AddBuiltIn<TRpEvIfFunction>(library, "IF", "IF(<Exp>, <X>, <Y>)", "5BVV",
                                "Returns <X> or <Y> depending on the boolean expression <Exp>");
    AddBuiltIn<TRpEvStrFunction>(library, "STR", "STR(<X>)", "7N", "Convert a numeric <X> to a string");
    AddBuiltIn<TRpEvUpperFunction>(library, "UPPER", "UPPER(<X>)", "7S", "Converts a string to upper case letters");
    AddBuiltIn<TRpEvLowerFunction>(library, "LOWER", "LOWER(<X>)", "7S", "Converts a string to lower case letters");
    AddBuiltIn<TRpEvPrettyFunction>(library, "PRETTY", "PRETTY(<X>)", "7S",
                                    "Makes the first character upper case and the rest lower case");
    AddBuiltIn<TRpEvTimeFunction>(library, "TIME", "TIME", "1", "Return current time as a string");
    AddBuiltIn<TRpEvDateFunction>(library, "DATE", "DATE", "1", "Return current date as a string");
    AddBuiltIn<TRpEvCopyFunction>(library, "COPY", "COPY(<X>, <St>,<Len>)", "7SNN", "Returns a substring of string X");
    AddBuiltIn<TRpEvSumFunction>(library, "SUM", "SUM(<X>)", "3N", "Sums the numeric <X>");
    AddBuiltIn<TRpEvCountFunction>(library, "COUNT", "COUNT", "3", "Increments for each iteration");
    AddBuiltIn<TRpEvMaxFunction>(library, "MAX", "MAX(<X>)", "3V", "Returns the highest <X>");
    AddBuiltIn<TRpEvMinFunction>(library, "MIN", "MIN(<X>)", "3V", "Returns the lowest <X>");
    AddBuiltIn<TRpEvAverageFunction>(library, "AVERAGE", "AVERAGE(<X>)", "3N", "Returns the average of numeric <X>");
    AddBuiltIn<TRpEvTrue>(library, "TRUE", "TRUE", "5", "boolean value");
    AddBuiltIn<TRpEvFalse>(library, "FALSE", "FALSE", "5", "boolean value");
    AddBuiltIn<TRpEvIntFunction>(library, "INT", "INT(<X>)", "2N", "Returns the integer part of <X>");
    AddBuiltIn<TRpEvFracFunction>(library, "FRAC", "FRAC(<X>)", "2N", "Returns the fractional part of <X>");
    AddBuiltIn<TRpEvSQRTFunction>(library, "SQRT", "SQRT(<X>)", "2N", "Returns square root of <X>");
    AddBuiltIn<TRpEvDivFunction>(library, "DIV", "DIV(<X>, <Y>)", "2NN", "Integer division of <X> by <Y>", " | ");
    AddBuiltIn<TRpEvTypeOfFunction>(library, "TYPEOF", "TYPEOF(<Exp>)", "6N", "Returns the data type of <Exp>");
    AddBuiltIn<TRpEvFormatNumericFunction>(library, "FORMATNUMERIC", "FORMATNUMERIC(<F>,<N>)", "7SN",
                                           "Formats numeric <N> using the mask in <F>");
}

} // namespace

void TRpLibrary::Add(TRpLibraryEntry entry)
{
    entry.Name = UpperCase(entry.Name);
    entries_.push_back(std::move(entry));
}

const TRpLibraryEntry *TRpLibrary::EntryAt(int index) const
{
    return index >= 0 && index < Count() ? &entries_[static_cast<std::size_t>(index)] : nullptr;
}

const TRpLibraryEntry *TRpLibrary::Find(std::string_view name) const
{
    for (const TRpLibraryEntry &entry : entries_)
        if (SameText(entry.Name, name))
            return &entry;
    return nullptr;
}

TRpFunctionLibrary &FunctionLibrary()
{
    static TRpFunctionLibrary library;
    static const bool registered = (RegisterBuiltIns(library), true);
    (void)registered;
    return library;
}

void RegisterReportFunction(TRpFunctionFactory factory, const std::string &name, const std::string &description,
                            const std::string &argumentCode, const std::string &vendor)
{
    FunctionLibrary().Add(TRpLibraryEntry{name, description, argumentCode, vendor, std::move(factory)});
}

std::unique_ptr<TRpEvElement> NewFunctionElement(std::string_view name)
{
    if (const TRpLibraryEntry *entry = FunctionLibrary().Find(name))
        return entry->Factory();
    return std::make_unique<TRpEvElementError>(Format1("Unknown function : %s", UpperCase(name)));
}
