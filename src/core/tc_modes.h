// The timecode modes: one row per mode value, with everything any layer needs to know of a
// mode (how its timecode text counts, how headers and logs name it). The library and the
// command line both look modes up here; the table is plain constant data, so including
// this header brings in no code of the library.
#ifndef EDLBRIDGE_CORE_TC_MODES_H
#define EDLBRIDGE_CORE_TC_MODES_H

#include <cstdint>

#include "edlbridge.h"

namespace edlb {

struct TcMode {
    uint32_t value;           // the mode value (EDL_TC_*)
    const char* name;         // the command line's name for it
    const char* description;
    uint32_t fps;             // frame numbers per second of its timecode text
    uint32_t dropped;         // frame numbers skipped at the start of each minute not divisible by ten
    bool dropFrame;           // a drop-frame mode: ';' before the frames, the events' drop-frame flag
    uint32_t frameRate;       // hundredths of a frame per second, as dwFrameRate holds it
    char separator;           // the timecode separator that implies the mode (0: none does)
    // Texts of the headers that name the mode, without their line ends.
    const char* fcm;          // CMX-like header: the "FCM:" line
    const char* recordTimes;  // CMX-like header: the record-times line
    const char* systemFlags;  // CMX-like header: the system-flags line (null: none)
    const char* shortFcm;     // short CMX header
    const char* dsFcm;        // "*DS" header
    const char* dsRate;       // "*DS" header: the frame-rate line
    const char* filmRate;     // film-log event line: the rate word
    // Log-exchange lists written for interchange: the "FPS" value and "VIDEO_FORMAT".
    const char* logFps;
    const char* logVideo;
    // Log-exchange lists read: the "FPS" values, in thousandths of a frame a second, whose
    // rows count in this mode (0: none), and the rank at which a "VIDEO_FORMAT" line holding
    // every word of logVideo names the mode (1 first; 0: such a line never names it). The
    // ranked modes are the video standards a log names.
    uint32_t logReadFps[2];
    uint32_t logVideoRank;
    // "*DS" headers read: the "frame-rate=" numbers taken as this mode (0: none), and the
    // mode an "fcm=" naming the other kind of frame counting turns it into (0: it stays).
    uint32_t dsReadRates[2];
    uint32_t dsOtherFcm;
    // Other spellings a user may give for the mode (the command line's --fcm, the Python
    // module's mode names), separated by blanks: rates as people write them, with "df" or
    // "ndf" where the rate has both. Blanks, '-' and '_' in a user's text are passed over.
    const char* spellings;
};

// 23.98 without drop frame is announced like 23.98 drop frame in "*DS" lists; their reader
// maps that pair back to 0x80.
inline constexpr TcMode kTcModes[] = {
    {EDL_TC_FILM, "film", "film, 24 fps", 24, 0, false, 2400, '-',
     "FCM: FILM ", "REM  Record times are film ", "REM  system timecode flags must be set to film ",
     "FCM: FILM ", "FCM: FILM", "*DS type=header frame-rate=24 fcm=non-drop-frame", "FILM",
     "24", "FILM",
     {24000, 0}, 3, {24, 0}, EDL_TC_2398, "24"},
    {EDL_TC_NDF, "ndf", "non-drop frame, 30 fps", 30, 0, false, 2997, 0,
     "FCM: NON-DROP FRAME ", "REM  Record times are non-drop ",
     "REM  system timecode flags must be set to non-drop ", "FCM: NON-DROP FRAME ",
     "FCM: NON-DROP FRAME", "*DS type=header frame-rate=30 fcm=non-drop-frame", "NTSC",
     "29.97", "NTSC",
     {29970, 30000}, 2, {30, 60}, EDL_TC_DF, "non-drop nondrop 30 29.97ndf"},
    {EDL_TC_DF, "df", "drop frame, 29.97 fps", 30, 2, true, 2997, ';',
     "FCM: DROP FRAME ", "REM  Record times are drop ",
     "REM  system timecode flags must be set to drop ", "FCM: DROP FRAME ", "FCM: DROP FRAME",
     "*DS type=header frame-rate=30 fcm=drop-frame", "NTSC", "29.97", "NTSC DROP",
     {29970, 0}, 1, {0, 0}, EDL_TC_NDF, "drop 29.97 29.97df 30df"},
    {EDL_TC_PAL, "pal", "PAL, 25 fps", 25, 0, false, 2500, '.',
     "FCM: PAL ", "REM  Record times are pal ", "REM  system timecode flags must be set to pal ",
     "FCM: PAL ", "FCM: PAL", "*DS type=header frame-rate=25 fcm=non-drop-frame", "PAL",
     "25", "PAL",
     {25000, 0}, 4, {25, 50}, 0, "25"},
    {EDL_TC_PAL50, "pal50", "50 fps", 50, 0, false, 5000, 0,
     "FCM: PAL 50 ", "REM  Record times are 50fps ",
     "REM  system timecode flags must be set to 50fps ", "FCM: 50 ", "FCM: 50",
     "*DS type=header frame-rate=50 fcm=non-drop-frame", "50", "50", "PAL",
     {50000, 0}, 0, {0, 0}, 0, "50"},
    {EDL_TC_NTSC5994, "df5994", "drop frame, 59.94 fps", 60, 4, true, 5994, ',',
     "FCM: NTSC 59.94 ", "REM  Record times are 59.94fps ",
     "REM  system timecode flags must be set to 59.94fps ", "FCM: 59.94 ", "FCM: 59.94",
     "*DS type=header frame-rate=60 fcm=drop-frame", "5994", "59.94", "NTSC DROP",
     {59940, 0}, 0, {0, 0}, 0, "59.94 59.94df"},
    {EDL_TC_NTSC60, "ntsc60", "60 fps", 60, 0, false, 6000, '=',
     "FCM: NTSC 60 ", "REM  Record times are NTSC 60fps ",
     "REM  system timecode flags must be set to NTSC 60fps ", "FCM: 60 ", "FCM: 60",
     "*DS type=header frame-rate=60 fcm=non-drop-frame", "60", "60", "NTSC",
     {60000, 0}, 0, {0, 0}, 0, "60"},
    {EDL_TC_HUNDREDTHS, "hundredths", "hundredths of a second", 100, 0, false, 10000, 0,
     "FCM: 100ths ", "REM  Record times are 100ths of a second ",
     "REM  system timecode flags must be set to 100ths of a second ", "FCM: 100ths ",
     "FCM: 100ths", "*DS type=header frame-rate=100 fcm=non-drop-frame", "100", "100", "NTSC",
     {0, 0}, 0, {0, 0}, 0, "100"},
    {EDL_TC_2398, "23.98", "23.98 fps, counted like 24", 24, 0, false, 2398, '+',
     "FCM: NTSC FILM 23.98 ", "REM  Record times are 23.98fps ",
     "REM  system timecode flags must be set to 23.98fps ", "FCM: NTSC FILM ", "FCM: NTSC FILM",
     "*DS type=header frame-rate=24 fcm=drop-frame", "2398", "23.976", "FILM",
     {23976, 23980}, 0, {23, 0}, EDL_TC_FILM, "2398 23.976 23.98ndf 23.976ndf"},
    // 23.98 "drop frame" is written with the drop marker but skips no frame numbers.
    {EDL_TC_2398DF, "23.98df", "23.98 fps, counted like 24, drop-frame marker", 24, 0, true,
     2398, '_', "FCM: 23.98DF ", "REM  Record times are film drop frame ",
     "REM  system timecode flags must be set to film drop frame ", "FCM: 23.98 ", "FCM: 23.98",
     "*DS type=header frame-rate=24 fcm=drop-frame", "2398", "23.976", "NTSC DROP",
     {23976, 23980}, 0, {0, 0}, 0, "2398df 23.976df"},
};

// Any other value: counted like non-drop 30, and named as unknown by the headers.
inline constexpr TcMode kUnknownTcMode = {
    0, "unknown", "unknown mode, counted like non-drop 30 fps", 30, 0, false, 2997, 0,
    "FCM: NONE ", "REM  Unknown time code type (non-drop assumed) ", nullptr,
    "SMPTE FRAME CODE ", "SMPTE FRAME CODE", "*DS type=header frame-rate=30 fcm=non-drop-frame",
    "NTSC", "29.97", "NTSC", {0, 0}, 0, {0, 0}, 0, ""};

// The rows by the low byte of a mode value: every event read looks its mode up.
struct TcModeIndex {
    const TcMode* row[256];
    constexpr TcModeIndex() : row() {
        for (const TcMode*& entry : row) entry = &kUnknownTcMode;
        for (const TcMode& mode : kTcModes) {
            // The first row of a value is the one found.
            if (mode.value <= EDL_TCF_MODE_MASK && row[mode.value] == &kUnknownTcMode) {
                row[mode.value] = &mode;
            }
        }
    }
};
inline constexpr TcModeIndex kTcModeIndex{};

// The row of a mode, looked up by the low byte of a mode value or a timecode flags word.
constexpr const TcMode& tcMode(uint32_t modeOrWord) {
    return *kTcModeIndex.row[modeOrWord & EDL_TCF_MODE_MASK];
}

// True when the mode has a row of its own.
constexpr bool isKnownTcMode(uint32_t modeOrWord) {
    return tcMode(modeOrWord).value != 0;
}

// The mode a timecode separator implies; 0 for ':' and for characters that are no separator.
constexpr uint32_t modeOfSeparator(char c) {
    for (const TcMode& row : kTcModes) {
        if (row.separator == c && c != 0) return row.value;
    }
    return 0;
}

// The mode that counts at a rate (hundredths of a frame per second, as dwFrameRate holds
// it), drop frame where the rate has both kinds and dropFrame asks for it; 0 for a rate no
// mode counts at. 59.94 without drop frame counts like 60.
constexpr uint32_t modeAtRate(uint32_t rate, bool dropFrame) {
    switch (rate) {
        case 2397: case 2398: return dropFrame ? EDL_TC_2398DF : EDL_TC_2398;
        case 2400: return EDL_TC_FILM;
        case 2500: return EDL_TC_PAL;
        case 2997: return dropFrame ? EDL_TC_DF : EDL_TC_NDF;
        case 3000: return EDL_TC_NDF;
        case 5000: return EDL_TC_PAL50;
        case 5994: return dropFrame ? EDL_TC_NTSC5994 : EDL_TC_NTSC60;
        case 6000: return EDL_TC_NTSC60;
        default: return 0;
    }
}

// The timecode flags word of a mode under a list's flags: the mode in the low byte, the base
// bit, and the option bits that list flags 1 to 3 feed. A word for writing also carries the
// drop marker unless the list asks for none.
constexpr uint32_t timecodeFlagsWord(uint32_t mode, uint32_t listFlags, bool writing) {
    uint32_t word = (mode & EDL_TCF_MODE_MASK) | EDL_TCF_BASE;
    if ((listFlags & EDL_LF_TC_SEP1) == 0) word |= EDL_TCF_SEPARATORS;
    if ((listFlags & EDL_LF_TC_NOWRAP) == 0) word |= EDL_TCF_WRAP24;
    if ((listFlags & EDL_LF_TC_BIT18) != 0) word |= EDL_TCF_RESERVED18;
    if (writing && (listFlags & EDL_LF_NO_DROP_MARK) == 0) word |= EDL_TCF_DROP_MARK;
    return word;
}

}  // namespace edlb

#endif
