#pragma once
// Report expressions: a text of literals, data-set fields in square brackets,
// named values and function calls combined with arithmetic, comparison and
// logical operators. TRpEvaluator compiles the text once into a queue of
// elements in prefix order and evaluates that queue whenever the report asks.
// Errors never raise: they travel as error values that print their message.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "report/RpDataSet.h"

// Raised only for misuse: evaluating an unprepared evaluator, or asking for the
// text of an error value.
class ERpEvalError : public Exception {
public:
    using Exception::Exception;
};

// The longest string or error text a value holds, in code page 932 bytes.
constexpr std::size_t RpMaxValueBytes = 255;

enum TRpValueKind : std::uint8_t {
    rpvInteger = 0,
    rpvFloat = 1,
    rpvString = 2,
    rpvBoolean = 3,
    rpvError = 4,
};

// The result of an expression. Text holds a string's text or an error's message
// (UTF-8, at most RpMaxValueBytes once converted to code page 932).
struct TRpValue {
    TRpValueKind Kind = rpvError;
    int IntValue = 0;
    double FloatValue = 0;
    bool BoolValue = false;
    std::string Text;

    static TRpValue Integer(int value);
    static TRpValue Float(double value);
    static TRpValue String(std::string_view text);
    static TRpValue Boolean(bool value);
    static TRpValue Error(std::string_view message = {});
    bool IsError() const { return Kind == rpvError; }
};

// Integer in decimal, float in the general format, string unchanged, boolean
// "True" or "False"; an error value raises ERpEvalError "Error in expression : ...".
std::string RpValueToText(const TRpValue &value);
// The text cut so that it takes at most maxBytes in code page 932; a character
// is never split.
std::string RpCutToBytes(std::string_view text, std::size_t maxBytes);
// The length of the UTF-8 character that starts at pos (a stray byte counts as one).
std::size_t RpUtf8CharLength(std::string_view text, std::size_t pos);

class TRpFiFo;

// One element of a compiled expression. GetResult pulls its operands and
// arguments from the queue as it needs them.
class TRpEvElement : public TObject {
public:
    virtual void GetResult(TRpFiFo &queue, TRpValue &result);
    virtual void ResetAggregate() {}
    bool IsAggregate() const { return isAggregate_; }

protected:
    bool isAggregate_ = false;
};

// The compiled expression: its elements in prefix order (owned).
class TRpFiFo {
public:
    void Start() { next_ = 0; }
    void Add(std::unique_ptr<TRpEvElement> element) { items_.push_back(std::move(element)); }
    // The next element, or nullptr past the end.
    TRpEvElement *Next() { return next_ < items_.size() ? items_[next_++].get() : nullptr; }
    int Count() const { return static_cast<int>(items_.size()); }
    TRpEvElement *Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    // Set while an aggregation step evaluates the queue.
    bool Aggregate = false;

private:
    std::vector<std::unique_ptr<TRpEvElement>> items_;
    std::size_t next_ = 0;
};

enum TRpOperatorCode : std::uint8_t {
    opLess = 0,
    opLessEqual = 1,
    opGreater = 2,
    opGreaterEqual = 3,
    opEqual = 4,
    opNotEqual = 5,
    opAdd = 6,
    opSubtract = 7,
    opOr = 8,
    opMultiply = 9,
    opDivide = 10,
    opAnd = 11,
};

// Combines two values as the operator does (both already evaluated).
TRpValue RpApplyOperator(TRpOperatorCode code, TRpValue left, TRpValue right);

class TRpEvElementOperator : public TRpEvElement {
public:
    explicit TRpEvElementOperator(TRpOperatorCode code) : Code(code) {}
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    TRpOperatorCode Code;
};

// "not" followed by its operand: a boolean is negated.
class TRpEvElementNot : public TRpEvElement {
public:
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
};

class TRpEvElementConstant : public TRpEvElement {
public:
    explicit TRpEvElementConstant(TRpValue value) : Value(std::move(value)) {}
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    TRpValue Value;
};

class TRpEvElementString : public TRpEvElement {
public:
    explicit TRpEvElementString(std::string text) : Text(std::move(text)) {}
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    std::string Text;
};

// A function call: the arguments follow it in the queue up to an argument end.
class TRpEvElementFunction : public TRpEvElement {
public:
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    // Called after the arguments are evaluated while the queue aggregates.
    virtual void Accumulate() {}
    virtual void ComputeResult(TRpValue &result);

protected:
    // The evaluated arguments of the current call.
    std::vector<TRpValue> args_;
};

class TRpEvElementArgumentEnd : public TRpEvElement {
};

class TRpEvElementDataField : public TRpEvElement {
public:
    TRpEvElementDataField(TRpDataSet *dataSet, int fieldNumber, std::string fieldName)
        : DataSet(dataSet), FieldNumber(fieldNumber), FieldName(std::move(fieldName)) {}
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    TRpDataSet *DataSet;
    int FieldNumber;
    std::string FieldName;
};

class TRpEvElementError : public TRpEvElement {
public:
    explicit TRpEvElementError(std::string message) : Message(std::move(message)) {}
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    std::string Message;
};

class TRpEvEnvironment;
class TRpEvaluator;

// A named expression of an environment, with its own evaluator.
class TRpEvEmbeddedFunction : public TRpEvElement {
public:
    explicit TRpEvEmbeddedFunction(std::string expression);
    ~TRpEvEmbeddedFunction() override;
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    void ResetAggregate() override;
    const std::string &Expression() const { return expression_; }
    TRpEvaluator &Evaluator() { return *evaluator_; }

private:
    std::string expression_;
    std::unique_ptr<TRpEvaluator> evaluator_;
    bool evaluating_ = false;
};

// A use of a named expression. It does not keep the expression alive: once the
// name is undefined the wrapper answers "Unknown function : NAME".
class TRpEvElementWrapper : public TRpEvElement {
public:
    TRpEvElementWrapper(std::weak_ptr<TRpEvEmbeddedFunction> target, std::string name)
        : target_(std::move(target)), name_(std::move(name)) {}
    void GetResult(TRpFiFo &queue, TRpValue &result) override;
    void ResetAggregate() override;

private:
    std::weak_ptr<TRpEvEmbeddedFunction> target_;
    std::string name_;
};

class TRpEvaluator : public TObject {
public:
    TRpEvaluator() = default;
    ~TRpEvaluator() override;

    // The data sets whose fields the expression may name (not owned; may be none).
    void AssignDataSets(const TRpDataSetList *dataSets) { dataSets_ = dataSets; }
    // The environment names are looked up in before the global one (not owned).
    void SetEnvironment(TRpEvEnvironment *environment) { environment_ = environment; }
    TRpEvEnvironment *Environment() const { return environment_; }

    void Prepare(std::string_view text);
    void Unprepare();
    bool Prepared() const { return prepared_; }
    TRpValue Evaluate();

    // One aggregation step: every aggregate takes its current argument.
    void UpdateAggregates();
    // Restarts every aggregate.
    void Reset();
    bool ContainsAggregate() const;

    // The first compiled element, or nullptr.
    TRpEvElement *FirstElement() const;

protected:
    // args is empty when the name had no parenthesised argument text.
    virtual void ParseFunction(std::string_view name, std::optional<std::string_view> args);
    virtual void ParseVariable(std::string_view text);

private:
    void ParseExpression(std::string_view text);
    void ParseSum(std::string_view text);
    void ParseTerm(std::string_view text);
    void ParseFactor(std::string_view text);
    void ParseNumber(std::string_view text);
    void ParseName(std::string_view text);
    void ResolveName(std::string_view name);
    void AddStringConstant(std::string_view text);
    void AddError(std::string message);
    void ParseBinary(std::string_view text, int level);

    std::unique_ptr<TRpFiFo> queue_;
    bool prepared_ = false;
    TRpEvEnvironment *environment_ = nullptr;
    const TRpDataSetList *dataSets_ = nullptr;
    // The global environment this evaluator counts itself a user of while prepared.
    TRpEvEnvironment *countedIn_ = nullptr;
    int parseDepth_ = 0;
};

// The function library.
using TRpFunctionFactory = std::function<std::unique_ptr<TRpEvElementFunction>()>;

struct TRpLibraryEntry {
    std::string Name;
    // The call pattern, "|" and the help text.
    std::string Description;
    // A category digit followed by one letter per argument (B, N, S or V).
    std::string ArgumentCode;
    std::string Vendor;
    TRpFunctionFactory Factory;
};

class TRpLibrary : public TObject {
public:
    void Add(TRpLibraryEntry entry);
    int Count() const { return static_cast<int>(entries_.size()); }
    // The entry at the index, or nullptr past the end.
    virtual const TRpLibraryEntry *EntryAt(int index) const;
    // The entry of that name (any case), or nullptr.
    const TRpLibraryEntry *Find(std::string_view name) const;

private:
    std::vector<TRpLibraryEntry> entries_;
};

class TRpFunctionLibrary : public TRpLibrary {
};

// The process-wide library holding the built-in functions.
TRpFunctionLibrary &FunctionLibrary();
void RegisterReportFunction(TRpFunctionFactory factory, const std::string &name,
                            const std::string &description, const std::string &argumentCode,
                            const std::string &vendor);
// A new element for the function of that name, or an error element
// "Unknown function : NAME".
std::unique_ptr<TRpEvElement> NewFunctionElement(std::string_view name);

// Named expressions. Names are kept in upper case; the first definition of a
// name wins. Entries compile only while the environment is prepared.
class TRpEvEnvironment : public TObject {
public:
    TRpEvEnvironment() = default;
    ~TRpEvEnvironment() override;

    void Define(std::string_view name, std::string_view expression);
    void Undefine(std::string_view name);
    // The value of the named expression; an unknown name gives an error value.
    TRpValue ValueOf(std::string_view name);
    void Prepare();
    void Unprepare();
    bool Prepared() const { return prepareCount_ > 0; }
    void AssignDataSets(const TRpDataSetList &dataSets) { dataSets_ = dataSets; }
    void Clear();

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string &Names(int index) const { return entries_.at(static_cast<std::size_t>(index)).name; }
    const std::string &Expressions(int index) const;
    int IndexOf(std::string_view name) const;

    // The first compiled element of the name's expression while prepared, else nullptr.
    TRpEvElement *FindConstant(std::string_view name) const;
    // Sets the text of a string element; other elements are left alone.
    static void AssignStringConstant(TRpEvElement *element, std::string_view text);
    // Makes a constant element the integer.
    static void AssignIntegerConstant(TRpEvElement *element, int value);
    // Copies the value into a constant element, or its text into a string element.
    static void AssignConstant(TRpEvElement *element, const TRpValue &value);

    // A new element referring to the named expression, or an error element.
    std::unique_ptr<TRpEvElement> NewElement(std::string_view name) const;

    // The "DATA" property: the entries' expression texts in entry order. Reading
    // replaces the expression of entry i by the i-th text.
    std::vector<std::string> ExpressionTexts() const;
    void ReadExpressionTexts(const std::vector<std::string> &texts);

private:
    struct Entry {
        std::string name;
        std::shared_ptr<TRpEvEmbeddedFunction> function;
    };
    void CompileEntry(Entry &entry);

    std::vector<Entry> entries_;
    int prepareCount_ = 0;
    bool unpreparing_ = false;
    TRpDataSetList dataSets_;
};

// The process-wide environment with APPSTARTTIME, APPSTARTDATE and APPNAME.
TRpEvEnvironment &GetGlobalEnvironment();
