#pragma once
// Numbers, text and files: the class library's general routines.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Rounds to the nearest integer, halves to even.
long long RoundHalfEven(long double value);
int RoundInt(long double value);

// Decimal and hexadecimal ("$1F", "0x1F") integers; raises EConvertError.
int StrToInt(std::string_view text);
long long StrToInt64(std::string_view text);
bool TryStrToInt(std::string_view text, int &value);
int StrToIntDef(std::string_view text, int def);
std::string IntToStr(long long value);
std::string IntToHex(unsigned long long value, int digits);

// Reals with "." as the decimal separator whatever the locale; raises EConvertError.
long double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, long double &value);
// The general format: at most 15 significant digits, no trailing zeros,
// scientific ("1E20", "1.5E-6") when the exponent is 15 or more or below -5.
std::string FloatToStr(long double value);
// A format mask: "0" and "#" digit places, "." decimal point, "," thousands
// separator, "E+"/"E-" exponent, quoted literals, and up to three sections
// (positive;negative;zero). Halves round away from zero on the value's
// 18-digit decimal form. An empty mask gives the general format.
std::string FormatFloat(std::string_view format, long double value);

std::string Trim(std::string_view text);
// The text without the spaces and control characters around it, as Trim takes them, uncopied.
std::string_view TrimView(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string UpperCase(std::string_view text);  // ASCII letters only
std::string LowerCase(std::string_view text);  // ASCII letters only
bool SameText(std::string_view a, std::string_view b); // ASCII case-insensitive
std::string StringReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// UTF-8 text with the full-width forms of the ASCII characters (digits, signs,
// slash, letters...) as those characters, the ideographic space as a blank,
// the full-width yen sign as "\\", and the minus sign and the long-vowel mark
// (which an input method types for the minus key) as "-": what a number or
// date typed with an input method on means.
std::string HalfWidthForms(std::string_view text);

// Files and folders. Paths use "/".
bool FileExists(const std::string &path);
bool DirectoryExists(const std::string &path);
bool ForceDirectories(const std::string &path);
bool CreateDir(const std::string &path);
bool RemoveDir(const std::string &path);
bool DeleteFile(const std::string &path);
bool RenameFile(const std::string &from, const std::string &to);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string &path);
std::string ExtractFilePath(std::string_view path);   // with the trailing "/"
std::string ExtractFileDir(std::string_view path);    // without it
std::string ExtractFileName(std::string_view path);
std::string ExtractFileExt(std::string_view path);    // with the dot
std::string ChangeFileExt(std::string_view path, std::string_view ext);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
std::string ExpandFileName(std::string_view path);
// The folder of the running program, with a trailing "/".
std::string ApplicationDir();
// The folder for temporary files, with a trailing "/".
std::string GetTempPath();
// Creates an empty, uniquely named file "<dir><prefix>XXXXXX.tmp" and returns its path.
std::string GetTempFileName(const std::string &dir, const std::string &prefix);

// Reads a whole file; raises EFOpenError when it cannot be opened.
std::string ReadFileBytes(const std::string &path);
// Writes a whole file atomically: a temporary file beside the target is written,
// flushed and renamed over it, and the folder is flushed after the rename, so
// that a failure, a crash or a power cut leaves the old file or the new one,
// never a mix. Raises EFCreateError with the reason on failure. A symbolic
// link stays a link: its target is written (the temporary file beside the
// target). A file without write permission is refused and left as it is.
void WriteFileAtomically(const std::string &path, std::string_view bytes);

// What tells one state of a file from another: the file it is (device and
// inode), its size and its modification time. A file replaced or written by
// anyone since a stamp was taken has another stamp.
struct TFileStamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const TFileStamp &) const = default;
};
// The stamp of the file a name stands for (links followed); none when no file
// is there.
std::optional<TFileStamp> FileStampOf(const std::string &path);

// The same, for a file written in pieces: the temporary file is made at once,
// written piece by piece and put in place by Commit; a writer freed without a
// commit (a failure, a change of mind) removes it and leaves the old file.
// The temporary file has no name until Commit, where the file system allows
// it, so that a save killed part way leaves nothing behind; where it does not,
// it is named ".<name>.XXXXXX.tarvold-save" from the start (a long name cut to
// fit). Each save removes such files that earlier stopped saves of the same
// file left: plain files of the user's of exactly that pattern, and never one
// a live writer holds (it keeps its file locked). The new file keeps the
// owner, group and permissions of the one it replaces as far as the user may
// give them.
//
// Where the folder takes no new file (no write permission on it) but the file
// itself may be written, the file is written in place instead: the pieces are
// gathered, and Commit first keeps the old bytes in a file of the per-user
// cache folder ("$XDG_CACHE_HOME/tarvold", else "~/.cache/tarvold"), on disk,
// then writes the new bytes over the file, sets its length and flushes it, and
// only then removes the kept copy. A failure part way puts the old bytes back
// where it can and raises EFWriteInPlaceError naming the kept copy, which
// stays. A file that cannot be read, or old bytes that cannot be kept
// (EFKeepOldContentsError, naming the folder), are refused before the file is
// touched. A rename refused over a file that may be written (a colleague's
// file in a folder with the sticky bit) goes the same way, with the bytes of
// the temporary file, which is removed.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(const std::string &path);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter &) = delete;
    TAtomicFileWriter &operator=(const TAtomicFileWriter &) = delete;

    void Write(std::string_view bytes);
    // Drops what was written, to write the file again from its start.
    void Restart();
    void Commit();
    // Whether the file is written in place (the folder takes no new file).
    bool InPlace() const { return inPlace_; }
    // The stamp of the file as Commit left it, taken once it was closed; set
    // too when Commit failed after the new file took the old one's place.
    const std::optional<TFileStamp> &Stamp() const { return stamp_; }

private:
    [[noreturn]] void Fail(const char *what, int err);
    void NameTemporaryFile();
    void CommitInPlace();
    void CommitInPlaceInstead();
    std::string path_, folder_;
    std::string temp_;  // empty while the temporary file has no name
    int fd_ = -1;
    bool inPlace_ = false;
    std::string text_;  // the whole text, when written in place
    std::optional<TFileStamp> stamp_;
};

// For tests that stop a save part way, as a crash or a power cut would: the
// steps of Commit after the data is on disk. The hook (none by default) is
// called at each.
// A save in place has two steps of its own: the old bytes kept on disk in the
// cache folder (the file not yet touched), and the new bytes on disk (the
// kept copy not yet removed).
enum class TAtomicSaveStep { Flushed, Named, Renamed, Kept, WrittenInPlace };
void SetAtomicSaveStepHook(void (*hook)(TAtomicSaveStep step));
// For tests of file systems that cannot make an unnamed file: false makes
// every writer name its temporary file from the start. Returns the old value.
bool SetUnnamedTemporaryFilesAllowed(bool allowed);
