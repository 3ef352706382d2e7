#include "report/RpSearchDlg.h"

#include "platform/core/Encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t EMR_EOF = 14;
constexpr std::uint32_t EMR_EXTTEXTOUTA = 83;
constexpr std::uint32_t EMR_EXTTEXTOUTW = 84;
// The fixed part of a text-out record: record header, bounds, graphics mode,
// scales, then the text's reference point, count and offset.
constexpr std::size_t kTextRecordSize = 76;
constexpr std::size_t kCountOffset = 44;
constexpr std::size_t kStringOffset = 48;
constexpr char32_t kReplacement = 0xFFFD;

std::uint32_t ReadU32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::u32string DecodeUtf16(std::string_view bytes)
{
    std::u32string text;
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i])
                                     | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            text += static_cast<char32_t>(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            text += kReplacement;
        } else {
            text += static_cast<char32_t>(u);
        }
    }
    return text;
}

std::u32string DecodeUtf8(std::string_view utf8)
{
    std::u32string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > utf8.size()) {
            text += kReplacement;
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        text += c;
        i += static_cast<std::size_t>(length);
    }
    return text;
}

// Upper case for letters only: basic Latin, Latin-1, Greek, Cyrillic and the
// full-width Latin letters; everything else stays as it is.
char32_t FoldCase(char32_t c)
{
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        || (c >= 0x430 && c <= 0x44F))
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A)
        return c - 0x20;
    return c;
}

std::u32string Folded(std::u32string text, bool matchCase)
{
    if (!matchCase)
        std::transform(text.begin(), text.end(), text.begin(), FoldCase);
    return text;
}

// The text of one record: wide and byte text-out records, else nothing.
std::u32string RecordText(std::string_view record, std::uint32_t type)
{
    if ((type != EMR_EXTTEXTOUTA && type != EMR_EXTTEXTOUTW) || record.size() < kTextRecordSize)
        return {};
    const std::uint64_t count = ReadU32(record, kCountOffset);
    const std::uint64_t offset = ReadU32(record, kStringOffset);
    const std::uint64_t length = type == EMR_EXTTEXTOUTW ? count * 2 : count;
    if (offset > record.size() || length > record.size() - offset)
        return {};
    const std::string_view raw = record.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    return type == EMR_EXTTEXTOUTW ? DecodeUtf16(raw) : DecodeUtf8(Cp932ToUtf8(raw));
}

// A search runs to its end before the next starts.
bool searchBusy = false;

} // namespace

bool MetafileBytesContainText(const std::string &text, std::string_view emf, bool matchCase)
{
    while (searchBusy)
        ProcessMessages();
    struct TBusy {
        TBusy() { searchBusy = true; }
        ~TBusy() { searchBusy = false; }
    } busy;
    const std::u32string wanted = Folded(DecodeUtf8(text), matchCase);
    bool found = false;
    if (wanted.empty())  // an empty text is found nowhere
        return false;
    for (std::size_t at = 0; !found && emf.size() - at >= 8;) {
        const std::uint32_t type = ReadU32(emf, at);
        const std::uint32_t size = ReadU32(emf, at + 4);
        if (size < 8 || size % 4 != 0 || size > emf.size() - at)
            break;
        const std::u32string recordText = Folded(RecordText(emf.substr(at, size), type), matchCase);
        found = !recordText.empty() && std::search(recordText.begin(), recordText.end(), wanted.begin(), wanted.end())
            != recordText.end();
        if (type == EMR_EOF)
            break;
        at += size;
    }
    return found;
}

bool MetafileContainsText(const std::string &text, const TMetafile &metafile, bool matchCase)
{
    return MetafileBytesContainText(text, metafile.Data(), matchCase);
}

// ---------------------------------------------------------------- TSearchDlg

TSearchDlg::TSearchDlg(TComponent *owner) : TForm(owner)
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(320, 110);
    Label1 = PlaceControl<TLabel>(this, 12, 14, 90, 16);
    Edit1 = PlaceControl<TEdit>(this, 104, 10, 204, 24);
    CheckBox1 = PlaceControl<TCheckBox>(this, 104, 42, 204, 20);
    SpeedButton2 = PlaceControl<TButton>(this, 104, 72, 96, 28);
    SpeedButton1 = PlaceControl<TButton>(this, 212, 72, 96, 28);
    SpeedButton2->SetDefault(true);
    SpeedButton1->SetCancel(true);
    SpeedButton2->OnClick = [this](TObject *sender) { SpeedButton2Click(sender); };
    SpeedButton1->OnClick = [this](TObject *sender) { SpeedButton1Click(sender); };
    FormCreate(this);
}

void TSearchDlg::FormCreate(TObject *)
{
    Label1->SetCaption("Search Text");
    CheckBox1->SetCaption("Match case");
    SpeedButton2->SetCaption("Search");
    SpeedButton1->SetCaption("Cancel");
    SetCaption("Search for Text");
}

void TSearchDlg::SpeedButton1Click(TObject *)
{
    Cancelled = true;
    SetModalResult(mrCancel);
    Close();
}

void TSearchDlg::SpeedButton2Click(TObject *)
{
    Cancelled = false;
    SetModalResult(mrOk);
    Close();
}
