#include "report/RpExpr.h"

#include <cerrno>
#include <climits>
#include <cmath>

#include "platform/Application.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "platform/SysUtils.h"

namespace {

// Parser recursion beyond this depth gives an error value instead of exhausting
// the stack (a few hundred nested parentheses).
constexpr int MaxParseDepth = 1000;

constexpr const char *TrueText = "True";
constexpr const char *FalseText = "False";

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos)
{
    unsigned char lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xF0)
        length = 4;
    else if (lead >= 0xE0)
        length = 3;
    else if (lead >= 0xC0)
        length = 2;
    std::size_t end = pos + 1;
    while (end < text.size() && end < pos + length && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        ++end;
    return end - pos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Case-insensitive match of an ASCII word at pos.
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view word)
{
    return pos + word.size() <= text.size() && SameText(text.substr(pos, word.size()), word);
}

std::string Format1(std::string_view pattern, std::string_view value)
{
    return StringReplaceAll(pattern, "%s", value);
}

std::string Format2(std::string_view pattern, std::string_view first, std::string_view second)
{
    std::string out(pattern);
    std::size_t pos = out.find("%s");
    out.replace(pos, 2, first);
    pos = out.find("%s", pos + first.size());
    out.replace(pos, 2, second);
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// Values

std::string RpCutToBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes || Cp932Length(text) <= maxBytes)
        return std::string(text);
    std::size_t bytes = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = Utf8SequenceLength(text, pos);
        std::string_view character = text.substr(pos, length);
        std::size_t cp932 = static_cast<unsigned char>(character[0]) < 0x80 ? 1 : Cp932Length(character);
        if (bytes + cp932 > maxBytes)
            break;
        bytes += cp932;
        pos += length;
    }
    return std::string(text.substr(0, pos));
}

TRpValue TRpValue::Integer(int value)
{
    return TRpValue{rpvInteger, value, 0, false, {}};
}

TRpValue TRpValue::Float(double value)
{
    return TRpValue{rpvFloat, 0, value, false, {}};
}

TRpValue TRpValue::String(std::string_view text)
{
    return TRpValue{rpvString, 0, 0, false, RpCutToBytes(text, RpMaxValueBytes)};
}

TRpValue TRpValue::Boolean(bool value)
{
    return TRpValue{rpvBoolean, 0, 0, value, {}};
}

TRpValue TRpValue::Error(std::string_view message)
{
    return TRpValue{rpvError, 0, 0, false, RpCutToBytes(message, RpMaxValueBytes)};
}

std::string RpValueToText(const TRpValue &value)
{
    switch (value.Kind) {
    case rpvInteger:
        return IntToStr(value.IntValue);
    case rpvFloat:
        return FloatToStr(value.FloatValue);
    case rpvString:
        return value.Text;
    case rpvBoolean:
        return value.BoolValue ? TrueText : FalseText;
    case rpvError:
        break;
    }
    throw ERpEvalError(Format1("Error in expression : %s", value.Text));
}

// ---------------------------------------------------------------------------
// Operators

namespace {

const char *OperatorText(TRpOperatorCode code)
{
    static const char *const texts[] = {"<", "<=", ">", ">=", "=", "<>"};
    return texts[code];
}

template <class T>
bool Compare(TRpOperatorCode code, const T &left, const T &right)
{
    switch (code) {
    case opLess: return left < right;
    case opLessEqual: return left <= right;
    case opGreater: return left > right;
    case opGreaterEqual: return left >= right;
    case opEqual: return left == right;
    default: return left != right;
    }
}

TRpValue CompareValues(TRpOperatorCode code, const TRpValue &left, const TRpValue &right)
{
    switch (left.Kind) {
    case rpvInteger:
        return TRpValue::Boolean(Compare(code, left.IntValue, right.IntValue));
    case rpvFloat:
        return TRpValue::Boolean(Compare(code, left.FloatValue, right.FloatValue));
    case rpvString:
        // Byte texts of the code page: a shorter text that is a prefix is smaller.
        return TRpValue::Boolean(Compare(code, Utf8ToCp932(left.Text), Utf8ToCp932(right.Text)));
    default:
        if (code != opEqual && code != opNotEqual)
            return TRpValue::Error(Format2("Operator %s is not compatible with %s expressions",
                                           OperatorText(code), "boolean"));
        return TRpValue::Boolean(Compare(code, left.BoolValue, right.BoolValue));
    }
}

TRpValue CannotDo(const char *action, TRpValueKind kind)
{
    return TRpValue::Error(Format2("Cannot %s %s expressions", action, kind == rpvString ? "string" : "boolean"));
}

enum class TIntegerOperation { Add, Subtract, Multiply };

// 32-bit integer arithmetic; an overflow gives an error value.
TRpValue IntegerResult(TIntegerOperation operation, int left, int right)
{
    int value = 0;
    bool overflow = false;
    switch (operation) {
    case TIntegerOperation::Add: overflow = __builtin_add_overflow(left, right, &value); break;
    case TIntegerOperation::Subtract: overflow = __builtin_sub_overflow(left, right, &value); break;
    case TIntegerOperation::Multiply: overflow = __builtin_mul_overflow(left, right, &value); break;
    }
    return overflow ? TRpValue::Error("Integer overflow") : TRpValue::Integer(value);
}

TRpValue Arithmetic(TRpOperatorCode code, const TRpValue &left, const TRpValue &right)
{
    switch (left.Kind) {
    case rpvInteger:
        if (code == opAdd)
            return IntegerResult(TIntegerOperation::Add, left.IntValue, right.IntValue);
        if (code == opSubtract)
            return IntegerResult(TIntegerOperation::Subtract, left.IntValue, right.IntValue);
        if (code == opMultiply)
            return IntegerResult(TIntegerOperation::Multiply, left.IntValue, right.IntValue);
        if (right.IntValue == 0)
            return TRpValue::Error("Cannot divide by 0");
        return TRpValue::Float(static_cast<double>(left.IntValue) / right.IntValue);
    case rpvFloat:
        if (code == opAdd)
            return TRpValue::Float(left.FloatValue + right.FloatValue);
        if (code == opSubtract)
            return TRpValue::Float(left.FloatValue - right.FloatValue);
        if (code == opMultiply)
            return TRpValue::Float(left.FloatValue * right.FloatValue);
        if (right.FloatValue == 0)
            return TRpValue::Error("Cannot divide by 0");
        return TRpValue::Float(left.FloatValue / right.FloatValue);
    case rpvString:
        if (code == opAdd)
            return TRpValue::String(left.Text + right.Text);
        break;
    default:
        break;
    }
    static const char *const actions[] = {"add", "subtract", "", "multiply", "divide"};
    return CannotDo(actions[code - opAdd], left.Kind);
}

TRpValue Logical(TRpOperatorCode code, const TRpValue &left, const TRpValue &right)
{
    bool isOr = code == opOr;
    switch (left.Kind) {
    case rpvInteger:
        return TRpValue::Integer(isOr ? (left.IntValue | right.IntValue) : (left.IntValue & right.IntValue));
    case rpvBoolean:
        return TRpValue::Boolean(isOr ? (left.BoolValue || right.BoolValue) : (left.BoolValue && right.BoolValue));
    default:
        return TRpValue::Error(Format2("Operator %s is not compatible with %s expressions", isOr ? "OR" : "AND",
                                       left.Kind == rpvFloat ? "numeric" : "string"));
    }
}

} // namespace

TRpValue RpApplyOperator(TRpOperatorCode code, TRpValue left, TRpValue right)
{
    if (!left.IsError() && !right.IsError() && left.Kind != right.Kind) {
        if (left.Kind == rpvInteger && right.Kind == rpvFloat)
            left = TRpValue::Float(left.IntValue);
        else if (left.Kind == rpvFloat && right.Kind == rpvInteger)
            right = TRpValue::Float(right.IntValue);
        else {
            left = TRpValue::String(RpValueToText(left));
            right = TRpValue::String(RpValueToText(right));
        }
    }
    if (left.IsError())
        return left;
    if (right.IsError())
        return right;
    if (code <= opNotEqual)
        return CompareValues(code, left, right);
    if (code == opOr || code == opAnd)
        return Logical(code, left, right);
    return Arithmetic(code, left, right);
}

// ---------------------------------------------------------------------------
// Elements

void TRpEvElement::GetResult(TRpFiFo &, TRpValue &)
{
}

namespace {

TRpValue EvaluateNext(TRpFiFo &queue)
{
    TRpValue value;
    if (TRpEvElement *element = queue.Next())
        element->GetResult(queue, value);
    return value;
}

} // namespace

void TRpEvElementOperator::GetResult(TRpFiFo &queue, TRpValue &result)
{
    TRpValue left = EvaluateNext(queue);
    TRpValue right = EvaluateNext(queue);
    result = RpApplyOperator(Code, std::move(left), std::move(right));
}

void TRpEvElementNot::GetResult(TRpFiFo &queue, TRpValue &result)
{
    TRpValue operand = EvaluateNext(queue);
    if (operand.Kind == rpvBoolean)
        result = TRpValue::Boolean(!operand.BoolValue);
    else if (operand.IsError())
        result = std::move(operand);
    else
        result = TRpValue::Error("Invalid use of NOT");
}

void TRpEvElementConstant::GetResult(TRpFiFo &, TRpValue &result)
{
    result = Value;
}

void TRpEvElementString::GetResult(TRpFiFo &, TRpValue &result)
{
    result = TRpValue::String(Text);
}

void TRpEvElementFunction::GetResult(TRpFiFo &queue, TRpValue &result)
{
    std::vector<TRpValue> args;
    while (TRpEvElement *element = queue.Next()) {
        if (dynamic_cast<TRpEvElementArgumentEnd *>(element))
            break;
        TRpValue value;
        element->GetResult(queue, value);
        args.push_back(std::move(value));
    }
    args_ = std::move(args);
    if (queue.Aggregate)
        Accumulate();
    ComputeResult(result);
    args_.clear();
}

void TRpEvElementFunction::ComputeResult(TRpValue &result)
{
    result = TRpValue::Error();
}

void TRpEvElementDataField::GetResult(TRpFiFo &, TRpValue &result)
{
    if (!DataSet || FieldNumber < 0 || FieldNumber >= DataSet->FieldCount()) {
        result = TRpValue::Error(Format1("Field %s is of unknown type", FieldName));
        return;
    }
    switch (DataSet->FieldType(FieldNumber)) {
    case TFieldType::ftString:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp:
        result = TRpValue::String(DataSet->FieldAsString(FieldNumber));
        break;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
        result = TRpValue::Integer(DataSet->FieldAsInteger(FieldNumber));
        break;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd:
        result = TRpValue::Float(DataSet->FieldAsFloat(FieldNumber));
        break;
    case TFieldType::ftBoolean:
        result = TRpValue::Boolean(DataSet->FieldAsBoolean(FieldNumber));
        break;
    default:
        result = TRpValue::Error(Format1("Field %s is of unknown type", FieldName));
        break;
    }
}

void TRpEvElementError::GetResult(TRpFiFo &, TRpValue &result)
{
    result = TRpValue::Error(Message);
}

namespace {

// Marks a named expression as in use for a scope.
class TInUse {
public:
    explicit TInUse(bool &flag) : flag_(flag) { flag_ = true; }
    ~TInUse() { flag_ = false; }
    TInUse(const TInUse &) = delete;
    TInUse &operator=(const TInUse &) = delete;

private:
    bool &flag_;
};

} // namespace

TRpEvEmbeddedFunction::TRpEvEmbeddedFunction(std::string expression)
    : expression_(std::move(expression)), evaluator_(std::make_unique<TRpEvaluator>())
{
}

TRpEvEmbeddedFunction::~TRpEvEmbeddedFunction() = default;

void TRpEvEmbeddedFunction::GetResult(TRpFiFo &, TRpValue &result)
{
    if (evaluating_) {
        result = TRpValue::Error("Recursive calls not allowed");
        return;
    }
    TInUse inUse(evaluating_);
    result = evaluator_->Evaluate();
}

void TRpEvEmbeddedFunction::ResetAggregate()
{
    // A name that uses itself is reset once.
    if (evaluating_ || !evaluator_->Prepared())
        return;
    TInUse inUse(evaluating_);
    evaluator_->Reset();
}

void TRpEvElementWrapper::GetResult(TRpFiFo &queue, TRpValue &result)
{
    if (std::shared_ptr<TRpEvEmbeddedFunction> target = target_.lock())
        target->GetResult(queue, result);
    else
        result = TRpValue::Error(Format1("Unknown function : %s", name_));
}

void TRpEvElementWrapper::ResetAggregate()
{
    if (std::shared_ptr<TRpEvEmbeddedFunction> target = target_.lock())
        target->ResetAggregate();
}

// ---------------------------------------------------------------------------
// The evaluator

TRpEvaluator::~TRpEvaluator()
{
    Unprepare();
}

void TRpEvaluator::Prepare(std::string_view text)
{
    if (prepared_)
        Unprepare();
    countedIn_ = &GetGlobalEnvironment();
    countedIn_->Prepare();
    queue_ = std::make_unique<TRpFiFo>();
    parseDepth_ = 0;
    ParseExpression(text.empty() ? std::string_view("' '") : text);
    prepared_ = true;
}

void TRpEvaluator::Unprepare()
{
    if (!prepared_)
        return;
    queue_.reset();
    prepared_ = false;
    TRpEvEnvironment *environment = countedIn_;
    countedIn_ = nullptr;
    environment->Unprepare();
}

TRpValue TRpEvaluator::Evaluate()
{
    if (!prepared_)
        throw ERpEvalError("Evaluator not prepared");
    queue_->Start();
    return EvaluateNext(*queue_);
}

void TRpEvaluator::UpdateAggregates()
{
    if (!prepared_)
        throw ERpEvalError("Evaluator not prepared");
    struct Mode {
        TRpFiFo &queue;
        explicit Mode(TRpFiFo &q) : queue(q) { queue.Aggregate = true; }
        ~Mode() { queue.Aggregate = false; }
    } mode(*queue_);
    Evaluate();
}

void TRpEvaluator::Reset()
{
    if (!queue_)
        return;
    for (int i = 0; i < queue_->Count(); ++i)
        queue_->Items(i)->ResetAggregate();
}

bool TRpEvaluator::ContainsAggregate() const
{
    if (!queue_)
        return false;
    for (int i = 0; i < queue_->Count(); ++i)
        if (queue_->Items(i)->IsAggregate())
            return true;
    return false;
}

TRpEvElement *TRpEvaluator::FirstElement() const
{
    return queue_ && queue_->Count() > 0 ? queue_->Items(0) : nullptr;
}

// ---------------------------------------------------------------------------
// Compiling

namespace {

enum class TLevel { Comparison, Sum, Term };

struct TOperatorHit {
    std::size_t pos;
    std::size_t length;
    TRpOperatorCode code;
};

TLevel LevelOf(TRpOperatorCode code)
{
    if (code <= opNotEqual)
        return TLevel::Comparison;
    return code <= opOr ? TLevel::Sum : TLevel::Term;
}

// "not" as a prefix: followed by a blank or "(".
bool IsNotPrefix(std::string_view text, std::size_t pos)
{
    return MatchesAt(text, pos, "not") && pos + 3 < text.size() && (IsBlank(text[pos + 3]) || text[pos + 3] == '(');
}

// The operator that a word of an operator level starts at pos ("or " and "and "
// after a blank), or none.
std::optional<TOperatorHit> WordOperatorAt(std::string_view text, std::size_t pos)
{
    if (MatchesAt(text, pos, "or ") )
        return TOperatorHit{pos, 2, opOr};
    if (MatchesAt(text, pos, "and "))
        return TOperatorHit{pos, 3, opAnd};
    return std::nullopt;
}

std::optional<TOperatorHit> SymbolOperatorAt(std::string_view text, std::size_t pos)
{
    char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
    switch (text[pos]) {
    case '<':
        if (next == '>')
            return TOperatorHit{pos, 2, opNotEqual};
        if (next == '=')
            return TOperatorHit{pos, 2, opLessEqual};
        return TOperatorHit{pos, 1, opLess};
    case '>':
        if (next == '=')
            return TOperatorHit{pos, 2, opGreaterEqual};
        return TOperatorHit{pos, 1, opGreater};
    case '=': return TOperatorHit{pos, 1, opEqual};
    case '+': return TOperatorHit{pos, 1, opAdd};
    case '-': return TOperatorHit{pos, 1, opSubtract};
    case '*': return TOperatorHit{pos, 1, opMultiply};
    case '/': return TOperatorHit{pos, 1, opDivide};
    default: return std::nullopt;
    }
}

// The binary operators at the top level of the text: outside strings, field
// references and parentheses, not at the first character, the last character
// never being read. A sign where an operand is expected is a unary sign.
std::vector<TOperatorHit> FindOperators(std::string_view text)
{
    std::vector<TOperatorHit> hits;
    bool inString = false;
    bool inField = false;
    int depth = 0;
    bool expectOperand = true;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            inString = c != '\'';
            continue;
        }
        if (c == '\'' && !inField) {
            inString = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == '[') {
            inField = true;
        } else if (c == ']') {
            inField = false;
            expectOperand = false;
            continue;
        }
        if (inString || inField || depth != 0 || c == ')') {
            expectOperand = false;
            continue;
        }
        if (IsBlank(c)) {
            if (std::optional<TOperatorHit> word = WordOperatorAt(text, i + 1)) {
                hits.push_back(*word);
                expectOperand = true;
                i += word->length;
            }
            continue;
        }
        if (expectOperand && IsNotPrefix(text, i)) {
            i += 2;
            continue;
        }
        std::optional<TOperatorHit> symbol = SymbolOperatorAt(text, i);
        if (!symbol) {
            expectOperand = false;
            continue;
        }
        bool sign = symbol->code == opAdd || symbol->code == opSubtract;
        if (!(sign && expectOperand) && i > 0)
            hits.push_back(*symbol);
        expectOperand = true;
        i += symbol->length - 1;
    }
    return hits;
}

// The comparison level splits at its first operator (a chain of comparisons is
// not supported); the other levels split at their last, so that binary
// operators of one level evaluate from left to right.
std::optional<TOperatorHit> SplitPoint(std::string_view text, TLevel level)
{
    std::optional<TOperatorHit> found;
    for (const TOperatorHit &hit : FindOperators(text)) {
        if (LevelOf(hit.code) != level)
            continue;
        found = hit;
        if (level == TLevel::Comparison)
            break;
    }
    return found;
}

// The first "," outside quotes and parentheses; the last character never counts.
std::optional<std::size_t> NextArgumentPos(std::string_view text)
{
    bool inString = false;
    int depth = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c == '\'')
            inString = !inString;
        else if (inString)
            continue;
        else if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (c == ',' && depth == 0)
            return i;
    }
    return std::nullopt;
}

// Counts the nested parser levels for a scope.
class TParseDepth {
public:
    explicit TParseDepth(int &depth) : depth_(depth) { ++depth_; }
    ~TParseDepth() { --depth_; }
    TParseDepth(const TParseDepth &) = delete;
    TParseDepth &operator=(const TParseDepth &) = delete;
    bool TooDeep() const { return depth_ > MaxParseDepth; }

private:
    int &depth_;
};

} // namespace

void TRpEvaluator::AddError(std::string message)
{
    queue_->Add(std::make_unique<TRpEvElementError>(std::move(message)));
}

void TRpEvaluator::ParseExpression(std::string_view text)
{
    ParseBinary(text, static_cast<int>(TLevel::Comparison));
}

void TRpEvaluator::ParseSum(std::string_view text)
{
    ParseBinary(text, static_cast<int>(TLevel::Sum));
}

void TRpEvaluator::ParseTerm(std::string_view text)
{
    ParseBinary(text, static_cast<int>(TLevel::Term));
}

void TRpEvaluator::ParseBinary(std::string_view text, int levelNumber)
{
    TParseDepth depth(parseDepth_);
    if (depth.TooDeep()) {
        AddError("Expression too complex");
        return;
    }
    TLevel level = static_cast<TLevel>(levelNumber);
    std::optional<TOperatorHit> split = SplitPoint(text, level);
    if (!split) {
        if (level == TLevel::Comparison)
            ParseSum(text);
        else if (level == TLevel::Sum)
            ParseTerm(text);
        else
            ParseFactor(text);
        return;
    }
    queue_->Add(std::make_unique<TRpEvElementOperator>(split->code));
    std::string_view left = text.substr(0, split->pos);
    std::string_view right = text.substr(split->pos + split->length);
    if (level == TLevel::Comparison) {
        ParseSum(left);
        ParseSum(right);
    } else if (level == TLevel::Sum) {
        ParseSum(left);
        ParseTerm(right);
    } else {
        ParseTerm(left);
        ParseTerm(right);
    }
}

void TRpEvaluator::ParseFactor(std::string_view text)
{
    TParseDepth depth(parseDepth_);
    if (depth.TooDeep()) {
        AddError("Expression too complex");
        return;
    }
    std::string_view factor = TrimBlanks(text);
    if (factor.empty()) {
        AddError(Format1("Error in expression : %s", factor));
        return;
    }
    if (IsNotPrefix(factor, 0)) {
        queue_->Add(std::make_unique<TRpEvElementNot>());
        ParseSum(factor.substr(3));
        return;
    }
    char first = factor.front();
    std::string_view inside = factor.size() >= 2 ? factor.substr(1, factor.size() - 2) : std::string_view();
    auto closedBy = [&](char close) {
        bool closed = factor.size() >= 2 && factor.back() == close;
        if (!closed)
            AddError(Format1("Missing %s", std::string(1, close)));
        return closed;
    };
    switch (first) {
    case '\'':
        if (closedBy('\''))
            AddStringConstant(inside);
        return;
    case '(':
        if (closedBy(')'))
            ParseExpression(inside);
        return;
    case '[':
        if (closedBy(']'))
            ParseVariable(inside);
        return;
    case '+':
        ParseFactor(factor.substr(1));
        return;
    case '-':
        ParseSum("0-" + std::string(factor.substr(1)));
        return;
    default:
        break;
    }
    if (IsDigit(first))
        ParseNumber(factor);
    else if (IsLetter(first))
        ParseName(factor);
    else
        AddError(Format1("Error in expression : %s", factor));
}

void TRpEvaluator::AddStringConstant(std::string_view text)
{
    queue_->Add(std::make_unique<TRpEvElementString>(std::string(text)));
}

void TRpEvaluator::ParseNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    bool isFloat = false;
    while (i < text.size() && (IsDigit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.' ||
                               text[i] == 'E' || text[i] == 'e')) {
        isFloat = true;
        ++i;
    }
    long double real = 0;
    if (i == text.size()) {
        int integer = 0;
        if (!isFloat && TryStrToInt(text, integer)) {
            queue_->Add(std::make_unique<TRpEvElementConstant>(TRpValue::Integer(integer)));
            return;
        }
        if (TryStrToFloat(text, real) && std::isfinite(static_cast<double>(real))) {
            queue_->Add(std::make_unique<TRpEvElementConstant>(TRpValue::Float(static_cast<double>(real))));
            return;
        }
    }
    AddError(Format1("Illegal character in numeric contant \"%s\"", text));
}

void TRpEvaluator::ParseName(std::string_view text)
{
    std::size_t open = text.find('(');
    if (open == std::string_view::npos)
        ParseFunction(text, std::nullopt);
    else if (text.back() == ')')
        ParseFunction(text.substr(0, open), text.substr(open + 1, text.size() - open - 2));
    else
        ParseFunction("", std::string_view());
}

void TRpEvaluator::ParseFunction(std::string_view name, std::optional<std::string_view> args)
{
    const TRpLibraryEntry *entry = FunctionLibrary().Find(name);
    if (!entry) {
        if (args)
            queue_->Add(NewFunctionElement(name));
        else
            ParseVariable(name);
        return;
    }
    queue_->Add(entry->Factory());
    std::string_view rest = args.value_or(std::string_view());
    while (!rest.empty()) {
        std::optional<std::size_t> comma = NextArgumentPos(rest);
        if (!comma) {
            ParseExpression(rest);
            break;
        }
        ParseExpression(rest.substr(0, *comma));
        rest = rest.substr(*comma + 1);
    }
    queue_->Add(std::make_unique<TRpEvElementArgumentEnd>());
}

void TRpEvaluator::ParseVariable(std::string_view text)
{
    if (dataSets_) {
        std::size_t dot = text.find('.');
        std::string table = dot == std::string_view::npos ? std::string() : UpperCase(text.substr(0, dot));
        std::string field = UpperCase(dot == std::string_view::npos ? text : text.substr(dot + 1));
        for (TRpDataSet *dataSet : *dataSets_) {
            if (!dataSet || (!table.empty() && UpperCase(dataSet->Name()) != table))
                continue;
            int number = dataSet->FindField(field);
            if (number >= 0) {
                queue_->Add(std::make_unique<TRpEvElementDataField>(dataSet, number, dataSet->FieldName(number)));
                return;
            }
            if (!table.empty())
                break;
        }
    }
    ResolveName(text);
}

void TRpEvaluator::ResolveName(std::string_view name)
{
    if (environment_) {
        std::unique_ptr<TRpEvElement> element = environment_->NewElement(name);
        if (!dynamic_cast<TRpEvElementError *>(element.get())) {
            queue_->Add(std::move(element));
            return;
        }
    }
    queue_->Add(GetGlobalEnvironment().NewElement(name));
}

// ---------------------------------------------------------------------------
// Built-in functions

namespace {

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

std::string MapCase(std::string_view bytes, bool upper)
{
    std::string out(bytes);
    std::vector<TByteType> types = ByteTypes(bytes);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (types[i] != TByteType::Single)
            continue;
        char &c = out[i];
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string Cp932Upper(std::string_view text)
{
    return Cp932ToUtf8(MapCase(Utf8ToCp932(text), true));
}

std::string Cp932Lower(std::string_view text)
{
    return Cp932ToUtf8(MapCase(Utf8ToCp932(text), false));
}

std::string Cp932Pretty(std::string_view text)
{
    std::string bytes = Utf8ToCp932(text);
    if (bytes.empty())
        return std::string();
    std::size_t head = ByteTypes(bytes)[0] == TByteType::Lead ? 2 : 1;
    return Cp932ToUtf8(MapCase(bytes.substr(0, head), true) + MapCase(bytes.substr(head), false));
}

std::string Cp932Copy(std::string_view text, long long start, long long count)
{
    std::string bytes = Utf8ToCp932(text);
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
    return Cp932ToUtf8(bytes.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
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
            Add(value);
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
    // A float joining an integer total turns the total into a float.
    void Add(const TRpValue &value)
    {
        if (running_.Kind == rpvInteger && value.Kind == rpvInteger)
            running_ = IntegerResult(TIntegerOperation::Add, running_.IntValue, value.IntValue);
        else
            running_ = TRpValue::Float(AsDouble(running_) + AsDouble(value));
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

// ---------------------------------------------------------------------------
// Environments

TRpEvEnvironment::~TRpEvEnvironment()
{
    // The entries' evaluators unprepare as they go; this environment no longer counts.
    unpreparing_ = true;
    entries_.clear();
}

int TRpEvEnvironment::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (SameText(entries_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

const std::string &TRpEvEnvironment::Expressions(int index) const
{
    return entries_.at(static_cast<std::size_t>(index)).function->Expression();
}

void TRpEvEnvironment::CompileEntry(Entry &entry)
{
    TRpEvaluator &evaluator = entry.function->Evaluator();
    evaluator.AssignDataSets(&dataSets_);
    evaluator.SetEnvironment(this);
    evaluator.Prepare(entry.function->Expression());
}

void TRpEvEnvironment::Define(std::string_view name, std::string_view expression)
{
    std::string upper = UpperCase(name);
    if (IndexOf(upper) >= 0)
        return;
    entries_.push_back(Entry{upper, std::make_shared<TRpEvEmbeddedFunction>(std::string(expression))});
    if (Prepared())
        CompileEntry(entries_.back());
}

void TRpEvEnvironment::Undefine(std::string_view name)
{
    int index = IndexOf(name);
    if (index >= 0)
        entries_.erase(entries_.begin() + index);
}

void TRpEvEnvironment::Clear()
{
    entries_.clear();
}

TRpValue TRpEvEnvironment::ValueOf(std::string_view name)
{
    int index = IndexOf(name);
    if (index < 0)
        return TRpValue::Error();
    std::shared_ptr<TRpEvEmbeddedFunction> function = entries_[static_cast<std::size_t>(index)].function;
    TRpFiFo none;
    TRpValue result;
    function->GetResult(none, result);
    return result;
}

void TRpEvEnvironment::Prepare()
{
    if (prepareCount_++ != 0)
        return;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        CompileEntry(entries_[i]);
}

void TRpEvEnvironment::Unprepare()
{
    if (unpreparing_)
        return;
    unpreparing_ = true;
    if (prepareCount_ > 0 && --prepareCount_ == 0)
        for (Entry &entry : entries_)
            entry.function->Evaluator().Unprepare();
    unpreparing_ = false;
}

TRpEvElement *TRpEvEnvironment::FindConstant(std::string_view name) const
{
    int index = IndexOf(name);
    if (index < 0)
        return nullptr;
    TRpEvaluator &evaluator = entries_[static_cast<std::size_t>(index)].function->Evaluator();
    return evaluator.Prepared() ? evaluator.FirstElement() : nullptr;
}

void TRpEvEnvironment::AssignStringConstant(TRpEvElement *element, std::string_view text)
{
    if (auto *string = dynamic_cast<TRpEvElementString *>(element))
        string->Text = std::string(text);
}

void TRpEvEnvironment::AssignIntegerConstant(TRpEvElement *element, int value)
{
    if (auto *constant = dynamic_cast<TRpEvElementConstant *>(element))
        constant->Value = TRpValue::Integer(value);
}

void TRpEvEnvironment::AssignConstant(TRpEvElement *element, const TRpValue &value)
{
    if (auto *constant = dynamic_cast<TRpEvElementConstant *>(element))
        constant->Value = value;
    else if (value.Kind == rpvString)
        AssignStringConstant(element, value.Text);
}

std::unique_ptr<TRpEvElement> TRpEvEnvironment::NewElement(std::string_view name) const
{
    std::string upper = UpperCase(name);
    int index = IndexOf(upper);
    if (index < 0)
        return std::make_unique<TRpEvElementError>(Format1("Unknown function : %s", upper));
    return std::make_unique<TRpEvElementWrapper>(entries_[static_cast<std::size_t>(index)].function, upper);
}

std::vector<std::string> TRpEvEnvironment::ExpressionTexts() const
{
    std::vector<std::string> texts;
    for (const Entry &entry : entries_)
        texts.push_back(entry.function->Expression());
    return texts;
}

void TRpEvEnvironment::ReadExpressionTexts(const std::vector<std::string> &texts)
{
    for (std::size_t i = 0; i < texts.size() && i < entries_.size(); ++i) {
        entries_[i].function = std::make_shared<TRpEvEmbeddedFunction>(texts[i]);
        if (Prepared())
            CompileEntry(entries_[i]);
    }
}

// ---------------------------------------------------------------------------
// The global environment

namespace {

struct TStartUp {
    TDateTime time;
    std::string title;
};

// The moment and the application title when this module initialises, before the
// program's entry routine sets a title of its own; without one the program's
// file name stands in, as the class library's default title.
const TStartUp &StartUp()
{
    static const TStartUp startUp{Now(), Application().Title().empty()
                                             ? ChangeFileExt(program_invocation_short_name, "")
                                             : Application().Title()};
    return startUp;
}

[[maybe_unused]] const TStartUp &gStartUpAtInitialisation = StartUp();

std::string Quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

} // namespace

TRpEvEnvironment &GetGlobalEnvironment()
{
    static TRpEvEnvironment environment;
    static const bool defined = [] {
        environment.Define("AppStartTime", Quoted(TimeToStr(StartUp().time)));
        environment.Define("AppStartDate", Quoted(DateToStr(StartUp().time)));
        environment.Define("AppName", Quoted(StartUp().title));
        return true;
    }();
    (void)defined;
    return environment;
}
