#include "platform/widgets/ComboBox.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFrame>
#include <QEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace {

// A list wider than the box stays on the screen: it moves left from a box
// near the screen's right edge, also when the toolkit places it again later.
class TQtComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override
    {
        QWidget *list = view()->window();
        if (!list->property("tarvoldKeptOnScreen").toBool()) {
            list->installEventFilter(this);
            list->setProperty("tarvoldKeptOnScreen", true);
        }
        QComboBox::showPopup();
        KeepOnScreen(*list);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == view()->window() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            KeepOnScreen(*view()->window());
        return QComboBox::eventFilter(watched, event);
    }

private:
    void KeepOnScreen(QWidget &list)
    {
        const QScreen *shown = screen();
        if (!list.isVisible() || !shown)
            return;
        const QRect area = shown->availableGeometry();
        QRect r = list.frameGeometry();
        if (r.right() > area.right())
            r.moveRight(area.right());
        if (r.left() < area.left())
            r.moveLeft(area.left());
        if (r.topLeft() != list.frameGeometry().topLeft())
            list.move(r.topLeft());
    }
};

// A screen reader reads the box by the control's name (the label beside it)
// and its value apart; the toolkit's own interface gives the value as the
// name here. Its children are the list, then the edit of an editable box;
// its actions open and close the list.
class TQtComboBoxAccessible : public QAccessibleWidget {
public:
    explicit TQtComboBoxAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Value();
        if (t == QAccessible::Name) {
            QString name = QAccessibleWidget::text(t);
            return name.isEmpty() ? Value() : name;
        }
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return Box()->lineEdit() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(Box()->view());
        if (index == 1 && Box()->lineEdit())
            return QAccessible::queryAccessibleInterface(Box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override { return IndexOfAccessibleChild(*this, child); }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = Box()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.editable = Box()->isEditable();
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override
    {
        if (name != showMenuAction() && name != pressAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        if (Box()->view()->isVisible())
            Box()->hidePopup();
        else
            Box()->showPopup();
    }

private:
    QComboBox *Box() const { return static_cast<QComboBox *>(widget()); }
    QString Value() const { return Box()->lineEdit() ? Box()->lineEdit()->text() : Box()->currentText(); }
};

QAccessibleInterface *MakeComboBoxAccessible(QWidget *widget) { return new TQtComboBoxAccessible(widget); }

} // namespace

TComboBox::TComboBox(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

void TComboBox::SetItems(const std::vector<std::string> &items)
{
    items_ = items;
    itemIndex_ = -1;
    SyncWindow();
    FitListWidth();
}

void TComboBox::AddItem(const std::string &item)
{
    items_.push_back(item);
    SyncWindow();
    FitListWidth();
}

int TComboBox::IndexOf(const std::string &text) const
{
    auto it = std::find(items_.begin(), items_.end(), text);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(items_.size()))
        index = -1;
    itemIndex_ = index;
    caption_ = index >= 0 ? items_[static_cast<size_t>(index)] : std::string();
    SyncWindow();
}

std::string TComboBox::Text() const
{
    return caption_;
}

void TComboBox::SetText(const std::string &text)
{
    itemIndex_ = IndexOf(text);
    caption_ = style_ == csDropDownList && itemIndex_ < 0 ? std::string() : text;
    SyncWindow();
}

void TComboBox::ChosenInWindow(int index, const std::string &text)
{
    if (syncing_)
        return;
    itemIndex_ = index;
    caption_ = text;
    if (OnChange)
        Application().Guard([this] { OnChange(this); });
}

void TComboBox::TypedInWindow(const std::string &text)
{
    if (syncing_ || text == caption_)
        return;
    caption_ = text;
    itemIndex_ = IndexOf(text);
    if (OnChange)
        Application().Guard([this] { OnChange(this); });
}

void TComboBox::SetListFitsItems(bool fits)
{
    listFitsItems_ = fits;
    FitListWidth();
}

bool TComboBox::DroppedDown() const
{
    return HandleAllocated() && static_cast<QComboBox *>(Link()->Widget())->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool dropped)
{
    if (dropped == DroppedDown())
        return;
    HandleNeeded();
    auto *box = static_cast<QComboBox *>(Link()->Widget());
    if (dropped)
        box->showPopup();
    else
        box->hidePopup();
}

TRect TComboBox::DroppedRect() const
{
    if (!DroppedDown())
        return TRect{};
    const QWidget *list = static_cast<QComboBox *>(Link()->Widget())->view()->window();
    const QRect r = list->frameGeometry();
    return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The list's own minimum width widens it past the box when it drops down.
void TComboBox::FitListWidth()
{
    if (!HandleAllocated())
        return;
    auto *box = static_cast<QComboBox *>(Link()->Widget());
    QAbstractItemView *view = box->view();
    int width = 0;
    if (listFitsItems_ && box->count() > 0) {
        width = view->sizeHintForColumn(0) + 2 * view->frameWidth();
        if (box->count() > box->maxVisibleItems())
            width += view->verticalScrollBar()->sizeHint().width();
        // The list's frame lies round the view.
        int frame = 0;
        if (const auto *container = qobject_cast<const QFrame *>(view->parentWidget())) {
            const QMargins m = container->contentsMargins();
            frame = m.left() + m.right();
        }
        if (const QScreen *screen = box->screen())
            width = std::min(width, screen->availableGeometry().width() - frame);
    }
    view->setMinimumWidth(width);
}

void TComboBox::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *box = new TQtComboBox(parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, box);
    link_->SetNative(true);
    link_->SetAccessibleMaker(MakeComboBoxAccessible);
    QObject::connect(box, qOverload<int>(&QComboBox::activated), box,
                     [this, box](int index) { ChosenInWindow(index, box->itemText(index).toStdString()); });
}

void TComboBox::InitializeHandle()
{
    TWinControl::InitializeHandle();
    SyncWindow();
    FitListWidth();
}

void TComboBox::FontChanged()
{
    TWinControl::FontChanged();
    FitListWidth();
}

void TComboBox::SyncWindow()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *box = static_cast<QComboBox *>(Link()->Widget());
    box->setEditable(style_ == csDropDown);
    box->clear();
    for (const std::string &item : items_)
        box->addItem(QStr(item));
    box->setCurrentIndex(itemIndex_);
    if (QLineEdit *edit = box->lineEdit()) {
        edit->setText(QStr(caption_));
        // Typing changes the text as choosing does; the edit is made anew when the style changes.
        if (!edit->property("tarvoldTyped").toBool()) {
            QObject::connect(edit, &QLineEdit::textEdited, edit,
                             [this](const QString &text) { TypedInWindow(StdStr(text)); });
            edit->setProperty("tarvoldTyped", true);
        }
    }
    syncing_ = false;
}
