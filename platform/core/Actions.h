#pragma once
// Actions: one command with its caption, state and handler, shared by the
// controls and menu items linked to it. A link ties a client to an action:
// the client takes the action's properties, follows their changes and runs
// the action when it is clicked.
#include "platform/core/Component.h"

#include <string>
#include <vector>

class TActionLink;

class TAction : public TComponent {
public:
    explicit TAction(TComponent *owner = nullptr);
    ~TAction() override;

    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool value);
    const std::string &Caption() const { return caption_; }
    void SetCaption(const std::string &value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value);
    const std::string &Hint() const { return hint_; }
    void SetHint(const std::string &value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    // Key code with scShift/scCtrl/scAlt bits.
    int ShortCut() const { return shortCut_; }
    void SetShortCut(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

    // Runs the command: OnUpdate first, then, when enabled, AutoCheck toggles
    // Checked and OnExecute runs. True when OnExecute ran.
    virtual bool Execute();
    // Runs OnUpdate (which sets Enabled, Checked...); true when there is one.
    virtual bool Update();
    // Lets OnHint change the hint text or refuse it; true when it may show.
    bool DoHint(std::string &hint);
    // Tells every link that the action changed.
    void Change();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
    std::function<void(std::string &hint, bool &canShow)> OnHint;

private:
    friend class TActionLink;
    template <class F>
    void ForClients(F &&f);
    std::vector<TActionLink *> clients_;
    std::string caption_, hint_;
    int helpContext_ = 0, imageIndex_ = -1, shortCut_ = 0;
    bool autoCheck_ = false, checked_ = false, enabled_ = true, visible_ = true;
};

// A client's tie to an action. A property change of the action reaches the
// client's setter (the virtual Set... below) with the new value before the
// action stores it, so a link can test whether the client still shows the
// action's old value.
class TActionLink {
public:
    TActionLink() = default;
    virtual ~TActionLink();
    TActionLink(const TActionLink &) = delete;
    TActionLink &operator=(const TActionLink &) = delete;

    TAction *Action() const { return action_; }
    void SetAction(TAction *action);
    bool Execute() { return action_ && action_->Execute(); }
    bool Update() { return action_ && action_->Update(); }

    // Told after the action changed (and when the action is freed, with the
    // link already detached).
    std::function<void(TAction *)> OnChange;

protected:
    friend class TAction;
    virtual void SetAutoCheck(bool) {}
    virtual void SetCaption(const std::string &) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const std::string &) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(int) {}
    virtual void SetVisible(bool) {}

private:
    TAction *action_ = nullptr;
};
