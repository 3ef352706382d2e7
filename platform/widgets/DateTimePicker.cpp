#include "platform/widgets/DateTimePicker.h"

#include "platform/core/SysUtils.h"
#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/QtEditLook.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

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

int PowerOfTen(qsizetype digits)
{
    int power = 1;
    while (digits-- > 0)
        power *= 10;
    return power;
}

// The date box. Digits typed into a part of the date (year, month or day)
// make an entry of that part, which becomes the date once the part can take
// no more digits, then the next part is selected: the year takes four digits,
// the month and the day two, or one when no second digit could follow. The
// entry also becomes the date when the part is left any other way (a
// separator, an arrow, a click, the focus going). Alt+Down and F4 open the
// calendar, where moving over the days shows them in the box, and only a day
// chosen (Enter, a click) is the box's new date.
class TQtDateBox : public QDateEdit {
public:
    // `chosen` hears of each date the person makes the box's.
    TQtDateBox(QWidget *parent, std::function<void(const QDate &)> chosen)
        : QDateEdit(parent), chosen_(std::move(chosen))
    {
        setCalendarPopup(true);
        // Every year that can be typed in four digits.
        setMinimumDate(QDate(100, 1, 1));
        auto *calendar = new QCalendarWidget(this);
        // Before the box's own connections, which close the calendar.
        connect(calendar, &QCalendarWidget::activated, this, [this] { chosenInCalendar_ = true; });
        connect(calendar, &QCalendarWidget::clicked, this, [this] { chosenInCalendar_ = true; });
        setCalendarWidget(calendar);
        calendar->window()->installEventFilter(this);
        connect(this, &QDateEdit::dateChanged, this, [this](const QDate &date) {
            if (!calendarOpen_)
                chosen_(date);
        });
    }

    // What was typed into the part becomes the date.
    void FinishEntry()
    {
        if (entryPart_ == NoSection)
            return;
        const Section part = entryPart_;
        const QDate typed = DateWithEntry();
        entryPart_ = NoSection;
        entry_.clear();
        ShowDate();
        setDate(typed);
        if (hasFocus())
            setSelectedSection(part);
    }

    // What was typed is thrown away; the part shows the date again.
    void DropEntry()
    {
        if (entryPart_ == NoSection)
            return;
        const Section part = entryPart_;
        entryPart_ = NoSection;
        entry_.clear();
        ShowDate();
        if (hasFocus())
            setSelectedSection(part);
    }

    void OpenCalendar()
    {
        // The box opens its calendar on a press on its arrow.
        QStyleOptionComboBox option;
        option.initFrom(this);
        option.editable = true;
        option.subControls = QStyle::SC_All;
        const QPoint arrow =
            style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this).center();
        QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QDateEdit::mousePressEvent(&press);
    }

    // Text an input method commits, typed character by character.
    void TypeCommitted(const QString &text)
    {
        for (QChar c : QStr(HalfWidthForms(StdStr(text))))
            Type(c);
    }

    // A key that types into the entry rather than ending it.
    static bool TypesIntoEntry(const QKeyEvent &key)
    {
        switch (key.key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return key.modifiers() == Qt::NoModifier;
        default:
            return !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                   && key.text().size() == 1 && key.text().at(0).isDigit();
        }
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const Qt::KeyboardModifiers shift = event->modifiers() & ~Qt::KeypadModifier;
        const int key = event->key();
        if ((key == Qt::Key_Down && shift == Qt::AltModifier) || (key == Qt::Key_F4 && shift == Qt::NoModifier)) {
            FinishEntry();
            OpenCalendar();
            return;
        }
        if (shift == Qt::NoModifier) {
            switch (key) {
            case Qt::Key_Left:
            case Qt::Key_Right:
                FinishEntry();
                SelectPart(currentSectionIndex() + (key == Qt::Key_Left ? -1 : 1));
                return;
            case Qt::Key_Backspace:
                TakeBackDigit();
                return;
            case Qt::Key_Delete:
                DropEntry();
                return;
            default:
                break;
            }
        }
        if (!(shift & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && event->text().size() == 1
            && Type(event->text().at(0)))
            return;
        FinishEntry();
        QDateEdit::keyPressEvent(event);
    }

    void stepBy(int steps) override
    {
        FinishEntry();
        QDateEdit::stepBy(steps);
    }

    // The calendar's window shows and hides.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            calendarOpen_ = true;
            chosenInCalendar_ = false;
            dateAtOpening_ = date();
        } else if (event->type() == QEvent::Hide && calendarOpen_) {
            calendarOpen_ = false;
            if (chosenInCalendar_)
                chosen_(date());
            else
                setDate(dateAtOpening_);
        }
        return QDateEdit::eventFilter(watched, event);
    }

private:
    // A digit goes into the part's entry, a separator of the date's parts moves to the next part.
    bool Type(QChar c)
    {
        if (c >= u'0' && c <= u'9' && TakesDigits(currentSection())) {
            TypeDigit(c);
            return true;
        }
        if (!c.isLetterOrNumber() && !c.isSpace() && displayFormat().contains(c)) {
            FinishEntry();
            SelectPart(currentSectionIndex() + 1);
            return true;
        }
        return false;
    }

    void TypeDigit(QChar digit)
    {
        if (entryPart_ != currentSection()) {
            FinishEntry();
            entryPart_ = currentSection();
        }
        entry_ += digit;
        if (entry_.size() < EntryDigits(entryPart_) && entry_.toInt() * 10 <= Largest(entryPart_, date())) {
            ShowEntry();
            return;
        }
        const int index = currentSectionIndex();
        FinishEntry();
        SelectPart(index + 1);
    }

    void TakeBackDigit()
    {
        if (entryPart_ != currentSection() || entry_.isEmpty())
            return;
        entry_.chop(1);
        if (entry_.isEmpty())
            DropEntry();
        else
            ShowEntry();
    }

    // A year, month or day shown in digits (not a month or weekday name).
    bool TakesDigits(Section part) const
    {
        if (part != YearSection && part != MonthSection && part != DaySection)
            return false;
        const QString shown = sectionText(part);
        return !shown.isEmpty() && std::all_of(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); });
    }

    qsizetype EntryDigits(Section part) const
    {
        return part == YearSection && displayFormat().contains(QStringLiteral("yyyy")) ? 4 : 2;
    }

    static int Largest(Section part, const QDate &date)
    {
        return part == YearSection ? 9999 : part == MonthSection ? 12 : date.daysInMonth();
    }

    // The date with the typed part; a day past the end of its month is the month's last day.
    QDate DateWithEntry() const
    {
        const QDate shown = date();
        int year = shown.year(), month = shown.month(), day = shown.day();
        if (entry_.isEmpty())
            return shown;
        const int typed = entry_.toInt();
        if (entryPart_ == YearSection) {
            // Fewer digits than a full year keep the leading digits of the year shown.
            const int kept = entry_.size() >= 4 ? 0 : year - year % PowerOfTen(entry_.size());
            year = std::clamp(kept + typed, minimumDate().year(), maximumDate().year());
        } else if (entryPart_ == MonthSection) {
            month = std::clamp(typed, 1, 12);
        } else {
            day = typed;
        }
        day = std::clamp(day, 1, QDate(year, month, 1).daysInMonth());
        return std::clamp(QDate(year, month, day), minimumDate(), maximumDate());
    }

    void SelectPart(int index)
    {
        setSelectedSection(sectionAt(std::clamp(index, 0, sectionCount() - 1)));
    }

    void ShowDate()
    {
        const QString text = textFromDateTime(dateTime());
        if (lineEdit()->text() != text) {
            const QSignalBlocker quiet(lineEdit());
            lineEdit()->setText(text);
        }
    }

    // The part shows the digits typed so far, filled up with zeros from the left.
    void ShowEntry()
    {
        ShowDate();
        setSelectedSection(entryPart_);
        QLineEdit &text = *lineEdit();
        const int start = text.selectionStart();
        const qsizetype width = text.selectedText().size();
        const QString shown = entry_.rightJustified(width, u'0');
        const QSignalBlocker quiet(&text);
        text.setText(text.text().left(start) + shown + text.text().mid(start + width));
        text.setSelection(start, static_cast<int>(shown.size()));
    }

    std::function<void(const QDate &)> chosen_;
    Section entryPart_ = NoSection;
    QString entry_;
    bool calendarOpen_ = false, chosenInCalendar_ = false;
    QDate dateAtOpening_;
};

// Ends the box's entry before anyone else hears of a key that is not typing,
// a press or the focus going, so that what they read is the typed date. On
// the box's text, one click on a part of the date selects that part, so that
// the digits typed next replace it.
class TDateBoxInput : public QObject {
public:
    explicit TDateBoxInput(TQtDateBox &box) : QObject(&box), box_(box) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (!TQtDateBox::TypesIntoEntry(*static_cast<QKeyEvent *>(event)))
                box_.FinishEntry();
            break;
        case QEvent::InputMethod: {
            // The text field takes what an input method commits.
            auto *input = static_cast<QInputMethodEvent *>(event);
            if (!input->commitString().isEmpty()) {
                box_.TypeCommitted(input->commitString());
                input->setCommitString(QString());
            }
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::FocusOut:
            box_.FinishEntry();
            break;
        case QEvent::MouseButtonRelease:
            // A drag over the text keeps what it selected.
            if (watched != &box_ && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
                && !static_cast<QLineEdit *>(watched)->hasSelectedText())
                box_.setSelectedSection(box_.currentSection());
            break;
        default:
            break;
        }
        return false;
    }

private:
    TQtDateBox &box_;
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
    auto *box = new TQtDateBox(parentWidget, [this](const QDate &d) { ChosenInWindow(FromQDate(d)); });
    link_ = std::make_unique<TWidgetLink>(this, box);
    link_->SetNative(true);
    // Installed after the link's, so it runs first.
    auto *input = new TDateBoxInput(*box);
    box->installEventFilter(input);
    if (auto *text = box->findChild<QLineEdit *>())
        text->installEventFilter(input);
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
    auto *box = static_cast<TQtDateBox *>(Link()->Widget());
    box->DropEntry();
    box->setDisplayFormat(QStr(format_));
    box->setDate(ToQDate(date_));
    syncing_ = false;
}
