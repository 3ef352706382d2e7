#include "platform/widgets/Memo.h"

#include "platform/kernel/Application.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/QtEditLook.h"
#include "platform/core/SysUtils.h"

#include <climits>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTextDocument>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextLayout>
#include <QTextOption>

namespace {

// The toolkit's plain-text editor ends the program when it is asked to paste
// clipboard data that holds nothing: such a paste inserts nothing here. Enter
// types a new line only when the memo wants returns.
class TPastingPlainTextEdit : public QPlainTextEdit {
public:
    TPastingPlainTextEdit(const TMemo &memo, QWidget *parent) : QPlainTextEdit(parent), memo_(memo) {}

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && !memo_.WantReturns())
            return;
        QPlainTextEdit::keyPressEvent(event);
    }
    bool canInsertFromMimeData(const QMimeData *source) const override
    {
        return source && source->hasText();
    }
    void insertFromMimeData(const QMimeData *source) override
    {
        if (!isReadOnly() && source && source->hasText() && !source->text().isEmpty())
            insertPlainText(source->text());
    }

private:
    const TMemo &memo_;
};

// The editor's lines (joined by LF) joined by CR LF.
std::string CrLfLines(const QString &plain)
{
    return StringReplaceAll(plain.toStdString(), "\n", "\r\n");
}

// The typed lines, broken where the editor breaks its paragraphs: at CR LF,
// a lone CR or a lone LF.
QStringList TypedLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

// One typed line laid out as the plain-text editor lays out a paragraph in
// its word-wrapping mode: at word boundaries, or anywhere in a word wider
// than the line.
void AppendWrapped(const QString &typed, const QFont &font, qreal lineWidth, std::vector<std::string> &shown)
{
    QTextLayout layout(typed, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    std::vector<std::pair<int, int>> spans;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        spans.emplace_back(line.textStart(), line.textLength());
    }
    layout.endLayout();
    if (spans.empty()) {
        shown.push_back(typed.toStdString());
        return;
    }
    for (size_t i = 0; i < spans.size(); ++i) {
        QString text = typed.mid(spans[i].first, spans[i].second);
        if (i + 1 < spans.size()) {
            qsizetype end = text.size();
            while (end > 0 && text[end - 1].isSpace())
                --end;
            text.truncate(end);
        }
        shown.push_back(text.toStdString());
    }
}

} // namespace

TCustomEdit::TCustomEdit(TComponent *owner) : TWinControl(owner)
{
    SetColor(clWindow);
    SetTabStop(true);
}

void TCustomEdit::SetText(const std::string &text)
{
    if (text == caption_)
        return;
    caption_ = text;
    Change();
}

void TCustomEdit::SetReadOnly(bool r)
{
    readOnly_ = r;
    if (!HandleAllocated())
        return;
    if (auto *line = qobject_cast<QLineEdit *>(Link()->Widget()))
        line->setReadOnly(r);
    else if (auto *text = qobject_cast<QPlainTextEdit *>(Link()->Widget()))
        text->setReadOnly(r);
}

void TCustomEdit::SelectAll()
{
    if (!HandleAllocated())
        return;
    if (auto *line = qobject_cast<QLineEdit *>(Link()->Widget()))
        line->selectAll();
    else if (auto *text = qobject_cast<QPlainTextEdit *>(Link()->Widget()))
        text->selectAll();
}

void TCustomEdit::TextEdited(const std::string &text)
{
    if (settingText_ || text == caption_)
        return;
    caption_ = text;
    Application().Guard([this] { Change(); });
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- TMemo

TMemo::TMemo(TComponent *owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 185, 89);
}

void TMemo::SetText(const std::string &text)
{
    if (text == caption_)
        return;
    if (HandleAllocated()) {
        settingText_ = true;
        static_cast<QPlainTextEdit *>(Link()->Widget())->setPlainText(QStr(text));
        settingText_ = false;
    }
    TCustomEdit::SetText(text);
}

std::vector<std::string> TMemo::Lines() const
{
    const QStringList typed = TypedLines(QStr(caption_));
    std::vector<std::string> shown;
    if (!wordWrap_) {
        for (const QString &line : typed)
            shown.push_back(line.toStdString());
        return shown;
    }
    // The editor wraps at the width of its view (no frame, no scroll bars:
    // the memo's width) less the document margin on both sides; a view
    // without width does not wrap.
    const qreal viewWidth = Width() > 0 ? Width() : qreal(INT_MAX);
    const qreal lineWidth = viewWidth - 2 * qreal(MemoTextMargin);
    const QFont font = ToQFont(Font());
    for (const QString &line : typed)
        AppendWrapped(line, font, lineWidth, shown);
    return shown;
}

void TMemo::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *edit = new TPastingPlainTextEdit(*this, parentWidget);
    edit->setFrameShape(QFrame::NoFrame);
    link_ = std::make_unique<TWidgetLink>(this, edit);
    link_->SetNative(true);
    link_->WatchWidget(edit->viewport());
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit,
                     [this, edit] { TextEdited(CrLfLines(edit->toPlainText())); });
}

void TMemo::InitializeHandle()
{
    TWinControl::InitializeHandle();
    auto *edit = static_cast<QPlainTextEdit *>(Link()->Widget());
    settingText_ = true;
    edit->setPlainText(QStr(caption_));
    settingText_ = false;
    edit->document()->setDocumentMargin(MemoTextMargin);
    edit->setReadOnly(ReadOnly());
    edit->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    edit->setTabChangesFocus(!wantTabs_);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ApplyLook();
}

void TMemo::SetWordWrap(bool w)
{
    wordWrap_ = w;
    if (HandleAllocated())
        static_cast<QPlainTextEdit *>(Link()->Widget())->setLineWrapMode(w ? QPlainTextEdit::WidgetWidth
                                                                             : QPlainTextEdit::NoWrap);
}

void TMemo::SetWantTabs(bool want)
{
    wantTabs_ = want;
    if (HandleAllocated())
        static_cast<QPlainTextEdit *>(Link()->Widget())->setTabChangesFocus(!want);
}

void TMemo::ApplyLook()
{
    if (!HandleAllocated())
        return;
    QWidget *w = Link()->Widget();
    QPalette palette = w->palette();
    palette.setColor(QPalette::Base, ToQColor(Color()));
    palette.setColor(QPalette::Text, ToQColor(Font().Color()));
    w->setPalette(palette);
    HideSelectionWithoutFocus(*w);
    w->setFont(ToQFont(Font()));
}

void TMemo::SetColor(TColor color)
{
    TCustomEdit::SetColor(color);
    ApplyLook();
}

void TMemo::FontChanged()
{
    TCustomEdit::FontChanged();
    ApplyLook();
}

// ---------------------------------------------------------------- TEdit

TEdit::TEdit(TComponent *owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const std::string &text)
{
    if (text == caption_)
        return;
    if (HandleAllocated()) {
        settingText_ = true;
        static_cast<QLineEdit *>(Link()->Widget())->setText(QStr(text));
        settingText_ = false;
    }
    TCustomEdit::SetText(text);
}

void TEdit::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *edit = new QLineEdit(parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, edit);
    link_->SetNative(true);
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [this](const QString &text) { TextEdited(text.toStdString()); });
}

void TEdit::InitializeHandle()
{
    TWinControl::InitializeHandle();
    auto *edit = static_cast<QLineEdit *>(Link()->Widget());
    settingText_ = true;
    edit->setText(QStr(caption_));
    settingText_ = false;
    edit->setReadOnly(ReadOnly());
    HideSelectionWithoutFocus(*edit);
    ApplyAlignment();
}

void TEdit::SetAlignment(TAlignment a)
{
    alignment_ = a;
    ApplyAlignment();
}

void TEdit::ApplyAlignment()
{
    if (!HandleAllocated())
        return;
    Qt::Alignment horizontal = alignment_ == taCenter ? Qt::AlignHCenter
                             : alignment_ == taRightJustify ? Qt::AlignRight
                                                            : Qt::AlignLeft;
    static_cast<QLineEdit *>(Link()->Widget())->setAlignment(horizontal | Qt::AlignVCenter);
}
