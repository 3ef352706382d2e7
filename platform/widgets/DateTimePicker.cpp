#include "platform/widgets/DateTimePicker.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/QtEditLook.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QMouseEvent>

#include <cmath>

namespace {

QDate ToQDate(TDateTime date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    return QDate(y, m, d);
}

TDateTime FromQDate(const QDate &date)
{
    return EncodeDate(date.year(), date.month(), date.day());
}

// One click on a part of the date (year, month or day) selects that part, so
// that the digits typed next replace it; without this, digits typed after a
// click land inside the part and are refused.
class TPartOnClick : public QObject {
public:
    explicit TPartOnClick(QDateEdit &box) : QObject(&box), box_(box) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonRelease
            || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        // A drag over the text keeps what it selected.
        if (!static_cast<QLineEdit *>(watched)->hasSelectedText())
            box_.setSelectedSection(box_.currentSection());
        return false;
    }

private:
    QDateEdit &box_;
};

} // namespace

TDateTimePicker::TDateTimePicker(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 186, 21);
    SetColor(clWindow);
    SetTabStop(true);
    SetNumericInput(true);
    date_ = std::floor(::Date());
}

void TDateTimePicker::SetDate(TDateTime date)
{
    date_ = std::floor(date);
    Sync();
}

void TDateTimePicker::SetFormat(const std::string &format)
{
    format_ = format;
    Sync();
}

std::string TDateTimePicker::Text() const
{
    // A picker format writes months "MM"; the date formatter reads "mm" after a year as months.
    std::string f;
    for (char c : format_)
        f += c == 'M' ? 'm' : c;
    return FormatDateTime(f, date_);
}

void TDateTimePicker::ChosenInWindow(TDateTime date)
{
    if (syncing_ || date == date_)
        return;
    date_ = date;
    if (OnChange)
        Application().Guard([this] { OnChange(this); });
}

void TDateTimePicker::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *edit = new QDateEdit(parentWidget);
    edit->setCalendarPopup(true);
    link_ = std::make_unique<TWidgetLink>(this, edit);
    link_->SetNative(true);
    QObject::connect(edit, &QDateEdit::dateChanged, edit, [this](const QDate &d) { ChosenInWindow(FromQDate(d)); });
    if (auto *text = edit->findChild<QLineEdit *>())
        text->installEventFilter(new TPartOnClick(*edit));
}

void TDateTimePicker::InitializeHandle()
{
    TWinControl::InitializeHandle();
    if (auto *text = Link()->Widget()->findChild<QLineEdit *>())
        HideSelectionWithoutFocus(*text);
    Sync();
}

void TDateTimePicker::Sync()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *edit = static_cast<QDateEdit *>(Link()->Widget());
    edit->setDisplayFormat(QStr(format_));
    edit->setDate(ToQDate(date_));
    syncing_ = false;
}
