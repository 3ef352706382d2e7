#include "platform/Services.h"

#include "platform/Encoding.h"
#include "platform/Forms.h"
#include "platform/QtControls.h"

#include <QApplication>
#include <QColorDialog>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <cstdlib>

namespace {

std::unique_ptr<TServices> &Current()
{
    static std::unique_ptr<TServices> current = std::make_unique<TServices>();
    return current;
}

QString Q(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// "説明|*.xml|説明|*.*" becomes the Qt filter list "説明 (*.xml)", "説明 (*.*)".
QStringList QtFilters(const std::string &filter)
{
    QStringList parts = Q(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
}

// The classic Windows system colours (0x00BBGGRR), so that drawing does not
// depend on the desktop's theme.
const std::uint32_t kSystemColors[31] = {
    0xC8D0D4, 0x984E0A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xC56A31, 0xF0F0F0,
};

TCustomForm *&ExplicitMessageBoxOwner()
{
    static TCustomForm *owner = nullptr;
    return owner;
}

// The window of the form message boxes belong to now; none without one.
QWidget *MessageBoxParent()
{
    TCustomForm *owner = MessageBoxOwner();
    return owner && owner->HandleAllocated() ? owner->Link()->Widget()->window() : nullptr;
}

} // namespace

TMessageBoxOwner::TMessageBoxOwner(TCustomForm &form) : previous_(ExplicitMessageBoxOwner())
{
    ExplicitMessageBoxOwner() = &form;
}

TMessageBoxOwner::~TMessageBoxOwner() { ExplicitMessageBoxOwner() = previous_; }

TCustomForm *MessageBoxOwner()
{
    return ExplicitMessageBoxOwner() ? ExplicitMessageBoxOwner() : Screen().ActiveForm();
}

int TServices::MessageBox(const std::string &text, const std::string &caption, unsigned flags)
{
    // Over its owner's window, and above it when that window stays on top.
    // The owner may go while the box is up, taking the box with it.
    QWidget *parent = MessageBoxParent();
    QPointer<QMessageBox> guard = new QMessageBox(parent);
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

std::optional<TFileDialogAnswer> TServices::FileDialog(const TFileDialogRequest &request)
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

std::optional<std::uint32_t> TServices::ColorDialog(std::uint32_t initial)
{
    QColor start(static_cast<int>(initial & 0xFF), static_cast<int>((initial >> 8) & 0xFF),
                 static_cast<int>((initial >> 16) & 0xFF));
    QColor chosen = QColorDialog::getColor(start, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(chosen.red()) | (static_cast<std::uint32_t>(chosen.green()) << 8)
        | (static_cast<std::uint32_t>(chosen.blue()) << 16);
}

std::vector<std::string> TServices::FontNames()
{
    std::vector<std::string> names;
    for (const QString &family : QFontDatabase::families())
        names.push_back(family.toStdString());
    return names;
}

bool TServices::ShellOpen(const std::string &target)
{
    QUrl url = QUrl::fromUserInput(Q(target));
    return QDesktopServices::openUrl(url);
}

bool TServices::ShowHelp(const std::string &helpFile, const std::string &page)
{
    (void)page;
    return ShellOpen(helpFile);
}

double TServices::Now()
{
    // Days since 1899/12/30 in local time, with the time of day as the fraction.
    QDateTime now = QDateTime::currentDateTime();
    QDate epoch(1899, 12, 30);
    double days = static_cast<double>(epoch.daysTo(now.date()));
    double msecs = static_cast<double>(now.time().msecsSinceStartOfDay());
    return days + msecs / 86400000.0;
}

std::string TServices::OSName()
{
    return "";
}

std::string TServices::GetEnv(const std::string &name)
{
    const char *value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

std::string TServices::AppDataDir()
{
    std::string config = GetEnv("XDG_CONFIG_HOME");
    if (!config.empty())
        return config;
    return GetEnv("HOME") + "/.config";
}

std::uint32_t TServices::SystemColor(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kSystemColors)))
        return 0;
    return kSystemColors[index];
}

int TServices::SystemMetric(int index)
{
    switch (index) {
    case 0: return 1024;  // SM_CXSCREEN
    case 1: return 768;   // SM_CYSCREEN
    case 2: return 16;    // SM_CXVSCROLL
    case 3: return 16;    // SM_CYHSCROLL
    case 4: return 18;    // SM_CYCAPTION
    case 5: case 6: return 1; // SM_CXBORDER, SM_CYBORDER
    case 7: case 8: return 3; // SM_CXDLGFRAME, SM_CYDLGFRAME
    case 32: case 33: return 4; // SM_CXFRAME, SM_CYFRAME
    case 15: return 18;   // SM_CYMENU
    default: return 0;
    }
}

TServices &Services()
{
    return *Current();
}

std::unique_ptr<TServices> SetServices(std::unique_ptr<TServices> services)
{
    std::unique_ptr<TServices> previous = std::move(Current());
    Current() = services ? std::move(services) : std::make_unique<TServices>();
    return previous;
}

TScopedServices::TScopedServices(std::unique_ptr<TServices> services)
    : previous_(SetServices(std::move(services)))
{
}

TScopedServices::~TScopedServices()
{
    SetServices(std::move(previous_));
}
