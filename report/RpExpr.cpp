#include "report/RpExpr.h"

#include <cerrno>
#include <cmath>

#include "platform/kernel/Application.h"
#include "platform/core/DateTime.h"
#include "platform/core/Encoding.h"
#include "platform/core/SysUtils.h"

namespace {

// Parser recursion beyond this depth gives an error value instead of exhausting
// the stack (a few hundred nested parentheses).
constexpr int MaxParseDepth = 1000;

constexpr const char *TrueText = "True";
constexpr const char *FalseText = "False";

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

std::size_t RpUtf8CharLength(std::string_view text, std::size_t pos)
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

std::string RpCutToBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes || Cp932Length(text) <= maxBytes)
        return std::string(text);
    std::size_t bytes = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = RpUtf8CharLength(text, pos);
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
    case rpvString: {
        // Byte texts of the code page: a shorter text that is a prefix is smaller.
        // Texts alike in the code page (it turns the characters it lacks into
        // "?") are told apart by their own bytes.
        int order = Utf8ToCp932(left.Text).compare(Utf8ToCp932(right.Text));
        if (order == 0)
            order = left.Text.compare(right.Text);
        return TRpValue::Boolean(Compare(code, order, 0));
    }
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
    if (evaluator_->Prepared()) {
        result = evaluator_->Evaluate();
        return;
    }
    // Outside a run the name is worth its definition (PAGENUMBER is 0).
    evaluator_->Prepare(expression_);
    try {
        result = evaluator_->Evaluate();
    } catch (...) {
        evaluator_->Unprepare();
        throw;
    }
    evaluator_->Unprepare();
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
