// Writing timelines: events made as they are asked for (a cut list of one video track with
// clip names, source files and a marker every tenth event) streamed into a timeline whose
// text is counted and dropped, so that the figure is the writer's alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "otio.h"
#include "timecode_text.h"

namespace {

class MadeEvents : public edlbtool::EventSource {
public:
    explicit MadeEvents(size_t count) : count_(count) {}
    std::string rewind() override {
        next_ = 0;
        record_ = 108000;
        return std::string();
    }
    bool next(edlbtool::EventRow& row) override {
        if (next_ >= count_) return false;
        const size_t i = next_++;
        const uint32_t length = 24 + static_cast<uint32_t>(i % 48);
        char text[160];
        row = edlbtool::EventRow();
        row.editNumber = static_cast<uint32_t>(i % 1000000);
        row.present = EDL_P_EDIT_NUMBER | EDL_P_SRC_IN | EDL_P_SRC_OUT | EDL_P_REC_IN |
                      EDL_P_REC_OUT | EDL_P_TRACKS | EDL_P_REEL | EDL_P_CLIP_NAME |
                      EDL_P_FILE_NAME;
        row.videoTracks = 1;
        row.wipeCode = 0xFFFFFFFFu;
        std::snprintf(text, sizeof text, "A%03zuC%03zu", i % 100, i % 997);
        row.reel = text;
        row.srcIn = row.markIn = static_cast<uint32_t>(108000 * (1 + i % 20) + i * 7);
        row.srcOut = row.markOut = row.srcIn + length;
        row.recIn = record_;
        row.recOut = record_ + length;
        record_ += length;
        std::snprintf(text, sizeof text, "SHOT_%05zu_COMP_V%03zu.mov", i, i % 9);
        row.clipName = std::string(text).substr(0, 10);
        row.comment = std::string("FROM CLIP NAME: ") + text;
        if (i % 10 == 0) {
            std::snprintf(text, sizeof text, "\nLOC: %s RED     CHECK %zu",
                          edlbtool::timecodeText(row.recIn + 2, EDL_TC_NDF).c_str(), i);
            row.comment += text;
        }
        std::snprintf(text, sizeof text, "/media/roll%03zu/A%03zuC%03zu.mov", i % 50, i % 100,
                      i % 997);
        row.name = text;
        row.comment += std::string("\nSOURCE FILE: ") + text;
        return true;
    }
    std::string reason() const override { return std::string(); }

private:
    size_t count_, next_ = 0;
    uint32_t record_ = 0;
};

void BM_WriteOtio(benchmark::State& state) {
    const size_t events = static_cast<size_t>(state.range(0));
    edlbtool::ListInfo info;
    info.list.dwTcMode = EDL_TC_NDF;
    info.list.dwListType = EDLTYPE_CMX3600;
    uint64_t bytes = 0;
    for (auto _ : state) {
        MadeEvents source(events);
        std::vector<std::string> warnings;
        bytes = 0;
        const std::string reason = edlbtool::writeOtioEvents(
            info, source, edlbtool::WriteOptions(),
            [&bytes](const char*, size_t size) {
                bytes += size;
                return true;
            },
            warnings);
        if (!reason.empty()) state.SkipWithError(reason.c_str());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * events));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteOtio)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
