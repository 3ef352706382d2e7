#pragma once
// The page coder: an adaptive splay-tree prefix code, one byte at a time.
// Every coder starts from the same tree, so each page is coded on its own.
#include "platform/core/Component.h"
#include "platform/core/Stream.h"

#include <array>
#include <cstdint>

class TRpCompress : public TObject {
public:
    // A compressing coder writes codes to the stream; an expanding one reads them,
    // at most `limit` bytes of them when the limit is not negative.
    TRpCompress(TStream &stream, bool compress, std::int64_t limit = -1);
    // A compressing coder writes its partial last byte (see Flush).
    ~TRpCompress() override;

    void EncodeByte(std::uint8_t byte);
    // Raises EReadError when the code runs past its bytes or names no byte.
    std::uint8_t DecodeByte();
    void Encode(const void *data, std::size_t size);
    void Decode(void *data, std::size_t size);
    // Writes the buffered output and a partial last byte (its unused high bits 0).
    void Flush();

    void InitTree();
    void Splay(int byte);

private:
    void SendBit(bool one);
    std::uint8_t ReadByte();
    void WriteOut();

    TStream &stream_;
    bool compress_;
    std::int64_t limit_;
    int bitPosition_;
    std::uint16_t outByte_ = 0;
    std::uint8_t inByte_ = 0;
    std::array<std::uint16_t, 256> left_{};
    std::array<std::uint16_t, 256> right_{};
    std::array<std::uint8_t, 513> parent_{};
    // Bytes are moved through a fixed buffer instead of one stream call each.
    std::array<std::uint8_t, 4096> buffer_{};
    std::size_t buffered_ = 0;
    std::size_t bufferRead_ = 0;
    bool flushed_ = false;
};
