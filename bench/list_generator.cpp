#include "list_generator.h"

#include <cstdio>

namespace benchlists {
namespace {

// Drop-frame text of a frame count, enough for generated lists (no library call, so the
// generator measures nothing of the library).
void dropFrame(unsigned frames, char* out) {
    const unsigned perTen = 17982, perMinute = 1798;
    const unsigned tens = frames / perTen, rest = frames % perTen;
    unsigned adjusted = frames + 18 * tens;
    if (rest > 1) adjusted += 2 * ((rest - 2) / perMinute);
    std::snprintf(out, 16, "%02u:%02u:%02u;%02u", adjusted / 108000 % 24, adjusted / 1800 % 60,
                  adjusted / 30 % 60, adjusted % 30);
}

const char* const kTracks[] = {"V", "A", "AA", "AA/V", "A2", "V"};

}  // namespace

size_t writeCmx3600(const std::string& path, size_t events, bool revised) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    size_t bytes = 0;
    bytes += std::fprintf(file, "TITLE: BENCHMARK LIST\r\nFCM: DROP FRAME\r\n\r\n");
    unsigned record = 108000;  // 01:00:00;00 region
    char s1[16], s2[16], r1[16], r2[16];
    for (size_t i = 0; i < events; ++i) {
        const unsigned length = 48 + static_cast<unsigned>(i % 97);
        unsigned source = static_cast<unsigned>((i * 7919) % 2000000);
        // The revision trims some heads, drops some events (the rest keep their record
        // place) and puts other reels in some places.
        const bool dropped = revised && i % 97 == 50;
        if (revised && i % 50 == 25) source += 5;
        const char* const reel = revised && i % 131 == 65 ? "RX" : "AX";
        if (dropped) {
            record += length;
            continue;
        }
        dropFrame(source, s1);
        dropFrame(source + length, s2);
        dropFrame(record, r1);
        dropFrame(record + length, r2);
        const unsigned number = static_cast<unsigned>(i % 1000 + 1);
        const char* tracks = kTracks[i % 6];
        switch (i % 10) {
            case 3:  // two-line dissolve
                bytes += std::fprintf(file, "%03u  %s%04u  %-5s C        %s %s %s %s\r\n",
                                      number, reel, static_cast<unsigned>(i % 10000), tracks, s1,
                                      s1, r1, r1);
                bytes += std::fprintf(file, "%03u  BX%04u  %-5s D    030 %s %s %s %s\r\n",
                                      number, static_cast<unsigned>(i % 10000), tracks, s1, s2,
                                      r1, r2);
                break;
            case 7:  // wipe with its pattern number
                bytes += std::fprintf(file, "%03u  WX%04u  %-5s W001 015 %s %s %s %s\r\n",
                                      number, static_cast<unsigned>(i % 10000), tracks, s1, s2,
                                      r1, r2);
                break;
            default:
                bytes += std::fprintf(file, "%03u  %s%04u  %-5s C        %s %s %s %s\r\n",
                                      number, reel, static_cast<unsigned>(i % 10000), tracks, s1,
                                      s2, r1, r2);
        }
        if (i % 2 == 0) {
            bytes += std::fprintf(file, "* FROM CLIP NAME: A%03uC%03u_%06u.MOV\r\n",
                                  static_cast<unsigned>(i % 997), static_cast<unsigned>(i % 31),
                                  static_cast<unsigned>(i));
        }
        if (i % 5 == 0) bytes += std::fprintf(file, "* COMMENT: SHOT %zu TAKE 2\r\n", i);
        bytes += std::fprintf(file, "\r\n");
        record += length;
    }
    std::fclose(file);
    return bytes;
}

size_t writeLogExchange(const std::string& path, size_t rows) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    size_t bytes = std::fprintf(file,
                                "Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\tNTSC\r\n"
                                "AUDIO_FORMAT\t48kHz\r\nFPS\t30\r\n\r\nColumn\r\n"
                                "Name\tTracks\tStart\tEnd\tReelName\tComments\r\n\r\nData\r\n");
    for (size_t i = 0; i < rows; ++i) {
        const unsigned start = static_cast<unsigned>(i % 86400);
        bytes += std::fprintf(file,
                              "CLIP%06zu\tVA1A2\t%02u:%02u:%02u:00\t%02u:%02u:%02u:15\tR%03zu\t"
                              "take %zu\r\n",
                              i, start / 3600 % 24, start / 60 % 60, start % 60,
                              start / 3600 % 24, start / 60 % 60, start % 60, i % 500, i);
    }
    std::fclose(file);
    return bytes;
}

size_t writeCsv(const std::string& path, size_t rows) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    size_t bytes = std::fprintf(file, "Clip ID,Clip Name,TC In,TC Out,Reel,Note\r\n");
    for (size_t i = 0; i < rows; ++i) {
        const unsigned start = static_cast<unsigned>(i % 86400);
        bytes += std::fprintf(file, "ID%06zu,Clip %zu,%02u:%02u:%02u:00,%02u:%02u:%02u:20,R%03zu,ok\r\n",
                              i, i, start / 3600 % 24, start / 60 % 60, start % 60,
                              start / 3600 % 24, start / 60 % 60, start % 60, i % 500);
    }
    std::fclose(file);
    return bytes;
}

}  // namespace benchlists
