#include "platform/Application.h"

#include "platform/Forms.h"
#include "platform/QtControls.h"
#include "platform/Services.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

namespace {
std::unique_ptr<QApplication> gQtApp;
std::unique_ptr<QTranslator> gToolkitTexts;

// The program speaks Japanese whatever the desktop's language: the toolkit's
// own texts (file dialogs, edit menus) follow when its translation is installed.
void LoadToolkitTexts()
{
    auto texts = std::make_unique<QTranslator>();
    if (texts->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(texts.get());
        gToolkitTexts = std::move(texts);
    }
}
} // namespace

TApplication &Application()
{
    static TApplication application;
    return application;
}

TApplication::TApplication() = default;

TApplication::~TApplication()
{
    DestroyComponents();
}

void TApplication::Initialize(int &argc, char **argv)
{
    argc_ = argc;
    argv_ = argv;
    if (!QApplication::instance()) {
        gQtApp = std::make_unique<QApplication>(argc, argv);
        LoadToolkitTexts();
    }
}

void TApplication::Finalize()
{
    DestroyComponents();
    gToolkitTexts.reset();
    gQtApp.reset();
}

void TApplication::SetTitle(const std::string &title)
{
    title_ = title;
    if (QApplication::instance())
        QApplication::setApplicationDisplayName(QString());
}

std::string TApplication::ParamStr(int index) const
{
    if (index < 0 || index >= argc_ || !argv_)
        return "";
    return argv_[index];
}

int TApplication::Run()
{
    if (!mainForm_)
        return 0;
    terminated_ = false;
    mainForm_->ShowForm();
    while (!terminated_ && mainForm_ && mainForm_->Visible())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 0;
}

void TApplication::Terminate()
{
    terminated_ = true;
}

void TApplication::ProcessMessages()
{
    ::ProcessMessages();
}

void TApplication::HandleException(const std::exception &e)
{
    Services().MessageBox(e.what(), title_, MB_OK | MB_ICONERROR);
}

void TApplication::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == mainForm_)
        mainForm_ = nullptr;
}
