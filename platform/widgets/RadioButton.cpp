#include "platform/widgets/RadioButton.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/QtButtonAccessible.h"

#include <QRadioButton>

#include <vector>

namespace {

// The toolkit's button without its own grouping: a click on the checked
// button leaves it checked, and the toolkit neither moves the check with the
// arrows nor changes the tab focus; the control does all of that.
class TQtRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override
    {
        if (!isChecked())
            setChecked(true);
    }
};

// The toolkit reads a button without its own grouping as a check box: a
// screen reader reads this one as a radio button, checked or not; its action
// checks it as a click does.
class TQtRadioButtonAccessible : public TQtButtonAccessible {
public:
    explicit TQtRadioButtonAccessible(QWidget *widget) : TQtButtonAccessible(widget, QAccessible::RadioButton)
    {
        SetPress([](TWinControl &target) {
            if (target.HandleAllocated())
                static_cast<QRadioButton *>(target.Link()->Widget())->click();
        });
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->isChecked();
        return s;
    }
};

QAccessibleInterface *MakeRadioButtonAccessible(QWidget *widget) { return new TQtRadioButtonAccessible(widget); }

std::vector<TRadioButton *> RadioButtonsOf(const TWinControl &parent)
{
    std::vector<TRadioButton *> group;
    for (int i = 0; i < parent.ControlCount(); ++i)
        if (auto *button = dynamic_cast<TRadioButton *>(parent.Controls(i)))
            group.push_back(button);
    return group;
}

// One Tab stop for the radio buttons of a parent: the checked one, else the first.
void SetGroupTabStops(const TWinControl *parent)
{
    if (!parent)
        return;
    std::vector<TRadioButton *> group = RadioButtonsOf(*parent);
    bool anyChecked = false;
    for (TRadioButton *button : group)
        anyChecked = anyChecked || button->Checked();
    for (size_t i = 0; i < group.size(); ++i)
        group[i]->SetTabStop(anyChecked ? group[i]->Checked() : i == 0);
}

} // namespace

TRadioButton::TRadioButton(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 113, 17);
    SetTabStop(true);
}

void TRadioButton::SetParent(TWinControl *parent)
{
    TWinControl *before = Parent();
    TWinControl::SetParent(parent);
    SetGroupTabStops(before);
    SetGroupTabStops(Parent());
}

void TRadioButton::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    ShowChecked();
    if (checked)
        if (TWinControl *parent = Parent())
            for (TRadioButton *sibling : RadioButtonsOf(*parent))
                if (sibling != this)
                    sibling->SetChecked(false);
    SetGroupTabStops(Parent());
    if (checked)
        Click();
}

void TRadioButton::ShowChecked()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    static_cast<QRadioButton *>(Link()->Widget())->setChecked(checked_);
    syncing_ = false;
}

void TRadioButton::SetText(const std::string &text)
{
    TWinControl::SetText(text);
    if (HandleAllocated())
        static_cast<QRadioButton *>(Link()->Widget())->setText(QStr(text));
}

void TRadioButton::ToggledInWindow(bool checked)
{
    if (syncing_ || !checked || checked_)
        return;
    Application().Guard([this] { SetChecked(true); });
}

void TRadioButton::KeyDown(int &key, TShiftState shift)
{
    TWinControl::KeyDown(key, shift);
    const bool forward = key == VK_DOWN || key == VK_RIGHT;
    if ((!forward && key != VK_UP && key != VK_LEFT) || (shift & ssAlt) || !Parent())
        return;
    key = 0;
    std::vector<TRadioButton *> group = RadioButtonsOf(*Parent());
    const size_t count = group.size();
    size_t at = 0;
    while (at < count && group[at] != this)
        ++at;
    for (size_t step = 1; step < count; ++step) {
        TRadioButton *next = group[(at + (forward ? step : count - step)) % count];
        if (next->CanFocus()) {
            next->SetFocus();
            next->SetChecked(true);
            return;
        }
    }
}

void TRadioButton::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *button = new TQtRadioButton(parentWidget);
    button->setAutoExclusive(false);
    link_ = std::make_unique<TWidgetLink>(this, button);
    link_->SetNative(true);
    link_->SetAccessibleMaker(MakeRadioButtonAccessible);
    QObject::connect(button, &QRadioButton::toggled, button, [this](bool on) { ToggledInWindow(on); });
}

void TRadioButton::InitializeHandle()
{
    TWinControl::InitializeHandle();
    static_cast<QRadioButton *>(Link()->Widget())->setText(QStr(Caption()));
    ShowChecked();
}
