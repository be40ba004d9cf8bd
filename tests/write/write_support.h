// Writer cases read from tests/data/write/cases.txt (its head describes the format), and
// event records whose texts live in buffers of the sizes a case asks for.
#ifndef EDLBRIDGE_TESTS_WRITE_SUPPORT_H
#define EDLBRIDGE_TESTS_WRITE_SUPPORT_H

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "edlbridge.h"
#include "support/test_support.h"

namespace writetest {

// key=value options of one manifest line; positional values under "0", "1", ...
using Options = std::map<std::string, std::string>;

// Splits a line into options; "..." keeps blanks, {N*c} repeats c N times.
inline Options parseOptions(const std::string& line) {
    Options out;
    size_t i = 0, index = 0;
    while ((i = line.find_first_not_of(' ', i)) != std::string::npos) {
        const size_t eq = line.find('=', i), blank = line.find(' ', i);
        std::string key = eq < blank ? line.substr(i, eq - i) : std::to_string(index++);
        i = eq < blank ? eq + 1 : i;
        const bool quoted = i < line.size() && line[i] == '"';
        const size_t end =
            quoted ? line.find('"', i + 1) + 1 : std::min(line.find(' ', i), line.size());
        std::string raw = quoted ? line.substr(i + 1, end - i - 2) : line.substr(i, end - i), value;
        for (size_t p = 0, open; p < raw.size(); p = open) {
            if ((open = raw.find('{', p)) == std::string::npos) open = raw.size();
            value += raw.substr(p, open - p);
            if (open == raw.size()) break;
            const size_t star = raw.find('*', open), close = raw.find('}', open);
            value.append(std::stoul(raw.substr(open + 1, star - open - 1)), raw[star + 1]);
            open = close + 1;
        }
        // "\n" in a text is a line feed (the lines of a comment read for interchange), "\t" a tab.
        for (size_t at; (at = value.find("\\n")) != std::string::npos;) value.replace(at, 2, "\n");
        for (size_t at; (at = value.find("\\t")) != std::string::npos;) value.replace(at, 2, "\t");
        out[key] = value;
        i = end;
    }
    return out;
}

inline uint32_t number(const Options& o, const std::string& key, uint32_t fallback = 0) {
    auto it = o.find(key);
    return it == o.end() ? fallback : static_cast<uint32_t>(std::stoul(it->second, nullptr, 0));
}

struct Case {
    Options list;
    std::vector<Options> events;
};

inline void PrintTo(const Case& c, std::ostream* out) { *out << c.list.at("0"); }

inline std::vector<Case> loadCases() {
    std::ifstream in(edlbtest::dataPath("write/cases.txt"));
    std::vector<Case> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("case ", 0) == 0) cases.push_back({parseOptions(line.substr(5)), {}});
        if (line.rfind("ev ", 0) == 0) cases.back().events.push_back(parseOptions(line.substr(3)));
    }
    return cases;
}

// A list text longer than its field fills the field without a terminator.
inline void setText(char* field, size_t size, const Options& o, const std::string& key) {
    auto it = o.find(key);
    const std::string text = it == o.end() ? "" : it->second;
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size));
}

inline EdlList makeList(const Options& o) {
    // edlInitEdlListStruct leaves szColumnLine as it is, and the records print it.
    EdlList list{};
    edlInitEdlListStruct(&list);
    list.dwListType = number(o, "type");
    list.dwTcMode = number(o, "mode", 4);
    list.dwFlags = number(o, "flags");
    list.dwFlags2 = number(o, "mask");
    list.dwFrameRate = number(o, "rate", 2997);
    list.dwAudioKHz = number(o, "khz", 44);
    setText(list.szTitle, sizeof list.szTitle, o, "title");
    setText(list.szTape, sizeof list.szTape, o, "tape");
    setText(list.szDefReel, sizeof list.szDefReel, o, "reel");
    setText(list.szListName, sizeof list.szListName, o, "name");
    return list;
}

// One event of a case: a plain record with a buffer per text, or an inline-buffer record.
struct Event {
    EdlLine line{};
    EdlLineVB inlineRecord{};
    std::vector<char> texts[4];
    char raw[EDL_LINE_SIZE] = {};

    explicit Event(const Options& o) {
        EdlLine& e = o.count("vb") != 0 ? *reinterpret_cast<EdlLine*>(&inlineRecord) : line;
        e.dwSrcIn = number(o, "0");
        e.dwSrcOut = number(o, "1");
        e.dwRecIn = number(o, "2");
        e.dwRecOut = number(o, "3");
        e.dwVideoTracks = number(o, "4");
        e.dwAudioTracks = number(o, "5");
        e.chEditType = o.count("edit") != 0 ? o.at("edit")[0] : 'C';
        e.dwWipeCode = number(o, "wipe");
        e.dwEffectLen = number(o, "len");
        e.dwLineFlags = number(o, "lf");
        e.dwPresent = number(o, "present");
        e.dwEditNum = number(o, "num");
        if (o.count("fx") != 0) std::snprintf(e.szEffectText, sizeof e.szEffectText, "%s", o.at("fx").c_str());
        const char* keys[] = {"reel", "clip", "name", "comment"};
        const size_t sizes[] = {EDL_REEL_SIZE, EDL_CLIPNAME_SIZE, EDL_NAME_SIZE, EDL_COMMENT_SIZE};
        char* inlineTexts[] = {inlineRecord.achReel, inlineRecord.achClipName,
                               inlineRecord.achName, inlineRecord.achComment};
        for (int i = 0; i < 4; ++i) {
            if (o.count(keys[i]) == 0) continue;
            const std::string& text = o.at(keys[i]);
            std::memcpy(inlineTexts[i], text.data(), std::min(text.size(), sizes[i] - 1));
            texts[i].assign(std::max(text.size() + 1, sizes[i]), '\0');
            std::memcpy(texts[i].data(), text.data(), text.size());
        }
        // Packed records: the pointers are stored field by field, never through an address.
        auto at = [this](int i) { return texts[i].empty() ? nullptr : texts[i].data(); };
        line.szReel = at(0);
        line.szClipName = at(1);
        line.szName = at(2);
        line.szComment = at(3);
        line.szLine = raw;
        // Stray pointers in an inline record: the writer must use the record's own buffers.
        inlineRecord.szReel = inlineRecord.szName = reinterpret_cast<char*>(0x10);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
};

}  // namespace writetest

#endif
