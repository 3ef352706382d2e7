#include "platform/kernel/Application.h"

#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QTimer>
#include <QToolTip>
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

// The hint waiting for its pause and the one showing.
struct TApplication::THintState {
    QTimer timer;
    TMessageTargetRef pending;
    TPoint pendingScreen;
    TMessageTargetRef shown;
    TRect shownRect; // screen coordinates
};

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

std::string ToolkitPlatformFor(std::string_view display, std::string_view chosen)
{
    return !display.empty() && chosen.empty() ? "xcb;wayland" : "";
}

void TApplication::Initialize(int &argc, char **argv)
{
    argc_ = argc;
    argv_ = argv;
    if (!QApplication::instance()) {
        const QByteArray display = qgetenv("DISPLAY"), chosen = qgetenv("QT_QPA_PLATFORM");
        const std::string platform = ToolkitPlatformFor(display.toStdString(), chosen.toStdString());
        // Asked for through the environment for the toolkit's start only, so
        // that programs started from here choose for themselves.
        if (!platform.empty())
            qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
        gQtApp = std::make_unique<QApplication>(argc, argv);
        if (!platform.empty())
            qunsetenv("QT_QPA_PLATFORM");
        LoadToolkitTexts();
    }
}

void TApplication::Finalize()
{
    DestroyComponents();
    hintState_.reset();
    gToolkitTexts.reset();
    gQtApp.reset();
}

void TApplication::SetHint(const std::string &hint)
{
    if (hint == hint_)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint(this);
}

void TApplication::ActivateHint(TControl *control, TPoint screen)
{
    if (!control) {
        CancelHint();
        return;
    }
    if (!hintState_) {
        hintState_ = std::make_unique<THintState>();
        hintState_->timer.setSingleShot(true);
        QObject::connect(&hintState_->timer, &QTimer::timeout, [this] { Guard([this] { ShowPendingHint(); }); });
    }
    THintState &h = *hintState_;
    TRect r = h.shownRect;
    if (!shownHint_.empty() && h.shown.Get() == control && screen.X >= r.Left && screen.X < r.Right
        && screen.Y >= r.Top && screen.Y < r.Bottom)
        return; // still on what the hint shows
    if (!shownHint_.empty()) {
        QToolTip::hideText();
        shownHint_.clear();
        h.shown = TMessageTargetRef();
    }
    h.pendingScreen = screen;
    // The pointer moving over the same control does not put the hint off.
    if (h.pending.Get() == control && h.timer.isActive())
        return;
    h.pending = TMessageTargetRef(control);
    h.timer.start(hintPause_);
}

void TApplication::ShowPendingHint()
{
    THintState &h = *hintState_;
    auto *control = dynamic_cast<TControl *>(h.pending.Get());
    h.pending = TMessageTargetRef();
    if (!control)
        return;
    THintInfo info;
    info.HintControl = control;
    info.CursorPos = control->ScreenToClient(h.pendingScreen);
    info.CursorRect = control->ClientRect();
    info.HintStr = GetShortHint(control->Hint());
    if (SendMessage(control, CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty())
        return;
    TPoint topLeft = control->ClientToScreen(TPoint{info.CursorRect.Left, info.CursorRect.Top});
    h.shownRect = TRect{topLeft.X, topLeft.Y, topLeft.X + info.CursorRect.Width(), topLeft.Y + info.CursorRect.Height()};
    h.shown = TMessageTargetRef(control);
    shownHint_ = info.HintStr;
    QToolTip::showText(QPoint(h.pendingScreen.X, h.pendingScreen.Y), QString::fromStdString(info.HintStr), nullptr,
                       QRect(), hintHidePause_);
}

void TApplication::CancelHint()
{
    if (!hintState_)
        return;
    hintState_->timer.stop();
    hintState_->pending = TMessageTargetRef();
    hintState_->shown = TMessageTargetRef();
    if (!shownHint_.empty()) {
        QToolTip::hideText();
        shownHint_.clear();
    }
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
    if (dynamic_cast<const EAbort *>(&e) != nullptr)
        return;
    Services().MessageBox(e.what(), title_, MB_OK | MB_ICONERROR);
}

void TApplication::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == mainForm_)
        mainForm_ = nullptr;
}
