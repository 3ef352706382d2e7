#pragma once
// A main window started in a temporary folder with scripted services, for the
// document and file-command tests.
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "tests/TestSupport.h"

#include <memory>

struct TDocumentWindow {
    testing_support::TempDir dir;
    testing_support::FakeServices *services;
    std::unique_ptr<TScopedServices> scope;
    std::unique_ptr<TfrmMain> form;

    TDocumentWindow()
    {
        ForceDirectories(dir.Path() + "appdata");
        SetCurrentDir(dir.Path());
        auto s = std::make_unique<testing_support::FakeServices>();
        s->appData = dir.Path() + "appdata";
        s->programDir = dir.Path() + "program/";
        services = s.get();
        scope = std::make_unique<TScopedServices>(std::move(s));
        form = std::make_unique<TfrmMain>(nullptr, "", false);
        XSL = "Tarvold.xsl";
        EncodingStrSet = "Shift_JIS";
        todayStart = false;
        CustomTimeScale = 7;
    }
    ~TDocumentWindow()
    {
        form.reset();
        SetCurrentDir("/");
    }
};
