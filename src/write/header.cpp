// List headers: the lines that precede the first event of each dialect.
#include "core/handle.h"
#include "core/list_types.h"
#include "core/tc_modes.h"
#include "write/write.h"
#include "write/writers.h"

namespace {

using edlb::HeaderFamily;
using edlb::kCrlf;
using edlb::putText;

void putLine(FILE* file, const char* text) {
    putText(file, text);
    putText(file, kCrlf);
}

const char* const kXjtListLines[] = {
    "Type: BrimvelXJTList",
    "; Example Line Pair(remove semicolon comments at start if copying)",
    "; 000 reel VAA C 00:00:00:00 00:00:30:00 00:01:01:00 01:01:30:00",
    "; This is a comment ; C:\\Share\\ClipNameFile.avi",
    ";",
    ";     Edit Number, Reel ID, Edit Presets, File/Edit In Point, File/Edit Out Point, "
    "Record/Run In Point, Record/Run Out Point",
    ";     Comment may be anything but must not contain semi colons, ClipFileName must point "
    "to a valid media file.",
};

const char* const kXjtClipLines[] = {
    "Type: BrimvelXJTClip",
    "; Example Line (remove semicolon comments at start if copying)",
    "; * ClipName 00:00:00:00 00:00:30:00 ; This is a comment ; C:\\Share\\ClipNameFile.avi",
    ";",
    ";     ClipName must be 8 characters or less followed by in and out point.",
    ";     Comment may be anything but must not contain semi colons.",
    ";     ClipFileName must point to a valid media file.",
};

// Title of the CMX-like header: the first non-empty of title, tape name and default reel,
// stripped of trailing blanks in the handle's copy; emptiness is judged before stripping.
void putStrippedTitle(FILE* file, EdlList& list) {
    struct Field {
        char* text;
        size_t size;
    };
    const Field fields[] = {{list.szTitle, sizeof list.szTitle},
                            {list.szTape, sizeof list.szTape},
                            {list.szDefReel, sizeof list.szDefReel}};
    for (const Field& field : fields) {
        if (field.text[0] == '\0') continue;
        field.text[field.size - 1] = '\0';  // the caller may have filled the whole field
        edlStripTrailing(field.text, static_cast<int64_t>(field.size - 1));
        putLine(file, field.text);
        return;
    }
    putLine(file, "noname");
}

// Title of the frame-code and "*DS" headers: the first non-empty of title, tape name,
// default reel and list name, unchanged.
void putPlainTitle(FILE* file, const EdlList& list, const char* after) {
    const struct {
        const char* text;
        size_t size;
    } fields[] = {{list.szTitle, sizeof list.szTitle},
                  {list.szTape, sizeof list.szTape},
                  {list.szDefReel, sizeof list.szDefReel},
                  {list.szListName, sizeof list.szListName}};
    const char* text = "noname";
    size_t len = 6;
    for (const auto& field : fields) {
        if (field.text[0] == '\0') continue;
        text = field.text;
        len = edlb::boundedLength(field.text, field.size);
        break;
    }
    edlb::putBytes(file, text, len);
    putText(file, after);
}

void writeCmxLike(tagKvEdlHandle* handle, const char* formatLine) {
    FILE* file = handle->pFile;
    putText(file, kCrlf);
    putText(file, "TITLE: ");
    putStrippedTitle(file, handle->list);
    std::fprintf(file, formatLine, kCrlf);
    const edlb::TcMode& mode = edlb::tcMode(handle->dwTcFlags);
    putLine(file, mode.fcm);
    putLine(file, mode.recordTimes);
    if (mode.systemFlags != nullptr) putLine(file, mode.systemFlags);
    putText(file, kCrlf);
}

void writeFrameCodeTitle(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    if (handle->list.dwListType == EDLTYPE_SMPTE_TITLED) putText(file, "TITLE: ");
    putText(file, kCrlf);
    putPlainTitle(file, handle->list, kCrlf);
    putLine(file, "SMPTE FRAME CODE ");
    putText(file, kCrlf);
}

void writeFilmLog(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    // Fixed columns: maker at 18, "No." at 29, equipment at 43, "Version" at 52, "Flex" at 69.
    putLine(file, handle->list.dwListType == EDLTYPE_FLEX_AATON
                      ? "000 Manufacturer Aaton      No. 021 Equip Indaw    Version 7.60     Flex 1006"
                      : "000 Manufacturer Brimvel    No. 021 Equip XJT      Version 3.00     Flex 1006");
    putText(file, "010 Title ");
    const EdlList& list = handle->list;
    edlb::putBytes(file, list.szTitle, edlb::boundedLength(list.szTitle, sizeof list.szTitle));
    putText(file, kCrlf);
    putText(file, kCrlf);
    putLine(file, "012 Shoot    2000-00-00  Xfer Date   2005-07-01");
    putText(file, kCrlf);
}

void writeShortCmx(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    putText(file, "TITLE:   ");
    putPlainTitle(file, handle->list, " \r\n");
    putLine(file, edlb::tcMode(handle->dwTcFlags).shortFcm);
}

void writeDs(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    const edlb::TcMode& mode = edlb::tcMode(handle->dwTcFlags);
    putText(file, "TITLE: ");
    putPlainTitle(file, handle->list, kCrlf);
    putLine(file, mode.dsFcm);
    putLine(file, "*DS type=header major=1 minor=0");
    putLine(file, mode.dsRate);
    putLine(file, "*DS type=header sort-order=none note-placement=below");
}

}  // namespace

void edlWriteHeader(tagKvEdlHandle* handle) {
    // edlOpen, the only caller, has already honoured the no-header flag.
    if (handle == nullptr || handle->pFile == nullptr) return;
    if (edlb::interchangeForm(handle->list) != edlb::InterchangeForm::None) {
        edlb::writeInterchangeHeader(handle);
        return;
    }
    const edlb::ListTypeInfo& info = edlb::listTypeInfo(handle->list.dwListType);
    FILE* file = handle->pFile;
    switch (info.header) {
        case HeaderFamily::None:
            break;
        case HeaderFamily::A1:
            for (const char* line : kXjtListLines) putLine(file, line);
            writeCmxLike(handle, info.formatLine);
            break;
        case HeaderFamily::A2:
            for (const char* line : kXjtClipLines) putLine(file, line);
            writeCmxLike(handle, info.formatLine);
            break;
        case HeaderFamily::C:
            writeCmxLike(handle, info.formatLine);
            break;
        case HeaderFamily::E:
            writeFrameCodeTitle(handle);
            break;
        case HeaderFamily::F:
            writeFilmLog(handle);
            break;
        case HeaderFamily::G44:
            writeShortCmx(handle);
            break;
        case HeaderFamily::G45:
            writeDs(handle);
            break;
        case HeaderFamily::D5:
        case HeaderFamily::D6:
        case HeaderFamily::D22:
        case HeaderFamily::D23:
        case HeaderFamily::D27:
        case HeaderFamily::D40:
        case HeaderFamily::D41:
            edlb::writeColumnHeader(handle);
            break;
    }
}
