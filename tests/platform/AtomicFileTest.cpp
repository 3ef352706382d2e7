// A save stopped part way (a crash, kill -9, a power cut) leaves the old file
// or the new one, never a mix, and no temporary file that stays for good.
#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "tests/OrdinaryUser.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <ostream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testing_support::ListFiles;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

// Where a save is stopped: the first two from the writer's user, the others
// inside Commit.
enum class TMoment { Opened, HalfWritten, Flushed, Named, Renamed, Kept, WrittenInPlace };

const char *NameOf(TMoment moment)
{
    static const char *names[] = {"opened", "half written", "flushed", "named", "renamed", "kept", "written in place"};
    return names[static_cast<int>(moment)];
}

// The child tells the parent through this pipe that it stands where it is to die.
int arrivedPipe = -1;
TMoment stopAt = TMoment::Opened;

[[noreturn]] void WaitToBeKilled()
{
    const char arrived = 'x';
    (void)::write(arrivedPipe, &arrived, 1);
    for (;;)
        ::pause();
}

void StopAtStep(TAtomicSaveStep step)
{
    if ((step == TAtomicSaveStep::Flushed && stopAt == TMoment::Flushed) ||
        (step == TAtomicSaveStep::Named && stopAt == TMoment::Named) ||
        (step == TAtomicSaveStep::Renamed && stopAt == TMoment::Renamed) ||
        (step == TAtomicSaveStep::Kept && stopAt == TMoment::Kept) ||
        (step == TAtomicSaveStep::WrittenInPlace && stopAt == TMoment::WrittenInPlace))
        WaitToBeKilled();
}

// A child process saves `bytes` to `path` and is killed with SIGKILL at the
// moment; false when it did not get there.
bool KillSaveAt(const std::string &path, const std::string &bytes, TMoment moment)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        arrivedPipe = fds[1];
        stopAt = moment;
        SetAtomicSaveStepHook(StopAtStep);
        try {
            TAtomicFileWriter file(path);
            if (moment == TMoment::Opened)
                WaitToBeKilled();
            file.Write(std::string_view(bytes).substr(0, bytes.size() / 2));
            if (moment == TMoment::HalfWritten)
                WaitToBeKilled();
            file.Write(std::string_view(bytes).substr(bytes.size() / 2));
            file.Commit();
        } catch (...) {
        }
        ::_exit(1);
    }
    ::close(fds[1]);
    char arrived = 0;
    const bool there = child > 0 && ::read(fds[0], &arrived, 1) == 1;
    ::close(fds[0]);
    if (child > 0)
        ::kill(child, SIGKILL);
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
    return there && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// A new text large enough that writing it takes a while, unlike the old one.
std::string NewText() { return std::string(3 << 20, 'n') + "end"; }

class UnnamedFilesRefused {
public:
    UnnamedFilesRefused() : was_(SetUnnamedTemporaryFilesAllowed(false)) {}
    ~UnnamedFilesRefused() { SetUnnamedTemporaryFilesAllowed(was_); }

private:
    bool was_;
};

const std::vector<std::string> kDocumentOnly = {"doc.xml"};

} // namespace

TEST(AtomicFile, ASaveKilledAtAnyMomentLeavesAWholeDocumentAndNoTemporaryFile)
{
    const std::string text = NewText();
    for (TMoment moment : {TMoment::Opened, TMoment::HalfWritten, TMoment::Flushed, TMoment::Renamed}) {
        testing_support::TempDir dir;
        const std::string path = dir.File("doc.xml");
        WriteFileAtomically(path, "old");
        ASSERT_TRUE(KillSaveAt(path, text, moment)) << NameOf(moment);
        EXPECT_EQ(ReadBytes(path), moment == TMoment::Renamed ? text : "old") << NameOf(moment);
        EXPECT_EQ(ListFiles(dir.Path()), kDocumentOnly) << NameOf(moment);
    }
}

TEST(AtomicFile, ATemporaryFileAKilledSaveLeftGoesAtTheNextSave)
{
    // Killed between naming the finished file and the rename, and, where the
    // file system makes no unnamed files, at any moment before the rename.
    const std::string text = NewText();
    auto killAndSaveAgain = [&](TMoment moment) {
        testing_support::TempDir dir;
        const std::string path = dir.File("doc.xml");
        WriteFileAtomically(path, "old");
        ASSERT_TRUE(KillSaveAt(path, text, moment)) << NameOf(moment);
        EXPECT_EQ(ReadBytes(path), "old") << NameOf(moment);
        EXPECT_EQ(ListFiles(dir.Path()).size(), 2u) << NameOf(moment);
        WriteFileAtomically(path, "next");
        EXPECT_EQ(ReadBytes(path), "next") << NameOf(moment);
        EXPECT_EQ(ListFiles(dir.Path()), kDocumentOnly) << NameOf(moment);
    };
    killAndSaveAgain(TMoment::Named);
    UnnamedFilesRefused refused;
    for (TMoment moment : {TMoment::Opened, TMoment::HalfWritten, TMoment::Flushed, TMoment::Named})
        killAndSaveAgain(moment);
}

TEST(AtomicFile, OnlyTheLeftoversOfTheSameDocumentGo)
{
    testing_support::TempDir dir;
    const std::string path = dir.File("doc.xml");
    // Left by stopped saves (with the permissions of the file they were to
    // replace, or still the owner's alone), and files that only look alike.
    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    for (const char *name :
         {".doc.xml.a1B2c3.tarvold-save", ".doc.xml.Zz9yY8.tarvold-save", ".doc.xml.a1B2c.tarvold-save",
          ".doc.xml.a1-2c3.tarvold-save", ".doc.xml.a1B2c3.tarvold-saved", ".other.xml.a1B2c3.tarvold-save",
          "doc.xml.a1B2c3.tarvold-save", ".doc.xml.a1B2c3"}) {
        testing_support::WriteBytes(dir.File(name), "bytes");
        std::filesystem::permissions(dir.File(name), ownerOnly);
    }
    std::filesystem::permissions(dir.File(".doc.xml.Zz9yY8.tarvold-save"), std::filesystem::perms::group_read,
                                 std::filesystem::perm_options::add);
    std::filesystem::create_directory(dir.File(".doc.xml.Folder.tarvold-save"));
    WriteFileAtomically(path, "saved");
    EXPECT_EQ(ListFiles(dir.Path()),
              (std::vector<std::string>{".doc.xml.Folder.tarvold-save", ".doc.xml.a1-2c3.tarvold-save",
                                        ".doc.xml.a1B2c.tarvold-save", ".doc.xml.a1B2c3",
                                        ".doc.xml.a1B2c3.tarvold-saved", ".other.xml.a1B2c3.tarvold-save", "doc.xml",
                                        "doc.xml.a1B2c3.tarvold-save"}));
}

TEST(AtomicFile, TheUsersOwnFilesBesideTheDocumentSurviveASave)
{
    // Files only their owner may read, as any made under umask 077, named
    // like the document with something after it; beside them a real leftover.
    for (bool unnamed : {true, false}) {
        const bool was = SetUnnamedTemporaryFilesAllowed(unnamed);
        testing_support::TempDir dir;
        const std::string path = dir.File("plan.xml");
        WriteFileAtomically(path, "old");
        const std::vector<std::string> usersFiles = {".plan.xml.backup", ".plan.xml.old001", ".plan.xml.x7Kq2Z"};
        for (const std::string &name : usersFiles) {
            testing_support::WriteBytes(dir.File(name), "precious");
            std::filesystem::permissions(dir.File(name),
                                         std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        }
        ASSERT_TRUE(KillSaveAt(path, "lost", TMoment::Named)) << "unnamed " << unnamed;
        ASSERT_EQ(ListFiles(dir.Path()).size(), usersFiles.size() + 2) << "unnamed " << unnamed;
        WriteFileAtomically(path, "new");
        std::vector<std::string> expected = usersFiles;
        expected.push_back("plan.xml");
        EXPECT_EQ(ListFiles(dir.Path()), expected) << "unnamed " << unnamed;
        for (const std::string &name : usersFiles)
            EXPECT_EQ(ReadBytes(dir.File(name)), "precious") << name;
        SetUnnamedTemporaryFilesAllowed(was);
    }
}

TEST(AtomicFile, ADocumentWithTheLongestNamesIsSavedAgainAndItsLeftoversGo)
{
    // 254 bytes, one short of the longest name; the name inside a temporary
    // file's is cut within a character's bytes.
    std::string name = "a";
    for (int i = 0; i < 83; ++i)
        name += "計";
    name += ".xml";
    ASSERT_EQ(name.size(), 254u);
    for (bool unnamed : {true, false}) {
        const bool was = SetUnnamedTemporaryFilesAllowed(unnamed);
        testing_support::TempDir dir;
        const std::string path = dir.File(name);
        EXPECT_NO_THROW(WriteFileAtomically(path, "first")) << "unnamed " << unnamed;
        EXPECT_NO_THROW(WriteFileAtomically(path, "second")) << "unnamed " << unnamed;
        EXPECT_EQ(ReadBytes(path), "second") << "unnamed " << unnamed;
        ASSERT_TRUE(KillSaveAt(path, "lost", TMoment::Named)) << "unnamed " << unnamed;
        const std::vector<std::string> left = ListFiles(dir.Path());
        ASSERT_EQ(left.size(), 2u) << "unnamed " << unnamed;
        EXPECT_TRUE(IsValidUtf8(left[0])) << "unnamed " << unnamed;
        EXPECT_NO_THROW(WriteFileAtomically(path, "third")) << "unnamed " << unnamed;
        EXPECT_EQ(ReadBytes(path), "third") << "unnamed " << unnamed;
        EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{name}) << "unnamed " << unnamed;
        SetUnnamedTemporaryFilesAllowed(was);
    }
}

namespace {

// The owner, group and permissions of a file.
struct TOwnership {
    uid_t uid;
    gid_t gid;
    mode_t mode;
    bool operator==(const TOwnership &) const = default;
};

std::ostream &operator<<(std::ostream &out, const TOwnership &o)
{
    return out << o.uid << ":" << o.gid << " " << std::oct << o.mode << std::dec;
}

TOwnership OwnershipOf(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {st.st_uid, st.st_gid, st.st_mode & 07777};
}

// What the temporary file beside the document has when its data is flushed.
std::string flushedFolder;
TOwnership flushedTemporary;
void NoteTemporaryAtFlush(TAtomicSaveStep step)
{
    if (step != TAtomicSaveStep::Flushed)
        return;
    for (const std::string &name : ListFiles(flushedFolder))
        if (name.starts_with("."))
            flushedTemporary = OwnershipOf(flushedFolder + name);
}

} // namespace

TEST(AtomicFile, TheNewFileKeepsTheOwnerGroupAndPermissionsOfTheOldOne)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    const TOwnership colleagues = {4321, 4321, 0664};
    for (bool unnamed : {true, false}) {
        const bool was = SetUnnamedTemporaryFilesAllowed(unnamed);
        testing_support::TempDir dir;
        const std::string path = dir.File("shared.xml");
        testing_support::WriteBytes(path, "old");
        ASSERT_EQ(::chown(path.c_str(), colleagues.uid, colleagues.gid), 0);
        ASSERT_EQ(::chmod(path.c_str(), colleagues.mode), 0);
        flushedFolder = dir.Path();
        flushedTemporary = {};
        SetAtomicSaveStepHook(NoteTemporaryAtFlush);
        WriteFileAtomically(path, "new");
        SetAtomicSaveStepHook(nullptr);
        EXPECT_EQ(ReadBytes(path), "new") << "unnamed " << unnamed;
        EXPECT_EQ(OwnershipOf(path), colleagues) << "unnamed " << unnamed;
        if (!unnamed) {  // on disk with the data, not set only after the flush
            EXPECT_EQ(flushedTemporary, colleagues);
        }
        SetUnnamedTemporaryFilesAllowed(was);
    }
}

TEST(AtomicFile, AGroupMemberSavingAColleaguesFileKeepsItsGroup)
{
    // Another user of the group saves the file: the owner cannot be given
    // back, the group and the permissions are kept.
    if (::geteuid() != 0)
        GTEST_SKIP() << "becoming another user needs root";
    testing_support::TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const std::string path = dir.File("shared.xml");
    testing_support::WriteBytes(path, "old");
    const gid_t team = 4322;
    const uid_t member = 1234;
    ASSERT_EQ(::chown(path.c_str(), 4321, team), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(1, &team) != 0 || ::setgid(member) != 0 || ::setuid(member) != 0)
            ::_exit(2);
        try {
            WriteFileAtomically(path, "new");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(OwnershipOf(path), (TOwnership{member, team, 0664}));
}

namespace {

// Saves the document anew while another save of it stands just before its rename.
std::string besidePath;
void SaveBesideAtNamed(TAtomicSaveStep step)
{
    if (step != TAtomicSaveStep::Named || besidePath.empty())
        return;
    const std::string path = besidePath;
    besidePath.clear();
    WriteFileAtomically(path, "beside");
}

} // namespace

TEST(AtomicFile, ASaveGoingOnIsNoLeftoverForAnotherSave)
{
    for (bool unnamed : {true, false}) {
        const bool was = SetUnnamedTemporaryFilesAllowed(unnamed);
        testing_support::TempDir dir;
        const std::string path = dir.File("doc.xml");
        WriteFileAtomically(path, "old");
        {
            TAtomicFileWriter first(path);
            first.Write("first");
            WriteFileAtomically(path, "second");  // whose clearing must spare the first one's file
            first.Commit();
        }
        EXPECT_EQ(ReadBytes(path), "first") << "unnamed " << unnamed;
        besidePath = path;
        SetAtomicSaveStepHook(SaveBesideAtNamed);
        EXPECT_NO_THROW(WriteFileAtomically(path, "third")) << "unnamed " << unnamed;
        SetAtomicSaveStepHook(nullptr);
        EXPECT_EQ(ReadBytes(path), "third") << "unnamed " << unnamed;
        EXPECT_EQ(ListFiles(dir.Path()), kDocumentOnly) << "unnamed " << unnamed;
        SetUnnamedTemporaryFilesAllowed(was);
    }
}

// ---------------------------------------------------------------- a folder that takes no new files

namespace {

// A document of mode 0666 in a folder of mode 0555 (a shared folder where a
// person may write the document and create nothing), with a cache folder of
// the test's own for the old bytes.
struct TClosedFolder {
    testing_support::TempDir dir;
    testing_support::ScopedFakeServices services;
    const std::string folder = dir.Path() + "shared/";
    const std::string path = folder + "doc.xml";
    const std::string cache = dir.Path() + "cache/tarvold/";
    TClosedFolder()
    {
        ForceDirectories(folder);
        WriteBytes(path, "old bytes");
        ::chmod(path.c_str(), 0666);
        services->env["XDG_CACHE_HOME"] = dir.Path() + "cache";
        services->env["HOME"] = dir.Path() + "home";
        ::chmod(folder.c_str(), 0555);
    }
    ~TClosedFolder() { ::chmod(folder.c_str(), 0755); }
    TClosedFolder(const TClosedFolder &) = delete;
    TClosedFolder &operator=(const TClosedFolder &) = delete;

    // The old bytes kept in the cache, one string per kept copy.
    std::vector<std::string> KeptCopies() const
    {
        std::vector<std::string> copies;
        if (DirectoryExists(cache))
            for (const std::string &name : ListFiles(cache))
                copies.push_back(ReadBytes(cache + name));
        return copies;
    }
};

struct stat StatOf(const std::string &path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

} // namespace

// The file itself is written: the same file, its mode kept, its length that
// of the new text, nothing made beside it, and no kept copy left once the
// save is done. A writer freed without a commit touches nothing.
TEST(AtomicFile, AFileInAFolderThatTakesNoNewFilesIsWrittenInPlace)
{
    testing_support::AsOrdinaryUser([] {
        TClosedFolder f;
        const ino_t inode = StatOf(f.path).st_ino;
        WriteFileAtomically(f.path, "the new and longer text");
        EXPECT_EQ(ReadBytes(f.path), "the new and longer text");
        EXPECT_EQ(StatOf(f.path).st_ino, inode);
        EXPECT_EQ(StatOf(f.path).st_mode & 07777, 0666u);
        EXPECT_EQ(ListFiles(f.folder), kDocumentOnly);
        EXPECT_TRUE(f.KeptCopies().empty());
        EXPECT_EQ(StatOf(f.cache).st_mode & 0777, 0700u);

        {
            TAtomicFileWriter file(f.path);
            EXPECT_TRUE(file.InPlace());
            file.Write("first ");
            file.Restart();
            file.Write("sh");
            file.Write("ort");
            EXPECT_EQ(ReadBytes(f.path), "the new and longer text");
            file.Commit();
            ASSERT_TRUE(file.Stamp().has_value());
            EXPECT_EQ(file.Stamp(), FileStampOf(f.path));
        }
        EXPECT_EQ(ReadBytes(f.path), "short");
        {
            TAtomicFileWriter file(f.path);
            file.Write("changed my mind");
        }
        EXPECT_EQ(ReadBytes(f.path), "short");
        EXPECT_TRUE(f.KeptCopies().empty());
        EXPECT_EQ(ListFiles(f.folder), kDocumentOnly);
    });
}

// Until the new bytes are on disk the old ones are in the cache folder: a
// save killed there leaves them, and one killed before leaves the file whole.
TEST(AtomicFile, TheOldBytesStayInTheCacheUntilTheNewOnesAreOnDisk)
{
    testing_support::AsOrdinaryUser([] {
        const std::string text = NewText();
        for (TMoment moment : {TMoment::HalfWritten, TMoment::Kept, TMoment::WrittenInPlace}) {
            TClosedFolder f;
            ASSERT_TRUE(KillSaveAt(f.path, text, moment)) << NameOf(moment);
            EXPECT_EQ(ReadBytes(f.path), moment == TMoment::WrittenInPlace ? text : "old bytes") << NameOf(moment);
            EXPECT_EQ(f.KeptCopies(), moment == TMoment::HalfWritten ? std::vector<std::string>{}
                                                                     : std::vector<std::string>{"old bytes"})
                << NameOf(moment);
            EXPECT_EQ(ListFiles(f.folder), kDocumentOnly) << NameOf(moment);
        }
    });
}

// A write that fails part way puts the old bytes back and says where they
// are kept; the copy stays there.
TEST(AtomicFile, AFailedWriteInPlacePutsTheOldBytesBackAndNamesTheKeptCopy)
{
    testing_support::AsOrdinaryUser([] {
        TClosedFolder f;
        std::string kept;
        int error = 0;
        {
            testing_support::TFileSizeLimit limit(4096);
            try {
                WriteFileAtomically(f.path, std::string(8192, 'n'));
            } catch (const EFWriteInPlaceError &e) {
                kept = e.KeptCopy();
                error = e.ErrorCode();
            }
        }
        EXPECT_EQ(error, EFBIG);
        EXPECT_TRUE(kept.starts_with(f.cache)) << kept;
        EXPECT_EQ(ReadBytes(kept), "old bytes");
        EXPECT_EQ(ReadBytes(f.path), "old bytes");
        EXPECT_EQ(StatOf(kept).st_mode & 0777, 0600u);
    });
}

// What a folder that takes no new files refuses still: a read-only document,
// a new file, and a save whose old bytes cannot be kept; none is touched.
TEST(AtomicFile, ReadOnlyFilesNewFilesAndOldBytesWithNowhereToGoAreStillRefused)
{
    testing_support::AsOrdinaryUser([] {
        auto refusal = [](const std::string &path) {
            try {
                WriteFileAtomically(path, "new");
            } catch (const EFCreateError &e) {
                return e.ErrorCode();
            }
            return 0;
        };
        TClosedFolder f;
        ::chmod(f.path.c_str(), 0444);
        EXPECT_EQ(refusal(f.path), EACCES);
        EXPECT_EQ(ReadBytes(f.path), "old bytes");
        ::chmod(f.path.c_str(), 0666);
        EXPECT_EQ(refusal(f.folder + "new.xml"), EACCES);
        EXPECT_FALSE(FileExists(f.folder + "new.xml"));
        // The cache folder is a file: the old bytes cannot be kept, and the
        // refusal names the folder they were to go to.
        WriteBytes(f.dir.Path() + "cache", "");
        try {
            WriteFileAtomically(f.path, "new");
            ADD_FAILURE() << "saved with nowhere to keep the old bytes";
        } catch (const EFKeepOldContentsError &e) {
            EXPECT_EQ(e.Folder(), f.cache);
            EXPECT_EQ(e.ErrorCode(), ENOTDIR);
        }
        EXPECT_EQ(ReadBytes(f.path), "old bytes");
        // Nor with no home or cache folder known, a relative one counting for none.
        f.services->env.clear();
        EXPECT_EQ(refusal(f.path), ENOENT);
        f.services->env["XDG_CACHE_HOME"] = "cache";
        f.services->env["HOME"] = "home";
        EXPECT_EQ(refusal(f.path), ENOENT);
        EXPECT_EQ(ReadBytes(f.path), "old bytes");
        EXPECT_EQ(ListFiles(f.folder), kDocumentOnly);
    });
}

// The old bytes go to the cache folder named by an absolute path, else to the
// one in the home folder (a relative name would follow the current folder);
// the folders made for them are the user's alone.
TEST(AtomicFile, TheOldBytesAreKeptInTheUsersOwnCacheFolder)
{
    testing_support::AsOrdinaryUser([] {
        TClosedFolder f;
        const std::string home = f.dir.Path() + "home/";
        f.services->env["XDG_CACHE_HOME"] = "cache";
        std::string kept;
        {
            testing_support::TFileSizeLimit limit(4096);
            try {
                WriteFileAtomically(f.path, std::string(8192, 'n'));
            } catch (const EFWriteInPlaceError &e) {
                kept = e.KeptCopy();
            }
        }
        EXPECT_TRUE(kept.starts_with(home + ".cache/tarvold/")) << kept;
        EXPECT_EQ(ReadBytes(kept), "old bytes");
        for (const std::string &made : {home, home + ".cache/", home + ".cache/tarvold/"})
            EXPECT_EQ(StatOf(made).st_mode & 0777, 0700u) << made;
        EXPECT_FALSE(DirectoryExists(f.dir.Path() + "cache"));
        WriteFileAtomically(f.path, "new");
        EXPECT_EQ(ReadBytes(f.path), "new");
    });
}

// A colleague's document in a shared folder whose sticky bit keeps the
// files of others from being replaced or removed (mode 1777): the person
// may write the document, so it is written in place, with nothing left
// beside it or in the cache, and the file stays the colleague's. A document
// the person may not write stays refused and untouched.
TEST(AtomicFile, AColleaguesDocumentInAStickyFolderIsWrittenInPlace)
{
    if (!testing_support::RunningAsRoot())
        GTEST_SKIP() << "making a colleague's file needs root";
    testing_support::TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string folder = dir.Path() + "team/", cache = dir.Path() + "cache/";
    ForceDirectories(folder);
    ForceDirectories(cache);
    testing_support::GiveToOrdinaryUser(cache);
    ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
    const std::string path = folder + "plan.xml", locked = folder + "locked.xml";
    WriteBytes(path, "old bytes");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    WriteBytes(locked, "old bytes");
    ASSERT_EQ(::chmod(locked.c_str(), 0644), 0);
    const ino_t inode = StatOf(path).st_ino;
    const std::vector<std::string> documents = {"locked.xml", "plan.xml"};
    testing_support::AsOrdinaryUser([&] {
        testing_support::ScopedFakeServices services;
        services->env["XDG_CACHE_HOME"] = cache;
        for (bool unnamed : {true, false}) {
            UnnamedFilesRefused refused;
            if (unnamed)
                SetUnnamedTemporaryFilesAllowed(true);
            const std::string text = std::string(unnamed ? "unnamed" : "named") + " and longer";
            TAtomicFileWriter file(path);
            EXPECT_FALSE(file.InPlace());  // a new file can be made beside it
            file.Write(text);
            file.Commit();
            EXPECT_EQ(file.Stamp(), FileStampOf(path));
            EXPECT_EQ(ReadBytes(path), text);
            EXPECT_EQ(ListFiles(folder), documents) << "unnamed " << unnamed;
            EXPECT_TRUE(ListFiles(cache + "tarvold").empty()) << "unnamed " << unnamed;
        }
        try {
            WriteFileAtomically(locked, "new");
            ADD_FAILURE() << "wrote a colleague's read-only document";
        } catch (const EFCreateError &e) {
            EXPECT_EQ(e.ErrorCode(), EACCES);
        }
        EXPECT_EQ(ListFiles(folder), documents);
    });
    EXPECT_EQ(StatOf(path).st_ino, inode);
    EXPECT_EQ(StatOf(path).st_uid, 0u);
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0666u);
    EXPECT_EQ(ReadBytes(path), "named and longer");
    EXPECT_EQ(ReadBytes(locked), "old bytes");
}
