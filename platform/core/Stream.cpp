#include "platform/core/Stream.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

std::int64_t TStream::Size()
{
    std::int64_t here = Position();
    std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void *buffer, std::int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void *buffer, std::int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream &source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> buffer(65536);
    std::int64_t left = count;
    while (left > 0) {
        std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

std::int64_t TMemoryStream::Read(void *buffer, std::int64_t count)
{
    if (count <= 0 || position_ >= Size())
        return 0;
    std::int64_t n = std::min(count, Size() - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    if (position_ + count > Size())
        data_.resize(static_cast<size_t>(position_ + count));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : Size();
    position_ = std::max<std::int64_t>(0, base + offset);
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size)
{
    data_.resize(static_cast<size_t>(std::max<std::int64_t>(0, size)));
    position_ = std::min(position_, Size());
}

void TMemoryStream::Clear()
{
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream &source)
{
    source.SetPosition(0);
    std::int64_t size = source.Size();
    data_.assign(static_cast<size_t>(size), '\0');
    source.ReadBuffer(data_.data(), size);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string &path)
{
    data_ = ReadFileBytes(path);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream &target) const
{
    target.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string &path) const
{
    WriteFileAtomically(path, data_);
}

TFileStream::TFileStream(const std::string &path, unsigned mode) : path_(path)
{
    if (mode == fmCreate) {
        file_ = std::fopen(path.c_str(), "w+b");
        if (!file_)
            throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
        return;
    }
    const char *how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
    file_ = std::fopen(path.c_str(), how);
    if (!file_)
        throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

std::int64_t TFileStream::Read(void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<std::int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

std::int64_t TFileStream::Write(const void *buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<std::int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0)
        return -1;
    return static_cast<std::int64_t>(ftello(file_));
}

void TFileStream::SetSize(std::int64_t size)
{
    std::fflush(file_);
    if (::ftruncate(fileno(file_), static_cast<off_t>(size)) != 0)
        throw EWriteError("Cannot set the size of \"" + path_ + "\". " + std::strerror(errno));
}

void TFileStream::Flush()
{
    if (std::fflush(file_) != 0 || ::fsync(fileno(file_)) != 0)
        throw EWriteError("Cannot write file \"" + path_ + "\". " + std::strerror(errno));
}
