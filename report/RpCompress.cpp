#include "report/RpCompress.h"

#include "platform/core/Exceptions.h"

#include <algorithm>

namespace {

constexpr int kLeafBase = 256;
constexpr int kNeverCoded = 512;

} // namespace

TRpCompress::TRpCompress(TStream &stream, bool compress, std::int64_t limit)
    : stream_(stream), compress_(compress), limit_(limit), bitPosition_(compress ? 0 : 7)
{
    InitTree();
}

TRpCompress::~TRpCompress()
{
    if (compress_ && !flushed_) {
        try {
            Flush();
        } catch (...) {
            // A failed write at the end surfaces on the stream's next use.
        }
    }
}

void TRpCompress::InitTree()
{
    for (int i = 1; i <= 512; ++i)
        parent_[static_cast<size_t>(i)] = static_cast<std::uint8_t>((i - 1) / 2);
    for (int i = 0; i <= 255; ++i) {
        left_[static_cast<size_t>(i)] = static_cast<std::uint16_t>(2 * i + 1);
        right_[static_cast<size_t>(i)] = static_cast<std::uint16_t>(2 * i + 2);
    }
}

void TRpCompress::Splay(int byte)
{
    int a = kLeafBase + byte;
    do {
        int c = parent_[static_cast<size_t>(a)];
        if (c != 0) {
            int d = parent_[static_cast<size_t>(c)];
            int e = left_[static_cast<size_t>(d)];
            if (e == c) {
                e = right_[static_cast<size_t>(d)];
                right_[static_cast<size_t>(d)] = static_cast<std::uint16_t>(a);
            } else {
                left_[static_cast<size_t>(d)] = static_cast<std::uint16_t>(a);
            }
            if (a == left_[static_cast<size_t>(c)])
                left_[static_cast<size_t>(c)] = static_cast<std::uint16_t>(e);
            else
                right_[static_cast<size_t>(c)] = static_cast<std::uint16_t>(e);
            parent_[static_cast<size_t>(a)] = static_cast<std::uint8_t>(d);
            parent_[static_cast<size_t>(e)] = static_cast<std::uint8_t>(c);
            a = d;
        } else {
            a = 0;
        }
    } while (a != 0);
}

void TRpCompress::WriteOut()
{
    if (buffered_ > 0) {
        stream_.WriteBuffer(buffer_.data(), static_cast<std::int64_t>(buffered_));
        buffered_ = 0;
    }
}

void TRpCompress::SendBit(bool one)
{
    if (one)
        outByte_ = static_cast<std::uint16_t>(outByte_ | (1u << bitPosition_));
    if (bitPosition_ < 7) {
        ++bitPosition_;
        return;
    }
    buffer_[buffered_++] = static_cast<std::uint8_t>(outByte_ & 0xFF);
    if (buffered_ == buffer_.size())
        WriteOut();
    bitPosition_ = 0;
    outByte_ = 0;
}

void TRpCompress::EncodeByte(std::uint8_t byte)
{
    // The path from the leaf up; sent from the root down.
    std::array<bool, 513> bits;
    int depth = 0;
    int node = kLeafBase + byte;
    while (node != 0) {
        int up = parent_[static_cast<size_t>(node)];
        bits[static_cast<size_t>(depth++)] = right_[static_cast<size_t>(up)] == node;
        node = up;
    }
    while (depth > 0)
        SendBit(bits[static_cast<size_t>(--depth)]);
    Splay(byte);
}

void TRpCompress::Encode(const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    for (std::size_t i = 0; i < size; ++i)
        EncodeByte(bytes[i]);
}

void TRpCompress::Flush()
{
    if (!compress_)
        return;
    if (bitPosition_ != 0) {
        buffer_[buffered_++] = static_cast<std::uint8_t>(outByte_ & 0xFF);
        bitPosition_ = 0;
        outByte_ = 0;
    }
    WriteOut();
    flushed_ = true;
}

std::uint8_t TRpCompress::ReadByte()
{
    if (bufferRead_ == buffered_) {
        std::int64_t want = static_cast<std::int64_t>(buffer_.size());
        if (limit_ >= 0)
            want = std::min(want, limit_);
        std::int64_t got = want > 0 ? stream_.Read(buffer_.data(), want) : 0;
        if (got <= 0)
            throw EReadError("The file is damaged: a coded page runs past its record");
        if (limit_ >= 0)
            limit_ -= got;
        buffered_ = static_cast<std::size_t>(got);
        bufferRead_ = 0;
    }
    return buffer_[bufferRead_++];
}

std::uint8_t TRpCompress::DecodeByte()
{
    int x = 0;
    while (x < kLeafBase) {
        if (bitPosition_ == 7) {
            inByte_ = ReadByte();
            bitPosition_ = 0;
        } else {
            ++bitPosition_;
        }
        bool one = (inByte_ >> bitPosition_) & 1;
        x = one ? right_[static_cast<size_t>(x)] : left_[static_cast<size_t>(x)];
    }
    if (x == kNeverCoded)
        throw EReadError("The file is damaged: a coded page names no byte");
    Splay(x - kLeafBase);
    return static_cast<std::uint8_t>(x - kLeafBase);
}

void TRpCompress::Decode(void *data, std::size_t size)
{
    auto *bytes = static_cast<std::uint8_t *>(data);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = DecodeByte();
}
