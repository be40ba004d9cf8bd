// List headers: the lines that precede the first event of each dialect.
#include "core/handle.h"
#include "core/list_types.h"
#include "write/write.h"
#include "write/writers.h"

namespace {

using edlb::HeaderFamily;
using edlb::kCrlf;
using edlb::putText;

// The frame-code texts of one timecode mode for the three families that name the mode.
// Texts are written with their line end; a null text is not written.
struct ModeRow {
    uint32_t mode;
    const char* cFcm;      // CMX-like header: FCM line
    const char* cRecord;   // CMX-like header: record-times line
    const char* cSystem;   // CMX-like header: system-flags line
    const char* shortFcm;  // short CMX header
    const char* dsFcm;     // "*DS" header
    const char* dsRate;    // "*DS" header frame-rate line
};

const ModeRow kModes[] = {
    {0x01, "FCM: FILM ", "REM  Record times are film ",
     "REM  system timecode flags must be set to film ", "FCM: FILM ", "FCM: FILM",
     "*DS type=header frame-rate=24 fcm=non-drop-frame"},
    {0x02, "FCM: NON-DROP FRAME ", "REM  Record times are non-drop ",
     "REM  system timecode flags must be set to non-drop ", "FCM: NON-DROP FRAME ",
     "FCM: NON-DROP FRAME", "*DS type=header frame-rate=30 fcm=non-drop-frame"},
    {0x04, "FCM: DROP FRAME ", "REM  Record times are drop ",
     "REM  system timecode flags must be set to drop ", "FCM: DROP FRAME ", "FCM: DROP FRAME",
     "*DS type=header frame-rate=30 fcm=drop-frame"},
    {0x08, "FCM: PAL ", "REM  Record times are pal ",
     "REM  system timecode flags must be set to pal ", "FCM: PAL ", "FCM: PAL",
     "*DS type=header frame-rate=25 fcm=non-drop-frame"},
    {0x10, "FCM: PAL 50 ", "REM  Record times are 50fps ",
     "REM  system timecode flags must be set to 50fps ", "FCM: 50 ", "FCM: 50",
     "*DS type=header frame-rate=50 fcm=non-drop-frame"},
    {0x20, "FCM: NTSC 59.94 ", "REM  Record times are 59.94fps ",
     "REM  system timecode flags must be set to 59.94fps ", "FCM: 59.94 ", "FCM: 59.94",
     "*DS type=header frame-rate=60 fcm=drop-frame"},
    {0x40, "FCM: NTSC 60 ", "REM  Record times are NTSC 60fps ",
     "REM  system timecode flags must be set to NTSC 60fps ", "FCM: 60 ", "FCM: 60",
     "*DS type=header frame-rate=60 fcm=non-drop-frame"},
    {0x44, "FCM: 100ths ", "REM  Record times are 100ths of a second ",
     "REM  system timecode flags must be set to 100ths of a second ", "FCM: 100ths ",
     "FCM: 100ths", "*DS type=header frame-rate=100 fcm=non-drop-frame"},
    // 23.98 without drop frame is announced like 23.98 drop frame in "*DS" lists; the
    // reader maps that pair back to 0x80.
    {0x80, "FCM: NTSC FILM 23.98 ", "REM  Record times are 23.98fps ",
     "REM  system timecode flags must be set to 23.98fps ", "FCM: NTSC FILM ",
     "FCM: NTSC FILM", "*DS type=header frame-rate=24 fcm=drop-frame"},
    {0x84, "FCM: 23.98DF ", "REM  Record times are film drop frame ",
     "REM  system timecode flags must be set to film drop frame ", "FCM: 23.98 ", "FCM: 23.98",
     "*DS type=header frame-rate=24 fcm=drop-frame"},
};

// Any mode outside the table.
const ModeRow kUnknownMode = {0, "FCM: NONE ", "REM  Unknown time code type (non-drop assumed) ",
                              nullptr, "SMPTE FRAME CODE ", "SMPTE FRAME CODE",
                              "*DS type=header frame-rate=30 fcm=non-drop-frame"};

const ModeRow& modeRow(uint32_t tcFlags) {
    const uint32_t mode = tcFlags & 0xFF;
    for (const ModeRow& row : kModes) {
        if (row.mode == mode) return row;
    }
    return kUnknownMode;
}

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
    const ModeRow& row = modeRow(handle->dwTcFlags);
    putLine(file, row.cFcm);
    putLine(file, row.cRecord);
    if (row.cSystem != nullptr) putLine(file, row.cSystem);
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
    putLine(file, modeRow(handle->dwTcFlags).shortFcm);
}

void writeDs(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    const ModeRow& row = modeRow(handle->dwTcFlags);
    putText(file, "TITLE: ");
    putPlainTitle(file, handle->list, kCrlf);
    putLine(file, row.dsFcm);
    putLine(file, "*DS type=header major=1 minor=0");
    putLine(file, row.dsRate);
    putLine(file, "*DS type=header sort-order=none note-placement=below");
}

}  // namespace

void edlWriteHeader(tagKvEdlHandle* handle) {
    // edlOpen, the only caller, has already honoured the no-header flag.
    if (handle == nullptr || handle->pFile == nullptr) return;
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
