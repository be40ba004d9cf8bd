// The table of `dump`: rows of made events kept unpadded while the column widths grow, then
// padded and handed on (and dropped), in memory and through a temporary file.
#include <benchmark/benchmark.h>

#include <string>

#include "render.h"
#include "table_spool.h"

namespace {

void spoolRows(benchmark::State& state, size_t memoryLimit) {
    const size_t count = static_cast<size_t>(state.range(0));
    edlbtool::ListInfo info;
    edlInitEdlListStruct(&info.list);
    edlbtool::EventRow event;
    edlbtool::Row cells;
    size_t bytes = 0;
    for (auto _ : state) {
        edlbtool::TableSpool spool(memoryLimit);
        spool.add(edlbtool::tableHeaderRow());
        for (size_t i = 0; i < count; ++i) {
            event.editNumber = static_cast<uint32_t>(i % 1000 + 1);
            event.reel = "AX" + std::to_string(i % 97);
            event.videoTracks = 1;
            event.audioTracks = i % 3 == 0 ? 3u : 0u;
            event.srcIn = event.markIn = static_cast<uint32_t>(108000 + i * 7);
            event.srcOut = event.markOut = event.srcIn + 24 + static_cast<uint32_t>(i % 48);
            event.recIn = static_cast<uint32_t>(90000 + i * 40);
            event.recOut = event.recIn + 40;
            event.name = i % 2 == 0 ? "A00" + std::to_string(i % 10) + "C00" +
                                          std::to_string(i % 7) + ".MOV"
                                    : "";
            event.comment = i % 5 == 0 ? "COMMENT: SHOT " + std::to_string(i) + " TAKE 2" : "";
            edlbtool::tableEventRow(info, event, cells);
            spool.add(cells);
        }
        spool.replay([&bytes](const std::string& piece) {
            bytes += piece.size();
            return true;
        });
    }
    state.SetItemsProcessed(static_cast<int64_t>(count * state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_TableInMemory(benchmark::State& state) { spoolRows(state, size_t{1} << 34); }
void BM_TableThroughFile(benchmark::State& state) { spoolRows(state, size_t{1} << 20); }

BENCHMARK(BM_TableInMemory)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableThroughFile)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
