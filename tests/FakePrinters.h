#pragma once
// A printing system for tests: an office queue at 600 dpi with A4, Letter and
// a 100 x 150 mm card, known offsets and duplex, and a plain A4-only queue at 508 dpi.
// Jobs of both are written as PDF to files the test chooses.
#include "platform/graphics/Printers.h"

#include <memory>
#include <string>

class TFakePrinterSystem : public TPrinterSystem {
public:
    std::string OfficeOutput;
    std::string PlainOutput;

    std::vector<TPrinterQueue> Queues() override
    {
        TPrinterQueue office;
        office.Name = "Office";
        office.Driver = "/usr/lib/cups/filter/office-driver";
        office.DpiX = office.DpiY = 600;
        office.Papers = {{"A4", 2100, 2970}, {"Letter", 2159, 2794}, {"Card", 1000, 1500}};
        office.DefaultPaper = 0;
        office.CustomSizes = true;
        office.OffsetLeft = 42;
        office.OffsetTop = 50;
        office.Duplex = true;
        office.Collate = true;
        office.OutputFile = OfficeOutput;

        // 508 dpi: two pixels per 0.1 mm, so that rounding can be seen exactly.
        TPrinterQueue plain;
        plain.Name = "Plain";
        plain.Driver = "plain";
        plain.DpiX = plain.DpiY = 508;
        plain.OffsetLeft = 10;
        plain.OffsetTop = 20;
        plain.Papers = {{"A4", 2100, 2970}};
        plain.OutputFile = PlainOutput;
        return {office, plain};
    }
    int DefaultQueue(const std::vector<TPrinterQueue> &) override { return 0; }
};

// Puts the fake system in force for a scope; the application's printer
// object lists its queues meanwhile.
class TScopedFakePrinters {
public:
    explicit TScopedFakePrinters(const std::string &officeOutput = "", const std::string &plainOutput = "")
    {
        auto fake = std::make_unique<TFakePrinterSystem>();
        fake->OfficeOutput = officeOutput;
        fake->PlainOutput = plainOutput;
        previous_ = SetPrinterSystem(std::move(fake));
        Printer().Refresh();
    }
    ~TScopedFakePrinters()
    {
        SetPrinterSystem(std::move(previous_));
        Printer().Refresh();
    }
    TScopedFakePrinters(const TScopedFakePrinters &) = delete;
    TScopedFakePrinters &operator=(const TScopedFakePrinters &) = delete;

private:
    std::unique_ptr<TPrinterSystem> previous_;
};
