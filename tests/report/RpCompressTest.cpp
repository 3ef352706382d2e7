#include "report/RpCompress.h"

#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Compress(const std::string &plain)
{
    TMemoryStream out;
    {
        TRpCompress coder(out, true);
        coder.Encode(plain.data(), plain.size());
    }
    return out.Bytes();
}

std::string Expand(const std::string &coded, size_t length)
{
    TMemoryStream in(coded);
    TRpCompress coder(in, false, static_cast<std::int64_t>(coded.size()));
    std::string plain(length, '\0');
    coder.Decode(plain.data(), plain.size());
    return plain;
}

} // namespace

TEST(RpCompress, SmallInputsCodeToKnownBytes)
{
    EXPECT_EQ(Compress(""), "");
    // Byte 0 is eight bits from the root of the first tree: seven lefts and a
    // right, the first bit in the lowest place; the code ends on a byte boundary,
    // so no extra byte follows.
    EXPECT_EQ(Compress(std::string(1, '\0')), "\x80");
    EXPECT_EQ(Compress("A"), "\x42");
    // The tree adapts: the second of two equal bytes codes shorter.
    std::string twice = Compress("AA");
    EXPECT_EQ(twice.size(), 2u);
    EXPECT_EQ(Expand(twice, 2), "AA");
}

TEST(RpCompress, RandomBuffersRoundTrip)
{
    std::mt19937 random(20261209);
    for (size_t size : {1u, 2u, 7u, 255u, 256u, 4097u, 65536u, 100000u}) {
        std::string plain(size, '\0');
        // Skewed bytes like a metafile's, and some runs.
        std::geometric_distribution<int> skew(0.05);
        for (char &c : plain)
            c = static_cast<char>(skew(random) & 0xFF);
        std::string coded = Compress(plain);
        EXPECT_EQ(Expand(coded, size), plain) << size;
        if (size >= 4097) {
            EXPECT_LT(coded.size(), plain.size()) << size;
        }
    }
    std::string uniform(100000, '\0');
    std::uniform_int_distribution<int> any(0, 255);
    for (char &c : uniform)
        c = static_cast<char>(any(random));
    EXPECT_EQ(Expand(Compress(uniform), uniform.size()), uniform);
}

TEST(RpCompress, DamagedCodesAreRefused)
{
    // Eight lefts and a right reach leaf 512, which no byte codes to.
    EXPECT_THROW(Expand(std::string("\x00\x01", 2), 1), EReadError);
    // Asking for more bytes than the code holds runs past the limit.
    std::string coded = Compress("report");
    EXPECT_THROW(Expand(coded, 500), EReadError);
    // The limit is kept even when the stream has more bytes.
    TMemoryStream in(coded + std::string(100, 'x'));
    TRpCompress coder(in, false, static_cast<std::int64_t>(coded.size()));
    std::string plain(6, '\0');
    coder.Decode(plain.data(), plain.size());
    EXPECT_EQ(plain, "report");
    EXPECT_LE(in.Position(), static_cast<std::int64_t>(coded.size()));
}
