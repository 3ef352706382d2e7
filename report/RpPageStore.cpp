#include "report/RpPageStore.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"
#include "report/RpCompress.h"

#include <algorithm>
#include <cstring>

namespace {

void Acquire(TCriticalSection &lock) { lock.Enter(); }
void Release(TCriticalSection &lock) { lock.Leave(); }
void Acquire(TRpStream &stream) { stream.Lock(); }
void Release(TRpStream &stream) { stream.Unlock(); }

// Holds a critical section or a page stream's lock for a scope.
template <class T>
class TLockGuard {
public:
    explicit TLockGuard(T &lock) : lock_(lock) { Acquire(lock_); }
    ~TLockGuard() { Release(lock_); }
    TLockGuard(const TLockGuard &) = delete;
    TLockGuard &operator=(const TLockGuard &) = delete;

private:
    T &lock_;
};

constexpr std::int64_t kCopyBlock = 10240;
// The smallest record: page number, next offset, back link.
constexpr std::int64_t kRecordOverhead = 12;

[[noreturn]] void Damaged(const std::string &why)
{
    throw EReadError("The file is damaged: " + why);
}

std::int32_t ReadInt32(TStream &stream)
{
    std::int32_t value;
    stream.ReadBuffer(&value, 4);
    return value;
}

void WriteInt32(TStream &stream, std::int32_t value)
{
    stream.WriteBuffer(&value, 4);
}

} // namespace

// ---------------------------------------------------------------- TRpStream

std::unique_ptr<TRpStream> TRpStream::CreateInMemory(std::int64_t memoryLimit)
{
    std::unique_ptr<TRpStream> stream(new TRpStream());
    stream->memory_ = std::make_unique<TMemoryStream>();
    stream->memoryLimit_ = memoryLimit;
    return stream;
}

std::unique_ptr<TRpStream> TRpStream::CreateForFile(const std::string &fileName)
{
    std::unique_ptr<TRpStream> stream(new TRpStream());
    stream->file_ = std::make_unique<TFileStream>(fileName, fmOpenRead);
    return stream;
}

TRpStream::~TRpStream()
{
    TLockGuard guard(lock_);
    memory_.reset();
    file_.reset();
}

TStream &TRpStream::Current()
{
    if (memory_)
        return *memory_;
    return *file_;
}

std::int64_t TRpStream::Read(void *buffer, std::int64_t count)
{
    TLockGuard guard(lock_);
    return Current().Read(buffer, count);
}

std::int64_t TRpStream::Write(const void *buffer, std::int64_t count)
{
    TLockGuard guard(lock_);
    std::int64_t written = Current().Write(buffer, count);
    if (memory_ && memory_->Size() > memoryLimit_)
        SpillToFile();
    return written;
}

std::int64_t TRpStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    TLockGuard guard(lock_);
    return Current().Seek(offset, origin);
}

std::int64_t TRpStream::Size()
{
    TLockGuard guard(lock_);
    return Current().Size();
}

void TRpStream::SetSize(std::int64_t size)
{
    TLockGuard guard(lock_);
    Current().SetSize(size);
}

void TRpStream::SpillToFile()
{
    std::string name = GetTempFileName(GetTempPath(), "RPF");
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(name, fmCreate);
    } catch (...) {
        DeleteFile(name);
        throw;
    }
    // The open stream keeps the bytes; with the name gone at once, a program
    // that is killed leaves nothing behind in the temporary folder.
    DeleteFile(name);
    file->WriteString(memory_->Bytes());
    file_ = std::move(file);
    tempFileName_ = name;
    memory_.reset();
}

void TRpStream::CopyTo(TStream &target)
{
    TLockGuard guard(lock_);
    Seek(0, TSeekOrigin::soBeginning);
    std::vector<char> block(kCopyBlock);
    for (;;) {
        std::int64_t got = Read(block.data(), kCopyBlock);
        if (got <= 0)
            break;
        target.WriteBuffer(block.data(), got);
    }
}

int TRpStream::DetectHeaderSize()
{
    TLockGuard guard(lock_);
    std::int64_t saved = Position();
    auto signatureAt = [this](std::int64_t offset) {
        char bytes[4] = {};
        Seek(offset, TSeekOrigin::soBeginning);
        return Read(bytes, 4) == 4 && std::memcmp(bytes, "EMF\0", 4) == 0;
    };
    if (signatureAt(173))
        headerSize_ = kRpOldHeaderSize;
    else if (signatureAt(145))
        headerSize_ = kRpOldestHeaderSize;
    else
        headerSize_ = kRpHeaderSize;
    Seek(saved, TSeekOrigin::soBeginning);
    return headerSize_;
}

void TRpStream::ConvertOldHeader(unsigned char (&header)[kRpHeaderSize])
{
    unsigned char old[kRpHeaderSize];
    std::memcpy(old, header, sizeof old);
    std::memset(header + 8, 0, sizeof header - 8);
    std::memcpy(header + 8, old + 8, 4);     // page count
    std::memcpy(header + 16, old + 12, 8);   // date and time
    header[24] = old[20];
    header[25] = old[21];                    // compression flag
    std::memcpy(header + 26, old + 22, 101); // reserved field
}

// ---------------------------------------------------------------- TRpOutline

void TRpOutline::FindNode(int key, TRect &rect, int &page) const
{
    for (const TRpOutlineEntry &entry : Entries)
        if (entry.Key == key) {
            rect = entry.Rect;
            page = entry.Page;
            return;
        }
    rect = {};
    page = 0;
}

void TRpOutline::FillNodes(std::vector<TRpOutlineNode> &nodes) const
{
    nodes.clear();
    for (size_t i = 0; i < Entries.size(); ++i)
        nodes.push_back({Entries[i].Caption, std::max(0, Entries[i].Level), static_cast<int>(i)});
}

// ---------------------------------------------------------------- TRpPageList

TRpPageList::TRpPageList() = default;
TRpPageList::~TRpPageList() = default;

TRpStream &TRpPageList::RequireStream()
{
    if (!Stream)
        throw EInvalidOperation("The page list has no stream");
    return *Stream;
}

void TRpPageList::WriteHeader()
{
    TRpStream &stream = RequireStream();
    unsigned char header[kRpHeaderSize] = {};
    std::int16_t format = 3, second = 40;
    std::int32_t count = PageCount;
    double now = Services().Now();
    std::memcpy(header, &format, 2);
    std::memcpy(header + 2, &second, 2);
    std::memcpy(header + 8, &count, 4);
    std::memcpy(header + 16, &now, 8);
    header[25] = Compression ? 1 : 0;
    stream.Seek(0, TSeekOrigin::soBeginning);
    stream.WriteBuffer(header, sizeof header);
}

void TRpPageList::Finish()
{
    TLockGuard guard(lock_);
    WriteHeader();
}

void TRpPageList::ReadHeader()
{
    TRpStream &stream = RequireStream();
    int size = stream.HeaderSize();
    unsigned char header[kRpHeaderSize] = {};
    stream.Seek(0, TSeekOrigin::soBeginning);
    if (stream.Read(header, size) != size)
        Damaged("the header is cut short");
    if (size == kRpOldHeaderSize)
        TRpStream::ConvertOldHeader(header);
    std::int32_t count;
    std::memcpy(&count, header + 8, 4);
    unsigned char flag = header[25];
    std::int64_t room = stream.Size() - size;
    if (count < 0 || count > room / kRecordOverhead)
        Damaged("the page count is impossible");
    if (flag > 1)
        Damaged("the compression flag is neither 0 nor 1");
    PageCount = count;
    Compression = flag == 1;
}

void TRpPageList::WritePageStart()
{
    TRpStream &stream = RequireStream();
    recordStart_ = stream.Seek(0, TSeekOrigin::soEnd);
    WriteInt32(stream, PageCount);
    linkPlace_ = stream.Position();
    WriteInt32(stream, static_cast<std::int32_t>(linkPlace_));
}

void TRpPageList::WritePageEnd()
{
    TRpStream &stream = RequireStream();
    WriteInt32(stream, static_cast<std::int32_t>(recordStart_));
    std::int64_t recordEnd = stream.Position();
    stream.Seek(linkPlace_, TSeekOrigin::soBeginning);
    WriteInt32(stream, static_cast<std::int32_t>(recordEnd));
    stream.Seek(recordEnd, TSeekOrigin::soBeginning);
}

void TRpPageList::AddPage(const TMetafile &metafile)
{
    TLockGuard guard(lock_);
    TRpStream &stream = RequireStream();
    TLockGuard streamGuard(stream);
    ++PageCount;
    if (PageCount == 1)
        WriteHeader();
    WritePageStart();
    if (Compression) {
        TMemoryStream plain;
        metafile.SaveToStream(plain);
        WriteInt32(stream, static_cast<std::int32_t>(plain.Size()));
        TRpCompress coder(stream, true);
        coder.Encode(plain.Memory(), plain.Bytes().size());
        coder.Flush();
    } else {
        metafile.SaveToStream(stream);
    }
    WritePageEnd();
}

void TRpPageList::SeekFirstPage()
{
    TRpStream &stream = RequireStream();
    stream.Seek(stream.HeaderSize(), TSeekOrigin::soBeginning);
}

void TRpPageList::SeekLastPage()
{
    TRpStream &stream = RequireStream();
    std::int64_t size = stream.Size();
    if (size < stream.HeaderSize() + kRecordOverhead)
        Damaged("it holds no page record");
    stream.Seek(size - 4, TSeekOrigin::soBeginning);
    std::int64_t last = ReadInt32(stream);
    if (last < stream.HeaderSize() || last > size - kRecordOverhead)
        Damaged("the offset of the last page lies outside the file");
    stream.Seek(last, TSeekOrigin::soBeginning);
}

void TRpPageList::SeekPage(int n)
{
    TRpStream &stream = RequireStream();
    if (n == 1) {
        SeekFirstPage();
        return;
    }
    const std::int64_t size = stream.Size();
    const std::int64_t first = stream.HeaderSize();
    std::int64_t at = stream.Position();
    // Only the start of a record or the end is a place to walk from.
    if (at == size || at < first || at > size - kRecordOverhead)
        SeekLastPage();
    at = stream.Position();
    int current = ReadInt32(stream);
    stream.Seek(at, TSeekOrigin::soBeginning);
    // Every step moves to a record strictly beyond (or before) this one, and
    // no walk needs more steps than there are pages.
    for (int steps = 0; current != n; ++steps) {
        if (steps > PageCount)
            Damaged("the page records do not lead to page " + std::to_string(n));
        std::int64_t next;
        if (current < n) {
            stream.Seek(at + 4, TSeekOrigin::soBeginning);
            next = ReadInt32(stream);
            if (next < at + kRecordOverhead || next > size - kRecordOverhead)
                Damaged("a page record links outside the file");
        } else {
            if (at - 4 < first)
                Damaged("a page record links before the first page");
            stream.Seek(at - 4, TSeekOrigin::soBeginning);
            next = ReadInt32(stream);
            if (next < first || next > at - kRecordOverhead)
                Damaged("a page record links outside the file");
        }
        stream.Seek(next, TSeekOrigin::soBeginning);
        at = next;
        current = ReadInt32(stream);
        stream.Seek(at, TSeekOrigin::soBeginning);
    }
}

std::unique_ptr<TMetafile> TRpPageList::GetPage(int n)
{
    TLockGuard guard(lock_);
    if (n < 1 || n > PageCount)
        return nullptr;
    TRpStream &stream = RequireStream();
    TLockGuard streamGuard(stream);
    try {
        SeekPage(n);
        std::int64_t start = stream.Position();
        std::int64_t size = stream.Size();
        if (ReadInt32(stream) != n)
            Damaged("page " + std::to_string(n) + " is not where its links lead");
        std::int64_t next = ReadInt32(stream);
        std::int64_t dataStart = start + 8;
        if (next < start + kRecordOverhead + (Compression ? 4 : 0) || next > size)
            Damaged("the record of page " + std::to_string(n) + " has an impossible length");
        std::int64_t backLink = next - 4;
        std::string plain;
        if (Compression) {
            std::int64_t length = ReadInt32(stream);
            std::int64_t coded = backLink - (dataStart + 4);
            // Every byte takes at least one bit of code.
            if (length < 0 || length > coded * 8)
                Damaged("the plain length of page " + std::to_string(n) + " is impossible");
            plain.resize(static_cast<size_t>(length));
            TRpCompress coder(stream, false, coded);
            coder.Decode(plain.data(), plain.size());
        } else {
            plain.resize(static_cast<size_t>(backLink - dataStart));
            stream.ReadBuffer(plain.data(), static_cast<std::int64_t>(plain.size()));
        }
        TMemoryStream pageBytes(std::move(plain));
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromStream(pageBytes);
        stream.Seek(backLink, TSeekOrigin::soBeginning);
        if (ReadInt32(stream) != start)
            Damaged("the back link of page " + std::to_string(n) + " is wrong");
        return metafile;
    } catch (...) {
        // The end is always a sound place for the next walk to start from.
        stream.Seek(0, TSeekOrigin::soEnd);
        throw;
    }
}

void TRpPageList::OpenFile(const std::string &fileName)
{
    TLockGuard guard(lock_);
    Stream.reset();
    Stream = TRpStream::CreateForFile(fileName);
    Stream->DetectHeaderSize();
    ReadHeader();
}

void TRpPageList::CopyToFile(const std::string &fileName)
{
    TLockGuard guard(lock_);
    // Written beside the target and renamed over it: the stream may be reading
    // the very file being replaced.
    TMemoryStream copy;
    RequireStream().CopyTo(copy);
    WriteFileAtomically(fileName, copy.Bytes());
}

// ---------------------------------------------------------------- TRpExportFilterLibrary

void TRpExportFilterLibrary::Register(const std::string &description, const std::string &extension)
{
    entries_.push_back({description, extension});
}

std::string TRpExportFilterLibrary::SaveDialogFilter() const
{
    std::string filter = std::string("Report file") + "(*." + "RPF" + ")|*." + "RPF";
    for (const TEntry &entry : entries_)
        filter += "|" + entry.Description + " (*." + entry.Extension + ")|*." + entry.Extension;
    return filter;
}

TRpExportFilterLibrary &ExportFilterLibrary()
{
    static TRpExportFilterLibrary library;
    return library;
}
