#pragma once
// The application object: owns the toolkit's application and the forms made
// with CreateForm, carries the title and the hint pause, and runs the message
// loop until the main form closes.
#include "platform/core/Component.h"
#include "platform/graphics/Graphics.h"

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

class TControl;
class TCustomForm;

// The toolkit platforms to ask for, from the environment's DISPLAY and
// QT_QPA_PLATFORM: the X server's ("xcb") whenever an X display is there and
// the person has chosen no platform, since on the toolkit's "wayland"
// platform a window can neither place itself nor know where the pointer is
// on the screen (a desktop of that kind runs an X server beside it for such
// programs); "wayland" comes second, for an X server that does not answer.
// Otherwise none, and the toolkit chooses as it would.
std::string ToolkitPlatformFor(std::string_view display, std::string_view chosen);

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Creates the toolkit's application from the command line (once), on the
    // platform `ToolkitPlatformFor` chooses from the environment.
    void Initialize(int &argc, char **argv);
    const std::string &Title() const { return title_; }
    void SetTitle(const std::string &title);
    // Milliseconds a hint stays shown.
    int HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(int ms) { hintHidePause_ = ms; }
    // Milliseconds the pointer rests before a hint shows.
    int HintPause() const { return hintPause_; }
    void SetHintPause(int ms) { hintPause_ = ms; }
    // Hints end with the shortcut of their command, "Save (Ctrl+S)".
    bool HintShortCuts() const { return hintShortCuts_; }
    void SetHintShortCuts(bool v) { hintShortCuts_ = v; }
    // The long hint of what the pointer is on (a status bar shows it); OnHint
    // is told when it changes.
    const std::string &Hint() const { return hint_; }
    void SetHint(const std::string &hint);
    TNotifyEvent OnHint;
    // The pointer rests at a screen point over the control: its hint shows
    // after the hint pause (asked from the control with CM_HINTSHOW), unless
    // the pointer moves out of the hint's rectangle first. For windows that
    // take the mouse themselves (menus), which feed their moves here.
    void ActivateHint(TControl *control, TPoint screen);
    // Hides the hint and forgets the pending one.
    void CancelHint();
    // The hint text showing now ("" when none).
    const std::string &ShownHint() const { return shownHint_; }

    // Makes a form owned by the application; the first one becomes the main form.
    template <class T, class... Args>
    T *CreateForm(Args &&...args)
    {
        T *form = new T(this, std::forward<Args>(args)...);
        if (!mainForm_)
            mainForm_ = form;
        return form;
    }
    TCustomForm *MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm *form) { mainForm_ = form; }

    // Shows the main form and runs the message loop until it closes; returns the exit code.
    int Run();
    // Ends the message loop.
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();
    // Frees the forms (while the toolkit still runs).
    void DestroyForms() { DestroyComponents(); }
    // Frees the forms and then the toolkit's application, while the toolkit's
    // own globals still exist; call it last, before leaving main.
    void Finalize();
    // Shows the message of an exception that reached the message loop.
    void HandleException(const std::exception &e);
    // Runs a handler, reporting any exception instead of letting it into the toolkit.
    template <class F>
    void Guard(F &&handler)
    {
        try {
            handler();
        } catch (const std::exception &e) {
            HandleException(e);
        }
    }

    // The program's command line (argument 0 is the program).
    int ParamCount() const { return argc_ > 0 ? argc_ - 1 : 0; }
    std::string ParamStr(int index) const;

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    std::string title_;
    int hintHidePause_ = 2500;
    int hintPause_ = 500;
    bool hintShortCuts_ = true;
    std::string hint_;
    std::string shownHint_;
    struct THintState;
    std::unique_ptr<THintState> hintState_;
    void ShowPendingHint();
    TCustomForm *mainForm_ = nullptr;
    bool terminated_ = false;
    int argc_ = 0;
    char **argv_ = nullptr;
};

TApplication &Application();
