// Generators of large lists for the benchmarks.
#ifndef EDLBRIDGE_BENCH_LIST_GENERATOR_H
#define EDLBRIDGE_BENCH_LIST_GENERATOR_H

#include <cstddef>
#include <string>

namespace benchlists {

// A CMX 3600 list (drop frame) with mixed tracks, dissolves, wipes, comments and
// "FROM CLIP NAME:" notes; returns the number of bytes written. A revised list is the same
// cut with some heads trimmed, some events taken out and some replaced by other reels.
size_t writeCmx3600(const std::string& path, size_t events, bool revised = false);
// A tab-delimited log-exchange list with one row per event.
size_t writeLogExchange(const std::string& path, size_t rows);
// A CSV log with one row per event.
size_t writeCsv(const std::string& path, size_t rows);

}  // namespace benchlists

#endif
