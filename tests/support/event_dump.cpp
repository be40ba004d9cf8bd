#include "support/event_dump.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "support/expected_output.h"

namespace edlbtest {
namespace {

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

}  // namespace

std::string quoted(const char* text) {
    if (text == nullptr) return "(null)";
    std::string out = "'";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 32 || *p >= 127 || *p == '\'' || *p == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", *p);
            out += escaped;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out + "'";
}

std::string describeList(const EdlList& list) {
    std::ostringstream out;
    out << "list type: " << list.dwListType << "\n"
        << "flags: " << hex(list.dwFlags) << "  flags2: " << hex(list.dwFlags2) << "\n"
        << "tc mode: " << hex(list.dwTcMode) << "  current: " << hex(list.dwCurTcMode)
        << "  frame rate: " << list.dwFrameRate << "  audio kHz: " << list.dwAudioKHz << "\n"
        << "column map: " << list.dwHasColumnMap;
    for (int i = 0; i < 16 && list.adwColumns[i] != 0; ++i) out << " " << hex(list.adwColumns[i]);
    out << "\n"
        << "title: " << quoted(list.szTitle) << "\n"
        << "tape: " << quoted(list.szTape) << "  default reel: " << quoted(list.szDefReel)
        << "  list name: " << quoted(list.szListName) << "\n"
        << "column line: " << quoted(list.szColumnLine) << "\n";
    return out.str();
}

std::string describeEvent(const EdlLine& e) {
    // Packed fields are copied into locals before they are streamed.
    const uint32_t editNumber = e.dwEditNum, video = e.dwVideoTracks, audio = e.dwAudioTracks;
    const int32_t audioOffset = e.lAudioOffset;
    std::ostringstream out;
    out << "edit: " << editNumber << "  reel: " << quoted(e.szReel) << "  tracks: V"
        << hex(video) << " A" << hex(audio) << "\n"
        << "edit type: " << quoted(std::string(1, e.chEditType).c_str())
        << "  wipe: " << e.dwWipeCode << "  length: " << e.dwEffectLen
        << "  effect text: " << quoted(e.szEffectText) << "\n"
        << "src: " << e.dwSrcIn << "-" << e.dwSrcOut << "  mark: " << e.dwMarkIn << "-"
        << e.dwMarkOut << "  rec: " << e.dwRecIn << "-" << e.dwRecOut
        << "  audio offset: " << audioOffset << "\n"
        << "clip: " << quoted(e.szClipName) << "  name: " << quoted(e.szName) << "\n"
        << "comment: " << quoted(e.szComment) << "\n"
        << "line: " << quoted(e.szLine) << "\n"
        << "present: " << hex(e.dwPresent) << "  line flags: " << hex(e.dwLineFlags)
        << "  track mask: " << hex(e.dwTrackMask) << "  tag: " << e.dwListTag
        << "  effect: " << e.dwEffect << "  xfile3: " << unsigned(e.bXFile3) << "\n";
    return out.str();
}

std::string dumpList(const std::string& path, const DumpOptions& options) {
    EdlList list;
    edlInitEdlListStruct(&list);
    list.szColumnLine[0] = '\0';
    list.dwListType = options.listType;
    list.dwFlags = options.flags;
    list.dwFlags2 = options.flags2;
    list.dwUserTag = options.userTag;
    std::snprintf(list.szDefReel, sizeof list.szDefReel, "%s", options.defaultReel);
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, EDL_OPEN_READ, &list);
    if (handle == nullptr) return "open: failed\n";
    if (options.recorderIn != 0) edlSetRecorderIn(handle, options.recorderIn);
    std::ostringstream out;
    out << describeList(list);
    auto inlineEvent = std::make_unique<EdlLineVB>();
    EdlLine event;
    edlInitEdlLineStruct(&event);
    uint32_t result = 0;
    for (int index = 1; index <= 100000; ++index) {
        if (options.inlineRecords) {
            result = edlReadLineVB(handle, inlineEvent.get());
            std::memcpy(&event, inlineEvent.get(), offsetof(EdlLine, bXFile3) + 1);
        } else {
            result = edlReadLine(handle, &event);
        }
        if (result != 0) break;
        out << "-- event " << index << "\n" << describeEvent(event);
    }
    out << "end: " << hex(result) << "\n";
    edlClose(handle);
    return out.str();
}

std::string compareWithExpected(const std::string& input, const std::string& expected,
                                const DumpOptions& options) {
    const std::string actual = dumpList(input, options);
    std::string wanted;
    if (matchesExpected(expected, actual, &wanted)) return "";
    std::istringstream a(actual), w(wanted);
    std::string lineA, lineW;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreW = static_cast<bool>(std::getline(w, lineW));
        if (!moreA && !moreW) return "differs in line ends";
        if (lineA != lineW || moreA != moreW) {
            return expected + ":" + std::to_string(number) + "\n  expected: " +
                   (moreW ? lineW : "(end)") + "\n  actual:   " + (moreA ? lineA : "(end)");
        }
    }
}

}  // namespace edlbtest
