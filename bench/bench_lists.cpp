// Reading and writing speed on large generated lists.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "edlbridge.h"
#include "list_generator.h"

namespace {

std::string scratch(const char* name) {
    return "/tmp/edlbridge-bench-" + std::to_string(getpid()) + "-" + name;
}

// Each input list is generated once per process and removed at exit.
struct Generated {
    std::string path;
    size_t bytes = 0;
    ~Generated() { std::remove(path.c_str()); }
};

const Generated& cmxList() {
    static Generated list{scratch("cmx.edl")};
    if (list.bytes == 0) list.bytes = benchlists::writeCmx3600(list.path, 1000000);
    return list;
}
const Generated& aleList() {
    static Generated list{scratch("log.ale")};
    if (list.bytes == 0) list.bytes = benchlists::writeLogExchange(list.path, 100000);
    return list;
}
const Generated& csvList() {
    static Generated list{scratch("log.csv")};
    if (list.bytes == 0) list.bytes = benchlists::writeCsv(list.path, 100000);
    return list;
}

void readAll(benchmark::State& state, const Generated& input, uint32_t flags = 0) {
    auto event = std::make_unique<EdlLineVB>();
    size_t events = 0;
    for (auto _ : state) {
        EdlList list;
        edlInitEdlListStruct(&list);
        list.dwFlags = flags;
        tagKvEdlHandle* handle = edlOpen(input.path.c_str(), nullptr, EDL_OPEN_READ, &list);
        if (handle == nullptr) {
            state.SkipWithError("cannot open the generated list");
            return;
        }
        while (edlReadLineVB(handle, event.get()) == 0) ++events;
        edlClose(handle);
    }
    state.SetItemsProcessed(static_cast<int64_t>(events));
    state.SetBytesProcessed(static_cast<int64_t>(input.bytes * state.iterations()));
    state.counters["events"] = static_cast<double>(events / state.iterations());
}

void BM_ReadCmx3600(benchmark::State& state) { readAll(state, cmxList()); }
void BM_ReadLogExchange(benchmark::State& state) { readAll(state, aleList()); }
void BM_ReadCsv(benchmark::State& state) { readAll(state, csvList()); }
// Reading for interchange keeps every note as a line and looks for the names they give.
void BM_ReadCmx3600Interchange(benchmark::State& state) {
    readAll(state, cmxList(), EDL_LF_INTERCHANGE);
}

void writeEvents(benchmark::State& state, edlListTypes type, uint32_t flags = 0) {
    const std::string path = scratch("out.edl");
    auto event = std::make_unique<EdlLineVB>();
    const size_t count = static_cast<size_t>(state.range(0));
    size_t bytes = 0;
    for (auto _ : state) {
        EdlList list;
        edlInitEdlListStruct(&list);
        list.dwListType = type;
        list.dwFlags = flags;
        std::strcpy(list.szTitle, "BENCHMARK");
        tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_WRITE, &list);
        if (handle == nullptr) {
            state.SkipWithError("cannot create the output list");
            return;
        }
        unsigned record = 108000;
        for (size_t i = 0; i < count; ++i) {
            std::memset(event.get(), 0, offsetof(EdlLineVB, achClipName));
            event->dwSrcIn = static_cast<uint32_t>((i * 7919) % 2000000);
            event->dwSrcOut = event->dwSrcIn + 60;
            event->dwRecIn = record;
            event->dwRecOut = record + 60;
            record += 60;
            event->dwVideoTracks = 1;
            event->dwAudioTracks = i % 3;
            event->chEditType = i % 10 == 7 ? 'W' : 'C';
            std::snprintf(event->achReel, sizeof event->achReel, "AX%04zu", i % 10000);
            std::snprintf(event->achClipName, sizeof event->achClipName, "CLIP%05zu", i % 100000);
            std::snprintf(event->achComment, sizeof event->achComment, "take %zu", i);
            std::snprintf(event->achName, sizeof event->achName, "/media/A%03zu.mov", i % 1000);
            event->achLine[0] = '\0';
            edlWriteLineVB(handle, event.get());
        }
        edlClose(handle);
        FILE* file = std::fopen(path.c_str(), "rb");
        std::fseek(file, 0, SEEK_END);
        bytes += static_cast<size_t>(std::ftell(file));
        std::fclose(file);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(static_cast<int64_t>(count * state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_WriteCmx3600(benchmark::State& state) { writeEvents(state, EDLTYPE_CMX3600); }
void BM_WriteOwnList(benchmark::State& state) { writeEvents(state, EDLTYPE_XJT_LIST); }
void BM_WriteDs(benchmark::State& state) { writeEvents(state, EDLTYPE_DS); }
void BM_WriteCmx3600Interchange(benchmark::State& state) {
    writeEvents(state, EDLTYPE_CMX3600, EDL_LF_INTERCHANGE);
}
void BM_WriteLogExchangeInterchange(benchmark::State& state) {
    writeEvents(state, EDLTYPE_LOG_EXCHANGE, EDL_LF_INTERCHANGE);
}

}  // namespace

BENCHMARK(BM_ReadCmx3600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLogExchange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCmx3600Interchange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteCmx3600)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteOwnList)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDs)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteCmx3600Interchange)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLogExchangeInterchange)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
