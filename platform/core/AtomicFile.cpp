// Saving a file so that at every moment it is wholly the old file or wholly
// the new one, and so that a save stopped part way (a crash, kill -9, a power
// cut) leaves no temporary file behind.
#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::atomic<bool> unnamedAllowed{true};
std::atomic<void (*)(TAtomicSaveStep)> stepHook{nullptr};

void Reached(TAtomicSaveStep step)
{
    if (auto hook = stepHook.load())
        hook(step);
}

// The file a name stands for: a symbolic link is followed (a chain of them too)
// so that the link stays and its target gets the new text.
std::string LinkTarget(const std::string &path)
{
    std::string target = path;
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec)))
            return target;
        fs::path next = fs::read_symlink(target, ec);
        if (ec)
            return target;
        target = next.is_absolute() ? next.string() : (fs::path(target).parent_path() / next).string();
    }
    throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(ELOOP), ELOOP);
}

// A file that exists and has no write permission is refused: replacing it
// through a rename would ignore its mode.
void CheckWritable(const std::string &path, const std::string &shownName)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0)
        throw EFCreateError("Cannot create file \"" + shownName + "\". " + std::strerror(EACCES), EACCES);
}

// A temporary file of "name" is ".<name>." with six letters or digits and
// ".tarvold-save" after them: a name no file of the user's has by chance, so
// clearing leftovers never takes one of the user's files. A long name is cut
// (at a character's start) so that the whole stays a valid file name.
constexpr size_t kTailLength = 6;
constexpr std::string_view kTemporaryMark = ".tarvold-save";

std::string TemporaryPrefix(const std::string &name)
{
    const size_t room = NAME_MAX - 2 - kTailLength - kTemporaryMark.size();
    size_t kept = std::min(name.size(), room);
    while (kept > 0 && kept < name.size() && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80)
        --kept;  // not inside a character
    return "." + name.substr(0, kept) + ".";
}

bool IsTemporaryFileOf(std::string_view candidate, const std::string &name)
{
    const std::string prefix = TemporaryPrefix(name);
    if (candidate.size() != prefix.size() + kTailLength + kTemporaryMark.size() || !candidate.starts_with(prefix) ||
        !candidate.ends_with(kTemporaryMark))
        return false;
    const std::string_view tail = candidate.substr(prefix.size(), kTailLength);
    return std::all_of(tail.begin(), tail.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

// Six letters or digits drawn at random; a name already taken is tried
// again with others.
std::string RandomTail()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof letters - 2);
    std::string tail;
    for (size_t i = 0; i < kTailLength; ++i)
        tail += letters[pick(random)];
    return tail;
}

// fsync, again where a signal (a child process of the toolkit's ending, say)
// cut the wait short: that is no failure of the file. 0 or the error.
int SyncFile(int fd)
{
    int synced;
    do
        synced = ::fsync(fd);
    while (synced != 0 && errno == EINTR);
    return synced == 0 ? 0 : errno;
}

bool SameFile(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether `name` still stands for the file open as `fd`.
bool StillNamed(int fd, const std::string &name)
{
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(opened, named);
}

// A temporary file is a plain file of ours. It has the permissions of the
// file it replaces from its flush on, so they tell nothing.
bool IsOwnTemporaryFile(const struct stat &file) { return S_ISREG(file.st_mode) && file.st_uid == ::geteuid(); }

// Removes the temporary files that earlier saves of "name" left in the folder
// when they were stopped. A writer holds a lock on its temporary file while it
// lives, so a save going on beside this one keeps its file.
void RemoveLeftoverTemporaryFiles(const std::string &folder, const std::string &name)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (!IsTemporaryFileOf(entry->d_name, name))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened, named;
        if (::fstat(fd, &opened) == 0 && IsOwnTemporaryFile(opened) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(opened, named))
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// A file in the folder that has no name yet, or -1 where the file system (or
// a test) cannot make one. Naming it later goes through /proc.
int OpenUnnamedFile(const std::string &folder)
{
    if (!unnamedAllowed.load() || ::access("/proc/self/fd", X_OK) != 0)
        return -1;
    // Readable too: a rename refused at the end sends its bytes into the file itself.
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::flock(fd, LOCK_EX);
    return fd;
}

// A file named from the start, locked, or -1 with errno set. Another save's
// clearing may have taken it for a leftover before the lock was had: then
// another is made.
int CreateNamedFile(const std::string &prefix, std::string &name, std::string_view mark = kTemporaryMark)
{
    const std::string pattern = prefix + std::string(kTailLength, 'X') + std::string(mark);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = ::mkostemps(buffer.data(), static_cast<int>(mark.size()), O_CLOEXEC);
        if (fd < 0)
            return -1;
        ::flock(fd, LOCK_EX);
        if (StillNamed(fd, buffer.data())) {
            name = buffer.data();
            return fd;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Flushes the folder's entries, so that a rename in it outlives a power cut.
// 0 or the error; a file system that cannot flush a folder is no failure.
int SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = SyncFile(fd);
    ::close(fd);
    return err == EINVAL ? 0 : err;
}

// The new file gets the owner, group and permissions of the file it replaces
// (a file shared with a group stays writable by the group once another
// member saved it); a new file gets the usual permissions. Only the owner's
// group can be kept where the owner cannot be given away, and nothing where
// neither can. The mode comes after the owner, which may clear set-id bits.
void TakeOverOwnerAndMode(int fd, const std::string &replaced)
{
    struct stat st;
    mode_t mode = 0666;
    if (::stat(replaced.c_str(), &st) == 0) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && errno == EPERM)
            (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);
}

// A file descriptor closed with its scope.
struct TOpenFile {
    explicit TOpenFile(int opened) : fd(opened) {}
    ~TOpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
    TOpenFile(const TOpenFile &) = delete;
    TOpenFile &operator=(const TOpenFile &) = delete;
    int fd;
};

TFileStamp StampOf(const struct stat &st)
{
    TFileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

// Closes the file just written and gives its stamp, taken from its name once
// it is closed (a shared file system may set the modification time at close),
// or from the open file where the name no longer stands for it. The data is on
// disk: what closing reports no longer concerns it.
std::optional<TFileStamp> CloseAndStamp(int &fd, const std::string &path)
{
    struct stat opened, named;
    const bool known = ::fstat(fd, &opened) == 0;
    ::close(fd);
    fd = -1;
    if (!known)
        return std::nullopt;
    if (::stat(path.c_str(), &named) == 0 && SameFile(opened, named))
        return StampOf(named);
    return StampOf(opened);
}

// A file the folder takes no new file beside, that may be written itself: a
// plain file this user can read (its old bytes are kept first) and write.
bool WritableInPlace(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), R_OK | W_OK) == 0;
}

// Writes all of `bytes` at `offset`; 0 or the error.
int WriteAt(int fd, std::string_view bytes, off_t offset)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + written, bytes.size() - written,
                                   offset + static_cast<off_t>(written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        written += static_cast<size_t>(n);
    }
    return 0;
}

// The whole content of an open file, read from its start; false with errno set.
bool ReadWhole(int fd, std::string &bytes)
{
    bytes.clear();
    char buffer[1 << 16];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
}

// The file's bytes at `fd`, from its start, as long as `bytes`, on disk; 0 or the error.
int ReplaceContent(int fd, std::string_view bytes)
{
    if (const int err = WriteAt(fd, bytes, 0))
        return err;
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        return errno;
    return SyncFile(fd);
}

// Makes `folder` (absolute, with a trailing "/") and the folders above it that
// are missing, for the user alone, each flushed into the folder holding it so
// that it outlives a power cut with the file put in it; 0 or the error.
int MakeFoldersOnDisk(const std::string &folder)
{
    std::vector<fs::path> missing;
    fs::path at = fs::path(folder).parent_path();  // the trailing "/" off
    struct stat st;
    while (::stat(at.c_str(), &st) != 0) {
        if (errno != ENOENT || at == at.parent_path())
            return errno;
        missing.push_back(at);
        at = at.parent_path();
    }
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    for (auto made = missing.rbegin(); made != missing.rend(); ++made) {
        if (::mkdir(made->c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (const int err = SyncFolder(made->parent_path().string()))
            return err;
    }
    return 0;
}

// Keeps `bytes`, the old content of the file `path`, in a new file of the
// per-user cache folder, flushed with its folder entry; returns its name.
std::string KeepOldBytes(const std::string &path, std::string_view bytes)
{
    const std::string folder = UserFolder("XDG_CACHE_HOME", "/.cache") + "tarvold/";
    auto refuse = [&](int err) {
        throw EFKeepOldContentsError("Cannot keep the old contents of \"" + path + "\" in \"" + folder + "\". "
                                         + std::strerror(err),
                                     err, folder);
    };
    if (AbsoluteFolderIn("XDG_CACHE_HOME").empty() && AbsoluteFolderIn("HOME").empty())
        refuse(ENOENT);  // neither the cache folder nor the home folder is known
    if (const int err = MakeFoldersOnDisk(folder))
        refuse(err);
    std::string name;
    int err = 0;
    {
        // A file of the user's alone.
        const TOpenFile copy(CreateNamedFile(folder + TemporaryPrefix(ExtractFileName(path)).substr(1), name, ".kept"));
        if (copy.fd < 0)
            refuse(errno);
        err = WriteAt(copy.fd, bytes, 0);
        if (err == 0)
            err = SyncFile(copy.fd);
    }
    if (err == 0)
        err = SyncFolder(folder);
    if (err != 0) {
        ::unlink(name.c_str());
        refuse(err);
    }
    return name;
}

} // namespace

std::optional<TFileStamp> FileStampOf(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return StampOf(st);
}

void SetAtomicSaveStepHook(void (*hook)(TAtomicSaveStep step)) { stepHook.store(hook); }

bool SetUnnamedTemporaryFilesAllowed(bool allowed) { return unnamedAllowed.exchange(allowed); }

TAtomicFileWriter::TAtomicFileWriter(const std::string &shownPath) : path_(LinkTarget(shownPath))
{
    CheckWritable(path_, shownPath);
    folder_ = ExtractFilePath(path_);
    if (folder_.empty())
        folder_ = "./";
    const std::string name = ExtractFileName(path_);
    RemoveLeftoverTemporaryFiles(folder_, name);
    fd_ = OpenUnnamedFile(folder_);
    if (fd_ < 0)
        fd_ = CreateNamedFile(folder_ + TemporaryPrefix(name), temp_);
    if (fd_ < 0) {
        const int err = errno;
        // A folder that takes no new file, holding a file that may be written.
        if ((err == EACCES || err == EPERM) && WritableInPlace(path_)) {
            inPlace_ = true;
            return;
        }
        throw EFCreateError("Cannot create file \"" + path_ + "\". " + std::strerror(err), err);
    }
}

TAtomicFileWriter::~TAtomicFileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

void TAtomicFileWriter::Fail(const char *what, int err)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
    throw EFCreateError(std::string(what) + " \"" + path_ + "\". " + std::strerror(err), err);
}

void TAtomicFileWriter::Write(std::string_view bytes)
{
    if (inPlace_) {
        text_ += bytes;
        return;
    }
    if (fd_ < 0)
        Fail("Cannot write file", EBADF);
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot write file", errno);
        }
        written += static_cast<size_t>(n);
    }
}

void TAtomicFileWriter::Restart()
{
    if (inPlace_) {
        text_.clear();
        return;
    }
    if (fd_ < 0)
        Fail("Cannot write file", EBADF);
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
        Fail("Cannot write file", errno);
}

// The unnamed file, complete and on disk, gets a temporary name beside the
// target, the one a rename can take from.
void TAtomicFileWriter::NameTemporaryFile()
{
    const std::string opened = "/proc/self/fd/" + std::to_string(fd_);
    const std::string prefix = folder_ + TemporaryPrefix(ExtractFileName(path_));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = prefix + RandomTail() + std::string(kTemporaryMark);
        int linked = ::linkat(AT_FDCWD, opened.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno != EEXIST)
            linked = ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
        if (linked == 0) {
            temp_ = name;
            return;
        }
        if (errno != EEXIST)
            Fail("Cannot create file", errno);
    }
    Fail("Cannot create file", EEXIST);
}

void TAtomicFileWriter::Commit()
{
    if (inPlace_)
        return CommitInPlace();
    if (fd_ < 0)
        Fail("Cannot write file", EBADF);
    // Before the flush, so that the owner and the permissions are on disk
    // with the data.
    TakeOverOwnerAndMode(fd_, path_);
    if (const int err = SyncFile(fd_))
        Fail("Cannot write file", err);
    Reached(TAtomicSaveStep::Flushed);
    if (temp_.empty())
        NameTemporaryFile();
    Reached(TAtomicSaveStep::Named);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        // A shared folder whose sticky bit keeps a colleague's file from being
        // replaced, though it may be written: the text goes into the file itself.
        if ((err == EPERM || err == EACCES) && WritableInPlace(path_))
            return CommitInPlaceInstead();
        Fail("Cannot create file", err);
    }
    temp_.clear();
    Reached(TAtomicSaveStep::Renamed);
    stamp_ = CloseAndStamp(fd_, path_);
    if (const int err = SyncFolder(folder_))
        throw EFCreateError("Cannot write file \"" + path_ + "\". " + std::strerror(err), err);
}

void TAtomicFileWriter::CommitInPlaceInstead()
{
    std::string text;
    if (!ReadWhole(fd_, text))
        Fail("Cannot write file", errno);
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
    temp_.clear();
    text_ = std::move(text);
    inPlace_ = true;
    CommitInPlace();
}

void TAtomicFileWriter::CommitInPlace()
{
    TOpenFile file(::open(path_.c_str(), O_RDWR | O_CLOEXEC));
    std::string old;
    if (file.fd < 0 || !ReadWhole(file.fd, old)) {
        const int err = errno;
        throw EFCreateError("Cannot write file \"" + path_ + "\". " + std::strerror(err), err);
    }
    const std::string kept = KeepOldBytes(path_, old);
    Reached(TAtomicSaveStep::Kept);
    if (const int err = ReplaceContent(file.fd, text_)) {
        // The old bytes go back where they can; the kept copy stays either way.
        (void)ReplaceContent(file.fd, old);
        throw EFWriteInPlaceError("Cannot write file \"" + path_ + "\". " + std::strerror(err), err, kept);
    }
    Reached(TAtomicSaveStep::WrittenInPlace);
    stamp_ = CloseAndStamp(file.fd, path_);
    ::unlink(kept.c_str());
    std::string().swap(text_);
}

void WriteFileAtomically(const std::string &shownPath, std::string_view bytes)
{
    TAtomicFileWriter file(shownPath);
    file.Write(bytes);
    file.Commit();
}
