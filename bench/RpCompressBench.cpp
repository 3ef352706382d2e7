// Throughput of the page coder, compressing and expanding, beside a plain copy
// of the same buffer. The buffer is recorded report pages (text, frames and
// fills, as a schedule report draws them), or random bytes as the worst case.
#include "platform/kernel/Application.h"
#include "platform/graphics/Metafile.h"
#include "report/RpCompress.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string RecordedPages(std::size_t atLeast)
{

    std::string bytes;
    for (int page = 0; bytes.size() < atLeast; ++page) {
        TMetafile mf;
        mf.SetWidth(794);
        mf.SetHeight(1123);
        TMetafileCanvas canvas(mf);
        canvas.Font().SetName("ＭＳ ゴシック");
        canvas.Font().SetSize(9);
        for (int row = 0; row < 40; ++row) {
            int y = 60 + row * 25;
            canvas.Brush().SetStyle(bsClear);
            canvas.TextRect({10, y, 180, y + 20}, 12, y + 2, "作業項目 " + std::to_string(page * 40 + row));
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(row % 2 ? clAqua : clYellow);
            canvas.Rectangle(200 + row * 7 % 300, y + 4, 400 + row * 11 % 300, y + 18);
            canvas.MoveTo(10, y + 22);
            canvas.LineTo(780, y + 22);
        }
        canvas.Finish();
        bytes += mf.Data();
    }
    return bytes;
}

std::string RandomBytes(std::size_t size)
{
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

const std::string &Buffer(int kind)
{
    static const std::string pages = RecordedPages(1 << 20);
    static const std::string noise = RandomBytes(1 << 20);
    return kind == 0 ? pages : noise;
}

std::string Coded(const std::string &plain)
{
    TMemoryStream out;
    TRpCompress coder(out, true);
    coder.Encode(plain.data(), plain.size());
    coder.Flush();
    return out.Bytes();
}

void BM_Compress(benchmark::State &state)
{
    const std::string &plain = Buffer(static_cast<int>(state.range(0)));
    std::size_t coded = 0;
    for (auto _ : state) {
        TMemoryStream out;
        TRpCompress coder(out, true);
        coder.Encode(plain.data(), plain.size());
        coder.Flush();
        coded = out.Bytes().size();
        benchmark::DoNotOptimize(coded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
    state.counters["ratio"] = static_cast<double>(coded) / static_cast<double>(plain.size());
}

void BM_Expand(benchmark::State &state)
{
    const std::string &plain = Buffer(static_cast<int>(state.range(0)));
    const std::string coded = Coded(plain);
    std::string out(plain.size(), '\0');
    for (auto _ : state) {
        TMemoryStream in(coded);
        TRpCompress coder(in, false, static_cast<std::int64_t>(coded.size()));
        coder.Decode(out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    if (out != plain)
        state.SkipWithError("the expanded bytes differ");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

void BM_Memcpy(benchmark::State &state)
{
    const std::string &plain = Buffer(static_cast<int>(state.range(0)));
    std::string out(plain.size(), '\0');
    for (auto _ : state) {
        std::memcpy(out.data(), plain.data(), plain.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

} // namespace

// Argument 0: recorded report pages; 1: random bytes.
BENCHMARK(BM_Compress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
