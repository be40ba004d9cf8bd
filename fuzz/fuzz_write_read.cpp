// Write then read: the input chooses the list type, flags, mode and the event fields; the
// list is written, closed, opened again and read to the end.
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint32_t u32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | byte();
        return value;
    }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    // A text of up to limit characters (any bytes but NUL) into out.
    void text(char* out, size_t capacity) {
        const size_t length = byte() % capacity;
        size_t i = 0;
        for (; i < length && at < size; ++i) out[i] = static_cast<char>(data[at++] | 1);
        out[i] = '\0';
    }
};

const uint32_t kModes[] = {1, 2, 4, 8, 0x10, 0x20, 0x40, 0x44, 0x80, 0x84, 3};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    EdlList list;
    edlInitEdlListStruct(&list);
    const uint8_t type = in.byte();
    list.dwListType = type == 255 ? 256u : (type % 48 == 47 ? 251u : type % 48);
    list.dwFlags = in.u32() & ~(EDL_LF_COLUMN_LIST | EDL_LF_TAB_DELIMITED);
    list.dwFlags2 = in.u32();
    list.dwTcMode = kModes[in.byte() % (sizeof kModes / sizeof kModes[0])];
    in.text(list.szTitle, 200);
    in.text(list.szTape, sizeof list.szTape);

    const std::string path = fuzz::writeInput(nullptr, 0, ".edl");
    tagKvEdlHandle* handle = edlOpen(path.c_str(), nullptr, 1, &list);
    if (handle == nullptr) return 0;
    auto event = std::make_unique<EdlLineVB>();
    const unsigned events = in.byte() % 8;
    for (unsigned i = 0; i < events; ++i) {
        std::memset(event.get(), 0, sizeof *event);
        event->dwSrcIn = in.u32() % 3000000;
        event->dwSrcOut = in.u32() % 3000000;
        event->dwRecIn = in.u32() % 3000000;
        event->dwRecOut = in.u32() % 3000000;
        event->dwVideoTracks = in.byte();
        event->dwAudioTracks = in.u32();
        event->chEditType = static_cast<char>(in.byte());
        event->dwWipeCode = in.u32();
        event->dwEffectLen = in.u32();
        event->dwLineFlags = in.u32();
        event->dwPresent = in.u32();
        in.text(event->achClipName, sizeof event->achClipName);
        in.text(event->achReel, sizeof event->achReel);
        in.text(event->achComment, 600);
        in.text(event->achName, 300);
        edlWriteLineVB(handle, event.get());
    }
    edlClose(handle);

    // Read back the way it was written: for interchange when the input chose that flag.
    EdlList back;
    edlInitEdlListStruct(&back);
    back.dwFlags = list.dwFlags & EDL_LF_INTERCHANGE;
    fuzz::readAll(path, &back);
    return 0;
}
