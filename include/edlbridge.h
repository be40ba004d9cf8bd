/*
 * edlbridge: read edit decision lists and logs, write them in some forty dialects.
 *
 * A host fills an EdlList with edlInitEdlListStruct, opens a file with edlOpen (reading
 * detects the dialect, writing writes its header), moves events through EdlLine records
 * with edlReadLine / edlWriteLine, and ends with edlClose. Timecodes travel as frame counts
 * in the list's timecode mode.
 *
 * Ownership: the host owns EdlList, EdlLine and EdlLineVB records; the library owns every
 * handle from edlOpen to edlClose. The text pointers of an EdlLine set up by
 * edlInitEdlLineStruct point at library-wide static buffers shared by every such record:
 * a host that reads several lists at once, or from several threads, uses EdlLineVB records
 * (or its own buffers) instead.
 *
 * The record-level entry points have C linkage; the classifiers and helpers are C++
 * functions and are declared only for C++ hosts.
 */
#ifndef EDLBRIDGE_H
#define EDLBRIDGE_H

#include <stdint.h>
#include <stdio.h>

#define EDLBRIDGE_VERSION_MAJOR 1
#define EDLBRIDGE_VERSION_MINOR 0
#define EDLBRIDGE_VERSION_PATCH 0
#define EDLBRIDGE_VERSION_STRING "1.0.0"

/* Only the functions and data marked EDLBRIDGE_API leave the shared library. Windows hosts
 * import them from edlbridge.dll; a program that links the library's objects statically
 * defines EDLBRIDGE_STATIC. */
#if defined(_WIN32) && defined(EDLBRIDGE_BUILDING_LIBRARY)
#define EDLBRIDGE_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(EDLBRIDGE_STATIC)
#define EDLBRIDGE_API __declspec(dllimport)
#elif defined(EDLBRIDGE_BUILDING_LIBRARY)
#define EDLBRIDGE_API __attribute__((visibility("default")))
#else
#define EDLBRIDGE_API
#endif

/* ---- Result codes (unsigned 32-bit; the same values everywhere) ---- */
#define EDL_OK 0u
#define EDL_END_OF_LIST 0x8000u     /* the list ended before an event was found */
#define EDL_WRONG_DIRECTION 0x8001u /* read from a writing handle, or the reverse */
#define EDL_NO_HANDLE_CLOSE 0x8003u /* edlClose was given no handle */
#define EDL_NO_LINE_BUFFER 0x8005u  /* no handle, or the handle has no line buffer */
#define EDL_NO_LINE 0x8006u         /* no line could be read (the CSV reader's end) */
#define EDL_BAD_ARGUMENT 0xFFFFFFFFu /* a null handle or record to a few functions */
#define EDL_DETECT_FAILED 256       /* edlAutoSense: no list type fits */

/* ---- Timecode modes: low byte of dwTcMode, dwCurTcMode and the flags word ---- */
#define EDL_TC_FILM 0x01u      /* 24 frames per second */
#define EDL_TC_NDF 0x02u       /* NTSC non-drop frame, 30 */
#define EDL_TC_DF 0x04u        /* NTSC drop frame, 29.97 */
#define EDL_TC_PAL 0x08u       /* 25 */
#define EDL_TC_PAL50 0x10u     /* 50 */
#define EDL_TC_NTSC5994 0x20u  /* 59.94 drop frame */
#define EDL_TC_NTSC60 0x40u    /* 60 */
#define EDL_TC_HUNDREDTHS 0x44u /* hundredths of a second */
#define EDL_TC_2398 0x80u      /* 23.98, counted like 24 */
#define EDL_TC_2398DF 0x84u    /* 23.98, counted like 24, written with the drop marker */

/* ---- Bits of the timecode flags word handed to the timecode service ---- */
#define EDL_TCF_MODE_MASK 0xFFu
#define EDL_TCF_BASE 0x100u      /* always set */
#define EDL_TCF_DROP_MARK 0x2000u /* write ';' before the frames in drop-frame modes */
#define EDL_TCF_SEPARATORS 0x10000u /* write 'HH:MM:SS:FF' (clear: bare 'HHMMSSFF') */
#define EDL_TCF_WRAP24 0x20000u  /* hours wrap at 24 */
#define EDL_TCF_RESERVED18 0x40000u

/* ---- List flags (EdlList.dwFlags) ---- */
#define EDL_LF_TC_SEP0 0x1u          /* timecode separators imply no mode */
#define EDL_LF_TC_SEP1 0x2u          /* separators imply no mode; clears the separator bit */
#define EDL_LF_TC_NOWRAP 0x4u        /* clears the 24-hour wrap bit of the flags word */
#define EDL_LF_TC_BIT18 0x8u         /* sets bit 18 of the flags word */
#define EDL_LF_NO_RECORD_TC 0x100u   /* ignore record timecodes when reading */
#define EDL_LF_NO_SOURCE_TC 0x200u   /* ignore source timecodes when reading */
#define EDL_LF_SWAP_SRC_REC 0x400u   /* source and record times change places */
#define EDL_LF_NO_DROP_MARK 0x800u   /* clear: drop marker bit added at write open */
#define EDL_LF_NO_COMMENTS 0x1000u   /* skip the comment analysis of events */
#define EDL_LF_BLACK_NOT_EVENT 0x2000u /* a "bl" token marks a line that is no event */
#define EDL_LF_NO_NOTES 0x10000u     /* the writer leaves out its note lines */
/* Interchange: read and write lists for other systems, keeping what the list says. Set it in
 * the list record passed to edlOpen; it survives detection. Without it the library keeps its
 * documented derivations (what hosts written for them rely on). Reading with it:
 *  - every comment and note line of an event is one line of szComment, in file order, its
 *    '*' or ';' marker and the blanks after it removed, lines separated by a line feed; a
 *    comment at the end of the event line is its first line; "M2", "AUD" and effect-name
 *    lines are kept verbatim as lines of their event ("AUD 3 4" also adds A3 and A4);
 *  - the clip name is the one the list names: its "FROM CLIP NAME:" note (on the incoming
 *    line of a dissolve, wipe or key, its "TO CLIP NAME:" note), else the library's own
 *    "; name" rule, else none; szClipName holds its first ten characters (EDL_P_CLIP_NAME);
 *  - szName holds the media file the list names ("SOURCE FILE:" or "FROM FILE:" note, a
 *    "; path" ending, a "*DS" source, a log's "Source File" column) with EDL_P_FILE_NAME
 *    set, else the whole clip name with EDL_P_FILE_NAME clear;
 *  - column logs read "Tape", "Source File", record times, event numbers and transitions,
 *    and every comment column as a line of its own; CSV logs read their comment columns,
 *    their "Tape" column as the reel where no Reel column is, their "Tracks" column ('V A1
 *    A2', 'VA1'; without one V1 and A1 to A16 as documented), and their ASC_SOP and ASC_SAT cells (of the first sixteen columns) as notes
 *    "ASC_SOP: value";
 *    a log's heading "TAPE" is the reel of rows without one, every column no reader
 *    interprets is a note "NAME: value", and rows without record times are laid end to end
 *    from 01:00:00:00 (edlSetRecorderIn after edlOpen moves the start);
 *  - CMX 3600 track codes read as the standard defines them ('A' audio 1, 'B' video and
 *    audio 1, 'A3' one channel, "NONE" with "AUD" lines); an unknown code gives no tracks
 *    and EDL_P_UNKNOWN_TRACKS; a dissolve's number is its length (dwEffectLen);
 *  - the list counts at the rate the host gives in dwReserved, else at the rate an "FCM:"
 *    line names ("FCM: 25", "FCM: 24 FPS"); a list without an "FCM:" line counts non-drop
 *    when its first event line (a CSV log: its first row) writes its timecodes with ':',
 *    drop frame with ';';
 *  - an event line wrapped onto two lines is one event, and a line that looks like an
 *    event line but cannot be read is marked on its event (EDL_P_UNREAD_LINE);
 *  - a text in which no line is an event line (its edit number first, two timecodes
 *    'HH:MM:SS:FF') is refused: edlOpen returns null.
 * Writing with it: CMX-style lists (types 7 to 11, 13 to 15, 19, 34, 35, 250, 251) keep
 * each event's number, transition, notes and columns; log-exchange lists (type 5) are real
 * tab-delimited logs that read back field by field. */
#define EDL_LF_INTERCHANGE 0x01000000u
/* Interchange CMX-style lists: the reel field is 32 or 128 characters wide instead of 8, as
 * other systems read longer reels (EDL_LF_REEL_128 wins when both are set). */
#define EDL_LF_REEL_32 0x02000000u
#define EDL_LF_REEL_128 0x04000000u
#define EDL_LF_NO_HEADER 0x80000u    /* write no header */
#define EDL_LF_NO_COLUMNS 0x100000u  /* leave out the column description of column headers */
#define EDL_LF_CSV 0x08000000u       /* set with EDL_LF_COLUMN_LIST by the CSV header reader */
#define EDL_LF_COLUMN_LIST 0x40000000u /* events are read by the column reader */
#define EDL_LF_TAB_DELIMITED 0x80000000u

/* ---- Second flags word (EdlList.dwFlags2): column mask bits and two flags ---- */
#define EDL_LF2_DEFAULT_REEL 0x80000u /* every event read gets the list's default reel */
#define EDL_LF2_CSV 0x08000000u       /* the list is a CSV list */

/* ---- Event flags B (EdlLine.dwPresent): which fields a reader found ---- */
#define EDL_P_SRC_IN 0x1u
#define EDL_P_SRC_OUT 0x2u
#define EDL_P_REC_IN 0x4u
#define EDL_P_REC_OUT 0x8u
#define EDL_P_AUDIO_OFFSET 0x10u
#define EDL_P_DURATION 0x20u      /* source out was given as a length (CSV) */
#define EDL_P_CLIP_EVENT 0x100u   /* the event comes from a clip line */
#define EDL_P_EFFECT 0x1000u
#define EDL_P_EFFECT_NUMBER 0x2000u
#define EDL_P_EFFECT_FIELDS 0x4000u
#define EDL_P_KEY 0x8000u
#define EDL_P_TRACKS 0x20000u
#define EDL_P_REEL 0x80000u
#define EDL_P_EDIT_NUMBER 0x100000u
#define EDL_P_CLIP_NAME 0x200000u
#define EDL_P_FILE_NAME 0x1000000u
#define EDL_P_MEDIA_MISSING 0x2000000u
#define EDL_P_LINE_COMMENT 0x10000000u
/* Read for interchange: the track field named no tracks a list defines (or was missing); the
 * event has only the tracks of its "AUD" lines. */
#define EDL_P_UNKNOWN_TRACKS 0x40000u
/* Read for interchange: a line among the event's notes looked like an event line but could
 * not be read as one; dwEffect holds its line number (1 for the first line of the file). */
#define EDL_P_UNREAD_LINE 0x400000u
/* the column code of the event-number column in a column map and column mask */
#define EDL_COL_EDIT_NUMBER 0x20000000u

/* ---- Event flags A (EdlLine.dwLineFlags) ---- */
#define EDL_LINE_CLIP 0x100u          /* a clip event, for the writer */
#define EDL_LINE_UNQUOTED 0x1000000u  /* the writer leaves the clip name unquoted */
#define EDL_LINE_DROP_FRAME 0x40000000u

/* ---- edlOpen modes: none of the low three bits set reads, any of them writes ---- */
#define EDL_OPEN_READ 0u
#define EDL_OPEN_WRITE 1u

/* ---- Capacities of the texts, terminator included ---- */
#define EDL_TITLE_SIZE 4123
#define EDL_NAME65_SIZE 65
#define EDL_COLUMN_LINE_SIZE 4097
#define EDL_CLIPNAME_SIZE 11
#define EDL_NAME_SIZE 4099
#define EDL_COMMENT_SIZE 4609
#define EDL_REEL_SIZE 65
#define EDL_LINE_SIZE 4609
#define EDL_EFFECT_TEXT_SIZE 64

/* ---- List types ---- */
typedef enum edlListTypes {
    EDLTYPE_XJT_LIST = 1,
    EDLTYPE_XJT_CLIP = 2,
    EDLTYPE_3 = 3,
    EDLTYPE_4 = 4,
    EDLTYPE_LOG_EXCHANGE = 5,
    EDLTYPE_FRAMEGRAB_LOG = 6,
    EDLTYPE_CMX3600 = 7,
    EDLTYPE_CMX3400A = 8,
    EDLTYPE_CMX3400 = 9,
    EDLTYPE_CMX340 = 10,
    EDLTYPE_CMX = 11,
    EDLTYPE_12 = 12,
    EDLTYPE_CMXLIKE_13 = 13,
    EDLTYPE_CMXLIKE_14 = 14,
    EDLTYPE_CMXLIKE_15 = 15,
    EDLTYPE_16 = 16,
    EDLTYPE_17 = 17,
    EDLTYPE_EMC = 18,
    EDLTYPE_CMXLIKE_19 = 19,
    EDLTYPE_SMPTE_2CH = 20,
    EDLTYPE_SMPTE_4CH = 21,
    EDLTYPE_PREMIERE_BATCH = 22,
    EDLTYPE_MEDIA_LOG = 23,
    EDLTYPE_SMPTE_TITLED = 24,
    EDLTYPE_OMF = 25,
    EDLTYPE_26 = 26,
    EDLTYPE_EDT_27 = 27,
    EDLTYPE_EDT_28 = 28,
    EDLTYPE_EDT_29 = 29,
    EDLTYPE_EDT_30 = 30,
    EDLTYPE_EDT_31 = 31,
    EDLTYPE_EDT_32 = 32,
    EDLTYPE_EDT_33 = 33,
    EDLTYPE_CMXLIKE_34 = 34,
    EDLTYPE_CMXLIKE_35 = 35,
    EDLTYPE_36 = 36,
    EDLTYPE_37 = 37,
    EDLTYPE_38 = 38,
    EDLTYPE_39 = 39,
    EDLTYPE_FIELD_NAMES = 40,
    EDLTYPE_REEL_CLIP_LOG = 41,
    EDLTYPE_FLEX = 42,
    EDLTYPE_FLEX_AATON = 43,
    EDLTYPE_SHORT_CMX = 44,
    EDLTYPE_DS = 45,
    EDLTYPE_CSV = 46,
    EDLTYPE_GENERIC_250 = 250,
    EDLTYPE_GENERIC = 251,
    EDLTYPE_NONE = 256
} edlListTypes;

/* ---- Records (4-byte packing: the layout is part of the interface) ---- */
#pragma pack(push, 4)

/* List record: describes a whole list. Fill with edlInitEdlListStruct. */
typedef struct EdlList {
    uint32_t dwListType;     /* list type; 256 when none */
    uint32_t dwFlags;        /* list flags (EDL_LF_*) */
    uint32_t dwFlags2;       /* column mask of column headers (0 = all) and EDL_LF2_* */
    uint32_t dwTcMode;       /* timecode mode in the low byte (EDL_TC_*) */
    uint32_t dwCurTcMode;    /* mode in force; edlOpen sets it equal to dwTcMode */
    uint32_t dwFrameRate;    /* hundredths of a frame per second */
    uint32_t dwAudioKHz;     /* audio sample rate in kHz */
    uint32_t dwHasColumnMap; /* 1 when adwColumns holds a column map */
    uint32_t adwColumns[17]; /* column map: a field code per column, 0 ends it */
    char szTitle[EDL_TITLE_SIZE];
    char szTape[EDL_NAME65_SIZE];
    uint32_t dwUserTag;      /* copied into every event's dwListTag */
    char szDefReel[EDL_NAME65_SIZE];
    /* Read for interchange: the rate the list counts at, given by the host in hundredths of
     * a frame per second (2398, 2400, 2500, 2997, 3000, 5000, 5994, 6000); 0 reads the rate
     * the list names. Its "FCM:" lines then choose only drop or non-drop frame where the
     * rate has both, and dwFrameRate is this rate. Other values count as 0; the documented
     * reading does not use it. */
    uint32_t dwReserved;
    char szListName[EDL_NAME65_SIZE];
    char szColumnLine[EDL_COLUMN_LINE_SIZE]; /* field names of a column or CSV list */
} EdlList;

/* The fields of an event record, shared by EdlLine and EdlLineVB. */
#define EDLBRIDGE_EVENT_FIELDS                                                             \
    uint32_t dwSrcIn;       /* source in, frames */                                        \
    uint32_t dwSrcOut;      /* source out, frames (below dwSrcIn: a length when written) */ \
    uint32_t dwMarkIn;                                                                     \
    uint32_t dwMarkOut;                                                                    \
    int32_t lAudioOffset;   /* audio offset, frames, signed */                             \
    uint32_t dwEditNum;                                                                    \
    uint32_t dwVideoTracks; /* bit n-1 = Vn */                                             \
    uint32_t dwAudioTracks; /* bit n-1 = An */                                             \
    uint32_t dwEffect;                                                                     \
    char* szClipName;       /* at most 10 characters */                                    \
    char* szName;           /* at most 4098: a media file name for clip events */          \
    char* szComment;        /* at most 4608 */                                             \
    char* szReel;           /* at most 64 */                                               \
    uint64_t qwReserved2;                                                                  \
    uint32_t dwLineFlags;   /* event flags A (EDL_LINE_*) */                               \
    uint32_t dwPresent;     /* event flags B (EDL_P_*) */                                  \
    uint32_t dwRecIn;                                                                      \
    uint32_t dwRecOut;      /* below dwRecIn: a length when written */                     \
    char chEditType;        /* 'C' cut, 'D' dissolve, 'W' wipe, 'K' key */                \
    uint32_t dwWipeCode;                                                                   \
    uint32_t dwEffectLen;                                                                  \
    char szEffectText[EDL_EFFECT_TEXT_SIZE];                                               \
    uint32_t dwTrackMask;                                                                  \
    uint32_t dwListTag;     /* the list's dwUserTag */                                     \
    char* szLine;           /* raw text the event was read from, at most 4608 */           \
    uint8_t bXFile3;        /* CSV: the list is an EVS XFile3 export */

/* Event record: one edit or clip. Fill with edlInitEdlLineStruct. */
typedef struct EdlLine {
    EDLBRIDGE_EVENT_FIELDS
} EdlLine;

/* Event record that carries its own text buffers (for hosts reading several lists). */
typedef struct EdlLineVB {
    EDLBRIDGE_EVENT_FIELDS
    char achClipName[EDL_CLIPNAME_SIZE];
    char achName[EDL_NAME_SIZE];
    char achComment[EDL_COMMENT_SIZE];
    char achReel[EDL_REEL_SIZE];
    char achLine[EDL_LINE_SIZE];
} EdlLineVB;

#pragma pack(pop)

/* The handle: opaque to hosts. */
typedef struct tagKvEdlHandle tagKvEdlHandle;

#ifdef __cplusplus
extern "C" {
#endif

/* Exported data: the line end every writer uses, and a word the library never touches. */
EDLBRIDGE_API extern const char _CRLF_[3];
EDLBRIDGE_API extern uint32_t dwTokenRtn;

/* Fills a list record with its defaults (list type 256, drop frame, 29.97, 44 kHz, empty
 * texts). dwCurTcMode and szColumnLine are left as they are. Null: does nothing. */
EDLBRIDGE_API void edlInitEdlListStruct(EdlList* list);

/* Clears an event record and points its five texts at the library's shared static
 * buffers, which it empties. Null: does nothing. */
EDLBRIDGE_API void edlInitEdlLineStruct(EdlLine* event);

/* Opens fileName. mode & 7 == 0 reads: the dialect is detected (".csv" names use the CSV
 * header reader) and the list record is filled from the file. Otherwise writes: the file
 * is created and the dialect's header written. list must not be null; it is read at the
 * start and equals the handle's copy on return. reserved is ignored.
 * Returns null when the file cannot be opened, its name has 4100 characters or more,
 * memory runs out, or no dialect is recognised; nothing stays open then. */
EDLBRIDGE_API tagKvEdlHandle* edlOpen(const char* fileName, void* reserved, uint32_t mode,
                                      EdlList* list);

/* Writes the closing lines of the dialect (when writing), closes the file and frees the
 * handle. Returns 0, the stream's failure value when any write or the close failed, or
 * EDL_NO_HANDLE_CLOSE for a null handle. */
EDLBRIDGE_API uint32_t edlClose(tagKvEdlHandle* handle);

/* Sets the running record-in position used to place CSV events. 0, or EDL_BAD_ARGUMENT. */
EDLBRIDGE_API uint32_t edlSetRecorderIn(tagKvEdlHandle* handle, uint32_t frames);

/* Writes the default extension of a list type (4 bytes) and an alternative (5 bytes,
 * possibly empty). Neither buffer may be null. Returns 0. */
EDLBRIDGE_API int edlDefExtension(int listType, char* extension, char* alternative);

/* Reads the next event. 0, EDL_END_OF_LIST / EDL_NO_LINE at the end, EDL_WRONG_DIRECTION,
 * EDL_NO_LINE_BUFFER, EDL_BAD_ARGUMENT for a null handle. */
EDLBRIDGE_API uint32_t edlReadLine(tagKvEdlHandle* handle, EdlLine* event);

/* Writes one event in the handle's dialect. 0, EDL_NO_LINE_BUFFER (null handle),
 * EDL_WRONG_DIRECTION. Changes the caller's record: lengths become out points, texts are
 * cut to their capacities. */
EDLBRIDGE_API uint32_t edlWriteLine(tagKvEdlHandle* handle, EdlLine* event);

/* CSV lists: header reader (event may be null), row reader, XFile3 record placement. */
EDLBRIDGE_API int csvReadColumnLine(tagKvEdlHandle* handle, EdlLine* event);
EDLBRIDGE_API int csvReadLine(tagKvEdlHandle* handle, EdlLine* event);
EDLBRIDGE_API int csvDoXFileRec(tagKvEdlHandle* handle, EdlLine* event);

/* Copies source into destination (size bytes, size >= 1): CR and LF leave the destination
 * byte as it was, bytes 1-31 and 255 become '!'. */
EDLBRIDGE_API void edlFixString(char* destination, const char* source, uint32_t size);

/* Inline-buffer forms of edlReadLine / edlWriteLine: the record's texts live inside it and
 * are trimmed of trailing blanks. */
EDLBRIDGE_API uint32_t edlReadLineVB(tagKvEdlHandle* handle, EdlLineVB* event);
EDLBRIDGE_API uint32_t edlWriteLineVB(tagKvEdlHandle* handle, EdlLineVB* event);

#ifdef __cplusplus
} /* extern "C" */

/* ---- C++ interface: classifiers and helpers, exported under their full signatures ---- */

/* Column list rows (tab-delimited log-exchange lists). Result codes as edlReadLine. */
EDLBRIDGE_API int edlReadColumnLine(tagKvEdlHandle* handle, EdlLine* event);

/* Detects the list type of a file open for reading: 1, 2, 5, 21, 23, 45, 251, or 256. */
EDLBRIDGE_API int edlAutoSense(tagKvEdlHandle* handle);
/* A "type:" line naming the library's own clip list or event list. */
EDLBRIDGE_API int edlLineIsXJTClipType(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsXJTListType(tagKvEdlHandle* handle, char* line);

/* Line classifiers: 1 yes, 0 no. */
EDLBRIDGE_API int edlLineIsAud(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsClip(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsComment(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsEdit(tagKvEdlHandle* handle, char* line);
/* FCM line; *mode always receives a value (defaultMode when the line names none). */
EDLBRIDGE_API int edlLineIsFcm(tagKvEdlHandle* handle, char* line, unsigned int defaultMode,
                               unsigned int* mode);
EDLBRIDGE_API int edlLineIsGpi(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsM2(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsMS(tagKvEdlHandle* handle, char* line);
EDLBRIDGE_API int edlLineIsSwitcher(tagKvEdlHandle* handle, char* line);
/* Title line; stores the title in the handle's list record. */
EDLBRIDGE_API int edlLineIsTitle(tagKvEdlHandle* handle, char* line);

/* Token classifiers: 1 yes, 0 no. */
EDLBRIDGE_API int edlTokEditType(tagKvEdlHandle* handle, char* token, unsigned int* video,
                                 unsigned int* audio);
EDLBRIDGE_API int edlTokEffectType(tagKvEdlHandle* handle, char* token, char* editType,
                                   unsigned int* number, int* dissolveOrWipe, int* key);
EDLBRIDGE_API int edlTokIsComment(tagKvEdlHandle* handle, char* token);
EDLBRIDGE_API int edlTokIsNumeric(tagKvEdlHandle* handle, char* token, unsigned int* value);
EDLBRIDGE_API int edlTokIsSrc(tagKvEdlHandle* handle, char* token);
/* Timecode token: converts it into *frames (also when the result is 0, unless the token
 * begins with a separator) with the mode word *mode, which its separators may change. */
EDLBRIDGE_API int edlTokIsTimecode(tagKvEdlHandle* handle, char* token, unsigned int* frames,
                                   unsigned int* mode);

/* Track field text of a dialect; the text stays valid until the calling thread's next call. */
EDLBRIDGE_API char* edlEditType(edlListTypes listType, unsigned int video, unsigned int audio);
/* The frame-code text, "DROP FRAME" unless a caller wrote through the pointer. */
EDLBRIDGE_API char* edlGetTimecodeText(unsigned int unused);

/* Line input with one line of push-back. getLine: 1 when a line was read, else 0. */
EDLBRIDGE_API unsigned int getLine(tagKvEdlHandle* handle, char* buffer, unsigned int limit);
EDLBRIDGE_API int ungetline(tagKvEdlHandle* handle);
/* Reads a line from a plain stream, keeping its end as LF. The buffer, or null. */
EDLBRIDGE_API char* fedlgets(char* buffer, int limit, FILE* stream);

/* Text utilities. edlStripTrailing returns the length the text had before. */
EDLBRIDGE_API int64_t edlStripTrailing(char* text, int64_t limit);
EDLBRIDGE_API int edlProccessToken(char* text, unsigned int* value);
EDLBRIDGE_API void make_upper_case(char* text);
EDLBRIDGE_API void make_lower_case(char* text);

#endif /* __cplusplus */

#endif /* EDLBRIDGE_H */
