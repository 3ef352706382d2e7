// The main window's documents: the file reader and writer, and the File menu
// commands (new, open, recent file, save, save as, exit).
#include "schedule/MainDocument.h"

#include "platform/kernel/Application.h"
#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/MemoryPages.h"
#include "platform/core/Messages.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "schedule/Wait.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <unordered_map>

namespace {

const char *const kCannotWrite = "このファイル、またはフォルダに書き込みできません。";
const char *const kSavePrompt = "データが変更されています。保存しますか？";
const char *const kErrorCaption = "たるぼる";
const char *const kChangedElsewhere = "このファイルは、読み込みまたは保存の後にほかのプログラムで変更されています。"
                                      "上書き保存しますか？\r\n"
                                      "（「はい」はほかのプログラムでの変更を失います。「いいえ」は保存しません）";

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(' ') == std::string_view::npos;
}

// Whether every line of a piece of text is blank.
bool IsBlankAcrossLines(std::string_view piece)
{
    return std::all_of(piece.begin(), piece.end(), [](char c) { return c == ' ' || c == '\r' || c == '\n'; });
}

// Calls `line` for each line of a piece of text; a line break is CR LF, LF or CR.
template <typename F>
void SplitLines(std::string_view piece, bool keepBlank, F &&line)
{
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        bool end = i == piece.size();
        if (!end && piece[i] != '\r' && piece[i] != '\n')
            continue;
        std::string_view part = piece.substr(start, i - start);
        if (keepBlank || !IsBlank(part))
            line(part);
        if (end)
            break;
        if (piece[i] == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
}

// A piece that holds a line break (`breaks`) is never an opening tag.
bool IsOpeningTag(std::string_view piece, bool breaks)
{
    return !breaks && piece.size() >= 3 && piece.front() == '<' && piece.back() == '>' && piece[1] != '/';
}

// Whether `n` bytes are equal. Tags are short: they are compared here a word
// at a time (the last word overlapping the one before) rather than through a
// library call.
bool EqualBytes(const char *a, const char *b, size_t n)
{
    auto word8 = [](const char *p) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    };
    auto word4 = [](const char *p) {
        std::uint32_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    };
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8)
            if (word8(a + i) != word8(b + i))
                return false;
        return word8(a + n - 8) == word8(b + n - 8);
    }
    if (n >= 4)
        return word4(a) == word4(b) && word4(a + n - 4) == word4(b + n - 4);
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// Whether a line is exactly `tag`.
bool Same(std::string_view line, std::string_view tag)
{
    return line.size() == tag.size() && EqualBytes(line.data(), tag.data(), tag.size());
}

bool Closes(std::string_view closing, std::string_view opening)
{
    return closing.size() == opening.size() + 1 && closing.size() >= 2 && closing[0] == '<' && closing[1] == '/'
        && EqualBytes(closing.data() + 2, opening.data() + 1, opening.size() - 1);
}

// The bytes that end a piece or mark a line break in it.
constexpr std::array<bool, 256> kCutBytes = [] {
    std::array<bool, 256> cut{};
    cut['<'] = cut['>'] = cut['\r'] = cut['\n'] = true;
    return cut;
}();

// The document cut into lines: a line break before every "<" and after every
// ">", and blank lines dropped, except inside an element's value, whose lines
// are all kept.
//
// The lines are cut from the file's bytes as the reader asks for them, and
// the reader lets go of those it has passed (Forget): a large document never
// has a list of all its lines. The bytes are not decoded as a whole either:
// "<", ">" and the line breaks are never part of another character in code
// page 932 or UTF-8, so the lines of the bytes are the lines of the text, and
// a line is decoded only when its value is read (most are tags and numbers).
class TDocumentLines {
public:
    TDocumentLines(std::string_view bytes, bool utf8, bool release) : bytes_(bytes), utf8_(utf8), release_(release)
    {
        // Lines are kept as 32-bit places in the bytes.
        if (bytes_.size() > UINT32_MAX)
            throw EConvertError("ファイルが大きすぎます。");
    }

    // Whether there is a line `index` (cutting up to it).
    bool Has(size_t index)
    {
        while (index >= base_ + lines_.size() && !done_)
            CutMore();
        return index < base_ + lines_.size();
    }
    // The line's bytes (valid until it is forgotten). Tags and numbers
    // compare and read the same in the bytes as in the text.
    std::string_view operator[](size_t index) const
    {
        const TLine &line = lines_[index - base_];
        return bytes_.substr(line.offset, line.length);
    }
    // The line as UTF-8 text.
    std::string Text(size_t index) const
    {
        const std::string_view line = (*this)[index];
        return utf8_ ? RepairUtf8(line) : Cp932ToUtf8(line);
    }
    // The lines before `index` are not asked for again.
    void Forget(size_t index)
    {
        if (index <= base_ || index - base_ < 4096)
            return;
        const size_t drop = std::min(index - base_, lines_.size());
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(drop));
        base_ += drop;
        if (release_)
            ReleaseBefore(lines_.empty() ? start_ : std::min<size_t>(lines_.front().offset, start_));
    }
    // The line of the file (from 1) where a line of the list starts.
    int FileLine(size_t index) const
    {
        const size_t offset = lines_[index - base_].offset;
        return static_cast<int>(1 + breaksReleased_ + CountBreaks(released_, offset));
    }
    // The lines that are "<item>" once their spaces are taken out, counted
    // over the whole document without cutting it: such a line is a piece
    // from "<" to the next ">" with no other "<" and no line break in it.
    //
    // Such a "<" is followed by "i" or a space, which few others are: the
    // bytes are looked through a block at a time for that pair, and only a
    // block that has one is read "<" by "<".
    int CountItems() const
    {
        static constexpr std::string_view item = "<item>";
        static constexpr size_t kBlock = 64;  // as MayHoldItemTag looks at
        const auto *data = reinterpret_cast<const unsigned char *>(bytes_.data());
        const size_t n = bytes_.size();
        int count = 0;
        for (size_t block = 0; block + 1 < n; block += kBlock) {
            const size_t end = std::min(block + kBlock, n - 1);
            if (end == block + kBlock && !MayHoldItemTag(data + block))
                continue;
            for (size_t p = block; p < end; ++p) {
                if (data[p] != '<')
                    continue;
                size_t k = 0;
                for (size_t q = p; q < n && k < item.size(); ++q) {
                    const char c = static_cast<char>(data[q]);
                    if (c == ' ')
                        continue;
                    if (c != item[k])
                        break;
                    ++k;
                }
                count += k == item.size() ? 1 : 0;
            }
        }
        return count;
    }

private:
    struct TLine {
        std::uint32_t offset, length;
    };
    void Add(std::string_view line)
    {
        lines_.push_back(TLine{static_cast<std::uint32_t>(line.data() - bytes_.data()),
                               static_cast<std::uint32_t>(line.size())});
    }
    // A piece is a value only between an opening tag and its own closing
    // tag, so each piece is kept until the next one is known.
    void Take(std::string_view next, bool nextBreaks, bool last)
    {
        if (haveCurrent_) {
            bool value = current_.front() != '<' && !before_.empty() && !last && IsOpeningTag(before_, beforeBreaks_)
                && Closes(next, before_);
            if (currentBreaks_) {
                // Between elements, most often: line breaks and spaces only, no line.
                if (value || !IsBlankAcrossLines(current_))
                    SplitLines(current_, value, [this](std::string_view line) { Add(line); });
            } else if (value || !IsBlank(current_))
                Add(current_);  // most pieces: one line as it stands
            before_ = current_;
            beforeBreaks_ = currentBreaks_;
        }
        current_ = next;
        currentBreaks_ = nextBreaks;
        haveCurrent_ = true;
    }
    // Cuts pieces until at least one more line is made or the bytes end: a
    // piece ends before "<" and after ">", and it is noted whether it holds a
    // line break.
    void CutMore()
    {
        const size_t before = lines_.size();
        const char *data = bytes_.data();
        const size_t n = bytes_.size();
        while (pos_ < n && lines_.size() == before) {
            while (pos_ < n && !kCutBytes[static_cast<unsigned char>(data[pos_])])
                ++pos_;
            if (pos_ == n)
                break;
            const char c = data[pos_];
            if (c == '\r' || c == '\n') {
                breaks_ = true;
            } else if (c == '<' && pos_ > start_) {
                Take(bytes_.substr(start_, pos_ - start_), breaks_, false);
                start_ = pos_;
                breaks_ = false;
            } else if (c == '>') {
                Take(bytes_.substr(start_, pos_ + 1 - start_), breaks_, false);
                start_ = pos_ + 1;
                breaks_ = false;
            }
            ++pos_;
        }
        if (pos_ >= n && lines_.size() == before) {
            if (start_ < n)
                Take(bytes_.substr(start_), breaks_, false);
            start_ = n;
            Take({}, false, true);
            done_ = true;
        }
    }

    // Gives back the bytes before `needed` (and before the pieces the cutter
    // still holds), a megabyte at a time, counting their line breaks first.
    void ReleaseBefore(size_t needed)
    {
        auto at = [this](std::string_view piece) {
            return piece.empty() ? bytes_.size() : static_cast<size_t>(piece.data() - bytes_.data());
        };
        needed = std::min({needed, at(before_), at(current_)});
        const size_t cut = needed & ~size_t{4095};
        if (cut < released_ + (size_t{1} << 20))
            return;
        breaksReleased_ += CountBreaks(released_, cut);
        ReleaseReadPages(bytes_.data() + released_, cut - released_);
        released_ = cut;
    }

    // Whether one of the 64 bytes from `block` is a "<" followed by "i" or a
    // space (the byte after the block is looked at too). Written for the
    // compiler to compare many bytes at once.
    static bool MayHoldItemTag(const unsigned char *block)
    {
        unsigned char found = 0;
        for (size_t i = 0; i < 64; ++i) {
            const unsigned char c = block[i], next = block[i + 1];
            found |= static_cast<unsigned char>((c == '<') & ((next == 'i') | (next == ' ')));
        }
        return found != 0;
    }

    // The line breaks (CR LF, LF or a lone CR) that start in [from, to),
    // counted without a branch per byte.
    size_t CountBreaks(size_t from, size_t to) const
    {
        const auto *data = reinterpret_cast<const unsigned char *>(bytes_.data());
        const size_t n = bytes_.size();
        to = std::min(to, n);
        size_t count = 0;
        const size_t inner = std::min(to, n - std::min<size_t>(n, 1));  // bytes with one after them
        auto isBreak = [data](size_t i) {
            return static_cast<unsigned char>((data[i] == '\n') | ((data[i] == '\r') & (data[i + 1] != '\n')));
        };
        size_t i = from;
        for (; i + 64 <= inner; i += 64) {  // a fixed count the compiler does many at once
            unsigned char block = 0;
            for (size_t k = 0; k < 64; ++k)
                block += isBreak(i + k);
            count += block;
        }
        for (; i < inner; ++i)
            count += isBreak(i);
        if (inner < to && inner >= from)
            count += (data[inner] == '\n') | (data[inner] == '\r');
        return count;
    }

    std::string_view bytes_;
    bool utf8_;
    bool release_;
    size_t released_ = 0;        // the bytes before this place were given back
    size_t breaksReleased_ = 0;  // and held this many line breaks
    std::vector<TLine> lines_;
    size_t base_ = 0;  // the index of lines_[0]
    size_t pos_ = 0, start_ = 0;
    bool breaks_ = false;
    std::string_view before_, current_;
    bool haveCurrent_ = false, currentBreaks_ = false, beforeBreaks_ = false;
    bool done_ = false;
};

// Whether `text` holds `word`, ASCII letters compared without regard to case.
bool HoldsWordAnyCase(std::string_view text, std::string_view word)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); })
        != text.end();
}

// Whether "encoding" at the start of `text` is followed by a quoted value, as
// in a declaration, rather than being a word of some text.
bool NamesAnEncoding(std::string_view text)
{
    size_t i = std::string_view("encoding").size();
    auto skipSpaces = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    skipSpaces();
    if (i >= text.size() || text[i] != '=')
        return false;
    ++i;
    skipSpaces();
    return i < text.size() && (text[i] == '"' || text[i] == '\'');
}

// Whether the bytes are read as UTF-8. The first line that mentions
// "encoding" decides, the name's case aside: Shift_JIS there keeps code page
// 932, UTF-8 makes it UTF-8, any other encoding named keeps code page 932. A
// document that names none is UTF-8 when its bytes are UTF-8 beyond plain
// ASCII, as XML would read it, else code page 932.
bool IsUtf8Document(std::string_view bytes)
{
    // The first line that mentions it is the line of the first mention.
    const size_t at = bytes.find("encoding");
    if (at == std::string_view::npos)
        return HoldsUtf8Characters(bytes);
    const size_t before = bytes.find_last_of("\r\n", at);
    const size_t begin = before == std::string_view::npos ? 0 : before + 1;
    const size_t end = std::min(bytes.find_first_of("\r\n", at), bytes.size());
    const std::string_view line = bytes.substr(begin, end - begin);
    if (HoldsWordAnyCase(line, "Shift_JIS"))
        return false;
    // "UTF-8" as the program writes it is read as UTF-8 whatever the bytes,
    // as always. Another spelling of it is taken only when the bytes agree:
    // an encoding setting spelled so wrote code page 932 under that name.
    if (line.find("UTF-8") != std::string_view::npos)
        return true;
    if (HoldsWordAnyCase(line, "UTF-8"))
        return IsValidUtf8(bytes);
    if (NamesAnEncoding(bytes.substr(at, end - at)))
        return false;
    return HoldsUtf8Characters(bytes);
}

// Indices and lines far outside any meaningful range stay outside it, and the
// migrations' sums and the dialogs' one-based numbers cannot overflow.
constexpr int kIndexLimit = 1000000;

const char *const kScheduleElement = "<schedule>";

// The value lines of one element: [first, last).
struct TValueRange {
    size_t first = 0;
    size_t last = 0;
};

class TDocumentParser {
public:
    TDocumentParser(TDocumentLines &lines, TDocumentValues &doc) : lines_(lines), doc_(doc) {}

    void Run()
    {
        doc_.ItemCount = lines_.CountItems();
        const auto header = HeaderHandlers();
        bool inItemList = false;
        while (lines_.Has(i_)) {
            std::string_view line = lines_[i_];
            if (line == "</schedule>")
                break;
            auto handler = header.find(line);
            if (handler != header.end()) {
                handler->second(Values(line));
            } else if (line == "<itemlist>") {
                inItemList = true;
                ++i_;
            } else if (line == "</itemlist>") {
                inItemList = false;
                ++i_;
            } else if (line == "<item>" && inItemList) {
                ReadRow();
            } else {
                ++i_;
            }
        }
        Migrate();
        doc_.Complete = true;
    }

private:
    using THandler = std::function<void(TValueRange)>;

    // The lines after the opening tag at the cursor up to its closing tag; the
    // cursor moves past the closing tag.
    TValueRange Values(std::string_view openingTag)
    {
        TValueRange range{++i_, 0};
        while (lines_.Has(i_) && !Closes(lines_[i_], openingTag))
            ++i_;
        range.last = i_;
        if (lines_.Has(i_))
            ++i_;
        return range;
    }

    [[noreturn]] void Fail(size_t index, const char *what) const
    {
        std::string value = ShortenUtf8(lines_.Text(index), 80);
        throw EConvertError(IntToStr(lines_.FileLine(index)) + " 行目の値 \"" + value + "\" は" + what + "ではありません。");
    }

    // Calls `apply` for each non-blank value line, in turn.
    template <typename F>
    void EachValue(TValueRange range, F &&apply) const
    {
        for (size_t k = range.first; k < range.last; ++k)
            if (!IsBlank(lines_[k]))
                apply(k);
    }

    int Int(size_t k) const
    {
        int value;
        if (!Number(k, [&](std::string_view text) { return TryStrToInt(text, value); }))
            Fail(k, "整数");
        return value;
    }
    long double Float(size_t k) const
    {
        long double value;
        if (!Number(k, [&](std::string_view text) { return TryStrToFloat(text, value); }) || !std::isfinite(value))
            Fail(k, "数値");
        return value;
    }
    TDateTime Date(size_t k) const
    {
        TDateTime value;
        if (!Number(k, [&](std::string_view text) { return TryStrToDateTime(text, value); }))
            Fail(k, "日付");
        return value;
    }
    std::string Text(size_t k) const
    {
        std::string text = lines_.Text(k);
        return text.find('&') == std::string::npos ? text : UnescapeXmlText(text);
    }
    // Reads a number's or date's line with `read`, trimmed: its bytes when
    // they are plain ASCII (as they almost always are), else its text.
    template <typename F>
    bool Number(size_t k, F &&read) const
    {
        const std::string_view line = lines_[k];
        if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return read(TrimView(line));
        const std::string text = lines_.Text(k);
        return read(TrimView(text));
    }

    void SetInt(TValueRange r, std::optional<int> &to) const { EachValue(r, [&](size_t k) { to = Int(k); }); }
    void SetInt(TValueRange r, int &to) const { EachValue(r, [&](size_t k) { to = Int(k); }); }
    void SetFlag(TValueRange r, std::optional<bool> &to) const { EachValue(r, [&](size_t k) { to = Int(k) != 0; }); }
    void SetColor(TValueRange r, std::optional<TColor> &to) const
    {
        EachValue(r, [&](size_t k) { to = static_cast<TColor>(Int(k)); });
    }
    void SetFloat(TValueRange r, std::optional<long double> &to) const { EachValue(r, [&](size_t k) { to = Float(k); }); }
    void SetText(TValueRange r, std::optional<std::string> &to) const { EachValue(r, [&](size_t k) { to = Text(k); }); }
    void SetText(TValueRange r, std::string &to) const { EachValue(r, [&](size_t k) { to = Text(k); }); }
    // The line a text whose default is not empty (the heading, a font's
    // name) takes: the last that is not blank, as SetText; an element that
    // holds nothing else gives its blank line, spaces as written, or none at
    // all (the text is then empty) rather than leaving the default.
    std::optional<size_t> WrittenTextLine(TValueRange r) const
    {
        for (size_t k = r.last; k > r.first; --k)
            if (!IsBlank(lines_[k - 1]))
                return k - 1;
        if (r.last > r.first)
            return r.last - 1;
        return std::nullopt;
    }
    void SetWrittenText(TValueRange r, std::optional<std::string> &to) const
    {
        const std::optional<size_t> k = WrittenTextLine(r);
        to = k ? Text(*k) : std::string();
    }
    // A value that may hold line breaks: every line, blank ones included.
    std::string Joined(TValueRange r) const
    {
        std::string text;
        AppendJoined(r, text);
        return text;
    }
    void AppendJoined(TValueRange r, std::string &text) const
    {
        for (size_t k = r.first; k < r.last; ++k) {
            if (k > r.first)
                text += "\r\n";
            text += Text(k);
        }
    }
    // A chakushubi or jissekibi: years above 3900 lose 1988 at a time.
    TDateTime YearRuled(size_t k) const
    {
        TDateTime date = Date(k);
        int y, m, d;
        DecodeDate(date, y, m, d);
        if (y <= 3900)
            return date;
        while (y > 3900)
            y -= 1988;
        d = std::min(d, DaysInMonth(y, m));
        TDateTime time = std::fabs(date - std::trunc(date));
        return EncodeDate(y, m, d) + time;
    }

    std::unordered_map<std::string_view, THandler> HeaderHandlers()
    {
        TDocumentValues &d = doc_;
        std::unordered_map<std::string_view, THandler> h = {
            {"<version>", [&](TValueRange r) {
                 EachValue(r, [&](size_t k) {
                     d.FileVersion = static_cast<int>(RoundHalfEven(std::clamp(Float(k), -1e7L, 1e7L) * 100));
                 });
             }},
            {"<title>", [&](TValueRange r) { SetText(r, d.Title); }},
            {"<startdate>", [&](TValueRange r) { EachValue(r, [&](size_t k) { d.StartDate = Date(k); }); }},
            {"<timescale>", [&](TValueRange r) { SetInt(r, d.TimeScale); }},
            {"<calendarindex>", [&](TValueRange r) { SetInt(r, d.CalendarIndex); }},
            {"<itempanel>", [&](TValueRange r) { SetInt(r, d.ItemPanel); }},
            {"<papersize>", [&](TValueRange r) { SetInt(r, d.PaperSize); }},
            {"<orientation>", [&](TValueRange r) { SetInt(r, d.Orientation); }},
            {"<topmargin>", [&](TValueRange r) { SetFloat(r, d.TopMargin); }},
            {"<bottommargin>", [&](TValueRange r) { SetFloat(r, d.BottomMargin); }},
            {"<leftmargin>", [&](TValueRange r) { SetFloat(r, d.LeftMargin); }},
            {"<rightmargin>", [&](TValueRange r) { SetFloat(r, d.RightMargin); }},
            {"<frametop>", [&](TValueRange r) { SetFlag(r, d.FrameTop); }},
            {"<framebottom>", [&](TValueRange r) { SetFlag(r, d.FrameBottom); }},
            {"<frameleft>", [&](TValueRange r) { SetFlag(r, d.FrameLeft); }},
            {"<frameright>", [&](TValueRange r) { SetFlag(r, d.FrameRight); }},
            {"<framecolor>", [&](TValueRange r) { SetColor(r, d.FrameColor); }},
            {"<framewidth>", [&](TValueRange r) { SetInt(r, d.FrameWidth); }},
            {"<printmidashi>", [&](TValueRange r) { SetWrittenText(r, d.PrintMidashi); }},
            {"<printtitle>", [&](TValueRange r) { SetFlag(r, d.PrintTitle); }},
            {"<printdate>", [&](TValueRange r) { SetFlag(r, d.PrintDate); }},
            {"<printhanko1>", [&](TValueRange r) { SetFlag(r, d.PrintHanko1); }},
            {"<printhanko2>", [&](TValueRange r) { SetFlag(r, d.PrintHanko2); }},
            {"<printhanko3>", [&](TValueRange r) { SetFlag(r, d.PrintHanko3); }},
            {"<printhanko4>", [&](TValueRange r) { SetFlag(r, d.PrintHanko4); }},
            {"<printkaishamei>", [&](TValueRange r) {
                 if (r.last > r.first)
                     d.PrintKaishamei = Joined(r);
             }},
        };
        static const std::array<std::string, 12> names = [] {
            std::array<std::string, 12> a;
            for (size_t g = 0; g < 12; ++g)
                a[g] = "<groupname" + IntToStr(static_cast<long long>(g + 1)) + ">";
            return a;
        }();
        static const std::array<std::string, 12> colors = [] {
            std::array<std::string, 12> a;
            for (size_t g = 0; g < 12; ++g)
                a[g] = "<groupcolor" + IntToStr(static_cast<long long>(g + 1)) + ">";
            return a;
        }();
        for (size_t g = 0; g < 12; ++g) {
            h[names[g]] = [&d, this, g](TValueRange r) { SetText(r, d.GroupNames[g]); };
            h[colors[g]] = [&d, this, g](TValueRange r) { SetColor(r, d.GroupColors[g]); };
        }
        return h;
    }

    // Reads the lines up to `closing`, giving each opening line to `element`,
    // which either consumes the element (true) or lets the line be passed over.
    template <typename F>
    void Walk(std::string_view closing, F &&element)
    {
        while (lines_.Has(i_) && !Same(lines_[i_], closing)) {
            if (!element(lines_[i_]))
                ++i_;
        }
        if (lines_.Has(i_))
            ++i_;
    }

    // From an opening list line: each `item` line up to `closing` is read by `readItem`.
    template <typename F>
    void WalkList(std::string_view closing, std::string_view item, F &&readItem)
    {
        ++i_;
        Walk(closing, [&](std::string_view line) {
            if (!Same(line, item))
                return false;
            readItem();
            return true;
        });
    }

    // Nearly every font of a document has the same name: the text of the
    // last name's bytes is kept rather than decoded again. A row's and a
    // bar's font start from a name of the settings, so a name written empty
    // or blank is read as written; an event's starts empty, and a blank name
    // leaves it so.
    void SetFontName(TValueRange r, std::optional<std::string> &to, bool blankIsName)
    {
        const std::optional<size_t> k = WrittenTextLine(r);
        if (!k || IsBlank(lines_[*k])) {
            if (blankIsName)
                to = k ? Text(*k) : std::string();
            return;
        }
        const std::string_view bytes = lines_[*k];
        if (!fontNameRead_ || bytes != lastFontBytes_) {
            lastFontName_ = Text(*k);
            lastFontBytes_.assign(bytes);
            fontNameRead_ = true;
        }
        to = lastFontName_;
    }

    enum class TFontOwner { RowOrBar, Event };

    void ReadFont(TFontValues &font, TFontOwner owner = TFontOwner::RowOrBar)
    {
        ++i_;
        Walk("</font>", [&](std::string_view line) {
            if (Same(line, "<name>"))
                SetFontName(Values(line), font.Name, owner == TFontOwner::RowOrBar);
            else if (Same(line, "<size>"))
                SetInt(Values(line), font.Size);
            else if (Same(line, "<color>"))
                SetColor(Values(line), font.Color);
            else
                return false;
            return true;
        });
    }

    // A row goes to the receiver once read: also a row cut short by a value
    // that could not be read, as a kept row would stay.
    void ReadRow()
    {
        // The lines of the rows before are done with.
        lines_.Forget(i_);
        doc_.Rows.emplace_back();
        try {
            ReadRowValues(doc_.Rows.size() - 1);
        } catch (...) {
            HandOverRow();
            throw;
        }
        HandOverRow();
    }

    void HandOverRow()
    {
        if (!doc_.RowRead || doc_.Rows.empty())
            return;
        TRowValues row = std::move(doc_.Rows.back());
        doc_.Rows.pop_back();
        doc_.RowRead(row);
    }

    void ReadRowValues(size_t index)
    {
        auto row = [&]() -> TRowValues & { return doc_.Rows[index]; };
        ++i_;
        Walk("</item>", [&](std::string_view line) {
            if (Same(line, "<height>")) {
                TValueRange r = Values(line);
                for (size_t k = r.first; k < r.last; ++k)
                    if (!IsBlank(lines_[k])) {
                        row().Height = Int(k);
                        break;
                    }
            } else if (Same(line, "<text>")) {
                TValueRange r = Values(line);
                if (r.last > r.first) {
                    // Appended in place: a row may hold a great many of them.
                    if (row().Text)
                        *row().Text += "\r\n";
                    else
                        row().Text.emplace();
                    AppendJoined(r, *row().Text);
                }
            } else if (Same(line, "<color>")) {
                SetColor(Values(line), row().Color);
            } else if (Same(line, "<alignment>")) {
                SetInt(Values(line), row().Alignment);
            } else if (Same(line, "<chartcnt>")) {
                SetInt(Values(line), row().LineCount);
            } else if (Same(line, "<font>")) {
                ReadFont(row().Font);
            } else if (Same(line, "<chartlist>")) {
                // Room for a row's usual bars at once rather than growing four times.
                row().Charts.reserve(std::max<size_t>(row().Charts.capacity(), 16));
                WalkList("</chartlist>", "<chart>", [&] { ReadChart(row().Charts.emplace_back()); });
            } else if (Same(line, "<eventlist>")) {
                WalkList("</eventlist>", "<event>", [&] { ReadEvent(row().Events.emplace_back()); });
            } else {
                return false;
            }
            return true;
        });
    }

    // An end before the start is taken as far after it; past 9999/12/31 it
    // is held to that day (a date the file could not hold again), and the
    // duration follows.
    static void ApplyDurationRule(TChartValues &c)
    {
        long double d = static_cast<long double>(c.EndDate) - c.StartDate;
        if (d > 0) {
            c.Duration = d;
        } else if (d < 0) {
            const auto end = static_cast<TDateTime>(c.StartDate - d);
            c.EndDate = HeldEnd(c.StartDate, end);
            c.Duration = c.EndDate == end ? -d : static_cast<long double>(c.EndDate) - c.StartDate;
        } else {
            c.Duration = 0;
            c.EndDate = c.StartDate;
        }
    }

    void ReadChart(TChartValues &c)
    {
        ++i_;
        Walk("</chart>", [&](std::string_view line) {
            if (Same(line, "<text>")) {
                TValueRange r = Values(line);
                if (r.last > r.first)
                    c.Text = Joined(r);
            } else if (Same(line, "<color>")) {
                SetColor(Values(line), c.Color);
            } else if (Same(line, "<alignment>")) {
                SetInt(Values(line), c.Alignment);
            } else if (Same(line, "<font>")) {
                ReadFont(c.Font);
            } else if (Same(line, "<startdate>")) {
                EachValue(Values(line), [&](size_t k) { c.StartDate = Date(k); });
            } else if (Same(line, "<enddate>")) {
                EachValue(Values(line), [&](size_t k) {
                    c.EndDate = Date(k);
                    ApplyDurationRule(c);
                });
            } else if (Same(line, "<line>")) {
                SetInt(Values(line), c.Line);
            } else if (Same(line, "<yotei>")) {
                SetInt(Values(line), c.Yotei);
            } else if (Same(line, "<jisseki>")) {
                SetInt(Values(line), c.Jisseki);
            } else if (Same(line, "<chakushubi>")) {
                EachValue(Values(line), [&](size_t k) { c.Chakushubi = YearRuled(k); });
            } else if (Same(line, "<jissekibi>")) {
                EachValue(Values(line), [&](size_t k) { c.Jissekibi = YearRuled(k); });
            } else if (Same(line, "<ritsu>")) {
                // The rate's value ends at its own closing tag or at "</jisseki>".
                ++i_;
                while (lines_.Has(i_) && !Same(lines_[i_], "</ritsu>") && !Same(lines_[i_], "</jisseki>")) {
                    if (!IsBlank(lines_[i_]))
                        c.Ritsu = Float(i_);
                    ++i_;
                }
                if (lines_.Has(i_))
                    ++i_;
            } else if (Same(line, "<bikou>")) {
                TValueRange r = Values(line);
                if (r.last > r.first)
                    c.Bikou = Joined(r);
            } else if (Same(line, "<group>")) {
                SetText(Values(line), c.Group);
            } else {
                return false;
            }
            return true;
        });
    }

    void ReadEvent(TEvent &e)
    {
        ++i_;
        Walk("</event>", [&](std::string_view line) {
            std::optional<int> number;
            if (Same(line, "<eventdate>")) {
                EachValue(Values(line), [&](size_t k) { e.EventDate = Date(k); });
            } else if (Same(line, "<marker>")) {
                SetText(Values(line), e.Marker);
            } else if (Same(line, "<eventname>")) {
                SetText(Values(line), e.EventName);
            } else if (Same(line, "<font>")) {
                TFontValues font;
                ReadFont(font, TFontOwner::Event);
                e.FontName = font.Name.value_or(e.FontName);
                e.FontSize = font.Size.value_or(e.FontSize);
                e.FontColor = font.Color.value_or(e.FontColor);
            } else if (Same(line, "<line>")) {
                SetInt(Values(line), e.Line);
                e.Line = std::clamp(e.Line, -kIndexLimit, kIndexLimit);
            } else if (Same(line, "<position>")) {
                SetInt(Values(line), number);
                e.Position = static_cast<std::uint8_t>(number.value_or(e.Position));
            } else if (Same(line, "<endflg>")) {
                SetInt(Values(line), number);
                e.EndFlg = static_cast<std::uint8_t>(number.value_or(e.EndFlg));
            } else {
                return false;
            }
            return true;
        });
    }

    void Migrate()
    {
        const int v = doc_.FileVersion;
        int index = std::clamp(doc_.CalendarIndex, -kIndexLimit, kIndexLimit);
        if (v >= 82 && v < 200) {
            if (v <= 105 && doc_.TimeScale == 1)
                index += 3;
            else if (v <= 105 && doc_.TimeScale == 2)
                index += 6;
            if (index >= 0 && index <= 9)
                doc_.TabIndex = index;
        } else if (v >= 200) {
            if (index == 0 || index == 1)
                doc_.TabIndex = 0;
            else if (index >= 2 && index <= 10)
                doc_.TabIndex = index - 1;
        } else {
            if (index >= 0 && index <= 6)
                doc_.TabIndex = index;
        }
        for (TRowValues &row : doc_.Rows) {
            for (TChartValues &c : row.Charts)
                MigrateChart(v, c.StartDate, c.EndDate, c.Jisseki, c.Chakushubi, c.Jissekibi);
            for (TEvent &e : row.Events)
                MigrateEventLine(v, e.Line);
        }
    }

    TDocumentLines &lines_;
    TDocumentValues &doc_;
    size_t i_ = 0;
    bool fontNameRead_ = false;
    std::string lastFontBytes_, lastFontName_;
};

// ---------------------------------------------------------------- writing

std::string SignedColor(TColor color)
{
    return IntToStr(static_cast<std::int32_t>(color));
}

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

// A text value: line breaks as CR LF, and the three markup characters as entities.
std::string TextValue(std::string_view text)
{
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            lines += text[i];
        }
    }
    return EscapeXmlText(lines);
}

// What code page 932 did not keep of a document's text.
struct TCp932Count {
    size_t lacking = 0;  // written as "?"
    size_t changed = 0;  // written as another character
};

class TDocumentWriter {
public:
    explicit TDocumentWriter(TfrmMain &form) : form_(form) {}

    // Writes the document as UTF-8, or in code page 932 when `replaced` is
    // given: it then counts the characters that have no code there (each
    // written as "?") and those written as another character ("¥" as "\").
    void WriteTo(TAtomicFileWriter &file, const std::string &encoding, TCp932Count *replaced)
    {
        file_ = &file;
        out_.clear();
        replaced_ = replaced;
        if (replaced_)
            *replaced_ = TCp932Count();
        out_ += "<?xml version=\"1.0\" encoding=\"" + encoding + "\" standalone=\"yes\" ?>\r\n";
        out_ += "<?xml-stylesheet type=\"text/xsl\" href=\"" + XSL + "\"?>\r\n";
        out_ += "<schedule>\r\n";
        Header();
        out_ += "<itemlist>\r\n";
        for (const auto &row : ItemList) {
            Row(*row);
            if (out_.size() >= kPieceSize)
                Flush();
        }
        out_ += "</itemlist>\r\n";
        out_ += "</schedule>\r\n";
        Flush();
        std::string().swap(out_);
        file_ = nullptr;
    }

private:
    // The text goes to the file a piece at a time, so that a large document
    // is never held as a whole (nor in both encodings).
    static constexpr size_t kPieceSize = size_t{1} << 18;
    void Flush()
    {
        if (replaced_) {
            size_t count = 0;
            file_->Write(Utf8ToCp932(out_, count));
            replaced_->lacking += count;
            replaced_->changed += Cp932ChangedCharacters(out_);
        } else {
            file_->Write(out_);
        }
        out_.clear();
    }

    void Element(std::string_view tag, std::string_view value)
    {
        out_ += '<';
        out_ += tag;
        out_ += '>';
        out_ += value;
        out_ += "</";
        out_ += tag;
        out_ += ">\r\n";
    }
    void TextElement(std::string_view tag, std::string_view text) { Element(tag, TextValue(text)); }

    static int LegacyTimeScale(int tab)
    {
        if (tab >= 3 && tab <= 6)
            return 1;
        if (tab == 7 || tab == 8)
            return 2;
        return 0;
    }

    void Header()
    {
        int tab = form_.tbcCalSelect->TabIndex();
        Element("version", FormatFloat("0.00", AppVersion));
        TextElement("title", form_.edtHdTitle->Text());
        Element("startdate", FormatDocumentDate(StartDate, false));
        Element("timescale", IntToStr(LegacyTimeScale(tab)));
        Element("calendarindex", IntToStr(tab));
        Element("itempanel", IntToStr(form_.pnlItem->Width()));
        Element("papersize", IntToStr(PaperSize));
        Element("orientation", IntToStr(Orientation));
        Element("topmargin", FloatToStr(TopMargin));
        Element("bottommargin", FloatToStr(BottomMargin));
        Element("leftmargin", FloatToStr(LeftMargin));
        Element("rightmargin", FloatToStr(RightMargin));
        Element("frametop", Flag(FrameTop));
        Element("framebottom", Flag(FrameBottom));
        Element("frameleft", Flag(FrameLeft));
        Element("frameright", Flag(FrameRight));
        Element("framecolor", SignedColor(FrameColor));
        Element("framewidth", IntToStr(FrameWidth));
        TextElement("printmidashi", PrintMidashi);
        Element("printtitle", Flag(PrintTitle));
        Element("printdate", Flag(PrintDate));
        Element("printhanko1", Flag(PrintHanko1));
        Element("printhanko2", Flag(PrintHanko2));
        Element("printhanko3", Flag(PrintHanko3));
        Element("printhanko4", Flag(PrintHanko4));
        TextElement("printkaishamei", PrintKaishamei);
        for (size_t g = 0; g < Groups.size(); ++g)
            TextElement("groupname" + IntToStr(static_cast<long long>(g + 1)), Groups[g].Name);
        for (size_t g = 0; g < Groups.size(); ++g)
            Element("groupcolor" + IntToStr(static_cast<long long>(g + 1)), SignedColor(Groups[g].Color));
    }

    void Font(const TFont &font)
    {
        out_ += "<font>\r\n";
        TextElement("name", font.Name());
        Element("size", IntToStr(font.Size()));
        Element("color", SignedColor(font.Color()));
        out_ += "</font>\r\n";
    }

    void Row(const TItem &row)
    {
        out_ += "<item>\r\n";
        Element("height", IntToStr(row.FMemo->Height()));
        TextElement("text", row.FMemo->Text());
        Element("color", SignedColor(row.FMemo->Color()));
        Element("alignment", IntToStr(static_cast<int>(row.FMemo->Alignment())));
        Element("chartcnt", IntToStr(row.FLineCount));
        Font(row.FMemo->Font());
        out_ += "<chartlist>\r\n";
        for (const auto &chart : row.FCharts)
            Chart(*chart);
        out_ += "</chartlist>\r\n";
        out_ += "<eventlist>\r\n";
        for (const TEvent &e : row.FEvents)
            Event(e);
        out_ += "</eventlist>\r\n";
        out_ += "</item>\r\n";
    }

    void Chart(const TChart &c)
    {
        out_ += "<chart>\r\n";
        TextElement("text", c.FBar->Caption());
        Element("color", SignedColor(c.FBar->Color()));
        Element("alignment", IntToStr(static_cast<int>(c.FBar->Alignment())));
        Font(c.FBar->Font());
        Element("startdate", FormatDocumentDate(c.FStartDate, true));
        Element("nissuu", FormatFloat("0.00", c.FDuration));
        Element("jitsudounissuu", FormatFloat("0.00", WorkingDays(c)));
        Element("enddate", FormatDocumentDate(c.FEndDate, true));
        Element("line", IntToStr(c.FLine));
        Element("yotei", IntToStr(c.FYotei));
        Element("jisseki", IntToStr(c.FJisseki));
        if (c.FChakushubi != 0)
            Element("chakushubi", FormatDocumentDate(c.FChakushubi, false));
        if (c.FJissekibi != 0)
            Element("jissekibi", FormatDocumentDate(c.FJissekibi, false));
        Element("ritsu", FloatToStr(c.FRitsu));
        TextElement("bikou", c.FBikou);
        TextElement("group", c.FGroup);
        out_ += "</chart>\r\n";
    }

    void Event(const TEvent &e)
    {
        out_ += "<event>\r\n";
        Element("eventdate", FormatDocumentDate(e.EventDate, false));
        TextElement("marker", e.Marker);
        TextElement("eventname", e.EventName);
        out_ += "<font>\r\n";
        TextElement("name", e.FontName);
        Element("size", IntToStr(e.FontSize));
        Element("color", SignedColor(e.FontColor));
        out_ += "</font>\r\n";
        Element("line", IntToStr(e.Line));
        Element("position", IntToStr(e.Position));
        Element("endflg", IntToStr(e.EndFlg));
        out_ += "</event>\r\n";
    }

    TfrmMain &form_;
    std::string out_;
    TAtomicFileWriter *file_ = nullptr;
    TCp932Count *replaced_ = nullptr;
};

// The hourglass for a scope.
class THourGlass {
public:
    THourGlass() { Screen().SetCursor(crHourGlass); }
    ~THourGlass() { Screen().SetCursor(crDefault); }
    THourGlass(const THourGlass &) = delete;
    THourGlass &operator=(const THourGlass &) = delete;
};

bool IsNewerDialogSystem()
{
    std::string os = GetOSName();
    return os == "Vista" || os == "Seven";
}

void ShowError(const std::string &message)
{
    Services().MessageBox(message, kErrorCaption, MB_OK | MB_ICONERROR);
}

} // namespace

// ---------------------------------------------------------------- values

std::string EscapeXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string UnescapeXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            std::string_view rest = text.substr(i);
            if (rest.substr(0, 4) == "&lt;") { out += '<'; i += 3; continue; }
            if (rest.substr(0, 4) == "&gt;") { out += '>'; i += 3; continue; }
            if (rest.substr(0, 5) == "&amp;") { out += '&'; i += 4; continue; }
        }
        out += text[i];
    }
    return out;
}

std::string FormatDocumentDate(TDateTime date, bool withTime)
{
    // The platform's date decoding rounds to the millisecond, so a time stored
    // as 15:59:59.9999 is written (and read back) as 16:00:00.
    // A date the editing got past either end of the calendar is written at
    // that end: the file holds no other.
    date = HeldToCalendar(date);
    int h, m, s, ms;
    DecodeTime(date, h, m, s, ms);
    if (withTime && (h != 0 || m != 0 || s != 0 || ms != 0))
        return FormatDateTime("yyyy/MM/dd hh:nn:ss", date);
    return FormatDateTime("yyyy/MM/dd", date);
}

int DaysOfTimeScaleTab(int tabIndex)
{
    static const int days[] = {7, 14, 21, 31, 62, 95, 183, 365, 730};
    if (tabIndex >= 0 && tabIndex < kCustomScaleTab)
        return days[tabIndex];
    return CustomTimeScale;
}

bool HoldsScheduleElement(const std::string &fileName)
{
    // Both encodings of a document keep the tag byte for byte (a code page 932
    // trail byte is never "<"), so the raw bytes are searched, a block at a
    // time: a document names it in its first lines.
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    const std::string_view tag(kScheduleElement);
    std::string window;
    std::vector<char> block(65536);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        window.append(block.data(), static_cast<size_t>(in.gcount()));
        if (window.find(tag) != std::string::npos)
            return true;
        window.erase(0, window.size() - std::min(window.size(), tag.size() - 1));
    }
    if (in.bad())
        throw EReadError("Cannot read file \"" + fileName + "\".");
    return false;
}

void FitDocumentStartDate(TDocumentValues &doc)
{
    if (!doc.StartDate || todayStart)
        return;
    // Without a tab of its own the document shows the new document's.
    doc.StartDate = NearestFittingStart(*doc.StartDate, DaysOfTimeScaleTab(doc.TabIndex.value_or(0)));
}

void ParseScheduleDocument(std::string_view bytes, TDocumentValues &doc)
{
    if (bytes.find(kScheduleElement) == std::string_view::npos)
        throw EConvertError("スケジュールのファイルではありません（<schedule> 要素がありません）。");
    TDocumentLines lines(bytes, IsUtf8Document(bytes), doc.ReleaseBytesRead);
    TDocumentParser(lines, doc).Run();
}

void MigrateChart(int fileVersion, TDateTime startDate, TDateTime endDate, int jisseki, TDateTime &chakushubi,
                  TDateTime &jissekibi)
{
    if (fileVersion >= 82 || jisseki <= 0 || jissekibi != 0)
        return;
    chakushubi = startDate;
    TDateTime last = std::trunc(endDate);
    // A bar that ends on 0001/01/01 has its last day there too.
    jissekibi = HeldToCalendar(last == endDate ? last - 1 : last);
}

void MigrateEventLine(int fileVersion, int &line)
{
    if (fileVersion < 83)
        line -= 1;
}

// ---------------------------------------------------------------- the reader

namespace {

void ApplyFont(TFont &font, const TFontValues &values)
{
    if (values.Name)
        font.SetName(*values.Name);
    if (values.Size)
        font.SetSize(*values.Size);
    if (values.Color)
        font.SetColor(*values.Color);
}

std::optional<TAlignment> AlignmentOf(std::optional<int> value)
{
    if (value && *value >= 0 && *value <= 2)
        return static_cast<TAlignment>(*value);
    return std::nullopt;
}

void ApplyPageSettings(const TDocumentValues &d)
{
    if (d.PaperSize)
        PaperSize = *d.PaperSize < 0 || *d.PaperSize > 26 ? 9 : *d.PaperSize;
    if (d.Orientation)
        Orientation = static_cast<std::uint8_t>(*d.Orientation);
    TopMargin = d.TopMargin.value_or(TopMargin);
    BottomMargin = d.BottomMargin.value_or(BottomMargin);
    LeftMargin = d.LeftMargin.value_or(LeftMargin);
    RightMargin = d.RightMargin.value_or(RightMargin);
    FrameTop = d.FrameTop.value_or(FrameTop);
    FrameBottom = d.FrameBottom.value_or(FrameBottom);
    FrameLeft = d.FrameLeft.value_or(FrameLeft);
    FrameRight = d.FrameRight.value_or(FrameRight);
    FrameColor = d.FrameColor.value_or(FrameColor);
    FrameWidth = d.FrameWidth.value_or(FrameWidth);
    PrintMidashi = d.PrintMidashi.value_or(PrintMidashi);
    PrintTitle = d.PrintTitle.value_or(PrintTitle);
    PrintDate = d.PrintDate.value_or(PrintDate);
    PrintHanko1 = d.PrintHanko1.value_or(PrintHanko1);
    PrintHanko2 = d.PrintHanko2.value_or(PrintHanko2);
    PrintHanko3 = d.PrintHanko3.value_or(PrintHanko3);
    PrintHanko4 = d.PrintHanko4.value_or(PrintHanko4);
    PrintKaishamei = d.PrintKaishamei.value_or(PrintKaishamei);
    for (size_t g = 0; g < Groups.size(); ++g) {
        Groups[g].Name = d.GroupNames[g].value_or(Groups[g].Name);
        Groups[g].Color = d.GroupColors[g].value_or(Groups[g].Color);
    }
}

// One row read from the file, as a row of the window with its bars.
void BuildRow(TfrmMain &form, TRowValues &values)
{
    // The row counter is shown once the rows are read (measuring its text for
    // each row was a tenth of the reading).
    form.AddItemQuietly();
    TItem &row = *ItemList.back();
    const long rowIndex = static_cast<long>(ItemList.size() - 1);
    if (values.Height)
        row.FMemo->SetHeight(*values.Height);
    if (values.Text)
        row.FMemo->SetText(*values.Text);
    if (values.Color)
        row.FMemo->SetColor(*values.Color);
    if (auto a = AlignmentOf(values.Alignment))
        row.FMemo->SetAlignment(*a);
    if (values.LineCount)
        form.SetLineCount(row, std::clamp(*values.LineCount, 1, MaxLineCount));
    ApplyFont(row.FMemo->Font(), values.Font);
    row.FCharts.reserve(values.Charts.size());
    for (TChartValues &v : values.Charts) {
        auto chart = std::make_unique<TChart>();
        TChart &c = *chart;
        c.FBar->SetTag(rowIndex);
        if (v.Text)
            c.FBar->SetCaption(*v.Text);
        if (v.Color)
            c.FBar->SetColor(*v.Color);
        if (auto a = AlignmentOf(v.Alignment))
            c.FBar->SetAlignment(*a);
        ApplyFont(c.FBar->Font(), v.Font);
        c.FStartDate = v.StartDate;
        c.FEndDate = v.EndDate;
        if (v.Duration)
            c.FDuration = *v.Duration;
        c.FLine = v.Line;
        c.FYotei = v.Yotei;
        c.FJisseki = v.Jisseki;
        c.FChakushubi = v.Chakushubi;
        c.FJissekibi = v.Jissekibi;
        c.FRitsu = v.Ritsu;
        c.FBikou = std::move(v.Bikou);
        c.FGroup = std::move(v.Group);
        if (c.FJisseki >= 1) {
            TBevelLabel &strip = c.ProgressBarNeeded();
            strip.SetAutoSize(false);
            strip.Hide();
            strip.SetShowHint(true);
            strip.SetTag(rowIndex);
        }
        row.FCharts.push_back(std::move(chart));
    }
    row.FEvents = std::move(values.Events);
    // Its bars are made hidden; a redraw shows those near the view.
    row.PlacedRedraw = TItem::kBarsHidden;
}

} // namespace

// What a read holds from the first look at the file to the last row built.
struct TDocumentRead::TParts {
    THourGlass hourGlass;
    std::unique_ptr<TdlgWait> wait;
    TDocumentValues doc;
    std::vector<TRowValues> rows;
    std::optional<TFileStamp> stamp;  // the file as it was before it was read
    size_t rowsBuilt = 0;
    int shownPercent = -1;

    // Reading the rows fills the first half of the progress bar, building
    // them the second; the window is repainted at each whole percent (the
    // person's input waits for the end).
    void ShowProgress()
    {
        TProgressBar &progress = *wait->pgb1;
        const long long max = std::min<long long>(1LL * progress.Step() * doc.ItemCount, 1 << 30);
        if (progress.Max() != max)
            progress.SetMax(static_cast<int>(max));
        progress.SetPosition(static_cast<int>(std::min<long long>(
            1LL * progress.Step() * static_cast<long long>(rows.size() + rowsBuilt) / 2, max)));
        const int percent = max > 0 ? static_cast<int>(100LL * progress.Position() / max) : 100;
        if (percent != shownPercent) {
            shownPercent = percent;
            ProcessPaintMessages();
        }
    }
};

TDocumentRead::TDocumentRead(const std::string &fileName) : fileName_(fileName), parts_(std::make_unique<TParts>())
{
    if (!HoldsScheduleElement(fileName))
        throw EConvertError("スケジュールのファイルではないため開けません（<schedule> 要素がありません）。");
    TParts &p = *parts_;
    // Taken before the bytes, so that a change while they are read counts.
    p.stamp = FileStampOf(fileName);
    std::string bytes = ReadFileBytes(fileName);
    p.wait = std::make_unique<TdlgWait>(nullptr);
    p.wait->ShowForm();
    ProcessPaintMessages();
    // The bytes go as their rows are read; the rows are built once the whole
    // file has read, each row's values going as soon as it is built.
    p.doc.RowRead = [&p](TRowValues &values) {
        p.rows.push_back(std::move(values));
        p.ShowProgress();
    };
    p.doc.ReleaseBytesRead = true;
    ParseScheduleDocument(bytes, p.doc);
    FitDocumentStartDate(p.doc);
}

TDocumentRead::~TDocumentRead() = default;

void TDocumentRead::BuildIn(TfrmMain &form)
{
    TParts &p = *parts_;
    const TDocumentValues &doc = p.doc;
    const size_t firstRow = ItemList.size();
    {
        // The caption column is laid out once at the end.
        TAlignPause pause(*form.pnlItem);
        for (TRowValues &values : p.rows) {
            BuildRow(form, values);
            values = TRowValues();
            ++p.rowsBuilt;
            p.ShowProgress();
        }
    }
    std::vector<TRowValues>().swap(p.rows);

    // Header.
    FileVersion = doc.FileVersion;
    if (doc.Title)
        form.edtHdTitle->SetText(*doc.Title);
    if (doc.StartDate && !todayStart) {
        StartDate = *doc.StartDate;
        form.FDocStartDate = StartDate;
    }
    if (doc.ItemPanel) {
        form.pnlItem->SetWidth(std::clamp(*doc.ItemPanel, 0, 10000));
        form.LayoutHeader();
    }
    ApplyPageSettings(doc);
    // The rows' migrations, once the whole file is read.
    for (size_t r = firstRow; r < ItemList.size(); ++r) {
        TItem &row = *ItemList[r];
        for (auto &chart : row.FCharts) {
            TChart &c = *chart;
            MigrateChart(doc.FileVersion, c.FStartDate, c.FEndDate, c.FJisseki, c.FChakushubi, c.FJissekibi);
        }
        for (TEvent &e : row.FEvents)
            MigrateEventLine(doc.FileVersion, e.Line);
    }

    // Time scale after the migrations.
    if (doc.TabIndex) {
        form.tbcCalSelect->SetTabIndex(*doc.TabIndex);
        DaysShown = DaysOfTimeScaleTab(*doc.TabIndex);
    }
    form.SetDateLargeChange();
    form.FitDateScrollBarEnds(DaysShown);
    form.UpdateScrollRange();
    form.RedrawChart();
    Modified = false;
    if (!ItemList.empty()) {
        form.SelectItem(ItemList.front().get());
        form.UpdateItemCounter();
    }
    p.wait.reset();
    form.TakeFileName(fileName_);
    form.fnk1->AddFileName(fileName_);
    form.FHasFile = true;
    form.FStampedFileName = fileName_;
    form.FFileStamp = p.stamp;
}

std::unique_ptr<TDocumentRead> ReadDocumentFile(const std::string &fileName,
                                                const std::function<void(const std::string &)> &refuse)
{
    try {
        return std::make_unique<TDocumentRead>(fileName);
    } catch (const std::exception &e) {
        refuse(fileName + "\r\n" + e.what());
        return nullptr;
    }
}

void ReadXmlFile(TfrmMain &form, const std::string &fileName)
{
    TDocumentRead(fileName).BuildIn(form);
}

// ---------------------------------------------------------------- the writer

namespace {

// A refusal of the system to write there keeps the program's own words; any
// other failure says what it was, so that it is not taken for one. A failed
// write over the file itself says where its old contents are kept, and one
// refused because they could not be kept says so and names the folder.
std::string SaveFailureMessage(const std::string &fileName, const std::exception &failure)
{
    if (auto *inPlace = dynamic_cast<const EFWriteInPlaceError *>(&failure))
        return "保存できませんでした。\r\n" + fileName + "\r\n" + failure.what()
               + "\r\n保存前の内容は次のファイルに残してあります。\r\n" + inPlace->KeptCopy();
    if (auto *keeping = dynamic_cast<const EFKeepOldContentsError *>(&failure))
        return "保存できませんでした。\r\n" + fileName + "\r\n保存前の内容を次のフォルダに残せませんでした。\r\n"
               + keeping->Folder() + "\r\n" + failure.what();
    auto *stream = dynamic_cast<const EStreamError *>(&failure);
    const int code = stream ? stream->ErrorCode() : 0;
    if (code == EACCES || code == EPERM || code == EROFS)
        return kCannotWrite;
    return "保存できませんでした。\r\n" + fileName + "\r\n" + failure.what();
}

// Whether the file is the one whose stamp the window keeps.
bool IsStampedFile(const TfrmMain &form, const std::string &fileName)
{
    return ExpandFileName(form.FStampedFileName) == ExpandFileName(fileName);
}

// A file that changed on disk since this window last read or wrote it
// (another copy of the program saved it, a synchronising tool replaced it) is
// replaced only when the person says so. `expected` is the stamp the file
// should have (none: ask nothing); once the person agreed to replace the file
// as it is now, it takes that stamp, so that the same change is not asked
// about twice. A file that is gone asks nothing.
bool MayReplaceFile(const std::string &fileName, std::optional<TFileStamp> &expected)
{
    if (!expected)
        return true;
    const std::optional<TFileStamp> now = FileStampOf(fileName);
    if (!now || *now == *expected)
        return true;
    if (Services().MessageBox(fileName + "\r\n" + kChangedElsewhere, "確認", MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;
    expected = now;
    return true;
}

} // namespace

bool WriteXmlFile(TfrmMain &form, const std::string &fileName)
{
    std::optional<TFileStamp> expected = IsStampedFile(form, fileName) ? form.FFileStamp : std::nullopt;
    if (!MayReplaceFile(fileName, expected))
        return false;
    THourGlass hourGlass;
    if (EncodingStrSet.empty())
        EncodingStrSet = "Shift_JIS";
    TDocumentWriter writer(form);
    std::optional<TFileStamp> written;
    try {
        // The old file stays as it is until the new text is whole.
        TAtomicFileWriter file(fileName);
        if (EncodingStrSet == "UTF-8") {
            writer.WriteTo(file, EncodingStrSet, nullptr);
        } else {
            TCp932Count replaced;
            writer.WriteTo(file, EncodingStrSet, &replaced);
            if (replaced.lacking + replaced.changed > 0) {
                int answer = Services().MessageBox(
                    "Shift_JIS で保存できない文字が " + IntToStr(static_cast<long long>(replaced.lacking + replaced.changed))
                        + " 文字あります。UTF-8 で保存しますか？\r\n"
                        + (replaced.changed > 0
                               ? "（「いいえ」は Shift_JIS のまま保存し、その文字は「?」などの別の文字になります）"
                               : "（「いいえ」は Shift_JIS のまま保存し、その文字は「?」になります）"),
                    "確認", MB_YESNOCANCEL | MB_ICONWARNING);
                if (answer == IDYES) {
                    file.Restart();
                    writer.WriteTo(file, "UTF-8", nullptr);
                } else if (answer != IDNO) {
                    return false;
                }
            }
        }
        // Another copy may have saved while the text was made or a question
        // stood open: asked again at the last moment. いいえ drops the new text.
        if (!MayReplaceFile(fileName, expected))
            return false;
        try {
            file.Commit();
        } catch (...) {
            // A failure after the new file took the old one's place (its
            // folder entry not flushed, say) still leaves this window's file there.
            written = file.Stamp();
            throw;
        }
        written = file.Stamp();
    } catch (const std::exception &e) {
        // This window's file in place though a later step failed, or one
        // written over in place that failed and has the old bytes back (where
        // they could be put): neither is a change by another program at the
        // next save.
        if (written) {
            form.FStampedFileName = fileName;
            form.FFileStamp = written;
        } else if (dynamic_cast<const EFWriteInPlaceError *>(&e) && IsStampedFile(form, fileName)) {
            form.FFileStamp = FileStampOf(fileName);
        }
        ShowError(SaveFailureMessage(fileName, e));
        return false;
    }
    form.FStampedFileName = fileName;
    form.FFileStamp = written;
    Modified = false;
    form.fnk1->AddFileName(fileName);
    form.FHasFile = true;
    form.FPutChartMode = false;
    GroupSetName.clear();
    GroupSetColor = static_cast<TColor>(-1);
    return true;
}

// ---------------------------------------------------------------- file commands

bool TfrmMain::SavePrompt()
{
    if (!Modified)
        return true;
    switch (Services().MessageBox(kSavePrompt, "確認", MB_YESNO | MB_ICONQUESTION)) {
    case IDYES: return mitSaveClick();
    case IDNO: return true;
    // No answer (a box that could not be shown, or was taken down with its
    // owner): the command stops rather than throw the changes away.
    default: return false;
    }
}

namespace {

// Reads a document into the window after the save prompt. A file that does
// not read whole (no schedule, a damaged value) is refused before the
// document is touched: the document and its name stay as they were, so that a
// save cannot replace the file the person could still repair.
void OpenDocument(TfrmMain &form, const std::string &fileName, bool changeFolder)
{
    std::unique_ptr<TDocumentRead> read = ReadDocumentFile(fileName, ShowError);
    if (!read)
        return;
    form.scb1->Hide();
    form.FreeDocument();
    form.NewDocument();
    form.FFileName = fileName;
    try {
        read->BuildIn(form);
        if (changeFolder)
            SetCurrentDir(ExtractFileDir(fileName));
    } catch (const std::exception &e) {
        // Only a want of resources fails here: what was built stays, under a
        // name of its own, so that a save cannot replace that file.
        read.reset();
        form.TakeNextFreeFileName();
        ShowError(fileName + "\r\n" + e.what());
    }
    read.reset();
    form.scb1->Show();
    form.RedrawChart();
}

} // namespace

void TfrmMain::mitNewClick()
{
    if (!SavePrompt())
        return;
    scb1->Hide();
    FreeDocument();
    NewDocument();
    scb1->Show();
    TakeNextFreeFileName();
    RedrawChart();
}

void TfrmMain::TakeNextFreeFileName()
{
    TakeFileName(NextFreeFileName());
}

void TfrmMain::TakeFileName(const std::string &fileName)
{
    FFileName = fileName;
    SetCaption(FFileName);
    Application().SetTitle("たるぼる-" + ExtractFileName(FFileName));
}

void TfrmMain::mitOpenClick()
{
    if (!SavePrompt())
        return;
    bool newer = IsNewerDialogSystem();
    TFileDialogRequest request;
    request.filter = newer ? "xml file|*.xml" : "xml|*.xml";
    request.defaultExt = "xml";
    request.initialDir = ExtractFilePath(FFileName);
    auto answer = Services().FileDialog(request);
    if (!answer)
        return;
    if (UpperCase(ExtractFileExt(answer->fileName)) != ".XML") {
        ShowError("ファイルの種類が違います");
        return;
    }
    OpenDocument(*this, answer->fileName, false);
}

void TfrmMain::fnk1Select(const std::string &fileName)
{
    // The list may change under the reference while the document is read.
    const std::string name = fileName;
    if (!SavePrompt())
        return;
    if (!FileExists(name)) {
        ShowError("ファイルが見つかりません");
        return;
    }
    OpenDocument(*this, name, true);
}

bool TfrmMain::mitSaveAsClick()
{
    bool newer = IsNewerDialogSystem();
    TFileDialogRequest request;
    request.save = true;
    request.filter = newer ? "xml file|*.xml" : "XML|*.xml";
    request.defaultExt = "xml";
    request.overwritePrompt = true;
    request.initialDir = ExtractFilePath(FFileName);
    request.fileName = ExtractFileName(FFileName);
    auto answer = Services().FileDialog(request);
    if (!answer || answer->fileName.empty())
        return false;
    std::string fileName = answer->fileName;
    if (ExtractFileExt(fileName).empty())
        fileName += ".xml";
    // The document takes the new name only once it is there: a save that
    // failed or was called off leaves the next 上書き保存 on the old file.
    if (!WriteXmlFile(*this, fileName))
        return false;
    TakeFileName(fileName);
    return true;
}

void TfrmMain::mitExitClick()
{
    Close();
}
