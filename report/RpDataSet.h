#pragma once
// The report engine reads its data through this small interface: a named data set
// whose fields have a name, a type and a value in the current record. This
// system's own report uses none; tests and other hosts supply their own.
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/SysUtils.h"

enum class TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftFMTBcd,
    ftDate,
    ftTime,
    ftDateTime,
    ftTimeStamp,
    ftBlob,
};

class TRpDataSet {
public:
    virtual ~TRpDataSet() = default;

    virtual std::string Name() const = 0;
    virtual int FieldCount() const = 0;
    virtual std::string FieldName(int index) const = 0;
    virtual TFieldType FieldType(int index) const = 0;

    // The field's value in the current record. AsString is the field's text
    // (also for dates and numbers).
    virtual std::string FieldAsString(int index) const = 0;
    virtual int FieldAsInteger(int index) const = 0;
    virtual double FieldAsFloat(int index) const = 0;
    virtual bool FieldAsBoolean(int index) const = 0;

    // The number of the field of that name (ASCII letters compared without
    // regard to case), or -1.
    int FindField(std::string_view name) const
    {
        for (int i = 0; i < FieldCount(); ++i)
            if (SameText(FieldName(i), name))
                return i;
        return -1;
    }
};

// The data sets a report run reads; the list does not own them.
using TRpDataSetList = std::vector<TRpDataSet *>;
