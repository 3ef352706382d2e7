#pragma once
// The page store of a report run: every page as an enhanced metafile, one
// record after another in one stream (optionally coded by TRpCompress), kept in
// memory up to a limit and then in a temporary file. Saving a report copies the
// stream into a ".RPF" file; loading opens such a file as the stream.
//
// File layout (little-endian): a 128-byte header (older files: 124 or 96 bytes),
// then one record per page: int32 page number, int32 offset of the next record,
// the page data (plain EMF bytes, or int32 plain length + coded bytes), int32
// offset of the record's own start. The file ends with the last record's offset.
#include "platform/core/Component.h"
#include "platform/core/CriticalSection.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"
#include "platform/core/Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The header sizes a reader accepts.
constexpr int kRpHeaderSize = 128;
constexpr int kRpOldHeaderSize = 124;
constexpr int kRpOldestHeaderSize = 96;
// The default memory limit of a page stream.
constexpr std::int64_t kRpDefaultMemoryLimit = 250000;

// The page stream: memory until it grows past the memory limit, then a
// temporary file "RPF....tmp" in the temporary folder, deleted with the stream.
// A stream over an opened saved file never deletes that file. Every read,
// write, seek and copy holds the stream's (recursive) lock.
class TRpStream : public TStream {
public:
    static std::unique_ptr<TRpStream> CreateInMemory(std::int64_t memoryLimit = kRpDefaultMemoryLimit);
    // Opens an existing file for reading; raises EFOpenError.
    static std::unique_ptr<TRpStream> CreateForFile(const std::string &fileName);
    ~TRpStream() override;

    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;
    void SetSize(std::int64_t size) override;

    void Lock() { lock_.Enter(); }
    void Unlock() { lock_.Leave(); }
    // Copies the whole stream from its start in 10240-byte blocks.
    void CopyTo(TStream &target);
    // 124 or 96 for the older headers (told by where the first page's EMF
    // signature lies), else 128. The position is kept.
    int DetectHeaderSize();
    int HeaderSize() const { return headerSize_; }
    // Turns a 124-byte header into the 128-byte layout, in place.
    static void ConvertOldHeader(unsigned char (&header)[kRpHeaderSize]);

    bool InMemory() const { return memory_ != nullptr; }
    // The name the spilled pages were given (removed at once; the open file keeps
    // them); empty while in memory or over a saved file.
    const std::string &TempFileName() const { return tempFileName_; }
    std::int64_t MemoryLimit() const { return memoryLimit_; }

private:
    TRpStream() = default;
    TStream &Current();
    void SpillToFile();

    std::unique_ptr<TMemoryStream> memory_;
    std::unique_ptr<TFileStream> file_;
    std::int64_t memoryLimit_ = kRpDefaultMemoryLimit;
    std::string tempFileName_;
    int headerSize_ = kRpHeaderSize;
    TCriticalSection lock_;
};

// One entry of a report's outline.
struct TRpOutlineEntry {
    std::string Caption;  // at most 51 characters
    int Level = 0;
    TRect Rect;
    int Page = 0;
    int Key = 0;
};

// A node a tree view is filled with: caption and nesting level.
struct TRpOutlineNode {
    std::string Caption;
    int Level = 0;
    int Entry = 0;  // index into the outline's entries
};

class TRpOutline : public TObject {
public:
    std::vector<TRpOutlineEntry> Entries;
    // The rectangle and page of the first entry with the key (an empty
    // rectangle and page 0 when there is none).
    void FindNode(int key, TRect &rect, int &page) const;
    // Clears the nodes and adds one per entry, in order.
    void FillNodes(std::vector<TRpOutlineNode> &nodes) const;
};

// The pages of a run or of a loaded file.
//
// A run: give the list an in-memory stream, AddPage for each page, then Finish
// (which rewrites the header with the page count). A run that is cut short
// must call Finish too: the header written with the first page says 1.
class TRpPageList : public TObject {
public:
    TRpPageList();
    ~TRpPageList() override;

    int PageCount = 0;
    bool Compression = false;
    // Shared with the report printer, which holds the run's stream.
    std::shared_ptr<TRpStream> Stream;
    TRpOutline Outline;

    void Lock() { lock_.Enter(); }
    void Unlock() { lock_.Leave(); }

    void AddPage(const TMetafile &metafile);
    // Page n as a new metafile, or none when n is outside 1..PageCount. Raises
    // EReadError ("The file is damaged...") or EInvalidGraphic for damaged data.
    std::unique_ptr<TMetafile> GetPage(int n);
    // Rewrites the header with the current page count.
    void Finish();
    void Clear() { PageCount = 0; }

    // Opens a saved file as the stream and reads its header.
    void OpenFile(const std::string &fileName);
    // Writes the whole stream to a file (through a temporary file renamed over
    // it, so that saving over the file being read cannot destroy it).
    void CopyToFile(const std::string &fileName);

    void SeekFirstPage();
    void SeekLastPage();
    // Moves to the start of page n's record from the start of any record or
    // from the stream's end; raises EReadError when the links do not lead there.
    void SeekPage(int n);
    void ReadHeader();
    void WriteHeader();
    void WritePageStart();
    void WritePageEnd();

private:
    TRpStream &RequireStream();
    std::int64_t recordStart_ = 0;
    std::int64_t linkPlace_ = 0;
    TCriticalSection lock_;
};

// The registry of export filters; its entries describe save-dialog file types.
class TRpExportFilterLibrary : public TObject {
public:
    struct TEntry {
        std::string Description;
        std::string Extension;
    };
    void Register(const std::string &description, const std::string &extension);
    const std::vector<TEntry> &Entries() const { return entries_; }
    // "Report file(*.RPF)|*.RPF" followed by "|desc (*.ext)|*.ext" per filter.
    std::string SaveDialogFilter() const;

private:
    std::vector<TEntry> entries_;
};

// The process-wide registry.
TRpExportFilterLibrary &ExportFilterLibrary();
