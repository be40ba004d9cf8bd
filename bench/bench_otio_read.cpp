// Reading OpenTimelineIO timelines as OTIO's CMX 3600 adapter writes them (one video track
// placed by a negative start, clips with their reel and a note in "cmx_3600", a marker on
// every tenth clip, a dissolve on every fiftieth), through the conversion library's reader:
// events a second, the peak resident memory, and how much it grew per event read. Run it
// alone ("--benchmark_filter=OtioRead") so that the memory counters belong to the reading.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "edlconvert.h"

namespace {

constexpr int kRate = 24;
constexpr long kStart = 86400;  // 01:00:00:00

void time(FILE* out, const char* key, long value, const char* indent, bool last = false) {
    std::fprintf(out,
                 "%s\"%s\": {\n%s    \"OTIO_SCHEMA\": \"RationalTime.1\",\n%s    \"rate\": %d.0,\n"
                 "%s    \"value\": %ld.0\n%s}%s\n",
                 indent, key, indent, indent, kRate, indent, value, indent, last ? "" : ",");
}

void range(FILE* out, const char* key, long start, long duration, const char* indent) {
    const std::string inner = std::string(indent) + "    ";
    std::fprintf(out, "%s\"%s\": {\n%s\"OTIO_SCHEMA\": \"TimeRange.1\",\n", indent, key,
                 inner.c_str());
    time(out, "duration", duration, inner.c_str());
    time(out, "start_time", start, inner.c_str(), true);
    std::fprintf(out, "%s},\n", indent);
}

// A timeline of count clips of two seconds each, written as OTIO writes JSON (indented by
// four). Returns its size in bytes.
long writeTimeline(const std::string& path, long count) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return 0;
    const char* item = "                ";
    std::fprintf(out,
                 "{\n    \"OTIO_SCHEMA\": \"Timeline.1\",\n    \"metadata\": {},\n"
                 "    \"name\": \"BENCH CUT\",\n    \"global_start_time\": null,\n"
                 "    \"tracks\": {\n        \"OTIO_SCHEMA\": \"Stack.1\",\n"
                 "        \"metadata\": {},\n        \"name\": \"tracks\",\n"
                 "        \"source_range\": null,\n        \"effects\": [],\n"
                 "        \"markers\": [],\n        \"enabled\": true,\n"
                 "        \"children\": [\n            {\n"
                 "                \"OTIO_SCHEMA\": \"Track.1\",\n"
                 "                \"metadata\": {},\n                \"name\": \"V\",\n");
    range(out, "source_range", -kStart, count * 2 * kRate, item);
    std::fprintf(out,
                 "                \"effects\": [],\n                \"markers\": [],\n"
                 "                \"enabled\": true,\n                \"children\": [\n");
    for (long i = 0; i < count; ++i) {
        const char* in = "                        ";
        if (i % 50 == 49) {
            std::fprintf(out,
                         "                    {\n%s\"OTIO_SCHEMA\": \"Transition.1\",\n"
                         "%s\"metadata\": {},\n%s\"name\": \"\",\n"
                         "%s\"transition_type\": \"SMPTE_Dissolve\",\n",
                         in, in, in, in);
            time(out, "in_offset", 0, in);
            time(out, "out_offset", 12, in, true);
            std::fprintf(out, "                    },\n");
        }
        std::fprintf(out,
                     "                    {\n%s\"OTIO_SCHEMA\": \"Clip.2\",\n%s\"metadata\": {\n"
                     "%s    \"cmx_3600\": {\n%s        \"comments\": [\n"
                     "%s            \"SHOT %06ld TAKE 3\"\n%s        ],\n"
                     "%s        \"reel\": \"R%05ld\"\n%s    }\n%s},\n"
                     "%s\"name\": \"shot_%06ld_comp_v003\",\n",
                     in, in, in, in, in, i, in, in, i % 100000, in, in, in, i);
        range(out, "source_range", kStart + (i % 500) * 100, 2 * kRate, in);
        std::fprintf(out, "%s\"effects\": [],\n%s\"markers\": [", in, in);
        if (i % 10 == 0) {
            std::fprintf(out,
                         "\n%s    {\n%s        \"OTIO_SCHEMA\": \"Marker.2\",\n"
                         "%s        \"metadata\": {\"cmx_3600\": {\"color\": \"RED\"}},\n"
                         "%s        \"name\": \"check\",\n%s        \"color\": \"RED\",\n",
                         in, in, in, in, in);
            const std::string marker = std::string(in) + "        ";
            range(out, "marked_range", kStart + i * 2 * kRate + 5, 0, marker.c_str());
            std::fprintf(out, "%s        \"comment\": \"\"\n%s    }\n%s", in, in, in);
        }
        std::fprintf(out,
                     "],\n%s\"enabled\": true,\n%s\"media_references\": {\n"
                     "%s    \"DEFAULT_MEDIA\": {\n"
                     "%s        \"OTIO_SCHEMA\": \"MissingReference.1\",\n"
                     "%s        \"metadata\": {},\n%s        \"name\": \"\",\n"
                     "%s        \"available_range\": null,\n"
                     "%s        \"available_image_bounds\": null\n%s    }\n%s},\n"
                     "%s\"active_media_reference_key\": \"DEFAULT_MEDIA\"\n"
                     "                    }%s\n",
                     in, in, in, in, in, in, in, in, in, in, in, i + 1 < count ? "," : "");
    }
    std::fprintf(out,
                 "                ],\n                \"kind\": \"Video\"\n            }\n"
                 "        ]\n    }\n}\n");
    const long bytes = std::ftell(out);
    return std::fclose(out) == 0 ? bytes : 0;
}

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void OtioRead(benchmark::State& state) {
    const long count = state.range(0);
    const std::string path =
        "/tmp/edlbridge-bench-" + std::to_string(getpid()) + "-" + std::to_string(count) + ".otio";
    const long bytes = writeTimeline(path, count);
    if (bytes == 0) {
        state.SkipWithError("cannot write the generated timeline");
        return;
    }
    const long before = peakKb();
    auto event = std::make_unique<EdlLineVB>();
    size_t events = 0;
    for (auto _ : state) {
        edlcStatus status;
        edlcList* list = edlcOpen(path.c_str(), 0, &status);
        if (list == nullptr) {
            state.SkipWithError(status.message);
            break;
        }
        while (edlcNext(list, event.get(), &status) == EDLC_OK) ++events;
        edlcClose(list);
    }
    std::remove(path.c_str());
    const long after = peakKb();
    state.SetItemsProcessed(static_cast<int64_t>(events));
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["events"] = static_cast<double>(events / state.iterations());
    state.counters["events/s"] =
        benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate);
    state.counters["peak_rss_MB"] = static_cast<double>(after) / 1024.0;
    // The growth of the peak while reading, for each event read (the file is never held).
    state.counters["bytes/event"] =
        static_cast<double>(after - before) * 1024.0 /
        static_cast<double>(events / static_cast<size_t>(state.iterations()));
    state.counters["file_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(OtioRead)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
