#include "platform/core/SysUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MemoryPages.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace fs = std::filesystem;

long long RoundHalfEven(long double value)
{
    return std::llrintl(value);
}

int RoundInt(long double value)
{
    long long r = std::llrintl(value);
    if (r > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (r < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

namespace {

bool ParseInt64(std::string_view text, long long &result)
{
    text = TrimView(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    unsigned long long value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (value > (std::numeric_limits<unsigned long long>::max() - static_cast<unsigned>(digit)) / static_cast<unsigned>(base))
            return false;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (base == 10) {
        if (value > static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1ULL : 0ULL))
            return false;
        result = negative ? static_cast<long long>(0ULL - value) : static_cast<long long>(value);
    } else {
        // Hexadecimal texts are bit patterns: "$FFFFFFFF" is -1 as a 32-bit integer.
        if (value > 0xFFFFFFFFULL)
            result = static_cast<long long>(value);
        else
            result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        if (negative)
            result = -result;
    }
    return true;
}

// The decimal digits of a value rounded to `significant` digits, with the
// position of the decimal point: value = 0.d1d2d3... x 10^point.
struct Decimal {
    std::string digits;  // no leading zeros; empty for zero
    int point = 0;
    bool negative = false;
};

Decimal ToDecimal(long double value, int significant)
{
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    value = std::fabs(value);
    if (value == 0)
        return d;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Le", significant - 1, value);
    // buffer: d.ddddde[+-]xx
    const char *e = std::strchr(buffer, 'e');
    int exponent = std::atoi(e + 1);
    for (const char *p = buffer; p < e; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Rounds half up at `decimals` places after the point.
void RoundDecimal(Decimal &d, int decimals)
{
    int keep = d.point + decimals;
    if (keep < 0 || d.digits.empty()) {
        d.digits.clear();
        return;
    }
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
            d.digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        } else {
            ++d.digits[static_cast<size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.point = 0;
}

char DigitAt(const Decimal &d, int position) // position 0 = first digit left of the point
{
    int index = d.point - 1 - position;
    if (index < 0 || index >= static_cast<int>(d.digits.size()))
        return '0';
    return d.digits[static_cast<size_t>(index)];
}

std::vector<std::string> SplitSections(std::string_view format)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back().push_back(c);
    }
    return sections;
}

std::string FormatSection(const std::string &section, long double value)
{
    // Read the mask: literals before and after the digit places, digit places,
    // the decimal point, thousands separators and the exponent.
    std::string prefix, suffix;
    int intZeros = 0, intPlaces = 0, decZeros = 0, decPlaces = 0;
    bool thousands = false, seenDigit = false, seenPoint = false;
    bool scientific = false, expPlus = false;
    int expDigits = 0;
    char expChar = 'E';
    size_t i = 0;
    while (i < section.size()) {
        char c = section[i];
        if (c == '"' || c == '\'') {
            size_t end = section.find(c, i + 1);
            if (end == std::string::npos)
                end = section.size();
            (seenDigit ? suffix : prefix) += section.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if ((c == 'E' || c == 'e') && i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-') && seenDigit && !scientific) {
            scientific = true;
            expChar = c;
            expPlus = section[i + 1] == '+';
            i += 2;
            while (i < section.size() && section[i] == '0') {
                ++expDigits;
                ++i;
            }
            continue;
        }
        if ((c == '0' || c == '#') && !scientific && suffix.empty()) {
            seenDigit = true;
            if (seenPoint) {
                ++decPlaces;
                if (c == '0')
                    decZeros = decPlaces;
            } else {
                ++intPlaces;
                if (c == '0' || intZeros > 0)
                    ++intZeros;
            }
        } else if (c == '.' && !seenPoint && !scientific && suffix.empty()) {
            seenPoint = true;
            seenDigit = true;
        } else if (c == ',' && !seenPoint && !scientific && suffix.empty()) {
            thousands = true;
        } else {
            (seenDigit ? suffix : prefix).push_back(c);
        }
        ++i;
    }
    if (!seenDigit)
        return prefix + suffix;

    std::string body;
    if (scientific) {
        int places = std::max(intPlaces, 1);
        Decimal d = ToDecimal(value, 18);
        int exponent = d.digits.empty() ? 0 : d.point - places;
        d.point -= exponent;
        RoundDecimal(d, decPlaces);
        if (!d.digits.empty() && d.point > places) {
            ++exponent;
            d.point -= 1;
        }
        for (int p = places - 1; p >= 0; --p)
            if (p < intZeros || DigitAt(d, p) != '0' || d.point > p)
                body.push_back(DigitAt(d, p));
        std::string decimals;
        for (int k = 0; k < decPlaces; ++k)
            decimals.push_back(DigitAt(d, -1 - k));
        while (static_cast<int>(decimals.size()) > decZeros && decimals.back() == '0')
            decimals.pop_back();
        if (!decimals.empty())
            body += "." + decimals;
        body.push_back(expChar);
        if (exponent < 0)
            body.push_back('-');
        else if (expPlus)
            body.push_back('+');
        std::string digits = std::to_string(std::abs(exponent));
        while (static_cast<int>(digits.size()) < expDigits)
            digits.insert(digits.begin(), '0');
        body += digits;
        return prefix + body + suffix;
    }

    Decimal d = ToDecimal(value, 18);
    RoundDecimal(d, decPlaces);
    int intDigits = std::max(d.point, intZeros);
    std::string integer;
    for (int p = intDigits - 1; p >= 0; --p) {
        integer.push_back(DigitAt(d, p));
        if (thousands && p > 0 && p % 3 == 0)
            integer.push_back(',');
    }
    std::string decimals;
    for (int k = 0; k < decPlaces; ++k)
        decimals.push_back(DigitAt(d, -1 - k));
    while (static_cast<int>(decimals.size()) > decZeros && decimals.back() == '0')
        decimals.pop_back();
    body = integer;
    if (!decimals.empty())
        body += "." + decimals;
    return prefix + body + suffix;
}

} // namespace

bool TryStrToInt(std::string_view text, int &value)
{
    long long v;
    if (!ParseInt64(text, v) || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(std::string_view text)
{
    int value;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

long long StrToInt64(std::string_view text)
{
    long long value;
    if (!ParseInt64(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

int StrToIntDef(std::string_view text, int def)
{
    int value;
    return TryStrToInt(text, value) ? value : def;
}

std::string IntToStr(long long value)
{
    return std::to_string(value);
}

std::string IntToHex(unsigned long long value, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, value);
    return buffer;
}

bool TryStrToFloat(std::string_view text, long double &value)
{
    text = TrimView(text);
    if (text.empty())
        return false;
    // Only plain decimal notation: sign, digits, ".", digits, exponent.
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) { ++i; ++digits; }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) { ++i; ++digits; }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) { ++i; ++expDigits; }
        if (expDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    std::string copy(text);
    // strtold follows the C locale, which the program never changes.
    char *end = nullptr;
    errno = 0;
    long double v = std::strtold(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

long double StrToFloat(std::string_view text)
{
    long double value;
    if (!TryStrToFloat(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

std::string FloatToStr(long double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    Decimal d = ToDecimal(value, 15);
    if (d.digits.empty())
        return "0";
    std::string out = d.negative ? "-" : "";
    int exponent = d.point - 1;
    if (exponent >= -5 && exponent <= 14) {
        if (d.point <= 0) {
            out += "0." + std::string(static_cast<size_t>(-d.point), '0') + d.digits;
        } else if (d.point >= static_cast<int>(d.digits.size())) {
            out += d.digits + std::string(static_cast<size_t>(d.point) - d.digits.size(), '0');
        } else {
            out += d.digits.substr(0, static_cast<size_t>(d.point)) + "." + d.digits.substr(static_cast<size_t>(d.point));
        }
        return out;
    }
    out += d.digits.substr(0, 1);
    if (d.digits.size() > 1)
        out += "." + d.digits.substr(1);
    out += "E" + std::to_string(exponent);
    return out;
}

std::string FormatFloat(std::string_view format, long double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (format.empty())
        return FloatToStr(value);
    std::vector<std::string> sections = SplitSections(format);
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        return FormatSection(sections[2], 0);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return FormatSection(sections[1], -value);
    std::string text = FormatSection(sections[0], std::fabs(value));
    if (value < 0) {
        // No minus sign when the value rounds to zero.
        bool anyNonZero = std::any_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
        if (anyNonZero)
            text.insert(text.begin(), '-');
    }
    return text;
}

std::string_view TrimView(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

std::string Trim(std::string_view text)
{
    return std::string(TrimView(text));
}

std::string TrimLeft(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    return std::string(text);
}

std::string TrimRight(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return std::string(text);
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool SameText(std::string_view a, std::string_view b)
{
    return LowerCase(a) == LowerCase(b);
}

std::string StringReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t found = text.find(from, pos);
        if (found == std::string_view::npos)
            break;
        out.append(text.substr(pos, found - pos));
        out.append(to);
        pos = found + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

namespace {

// The ASCII character a full-width or look-alike form stands for, or 0.
char HalfWidthOf(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<char>(c - 0xFF01 + 0x21);
    switch (c) {
    case 0x3000: return ' ';
    case 0xFFE5: return '\\';
    case 0x2212:
    case 0x30FC: return '-';
    default: return 0;
    }
}

} // namespace

std::string HalfWidthForms(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        // Every form replaced is a three-byte sequence.
        const auto lead = static_cast<unsigned char>(text[i]);
        if ((lead & 0xF0) == 0xE0 && i + 2 < text.size() && (text[i + 1] & 0xC0) == 0x80
            && (text[i + 2] & 0xC0) == 0x80) {
            const char32_t c = (static_cast<char32_t>(lead & 0x0F) << 12)
                             | (static_cast<char32_t>(static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6)
                             | (static_cast<unsigned char>(text[i + 2]) & 0x3F);
            if (char ascii = HalfWidthOf(c)) {
                out += ascii;
                i += 3;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

bool FileExists(const std::string &path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool DirectoryExists(const std::string &path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool ForceDirectories(const std::string &path)
{
    std::error_code ec;
    if (path.empty())
        return false;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

bool CreateDir(const std::string &path)
{
    std::error_code ec;
    return fs::create_directory(path, ec);
}

bool RemoveDir(const std::string &path)
{
    return ::rmdir(ExcludeTrailingPathDelimiter(path).c_str()) == 0;
}

bool DeleteFile(const std::string &path)
{
    return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string &from, const std::string &to)
{
    // Like the Windows move: refuses to replace an existing target.
    std::string target = ExcludeTrailingPathDelimiter(to);
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0)
        return false;
    return ::rename(ExcludeTrailingPathDelimiter(from).c_str(), target.c_str()) == 0;
}

std::string GetCurrentDir()
{
    std::error_code ec;
    return fs::current_path(ec).string();
}

bool SetCurrentDir(const std::string &path)
{
    return ::chdir(path.c_str()) == 0;
}

std::string ExtractFilePath(std::string_view path)
{
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string();
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string ExtractFileName(std::string_view path)
{
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view path)
{
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string();
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    std::string current = ExtractFileExt(path);
    return std::string(path.substr(0, path.size() - current.size())) + std::string(ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string out(path);
    if (out.empty() || out.back() != '/')
        out.push_back('/');
    return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    std::string out(path);
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

std::string ExpandFileName(std::string_view path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(std::string(path)), ec);
    return absolute.lexically_normal().string();
}

std::string ApplicationDir()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return IncludeTrailingPathDelimiter(GetCurrentDir());
    return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

std::string GetTempPath()
{
    const char *tmp = std::getenv("TMPDIR");
    return IncludeTrailingPathDelimiter(tmp && *tmp ? tmp : "/tmp");
}

std::string GetTempFileName(const std::string &dir, const std::string &prefix)
{
    std::string pattern = IncludeTrailingPathDelimiter(dir) + prefix + "XXXXXX.tmp";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = ::mkstemps(buffer.data(), 4);
    if (fd < 0)
        throw EFCreateError("Cannot create a temporary file in " + dir + ": " + std::strerror(errno));
    ::close(fd);
    return std::string(buffer.data());
}

void ReleaseReadPages(const char *begin, std::size_t size)
{
    const std::uintptr_t page = 4096, first = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t from = (first + page - 1) & ~(page - 1), to = (first + size) & ~(page - 1);
    if (to > from)
        ::madvise(reinterpret_cast<void *>(from), to - from, MADV_DONTNEED);
}

void ReturnFreeMemory()
{
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

std::string ReadFileBytes(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    std::string bytes;
    // The size is only a hint (the file may change while it is read): the
    // bytes are read straight into room of that size, then whatever follows.
    struct stat info {};
    if (::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        bytes.reserve(static_cast<size_t>(info.st_size));
        // A large file's room is asked in large pages: first touching tens of
        // megabytes page by page costs more than reading them.
        if (bytes.capacity() >= (size_t{4} << 20)) {
            const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
            const std::uintptr_t page = 4096, from = (begin + page - 1) & ~(page - 1),
                                 to = (begin + bytes.capacity()) & ~(page - 1);
            if (to > from)
                ::madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
        }
        bytes.resize(static_cast<size_t>(info.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw EReadError("Cannot read file \"" + path + "\".");
    return bytes;
}
