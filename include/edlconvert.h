/*
 * edlconvert: lists and timelines above the records of edlbridge.
 *
 * Where edlbridge reads and writes one event record at a time, edlconvert works with whole
 * lists: the catalogue of list types and timecode modes, timecode text, reading a list (or
 * an OpenTimelineIO timeline) for interchange, detection summaries and event dumps, converting
 * any list or timeline into any writable list type or a timeline, the change list between two
 * cuts, and a picture of a cut. The edlbridge command line and the Python module are built on
 * these functions; any C host can call them.
 *
 * Conventions:
 *  - Every function has C linkage. Functions that can fail return a result code (EDLC_OK on
 *    success) and, when given an edlcStatus, fill it with the code, which file it concerns
 *    and a message a host can show after the file's name ("cannot open: No such file or
 *    directory"). A null status is allowed.
 *  - Texts (JSON, tables, pictures) reach the host through its write function, in pieces, as
 *    they are made; nothing is buffered for a whole list unless the output needs it (a table's
 *    column widths, a picture).
 *  - A list named "-" is standard input; it, and pipes and FIFOs, are copied into a temporary
 *    file first (removed again when the call returns, or when a signal ends the process),
 *    because detection reads the start of a list twice. An output named "-" goes through the
 *    host's write function.
 *  - Separate edlcList handles and separate calls are safe on separate threads; one handle is
 *    used by one thread at a time. The library keeps no state between calls but handles.
 *  - Strings in the catalogue records point at constant data that lives as long as the
 *    library is loaded.
 */
#ifndef EDLCONVERT_H
#define EDLCONVERT_H

#include <stddef.h>
#include <stdint.h>

#include "edlbridge.h"

#define EDLCONVERT_VERSION_STRING EDLBRIDGE_VERSION_STRING

/* Only the functions marked EDLCONVERT_API leave the shared library. */
#if defined(_WIN32) && defined(EDLCONVERT_BUILDING_LIBRARY)
#define EDLCONVERT_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(EDLCONVERT_STATIC)
#define EDLCONVERT_API __declspec(dllimport)
#elif defined(EDLCONVERT_BUILDING_LIBRARY)
#define EDLCONVERT_API __attribute__((visibility("default")))
#else
#define EDLCONVERT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Result codes ---- */
#define EDLC_OK 0u
#define EDLC_END 1u             /* edlcNext: the list has no more events */
#define EDLC_E_ARGUMENT 0x100u  /* a null pointer, an unknown type, mode or format */
#define EDLC_E_OPEN 0x101u      /* a file could not be opened, or is no list or timeline */
#define EDLC_E_READ 0x102u      /* a list or timeline failed while it was read */
#define EDLC_E_WRITE 0x103u     /* an output could not be written; nothing is left of it */
#define EDLC_E_MEMORY 0x104u    /* memory ran out */
#define EDLC_E_REFUSED 0x105u   /* the host's guard refused the output; no message */
#define EDLC_E_OUTPUT 0x106u    /* the host's write function failed */

/* Which file a failure concerns, in edlcStatus.which. */
#define EDLC_AT_NONE 0u
#define EDLC_AT_INPUT 1u   /* the list read (convert, dump, detect), or NEW (diff, timeline) */
#define EDLC_AT_OTHER 2u   /* OLD (diff, timeline --diff) */
#define EDLC_AT_OUTPUT 3u  /* the file written */

typedef struct edlcStatus {
    uint32_t code;      /* the result code the function returned */
    uint32_t which;     /* EDLC_AT_* */
    char message[1024]; /* empty on success; cut to fit */
} edlcStatus;

/* ---- Catalogue: list types and timecode modes, from the records library's own tables ---- */

/* The list type of an OpenTimelineIO timeline: not a list type of edlbridge, but a target
 * and a source of edlcConvert. */
#define EDLC_TYPE_OTIO 0x10000u

typedef struct edlcListType {
    uint32_t value;            /* a value of edlListTypes */
    const char* name;          /* short name ("cmx3600") */
    const char* enumerator;    /* the enumerator in edlbridge.h ("EDLTYPE_CMX3600") */
    const char* dialect;       /* what the dialect is */
    const char* extension;     /* default file extension */
    const char* altExtension;  /* alternative extension, "" when none */
    const char* headerForm;    /* the header the library writes for the type */
    const char* eventForm;     /* the form of its event lines */
    uint32_t readsBackAs;      /* the type detection gives a list written as this type; 0 refused */
    int detected;              /* reading a file can yield this type */
    int written;               /* edlcConvert writes it */
} edlcListType;

/* Number of list types; edlcListTypeAt fills row index (value order) and returns 1, or 0
 * when index is past the end. */
EDLCONVERT_API size_t edlcListTypeCount(void);
EDLCONVERT_API int edlcListTypeAt(size_t index, edlcListType* out);
/* By decimal value, short name or enumerator, any case; 1 when found, else 0. */
EDLCONVERT_API int edlcFindListType(const char* text, edlcListType* out);

typedef struct edlcTcMode {
    uint32_t value;            /* EDL_TC_* */
    const char* name;          /* "ndf", "df", "pal", ... */
    const char* description;   /* "non-drop frame, 30 fps" */
    uint32_t fps;              /* frame numbers per second of its timecode text */
    uint32_t dropped;          /* frame numbers skipped per minute not divisible by ten */
    int dropFrame;             /* ';' before the frames */
    uint32_t frameRate;        /* hundredths of a frame per second (2997 for 29.97) */
} edlcTcMode;

EDLCONVERT_API size_t edlcTcModeCount(void);
EDLCONVERT_API int edlcTcModeAt(size_t index, edlcTcMode* out);
/* By value (decimal or 0x hex) or name, any case; 1 when found, else 0. */
EDLCONVERT_API int edlcFindTcMode(const char* text, edlcTcMode* out);

/* ---- Timecode text ---- */

/* 'HH:MM:SS:FF' (':' ';' '.' ',' between the fields; hours may pass 99) as frames in mode.
 * Returns 1 and sets *frames, or 0 for a text that is no timecode of the mode (a frame or
 * second number out of range, a label a drop-frame count skips). Counts wrap in 32 bits. */
EDLCONVERT_API int edlcParseTimecode(const char* text, uint32_t mode, uint32_t* frames);
/* frames as 'HH:MM:SS:FF' (';' before the frames in drop-frame modes) into buffer, cut to
 * size and terminated; returns the length of the whole text. */
EDLCONVERT_API size_t edlcFormatTimecode(uint32_t frames, uint32_t mode, char* buffer,
                                         size_t size);
/* A position carried into another mode: the same hours, minutes and seconds, the frame
 * number scaled to the new rate. */
EDLCONVERT_API uint32_t edlcRelabel(uint32_t frames, uint32_t fromMode, uint32_t toMode);
/* A length (an effect length, an audio offset) carried into another mode: scaled by the
 * modes' frame numbers per second and rounded to the nearest frame, halves away from 0. */
EDLCONVERT_API int64_t edlcRescale(int64_t frames, uint32_t fromMode, uint32_t toMode);

/* ---- Options of the whole-list functions ---- */

/* A host's output: called with each piece of text; returns 0 on success. */
typedef int (*edlcWriteFn)(void* context, const char* bytes, size_t size);
/* A warning about the list being converted (an event a timeline cannot place, ...). */
typedef void (*edlcWarnFn)(void* context, const char* message);
/* Asked before an output file is written, with its name; returns nonzero to allow it. */
typedef int (*edlcGuardFn)(void* context, const char* output);
/* Told how many events of a list have been read, every EDLC_PROGRESS_STEP events. */
typedef void (*edlcProgressFn)(void* context, size_t events);
#define EDLC_PROGRESS_STEP 4096u

#define EDLC_LEGACY 0x1u  /* read and write with the documented derivations, not interchange */
#define EDLC_ALL 0x2u     /* diff: list unchanged events too */
/* convert: the reel field of CMX-style lists is 32 or 128 characters wide, not 8 */
#define EDLC_REEL_32 0x10u
#define EDLC_REEL_128 0x20u
/* Reading for interchange at a counting rate the host gives, in hundredths of a frame per
 * second (2398, 2400, 2500, 2997, 3000, 5000, 5994, 6000): flags | EDLC_RATE(2500). The
 * list's "FCM:" lines still choose drop or non-drop frame where the rate has both. Without
 * it a list counts at the rate it names. */
#define EDLC_RATE(hundredths) (((uint32_t)(hundredths)&0xFFFFu) << 16)
#define EDLC_RATE_OF(flags) ((uint32_t)(flags) >> 16)

#define EDLC_FORMAT_TEXT 0u   /* detect: lines of text */
#define EDLC_FORMAT_TABLE 1u  /* dump, diff: a table */
#define EDLC_FORMAT_JSON 2u
#define EDLC_FORMAT_CSV 3u    /* dump */
#define EDLC_FORMAT_SVG 4u    /* timeline */
#define EDLC_FORMAT_HTML 5u   /* timeline */
#define EDLC_FORMAT_AVID 6u   /* markers: the editing system's tab-separated marker list */
#define EDLC_FORMAT_EDL 7u    /* markers: the grading system's marker EDL */
#define EDLC_FORMAT_LOC 8u    /* markers: "* LOC:" notes, one a line */
#define EDLC_FORMAT_NOTES 9u  /* markers: review notes CSV (Comment, Commenter, Timecode In...) */
#define EDLC_FORMAT_CDL 10u   /* cdl: one ColorDecisionList file per graded event */
#define EDLC_FORMAT_CC 11u    /* cdl: one ColorCorrection file per graded event */
#define EDLC_FORMAT_CCC 12u   /* cdl: one ColorCorrectionCollection file */

#define EDLC_ID_REEL 0x4u     /* cdl: ids from reels instead of clip names */
#define EDLC_ID_EVENT 0x8u    /* cdl: ids from event numbers */

typedef struct edlcOptions {
    uint32_t flags;           /* EDLC_LEGACY, EDLC_ALL */
    uint32_t format;          /* EDLC_FORMAT_* */
    uint32_t listType;        /* convert: the type to write, or EDLC_TYPE_OTIO */
    uint32_t tcMode;          /* convert: the mode to write; 0 keeps the mode read */
    const char* title;        /* convert: the title to write; null keeps the title read */
    const char* name;         /* the name to show for the (NEW) list; null: its path */
    const char* otherName;    /* the name to show for OLD; null: its path */
    edlcWriteFn write;        /* where texts go (and outputs named "-") */
    void* writeContext;
    edlcWarnFn warn;          /* null: warnings are dropped */
    void* warnContext;
    edlcGuardFn guard;        /* null: every output is allowed */
    void* guardContext;
    edlcProgressFn progress;  /* detect, dump, convert: events read so far; null: none */
    void* progressContext;
    /* Logs without record times, read for interchange: the record time ('HH:MM:SS:FF') their
     * events are laid end to end from; null: 01:00:00:00. */
    const char* recordStart;
} edlcOptions;

/* Sets every field to its default: interchange reading, no write function. */
EDLCONVERT_API void edlcInitOptions(edlcOptions* options);

/* ---- Reading a list or a timeline as records ---- */

typedef struct edlcList edlcList;

/* Opens path: an OpenTimelineIO timeline (a ".otio" name, or JSON with "OTIO_SCHEMA"), or a
 * list the records library detects, read for interchange unless flags has EDLC_LEGACY.
 * Null on failure, with status saying why. */
EDLCONVERT_API edlcList* edlcOpen(const char* path, uint32_t flags, edlcStatus* status);
/* The list record as detection left it (type, title, mode, column line). */
EDLCONVERT_API const EdlList* edlcListRecord(const edlcList* list);
/* 1 when the list was opened from a timeline. */
EDLCONVERT_API int edlcIsTimeline(const edlcList* list);
/* Fills event with the next event: EDLC_OK, EDLC_END at the end, or a failure code. */
EDLCONVERT_API uint32_t edlcNext(edlcList* list, EdlLineVB* event, edlcStatus* status);
/* Events read so far. */
EDLCONVERT_API size_t edlcEventCount(const edlcList* list);
EDLCONVERT_API void edlcClose(edlcList* list);

/* What a reading of the event says beyond its fields, into buffer (cut to size, terminated);
 * each returns the length of the whole text. The clip name: the whole name the list gives
 * (the ten characters of achClipName when read with EDLC_LEGACY). The source file: the media
 * file the event names, empty when none. */
EDLCONVERT_API size_t edlcClipName(const edlcList* list, const EdlLineVB* event, char* buffer,
                                   size_t size);
EDLCONVERT_API size_t edlcSourceFile(const EdlLineVB* event, char* buffer, size_t size);

/* ---- Whole lists ---- */

/* The catalogue as the table `edlbridge types` prints, through options->write. */
EDLCONVERT_API uint32_t edlcWriteTypes(const edlcOptions* options, edlcStatus* status);

/* Reads the list at path to its end and writes its summary (file, type, title, mode, column
 * line, events) as EDLC_FORMAT_TEXT lines or one EDLC_FORMAT_JSON object indented by two
 * spaces (to sit in an array). */
EDLCONVERT_API uint32_t edlcDetect(const char* path, const edlcOptions* options,
                                   edlcStatus* status);

/* Writes every event of the list at path as EDLC_FORMAT_TABLE, _JSON or _CSV, as it reads.
 * A failure after the first piece leaves the printed text incomplete. */
EDLCONVERT_API uint32_t edlcDump(const char* path, const edlcOptions* options,
                                 edlcStatus* status);

/* Reads the list or timeline at input and writes it as options->listType (a list type or
 * EDLC_TYPE_OTIO) into output ("-": through options->write), in options->tcMode, with
 * options->title. options->guard is asked before the output is written. *events, when
 * given, is the number of events written. A failed output leaves nothing behind, and never
 * removes what is no regular file. Without EDLC_LEGACY, grades ("ASC_SOP" and "ASC_SAT"
 * notes) become a log-exchange list's ASC_SOP and ASC_SAT columns and come back from them
 * as notes, and a list whose every event is a marker of the grading system's marker EDL
 * (only '|C:colour |M:name |D:duration' notes), or a marker list, is written as CMX 3600
 * in that system's own form. */
EDLCONVERT_API uint32_t edlcConvert(const char* input, const char* output,
                                    const edlcOptions* options, size_t* events,
                                    edlcStatus* status);

/* ---- The change list between two cuts ---- */

#define EDLC_CHANGE_ADDED 0x01u
#define EDLC_CHANGE_REMOVED 0x02u
#define EDLC_CHANGE_REPLACED 0x04u
#define EDLC_CHANGE_TRIMMED 0x08u
#define EDLC_CHANGE_MOVED 0x10u
#define EDLC_CHANGE_TRANSITION 0x20u
#define EDLC_CHANGE_UNCHANGED 0x40u

typedef struct edlcChange {
    uint32_t kinds;     /* EDLC_CHANGE_* bits */
    int64_t newIndex;   /* index of the event in NEW, -1 when none */
    int64_t oldIndex;   /* index of the event in OLD, -1 when none */
    int64_t head;       /* source in of NEW less OLD's, in frames of NEW's mode */
    int64_t tail;       /* source out */
    int64_t move;       /* record in */
} edlcChange;

typedef struct edlcDiffResult edlcDiffResult;

/* The change list from the cut at oldPath to the cut at newPath, in record order of NEW;
 * unchanged events only when flags has EDLC_ALL. Null on failure, with status saying which
 * list failed and why. */
EDLCONVERT_API edlcDiffResult* edlcDiffLists(const char* oldPath, const char* newPath,
                                             uint32_t flags, edlcStatus* status);
EDLCONVERT_API size_t edlcDiffCount(const edlcDiffResult* result);
EDLCONVERT_API int edlcDiffAt(const edlcDiffResult* result, size_t index, edlcChange* out);
/* 1 when nothing changed. */
EDLCONVERT_API int edlcDiffSame(const edlcDiffResult* result);
EDLCONVERT_API void edlcDiffFree(edlcDiffResult* result);
/* The name of one EDLC_CHANGE_* bit ("added", "trimmed", ...); null for any other value. */
EDLCONVERT_API const char* edlcChangeName(uint32_t kind);

/* The change list as EDLC_FORMAT_TABLE or _JSON through options->write; *same, when given,
 * is 1 when the cuts are the same. */
EDLCONVERT_API uint32_t edlcDiff(const char* oldPath, const char* newPath,
                                 const edlcOptions* options, int* same, edlcStatus* status);

/* ---- The picture of a cut ---- */

/* Draws the cut at path as EDLC_FORMAT_SVG or _HTML into output ("-": through
 * options->write), its boxes marked with the changes since oldPath when that is not null.
 * *events, when given, is the number of events the list holds (a transition's outgoing
 * record among them, though it is drawn as part of the transition). */
EDLCONVERT_API uint32_t edlcTimeline(const char* path, const char* oldPath, const char* output,
                                     const edlcOptions* options, size_t* events,
                                     edlcStatus* status);

/* ---- Markers and grades around a cut ---- */

/* Reads the markers of the file at path (a marker list: the editing system's tab-separated
 * export, the finishing system's "Timeline Bookmarks" CSV, a review service's notes CSV; or
 * the "LOC:" and grading-system notes of any list or timeline) and writes them into output
 * ("-": through options->write) as options->format: EDLC_FORMAT_JSON ({"markers": [...]},
 * one object per marker with timecode, frames, track, colour, name, comment, duration),
 * _AVID, _CSV (the bookmarks CSV), _EDL, _LOC or _NOTES. options->tcMode, when not 0, is the
 * rate of a marker list's timecodes (lists and timelines are moved into it). *count, when
 * given, is the number of markers. */
EDLCONVERT_API uint32_t edlcMarkers(const char* path, const char* output,
                                    const edlcOptions* options, size_t* count,
                                    edlcStatus* status);
/* The same for markers given as the JSON edlcMarkers writes (timecode or frames per marker;
 * the other fields may be left out), read in options->tcMode (0: from the timecodes). */
EDLCONVERT_API uint32_t edlcWriteMarkers(const char* json, const char* output,
                                         const edlcOptions* options, size_t* count,
                                         edlcStatus* status);

/* Reads the list or timeline at path and writes the grade of every event that has an
 * "ASC_SOP" or "ASC_SAT" note (or ASC_SOP and ASC_SAT log columns): as EDLC_FORMAT_CDL or
 * _CC, one file per event in directory, named and identified by its clip name (by its reel
 * with EDLC_ID_REEL, its event number with EDLC_ID_EVENT in options->flags), ids made unique;
 * as _CCC one collection named after options->name (else the list's name); as _JSON
 * ({"corrections": [...]}, values as numbers) through options->write. Values are written as
 * the list gives them. *count, when given, is the number of graded events. */
EDLCONVERT_API uint32_t edlcCdl(const char* path, const char* directory,
                                const edlcOptions* options, size_t* count, edlcStatus* status);
/* Writes grades given as the JSON edlcCdl writes, as edlcCdl writes files. */
EDLCONVERT_API uint32_t edlcWriteCdl(const char* json, const char* directory,
                                     const edlcOptions* options, size_t* count,
                                     edlcStatus* status);

/* ---- Files ---- */

/* 1 when both names reach one existing file (through links and other spellings); "-" is
 * never a file. */
EDLCONVERT_API int edlcSameFile(const char* a, const char* b);

#ifdef __cplusplus
}
#endif

#endif
