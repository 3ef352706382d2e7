#include "platform/services/DesktopServices.h"

#include "platform/kernel/MessageBoxOwner.h"

#include "platform/core/Encoding.h"
#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <set>

namespace {
QString Q(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// "説明|*.xml|説明|*.*" becomes the Qt filter list "説明 (*.xml)", "説明 (*.*)":
// the toolkit reads the masks from the parentheses that end each entry. A
// description that ends with its masks already ("PDF (*.pdf)|*.pdf") is shown
// as it is written, not with the masks twice.
QStringList QtFilters(const std::string &filter)
{
    QStringList parts = Q(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString masks = "(" + QString(parts[i + 1]).replace(';', ' ') + ")";
        const QString &description = parts[i];
        if (QString(description).replace(';', ' ').endsWith(masks, Qt::CaseInsensitive))
            filters << description.left(description.size() - masks.size())
                           + QString(description.right(masks.size())).replace(';', ' ');
        else
            filters << description + " " + masks;
    }
    return filters;
}

// The window of the form message boxes belong to now; none without one.
QWidget *MessageBoxParent()
{
    TCustomForm *owner = MessageBoxOwner();
    return owner && owner->HandleAllocated() ? owner->Link()->Widget()->window() : nullptr;
}

// A message box whose buttons name no way out (はい and いいえ; 中止, 再試行
// and 無視) must be answered: Escape does nothing and the window asks for no
// close button. A window manager that draws one all the same still sends its
// close request: the box then goes without an answer (IDCANCEL), which its
// callers take as calling the command off, never as いいえ. Other boxes
// answer Escape and the close request with キャンセル, or OK where it is alone.
class TAnswerBox : public QMessageBox {
public:
    TAnswerBox(QWidget *parent, bool escapable) : QMessageBox(parent), escapable_(escapable)
    {
        if (!escapable_)
            setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!escapable_ && event->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (escapable_)
            QMessageBox::closeEvent(event);
        else
            QDialog::closeEvent(event);  // no button clicked: no answer
    }

private:
    bool escapable_;
};

bool Escapable(unsigned flags)
{
    switch (flags & 0x0F) {
    case MB_YESNO:
    case MB_ABORTRETRYIGNORE: return false;
    default: return true;
    }
}

} // namespace

int TDesktopServices::MessageBox(const std::string &text, const std::string &caption, unsigned flags)
{
    // Over its owner's window, and above it when that window stays on top.
    // The owner may go while the box is up, taking the box with it.
    QWidget *parent = MessageBoxParent();
    QPointer<QMessageBox> guard = new TAnswerBox(parent, Escapable(flags));
    QMessageBox &box = *guard;
    if (parent && parent->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setText(Q(text));
    box.setWindowTitle(Q(caption));
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    // The buttons speak the program's language, as the system's own boxes do.
    struct Choice { QMessageBox::StandardButton button; int answer; const char *text; };
    const Choice ok{QMessageBox::Ok, IDOK, "OK"}, cancel{QMessageBox::Cancel, IDCANCEL, "キャンセル"},
        yes{QMessageBox::Yes, IDYES, "はい(&Y)"}, no{QMessageBox::No, IDNO, "いいえ(&N)"},
        abort{QMessageBox::Abort, IDABORT, "中止(&A)"}, retry{QMessageBox::Retry, IDRETRY, "再試行(&R)"},
        ignore{QMessageBox::Ignore, IDIGNORE, "無視(&I)"};
    std::vector<Choice> choices;
    switch (flags & 0x0F) {
    case MB_OKCANCEL: choices = {ok, cancel}; break;
    case MB_ABORTRETRYIGNORE: choices = {abort, retry, ignore}; break;
    case MB_YESNOCANCEL: choices = {yes, no, cancel}; break;
    case MB_YESNO: choices = {yes, no}; break;
    case MB_RETRYCANCEL: choices = {retry, cancel}; break;
    default: choices = {ok}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice &c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    for (const Choice &c : choices)
        box.button(c.button)->setText(Q(c.text));
    if ((flags & MB_DEFBUTTON2) && choices.size() > 1)
        box.setDefaultButton(choices[1].button);
    auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
    delete guard.data();
    for (const Choice &c : choices)
        if (c.button == chosen)
            return c.answer;
    return choices.size() > 1 ? IDCANCEL : IDOK;
}

std::optional<TFileDialogAnswer> TDesktopServices::FileDialog(const TFileDialogRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow(), Q(request.title), Q(request.initialDir));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Masks match whatever the case of the name ("*.RPF" lists "report.rpf"),
    // as they do on the system the file formats come from.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    QStringList filters = QtFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = request.filterIndex - 1;
        if (index >= 0 && index < filters.size())
            dialog.selectNameFilter(filters[index]);
    }
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(Q(request.defaultExt));
    if (!request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.empty())
        dialog.selectFile(Q(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    TFileDialogAnswer answer;
    answer.fileName = dialog.selectedFiles().first().toStdString();
    answer.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1)
        answer.filterIndex = 1;
    return answer;
}

std::optional<std::uint32_t> TDesktopServices::ColorDialog(std::uint32_t initial)
{
    QColor start(static_cast<int>(initial & 0xFF), static_cast<int>((initial >> 8) & 0xFF),
                 static_cast<int>((initial >> 16) & 0xFF));
    QColor chosen = QColorDialog::getColor(start, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(chosen.red()) | (static_cast<std::uint32_t>(chosen.green()) << 8)
        | (static_cast<std::uint32_t>(chosen.blue()) << 16);
}

// The database names a family that several foundries make once for each, as
// "Family [foundry]"; the list names each family once, by its name, in the
// database's order. A name with the foundry still draws with that family.
std::vector<std::string> TDesktopServices::FontNames()
{
    std::vector<std::string> names;
    std::set<std::string> listed;
    for (QString family : QFontDatabase::families()) {
        const qsizetype tag = family.lastIndexOf(QLatin1String(" ["));
        if (tag > 0 && family.endsWith(u']'))
            family.truncate(tag);
        std::string name = family.toStdString();
        if (listed.insert(name).second)
            names.push_back(std::move(name));
    }
    return names;
}

bool TDesktopServices::ShellOpen(const std::string &target)
{
    QUrl url = QUrl::fromUserInput(Q(target));
    return QDesktopServices::openUrl(url);
}

void InstallDesktopServices()
{
    SetServices(std::make_unique<TDesktopServices>());
}
