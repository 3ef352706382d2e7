#include "platform/widgets/Mask.h"

#include "platform/core/SysUtils.h"
#include "platform/kernel/Accessibility.h"
#include "platform/kernel/QtInputWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

std::u32string Utf8ToUtf32(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU32String();
}

std::string Utf32ToUtf8(const std::u32string &text)
{
    return QString::fromStdU32String(text).toStdString();
}

// ---------------------------------------------------------------- TEditMask

TEditMask::TEditMask(const std::string &maskText)
{
    std::u32string mask = Utf8ToUtf32(maskText);
    Case charCase = Case::AsTyped;
    size_t i = 0;
    for (; i < mask.size(); ++i) {
        char32_t c = mask[i];
        Position pos;
        pos.charCase = charCase;
        switch (c) {
        case U';':
            break;
        case U'!': leadingBlanks_ = true; continue;
        case U'>': charCase = Case::Upper; continue;
        case U'<':
            if (i + 1 < mask.size() && mask[i + 1] == U'>') {
                ++i;
                charCase = Case::AsTyped;
            } else {
                charCase = Case::Lower;
            }
            continue;
        case U'\\':
            if (i + 1 < mask.size())
                ++i;
            pos.literal = mask[i];
            break;
        case U'L': pos.kind = Kind::Letter; pos.required = true; break;
        case U'l': pos.kind = Kind::Letter; break;
        case U'A': pos.kind = Kind::LetterOrDigit; pos.required = true; break;
        case U'a': pos.kind = Kind::LetterOrDigit; break;
        case U'C': pos.kind = Kind::Any; pos.required = true; break;
        case U'c': pos.kind = Kind::Any; break;
        case U'0': pos.kind = Kind::Digit; pos.required = true; break;
        case U'9': pos.kind = Kind::Digit; break;
        case U'#': pos.kind = Kind::DigitOrSign; break;
        case U'_': pos.literal = U' '; break;
        default: pos.literal = c; break;
        }
        if (c == U';')
            break;
        positions_.push_back(pos);
    }
    // The fields after the mask: save literals, then the blank character.
    if (i < mask.size()) {
        std::u32string rest = mask.substr(i + 1);
        size_t semi = rest.find(U';');
        std::u32string save = rest.substr(0, semi);
        if (!save.empty())
            saveLiterals_ = save[0] != U'0';
        if (semi != std::u32string::npos && semi + 1 < rest.size())
            blank_ = rest[semi + 1];
    }
}

bool TEditMask::IsLiteral(int pos) const
{
    return pos < 0 || pos >= Length() || positions_[static_cast<size_t>(pos)].kind == Kind::Literal;
}

bool TEditMask::IsRequired(int pos) const
{
    return !IsLiteral(pos) && positions_[static_cast<size_t>(pos)].required;
}

char32_t TEditMask::Literal(int pos) const
{
    return IsLiteral(pos) && pos >= 0 && pos < Length() ? positions_[static_cast<size_t>(pos)].literal : 0;
}

char32_t TEditMask::Accept(int pos, char32_t c) const
{
    if (IsLiteral(pos) || c < 0x20)
        return 0;
    const Position &p = positions_[static_cast<size_t>(pos)];
    QString s = QString::fromStdU32String(std::u32string(1, c));
    bool digit = c >= U'0' && c <= U'9';
    bool letter = !digit && !s.isEmpty() && s.at(0).isLetter();
    bool fits = false;
    switch (p.kind) {
    case Kind::Letter: fits = letter; break;
    case Kind::LetterOrDigit: fits = letter || digit; break;
    case Kind::Any: fits = true; break;
    case Kind::Digit: fits = digit; break;
    case Kind::DigitOrSign: fits = digit || c == U'+' || c == U'-'; break;
    case Kind::Literal: break;
    }
    if (!fits)
        return 0;
    if (p.charCase == Case::Upper)
        s = s.toUpper();
    else if (p.charCase == Case::Lower)
        s = s.toLower();
    std::u32string converted = s.toStdU32String();
    return converted.size() == 1 ? converted[0] : c;
}

std::u32string TEditMask::Layout(const std::u32string &text) const
{
    std::u32string result(positions_.size(), U' ');
    size_t i = 0;
    for (int p = 0; p < Length(); ++p) {
        if (IsLiteral(p)) {
            result[static_cast<size_t>(p)] = Literal(p);
            if (i < text.size() && text[i] == Literal(p))
                ++i;
            continue;
        }
        // The next literal of the mask met early in the text leaves the
        // positions before it blank; characters that fit nowhere are passed over.
        int next = p + 1;
        while (next < Length() && !IsLiteral(next))
            ++next;
        while (i < text.size()) {
            if (next < Length() && text[i] == Literal(next))
                break;
            char32_t c = text[i++];
            if (c == U' ' || c == blank_)
                break;
            if (char32_t accepted = Accept(p, c)) {
                result[static_cast<size_t>(p)] = accepted;
                break;
            }
        }
    }
    return result;
}

std::u32string TEditMask::TextOf(const std::u32string &positions) const
{
    std::u32string text;
    for (int p = 0; p < Length() && p < static_cast<int>(positions.size()); ++p)
        if (!IsLiteral(p) || saveLiterals_)
            text += positions[static_cast<size_t>(p)];
    return text;
}

bool TEditMask::Complete(const std::u32string &positions) const
{
    for (int p = 0; p < Length(); ++p)
        if (IsRequired(p) && (p >= static_cast<int>(positions.size()) || positions[static_cast<size_t>(p)] == U' '))
            return false;
    return true;
}

std::string FormatMaskText(const std::string &mask, const std::string &value)
{
    TEditMask m(mask);
    if (m.Empty())
        return value;
    return Utf32ToUtf8(m.TextOf(m.Layout(Utf8ToUtf32(value))));
}

// ---------------------------------------------------------------- TCustomMaskEdit

int TCustomMaskEdit::AccessibleRole() const { return ROLE_SYSTEM_TEXT; }

TCustomMaskEdit::TCustomMaskEdit(TComponent *owner) : TCustomControl(owner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetCursor(crIBeam);
    SetBounds(0, 0, 121, 21);
}

void TCustomMaskEdit::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    link_ = std::make_unique<TWidgetLink>(this, new TQtInputWindow(this, parentWidget));
}

void TCustomMaskEdit::SetEditMask(const std::string &mask)
{
    if (mask == maskText_)
        return;
    std::string text = Text();
    maskText_ = mask;
    mask_ = TEditMask(mask);
    content_ = IsMasked() ? mask_.Layout(Utf8ToUtf32(text)) : Utf8ToUtf32(text);
    selStart_ = selLength_ = anchor_ = 0;
    Invalidate();
}

std::string TCustomMaskEdit::Text() const
{
    return Utf32ToUtf8(IsMasked() ? mask_.TextOf(content_) : content_);
}

std::string TCustomMaskEdit::EditText() const
{
    if (!IsMasked())
        return Utf32ToUtf8(content_);
    std::u32string shown = content_;
    for (int p = 0; p < mask_.Length(); ++p)
        if (!mask_.IsLiteral(p) && shown[static_cast<size_t>(p)] == U' ')
            shown[static_cast<size_t>(p)] = mask_.BlankChar();
    return Utf32ToUtf8(shown);
}

void TCustomMaskEdit::SetText(const std::string &text)
{
    std::u32string u = Utf8ToUtf32(text);
    SetContent(IsMasked() ? mask_.Layout(u) : u);
    selStart_ = std::min(selStart_, static_cast<int>(content_.size()));
    selLength_ = 0;
}

void TCustomMaskEdit::SetContent(std::u32string content)
{
    if (content == content_)
        return;
    content_ = std::move(content);
    Invalidate();
    Change();
}

void TCustomMaskEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

bool TCustomMaskEdit::IsComplete() const
{
    return !IsMasked() || mask_.Complete(content_);
}

void TCustomMaskEdit::SetSelStart(int pos)
{
    selStart_ = anchor_ = std::clamp(pos, 0, static_cast<int>(content_.size()));
    selLength_ = 0;
    Invalidate();
}

void TCustomMaskEdit::SetSelLength(int length)
{
    selLength_ = std::clamp(length, 0, static_cast<int>(content_.size()) - selStart_);
    Invalidate();
}

void TCustomMaskEdit::SelectAll()
{
    selStart_ = anchor_ = 0;
    selLength_ = static_cast<int>(content_.size());
    Invalidate();
}

std::string TCustomMaskEdit::SelText() const
{
    return Utf32ToUtf8(content_.substr(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_)));
}

int TCustomMaskEdit::NextEditable(int pos) const
{
    while (pos < mask_.Length() && mask_.IsLiteral(pos))
        ++pos;
    return pos;
}

void TCustomMaskEdit::ClearSelection()
{
    if (selLength_ == 0)
        return;
    std::u32string content = content_;
    if (IsMasked()) {
        for (int p = selStart_; p < selStart_ + selLength_; ++p)
            if (!mask_.IsLiteral(p))
                content[static_cast<size_t>(p)] = U' ';
    } else {
        content.erase(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_));
    }
    selLength_ = 0;
    anchor_ = selStart_;
    SetContent(std::move(content));
}

void TCustomMaskEdit::TypeChar(char32_t c)
{
    if (readOnly_)
        return;
    if (IsMasked()) {
        int pos = NextEditable(selStart_);
        char32_t accepted = mask_.Accept(pos, c);
        if (!accepted)
            return; // a character the position refuses changes nothing
        ClearSelection();
        std::u32string content = content_;
        content[static_cast<size_t>(pos)] = accepted;
        selStart_ = anchor_ = NextEditable(pos + 1);
        selStart_ = anchor_ = std::min(selStart_, static_cast<int>(content.size()));
        modified_ = true;
        SetContent(std::move(content));
        return;
    }
    int length = static_cast<int>(content_.size()) - selLength_;
    if (maxLength_ > 0 && length >= maxLength_)
        return;
    ClearSelection();
    std::u32string content = content_;
    content.insert(static_cast<size_t>(selStart_), 1, c);
    selStart_ = anchor_ = selStart_ + 1;
    modified_ = true;
    SetContent(std::move(content));
}

void TCustomMaskEdit::DeleteBack()
{
    if (readOnly_)
        return;
    if (selLength_ > 0) {
        modified_ = true;
        ClearSelection();
        return;
    }
    int pos = selStart_ - 1;
    if (IsMasked())
        while (pos >= 0 && mask_.IsLiteral(pos))
            --pos;
    if (pos < 0)
        return;
    selStart_ = anchor_ = pos;
    selLength_ = 1;
    modified_ = true;
    ClearSelection();
}

void TCustomMaskEdit::DeleteForward()
{
    if (readOnly_)
        return;
    if (selLength_ == 0) {
        int pos = IsMasked() ? NextEditable(selStart_) : selStart_;
        if (pos >= static_cast<int>(content_.size()))
            return;
        int keep = selStart_;
        selStart_ = pos;
        selLength_ = 1;
        ClearSelection();
        selStart_ = anchor_ = keep;
    } else {
        ClearSelection();
    }
    modified_ = true;
}

void TCustomMaskEdit::MoveCaret(int pos, bool extend)
{
    pos = std::clamp(pos, 0, static_cast<int>(content_.size()));
    if (extend) {
        selStart_ = std::min(anchor_, pos);
        selLength_ = std::abs(pos - anchor_);
    } else {
        selStart_ = anchor_ = pos;
        selLength_ = 0;
    }
    Invalidate();
}

void TCustomMaskEdit::CopyToClipboard()
{
    if (selLength_ > 0)
        QGuiApplication::clipboard()->setText(QString::fromStdString(SelText()));
}

void TCustomMaskEdit::CutToClipboard()
{
    CopyToClipboard();
    if (readOnly_ || selLength_ == 0)
        return;
    modified_ = true;
    ClearSelection();
}

namespace {

// What a one-line edit takes of pasted text: the first line, without control characters.
std::u32string PastedLine(const std::string &clipboard)
{
    std::u32string line;
    for (char32_t c : Utf8ToUtf32(clipboard)) {
        if (c == U'\r' || c == U'\n')
            break;
        if (c >= 0x20 && c != 0x7F)
            line += c;
    }
    return line;
}

} // namespace

void TCustomMaskEdit::PasteFromClipboard()
{
    if (readOnly_)
        return;
    std::string clipboard = QGuiApplication::clipboard()->text().toStdString();
    // Digits keyed in full width reach a numeric edit in half width; pasted ones too.
    std::u32string line = PastedLine(NumericInput() ? HalfWidthForms(clipboard) : clipboard);
    if (line.empty())
        return;
    if (IsMasked()) {
        for (char32_t c : line)
            TypeChar(c);
        return;
    }
    int kept = static_cast<int>(content_.size()) - selLength_;
    if (maxLength_ > 0)
        line.resize(static_cast<size_t>(std::clamp(maxLength_ - kept, 0, static_cast<int>(line.size()))));
    if (line.empty())
        return;
    ClearSelection();
    std::u32string content = content_;
    content.insert(static_cast<size_t>(selStart_), line);
    selStart_ = anchor_ = selStart_ + static_cast<int>(line.size());
    modified_ = true;
    SetContent(std::move(content));
}

bool TCustomMaskEdit::ClipboardKey(int key, TShiftState shift)
{
    bool ctrl = (shift & ssCtrl) != 0, shifted = (shift & ssShift) != 0;
    if (shift & ssAlt)
        return false;
    if ((ctrl && key == 'C') || (ctrl && !shifted && key == VK_INSERT))
        CopyToClipboard();
    else if ((ctrl && key == 'X') || (shifted && !ctrl && key == VK_DELETE))
        CutToClipboard();
    else if ((ctrl && key == 'V') || (shifted && !ctrl && key == VK_INSERT))
        PasteFromClipboard();
    else
        return false;
    return true;
}

void TCustomMaskEdit::KeyDown(int &key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (ClipboardKey(key, shift)) {
        key = 0;
        return;
    }
    bool extend = (shift & ssShift) != 0;
    int caret = selStart_ == anchor_ ? selStart_ + selLength_ : selStart_;
    switch (key) {
    case VK_BACK: DeleteBack(); break;
    case VK_DELETE: DeleteForward(); break;
    case VK_LEFT: MoveCaret(caret - 1, extend); break;
    case VK_RIGHT: MoveCaret(caret + 1, extend); break;
    case VK_HOME: MoveCaret(0, extend); break;
    case VK_END: MoveCaret(static_cast<int>(content_.size()), extend); break;
    default: return;
    }
    key = 0;
}

void TCustomMaskEdit::KeyPress(char32_t &)
{
}

void TCustomMaskEdit::WndProc(TMessage &message)
{
    if (message.Msg == WM_CHAR) {
        auto c = static_cast<char32_t>(message.WParam);
        KeyPress(c);
        if (c >= 0x20)
            TypeChar(c);
        return;
    }
    TCustomControl::WndProc(message);
}

int TCustomMaskEdit::PositionAt(int x)
{
    // Nearest boundary between characters, measured with the control's font.
    TBitmap scratch(1, 1);
    scratch.Canvas().Font().Assign(Font());
    std::u32string shown = Utf8ToUtf32(EditText());
    int left = TextRect().Left + 2;
    for (size_t i = 0; i < shown.size(); ++i) {
        int before = scratch.Canvas().TextWidth(Utf32ToUtf8(shown.substr(0, i)));
        int after = scratch.Canvas().TextWidth(Utf32ToUtf8(shown.substr(0, i + 1)));
        if (x < left + (before + after) / 2)
            return static_cast<int>(i);
    }
    return static_cast<int>(shown.size());
}

void TCustomMaskEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (CanFocus() && !Focused())
        SetFocus();
    if (button == mbLeft)
        MoveCaret(PositionAt(x), (shift & ssShift) != 0);
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomMaskEdit::DoEnter()
{
    if (autoSelect_)
        SelectAll();
    TCustomControl::DoEnter();
}

void TCustomMaskEdit::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    canvas.Font().Assign(Font());
    TRect area = TextRect();
    std::u32string shown = Utf8ToUtf32(EditText());
    int x = area.Left + 2;
    int y = area.Top + std::max(0, (area.Height() - canvas.TextHeight("Ag")) / 2);
    canvas.SaveDC();
    canvas.IntersectClipRect(area);
    const std::string text = Utf32ToUtf8(shown);
    // The whole text is drawn once per part, each clipped to its part, so
    // that the characters stand where one drawing puts them and the selected
    // ones take the selection's text colour.
    auto drawPart = [&](int left, int right, TColor color) {
        if (left >= right)
            return;
        canvas.SaveDC();
        canvas.IntersectClipRect(TRect{left, area.Top, right, area.Bottom});
        canvas.Font().SetColor(color);
        canvas.TextOut(x, y, text);
        canvas.RestoreDC(-1);
    };
    canvas.Brush().SetStyle(bsClear);
    if (selLength_ > 0 && Focused()) {
        int from = x + canvas.TextWidth(Utf32ToUtf8(shown.substr(0, static_cast<size_t>(selStart_))));
        int to = x + canvas.TextWidth(Utf32ToUtf8(shown.substr(0, static_cast<size_t>(selStart_ + selLength_))));
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(clHighlight);
        canvas.FillRect(TRect{from, area.Top + 1, to, area.Bottom - 1});
        canvas.Brush().SetStyle(bsClear);
        drawPart(area.Left, from, Font().Color());
        drawPart(from, to, clHighlightText);
        drawPart(to, area.Right, Font().Color());
    } else {
        canvas.TextOut(x, y, text);
    }
    if (Focused() && !hideCaret_ && selLength_ == 0) {
        int cx = x + canvas.TextWidth(Utf32ToUtf8(shown.substr(0, static_cast<size_t>(selStart_))));
        canvas.Pen().SetColor(Font().Color());
        canvas.MoveTo(cx, y);
        canvas.LineTo(cx, y + canvas.TextHeight("Ag"));
    }
    canvas.RestoreDC(-1);
}
