#pragma once
// Forms (top-level windows), the scroll box, the screen and its cursors.
#include "platform/kernel/Controls.h"
#include "platform/kernel/WindowPlacement.h"

#include <string>
#include <vector>

class TMainMenu;

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
using TModalResult = int;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// The border of a control: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;
enum TPosition { poDesigned, poScreenCenter, poMainFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsStayOnTop };

enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3 };

using TCloseEvent = std::function<void(TObject *sender, TCloseAction &action)>;
using TCloseQueryEvent = std::function<void(TObject *sender, bool &canClose)>;

class TCustomForm : public TWinControl, public TWindowPlacementHolder {
public:
    explicit TCustomForm(TComponent *owner);
    ~TCustomForm() override;

    TMainMenu *Menu() const { return menu_; }
    void SetMenu(TMainMenu *menu);
    // bsDialog and bsSingle windows keep their size (the person cannot
    // resize them); a bsDialog window has no minimise or maximise button.
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }
    // fsStayOnTop keeps the window above the program's other windows.
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool preview) { keyPreview_ = preview; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // Client size; the form's own size adds the menu bar.
    int ClientWidth() const override { return Width(); }
    int ClientHeight() const override { return Height() - MenuHeight(); }
    void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height + MenuHeight()); }
    int MenuHeight() const;

    // Shows the window modelessly.
    void ShowForm();
    // Shows the window and runs a nested message loop until ModalResult is set
    // (or the window closes); returns the result.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool Modal() const { return modal_; }
    // Asks OnCloseQuery, then OnClose; hides the window (or ends the modal run).
    // A modeless form whose OnClose answers caFree is freed afterwards (Release).
    void Close();
    // Frees the form once the messages waiting now have been handled, so that a
    // form may ask for it from inside its own event handlers.
    void Release();
    bool CloseQuery();
    // Offers Enter or Esc to the form's buttons (Enter to the focused button,
    // else the default one; Esc to the cancel button); true when one took it.
    bool DialogKey(int key);
    // A key with modifiers (a ShortCut value) for the commands of the form's
    // menu: runs the command it is the shortcut of (the menu bar first gives
    // back the keyboard if it has it); false when there is none.
    bool IsShortCut(int shortCut);
    // Alt and a letter or digit: presses the control whose caption has that
    // accelerator; false when none took it.
    bool DialogChar(int key);
    // F10: the form's menu bar takes the keyboard with its first title
    // highlighted (it gives it back on F10, Alt or Esc); false when the form
    // shows no menu bar.
    bool ToggleMenuKeyboardMode();
    // The menu bar, if it has the keyboard, gives it back to the control
    // that had it, no title highlighted.
    void EndMenuKeyboardMode();
    // Alt and a character no shortcut, control or toolbar menu took: opens
    // the menu bar's title with that access key (in either case); false
    // when there is none.
    bool OpenMenuTitle(char32_t ch);
    // Moves the focus to the next (or previous) focusable tab stop after
    // `current`, in the order the controls were placed on the form.
    void SelectNext(TWinControl *current, bool forward = true);

    // The normal position and the show state, as the settings file keeps them.
    TWindowPlacement GetWindowPlacement() const override;
    void SetWindowPlacement(const TWindowPlacement &placement) override;

    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TNotifyEvent OnShow;

    void WndProc(TMessage &message) override;
    // A screen reader reads a fixed-size or modal form as a dialog, any
    // other as a window; either by its caption.
    int AccessibleRole() const override;

    // Platform side.
    void WindowResized(int width, int height);
    void WindowMoved(int x, int y);
    void MouseWheel(TShiftState shift, int delta, TPoint screen);

protected:
    void CreateHandle() override;
    void DestroyHandle() override;
    void InitializeHandle() override;
    void BoundsChanged() override;
    void VisibleChanged() override;
    void SetText(const std::string &text) override;
    void Notification(TComponent *component, TOperation operation) override;
    std::string AccessibleCaption() const override { return Caption(); }

private:
    bool FixedSize() const;
    void KeepFixedSize();
    void RebuildMenuBar();
    void ScheduleMenuRebuild();
    bool menuRebuildPending_ = false;
    TMainMenu *menu_ = nullptr;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool syncing_ = false;
    TRect normalBounds_;
    void *menuBar_ = nullptr; // the toolkit menu bar, owned by the window
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent *owner) : TCustomForm(owner) {}
};

// How a command runs its dialog: modally, unless a test drives the dialog's
// controls itself and answers with the result.
using TModalRunner = std::function<TModalResult(TCustomForm &)>;
inline TModalResult RunModal(TCustomForm &form) { return form.ShowModal(); }

// A scroll bar of a scrolling control: the range is the height (or width) of
// the scrolled area.
class TScrollBox;
class TControlScrollBar {
public:
    explicit TControlScrollBar(TScrollBox *box, bool vertical) : box_(box), vertical_(vertical) {}
    int Range() const { return range_; }
    void SetRange(int range);
    int Position() const { return position_; }
    void SetPosition(int position);
    // Platform side: the window scrolled.
    void PositionScrolled(int position) { position_ = position; }
    int Increment() const { return increment_; }
    void SetIncrement(int increment) { increment_ = increment; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // The largest position: range less the visible extent, not below 0.
    int MaxPosition() const;

private:
    TScrollBox *box_;
    bool vertical_;
    int range_ = 0;
    int position_ = 0;
    int increment_ = 8;
    bool visible_ = true;
};

// A control whose children scroll; children are placed in the scrolled area.
class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent *owner);
    TControlScrollBar &VertScrollBar() { return vert_; }
    TControlScrollBar &HorzScrollBar() { return horz_; }
    int ClientWidth() const override;
    int ClientHeight() const override;
    TRect AlignRect() const override;
    // The part of the scrolled area in view.
    TRect ViewRect() const override;
    // Scrolls so that the control (a child or a deeper descendant) is in view:
    // its top when it is above the view or taller than it, else its bottom.
    void ScrollInView(const TControl &control);

    // Platform side: applies range and position to the window.
    void UpdateScrollArea();
    TNotifyEvent OnScroll;

protected:
    void CreateHandle() override;
    void InitializeHandle() override;
    void BoundsChanged() override;

private:
    friend class TControlScrollBar;
    bool VertBarShown() const;
    bool HorzBarShown() const;
    TControlScrollBar vert_{this, true};
    TControlScrollBar horz_{this, false};
};

// Whether the caption's accelerator (the character after a single "&") is
// this key ('A'..'Z' or '0'..'9'), whatever its case.
bool IsAccel(int key, const std::string &caption);

class TScreen {
public:
    // The cursor shown over every window of the program; crDefault lets each control choose.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // Defines cursor `index` from a drawing: rows of '.' (transparent), 'X'
    // (black) and 'o' (white), with the hot spot at (hotX, hotY).
    void SetCursorImage(int index, const std::vector<std::string> &rows, int hotX, int hotY);
    bool HasCursorImage(int index) const;
    int Width() const;
    int Height() const;
    std::vector<std::string> Fonts() const;
    TCustomForm *ActiveForm() const;

private:
    TCursor cursor_ = crDefault;
};

TScreen &Screen();
