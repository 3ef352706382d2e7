#include "platform/core/Encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace {

// One iconv conversion descriptor per direction, opened on first use.
class Converter {
public:
    Converter(const char *to, const char *from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts the text; a sequence iconv cannot take is replaced by "?" and skipped
    // by `skip` bytes of input (1 for a bad byte, the character's length for an
    // unmappable UTF-8 character).
    std::string Convert(std::string_view in, bool inputIsUtf8, std::size_t *replaced = nullptr)
    {
        std::string out;
        out.reserve(in.size() * 3 / 2 + 4);
        Append(in, inputIsUtf8, replaced, out);
        return out;
    }

    // Converts the text onto the end of `out`.
    void Append(std::string_view in, bool inputIsUtf8, std::size_t *replaced, std::string &out)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char *src = const_cast<char *>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char *dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(handle_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (rc != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: an unmappable or broken sequence.
            out.push_back('?');
            if (replaced)
                ++*replaced;
            size_t skip = 1;
            if (inputIsUtf8 && errno == EILSEQ)
                skip = Utf8SequenceLength(static_cast<unsigned char>(*src));
            if (skip > srcLeft)
                skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
    }

private:
    static size_t Utf8SequenceLength(unsigned char lead)
    {
        if (lead >= 0xF0 && lead <= 0xF4)
            return 4;
        if (lead >= 0xE0 && lead <= 0xEF)
            return 3;
        if (lead >= 0xC2 && lead <= 0xDF)
            return 2;
        return 1;
    }
    iconv_t handle_;
};

} // namespace

bool IsAscii(std::string_view text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

std::string Utf8ToCp932(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Convert(utf8, true);
}

std::string Utf8ToCp932(std::string_view utf8, std::size_t &replaced)
{
    replaced = 0;
    if (IsAscii(utf8))
        return std::string(utf8);
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Convert(utf8, true, &replaced);
}

namespace {

// Whether code page 932 writes a character as another one, learnt the first
// time the character is seen. Such a character is written as plain ASCII or
// as nothing: a character written as a two-byte code reads back as the
// character of that code, itself or its usual form.
class TCp932ChangeTable {
public:
    bool Changes(std::string_view character, std::uint32_t code)
    {
        std::uint8_t &state = code < 0x10000 ? bmp_[code] : beyond_[code];
        if (state == kUnknown) {
            std::size_t lacking = 0;
            std::string written;
            converter_.Append(character, true, &lacking, written);
            state = lacking == 0 && IsAscii(written) ? kChanges : kKeeps;
        }
        return state == kChanges;
    }

private:
    enum : std::uint8_t { kUnknown, kKeeps, kChanges };
    Converter converter_{"CP932", "UTF-8"};
    std::vector<std::uint8_t> bmp_ = std::vector<std::uint8_t>(0x10000, kUnknown);
    std::unordered_map<std::uint32_t, std::uint8_t> beyond_;
};

} // namespace

std::size_t Cp932ChangedCharacters(std::string_view utf8)
{
    if (IsAscii(utf8))
        return 0;
    thread_local TCp932ChangeTable table;
    std::size_t changed = 0;
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length <= 1 || i + length > n || !IsValidUtf8(utf8.substr(i, length))) {
            // ASCII is itself; a broken byte is one code page 932 lacks.
            ++i;
            continue;
        }
        std::uint32_t code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (table.Changes(utf8.substr(i, length), code))
            ++changed;
        i += length;
    }
    return changed;
}

std::string RepairUtf8(std::string_view text)
{
    if (IsAscii(text) || IsValidUtf8(text))
        return std::string(text);
    thread_local Converter converter("UTF-8", "UTF-8");
    return converter.Convert(text, false);
}

namespace {

// What the converter makes of each code page 932 character, learnt the first
// time the character is seen: a document repeats the same few hundred
// characters, and asking iconv once per character run costs more than the
// rest of reading.
class TCp932Decoder {
public:
    void Append(std::string_view cp932, std::string &out)
    {
        const size_t n = cp932.size();
        size_t i = 0;
        while (i < n) {
            const auto lead = static_cast<unsigned char>(cp932[i]);
            if (lead < 0x80) {
                out.push_back(static_cast<char>(lead));
                ++i;
                continue;
            }
            const size_t length = IsCp932LeadByte(lead) && i + 1 < n ? 2 : 1;
            const unsigned code = length == 2 ? (lead << 8) | static_cast<unsigned char>(cp932[i + 1]) : lead;
            TEntry &entry = table_[code];
            if (entry.state == kUnknown)
                Learn(entry, cp932.substr(i, length));
            if (entry.state == kKnown) {
                out.append(entry.utf8, entry.length);
                i += length;
            } else {
                // A damaged character: "?" for its first byte, as the converter
                // does, and the rest is read again from the next byte.
                out.push_back('?');
                ++i;
            }
        }
    }

private:
    enum : std::uint8_t { kUnknown, kKnown, kDamaged };
    struct TEntry {
        std::uint8_t state = kUnknown;
        std::uint8_t length = 0;
        char utf8[4] = {};
    };

    void Learn(TEntry &entry, std::string_view character)
    {
        std::size_t replaced = 0;
        std::string text;
        converter_.Append(character, false, &replaced, text);
        if (replaced > 0 || text.empty() || text.size() > sizeof entry.utf8) {
            entry.state = kDamaged;
            return;
        }
        entry.state = kKnown;
        entry.length = static_cast<std::uint8_t>(text.size());
        std::copy(text.begin(), text.end(), entry.utf8);
    }

    Converter converter_{"UTF-8", "CP932"};
    std::vector<TEntry> table_ = std::vector<TEntry>(65536);
};

} // namespace

std::string Cp932ToUtf8(std::string_view cp932)
{
    if (IsAscii(cp932))
        return std::string(cp932);
    thread_local TCp932Decoder decoder;
    std::string out;
    out.reserve(cp932.size() + cp932.size() / 4 + 4);
    decoder.Append(cp932, out);
    return out;
}

std::size_t Cp932Length(std::string_view utf8)
{
    if (IsAscii(utf8))
        return utf8.size();
    return Utf8ToCp932(utf8).size();
}

bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t n;
        unsigned int cp;
        if (c < 0x80) { ++i; continue; }
        else if (c >= 0xC2 && c <= 0xDF) { n = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { n = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 3; cp = c & 0x07; }
        else return false;
        if (i + n >= text.size())
            return false;
        for (size_t k = 1; k <= n; ++k) {
            unsigned char t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::size_t Utf8Length(std::string_view utf8)
{
    std::size_t count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string ShortenUtf8(std::string_view utf8, std::size_t maxBytes)
{
    if (utf8.size() <= maxBytes)
        return std::string(utf8);
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(utf8.substr(0, cut)) + "…";
}

bool HoldsUtf8Characters(std::string_view bytes)
{
    const auto first = std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    return first != bytes.end() && IsValidUtf8(bytes.substr(static_cast<size_t>(first - bytes.begin())));
}
