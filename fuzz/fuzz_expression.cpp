// Compiles and evaluates arbitrary expression texts, with a small data set and
// an environment of named expressions (some of them recursive) to refer to.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/RpExpr.h"

namespace {

class TFuzzDataSet : public TRpDataSet {
public:
    std::string Name() const override { return "DATA"; }
    int FieldCount() const override { return 4; }
    std::string FieldName(int index) const override
    {
        static const char *const names[] = {"TEXT", "NUMBER", "REAL", "FLAG"};
        return names[index];
    }
    TFieldType FieldType(int index) const override
    {
        static const TFieldType types[] = {TFieldType::ftString, TFieldType::ftInteger, TFieldType::ftFloat,
                                           TFieldType::ftBoolean};
        return types[index];
    }
    std::string FieldAsString(int) const override { return "あいうabc"; }
    int FieldAsInteger(int) const override { return 2147483647; }
    double FieldAsFloat(int) const override { return -1.5; }
    bool FieldAsBoolean(int) const override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TFuzzDataSet dataSet;
    static TRpDataSetList dataSets{&dataSet};
    std::string text(reinterpret_cast<const char *>(data), size);

    TRpEvEnvironment environment;
    environment.AssignDataSets(dataSets);
    environment.Define("SELF", "SELF+1");
    environment.Define("PAGE", "0");
    environment.Define("TITLE", "'x'");
    environment.Define("INPUT", text);
    environment.Prepare();

    TRpEvaluator evaluator;
    evaluator.AssignDataSets(&dataSets);
    evaluator.SetEnvironment(&environment);
    evaluator.Prepare(text);
    evaluator.Reset();
    for (int step = 0; step < 3; ++step) {
        TRpEvEnvironment::AssignIntegerConstant(environment.FindConstant("PAGE"), step);
        evaluator.UpdateAggregates();
    }
    TRpValue value = evaluator.Evaluate();
    if (!value.IsError())
        (void)RpValueToText(value);
    (void)evaluator.ContainsAggregate();
    (void)environment.ValueOf("INPUT");
    evaluator.Unprepare();
    environment.Unprepare();
    return 0;
}
