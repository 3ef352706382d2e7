#pragma once
// Byte streams: memory and file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads or writes up to `count` bytes; returns how many were moved.
    virtual std::int64_t Read(void *buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void *buffer, std::int64_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size) = 0;

    // Exactly `count` bytes, or EReadError / EWriteError.
    void ReadBuffer(void *buffer, std::int64_t count);
    void WriteBuffer(const void *buffer, std::int64_t count);
    void WriteString(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }
    // Copies `count` bytes from `source` (all of it from its start when count is 0).
    std::int64_t CopyFrom(TStream &source, std::int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}
    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;
    void Clear();

    const std::string &Bytes() const { return data_; }
    const char *Memory() const { return data_.data(); }
    void LoadFromStream(TStream &source);
    void LoadFromFile(const std::string &path);
    void SaveToStream(TStream &target) const;
    // Saved atomically: a failure leaves an existing file as it was.
    void SaveToFile(const std::string &path) const;

private:
    std::string data_;
    std::int64_t position_ = 0;
};

// Open modes of a file stream (the class library's values).
enum TFileMode : unsigned {
    fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002, fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError or EFCreateError with the reason.
    TFileStream(const std::string &path, unsigned mode);
    ~TFileStream() override;
    std::int64_t Read(void *buffer, std::int64_t count) override;
    std::int64_t Write(const void *buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    const std::string &FileName() const { return path_; }
    // Writes buffered bytes to the disk.
    void Flush();

private:
    std::string path_;
    std::FILE *file_ = nullptr;
};
