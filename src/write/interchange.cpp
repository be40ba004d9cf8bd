// Lists written for interchange (the list flag EDL_LF_INTERCHANGE): CMX-style event lists in
// the standard columns with every note of an event, and log-exchange lists as real
// tab-delimited logs. What the events hold is written; nothing is invented.
#include <cstdio>
#include <cstring>

#include "core/handle.h"
#include "core/list_types.h"
#include "core/portable.h"
#include "core/tc_modes.h"
#include "columns/columns.h"
#include "parse/classify.h"
#include "parse/reader.h"
#include "write/writers.h"

namespace edlb {
namespace {

constexpr size_t kFieldSize = 32;

bool beginsNoCaseText(const char* text, size_t length, const char* keyword) {
    const size_t n = std::strlen(keyword);
    return length >= n && strncasecmp(text, keyword, n) == 0;
}

bool isTransition(char editType) {
    return editType == 'D' || editType == 'W' || editType == 'K';
}

// The lines of an event's comment, as (start, length) pairs into the comment.
struct NoteLines {
    static constexpr size_t kMax = kCommentMax / 2 + 1;
    const char* start[kMax];
    size_t length[kMax];
    size_t count = 0;

    explicit NoteLines(const char* comment) {
        if (comment == nullptr) return;
        const size_t total = strnlen(comment, kCommentMax);
        size_t from = 0;
        while (from < total && count < kMax) {
            const char* end = static_cast<const char*>(std::memchr(comment + from, '\n', total - from));
            const size_t to = end != nullptr ? static_cast<size_t>(end - comment) : total;
            if (to > from) {
                start[count] = comment + from;
                length[count] = to - from;
                ++count;
            }
            from = to + 1;
        }
    }
    bool begins(size_t i, const char* keyword) const {
        return beginsNoCaseText(start[i], length[i], keyword);
    }
    bool any(const char* keyword, size_t from = 0) const {
        for (size_t i = from; i < count; ++i) {
            if (begins(i, keyword)) return true;
        }
        return false;
    }
    // The text after keyword on line i (which begins with it), blanks trimmed: its start, and
    // its length in n.
    const char* after(size_t i, const char* keyword, size_t& n) const {
        const char* p = start[i] + std::strlen(keyword);
        n = length[i] - std::strlen(keyword);
        while (n > 0 && (*p == ' ' || *p == '\t')) ++p, --n;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t')) --n;
        return p;
    }
};

// The clip's whole name: szName when it holds no file name, else the name a note gives when
// it begins with the ten characters of szClipName, else szClipName.
void wholeClipName(const EdlLine& event, const NoteLines& notes, char* out) {
    out[0] = '\0';
    if ((event.dwPresent & EDL_P_FILE_NAME) == 0 && event.szName != nullptr &&
        event.szName[0] != '\0') {
        std::snprintf(out, kNameMax + 1, "%s", event.szName);
        return;
    }
    const char* clip = event.szClipName != nullptr ? event.szClipName : "";
    const size_t clipLength = strnlen(clip, kClipNameMax);
    const char* const keywords[] = {"TO CLIP NAME:", "FROM CLIP NAME:"};
    for (const char* keyword : keywords) {
        if (keyword[0] == 'T' && !isTransition(event.chEditType)) continue;
        for (size_t i = 0; i < notes.count; ++i) {
            if (!notes.begins(i, keyword)) continue;
            size_t n = 0;
            const char* p = notes.after(i, keyword, n);
            if (n >= clipLength && n <= kNameMax && std::memcmp(p, clip, clipLength) == 0) {
                std::memcpy(out, p, n);
                out[n] = '\0';
                return;
            }
        }
    }
    std::snprintf(out, kNameMax + 1, "%.*s", static_cast<int>(clipLength), clip);
}

const char* fileNameOf(const EdlLine& event) {
    return (event.dwPresent & EDL_P_FILE_NAME) != 0 && event.szName != nullptr ? event.szName : "";
}

// The "AUD" line of the audio tracks a CMX track field cannot hold (A3 and up): 'AUD  3    4'.
bool audioLine(uint32_t audio, char* out, size_t size) {
    if ((audio & ~3u) == 0) return false;
    int used = std::snprintf(out, size, "AUD");
    bool first = true;
    for (unsigned track = 3; track <= 16 && used > 0 && static_cast<size_t>(used) < size; ++track) {
        if ((audio & (1u << (track - 1))) == 0) continue;
        used += std::snprintf(out + used, size - static_cast<size_t>(used), first ? "%3u" : "%5u",
                              track);
        first = false;
    }
    return true;
}

// A single audio channel above A2, which a CMX 3600 track field names by itself ('A3').
bool isSingleChannel(const EdlLine& event, const NoteLines& notes) {
    const uint32_t high = event.dwAudioTracks & 0xFFFCu;
    return (event.dwVideoTracks & 1u) == 0 && (event.dwAudioTracks & 3u) == 0 && high != 0 &&
           (high & (high - 1)) == 0 && (event.dwAudioTracks & ~0xFFFFu) == 0 && !notes.any("AUD");
}

// The transition field: 'C' padded to eight, 'D    030', 'W001 030', 'K    030', 'KB   030'.
void transitionField(const EdlLine& event, char* out) {
    char number[16];
    switch (event.chEditType) {
        case 'D': {
            // A dissolve read from 'D 030' holds its length as the number after the letter.
            const uint32_t length = event.dwEffectLen != 0 ? event.dwEffectLen : event.dwWipeCode;
            std::snprintf(number, sizeof number, "%03u", length);
            std::snprintf(out, kFieldSize, "D%7s", number);
            return;
        }
        case 'W':
            std::snprintf(out, kFieldSize, "W%03u %03u", event.dwWipeCode, event.dwEffectLen);
            return;
        case 'K': {
            const char kind = event.szEffectText[0] == 'B' || event.szEffectText[0] == 'O'
                                  ? event.szEffectText[0]
                                  : '\0';
            std::snprintf(number, sizeof number, "%03u", event.dwEffectLen);
            if (kind != '\0') {
                std::snprintf(out, kFieldSize, "K%c%6s", kind, number);
            } else {
                std::snprintf(out, kFieldSize, "K%7s", number);
            }
            return;
        }
        default:
            std::snprintf(out, kFieldSize, "C       ");
            return;
    }
}

void putLineEnd(FILE* file) { putText(file, kCrlf); }

// A note as CMX lists carry it: motion, audio channel and effect name lines as they are,
// every other note behind '* '.
void putNote(FILE* file, const char* text, size_t length) {
    const bool verbatim = beginsNoCaseText(text, length, "M2") ||
                          beginsNoCaseText(text, length, "AUD") ||
                          beginsNoCaseText(text, length, "EFFECTS NAME IS");
    if (!verbatim) putText(file, "* ");
    putBytes(file, text, length);
    putLineEnd(file);
}

// The notes a CMX list carries for an event: its comment lines from line `from` on, with the
// notes the event's fields need and its lines do not give (an "AUD" line for tracks above A2,
// the clip's name, its source file) put where editing systems write them: the audio line,
// then the clip name, then the source file, each after the ones already there.
struct NotePlan {
    static constexpr size_t kMax = NoteLines::kMax + 3;
    const char* text[kMax];
    size_t length[kMax];
    size_t count = 0;
    char audio[96];
    char clipNote[kNameMax + 20];
    char fileNote[kNameMax + 20];

    // cmx3600: the tracks are written as CMX 3600 codes, which name a single channel above
    // A2 without an "AUD" line.
    NotePlan(const EdlLine& event, const NoteLines& notes, size_t from, bool cmx3600 = true) {
        char name[kNameMax + 1];
        wholeClipName(event, notes, name);
        const char* media = fileNameOf(event);
        // What the library's "; name" ending of the last note says is not said again.
        char endingClip[kClipNameMax + 1] = "";
        char endingFile[kNameMax + 1] = "";
        if (notes.count > from) {
            // The notes from line `from` on, as the comment that reads back will hold them.
            char rest[kCommentMax + 1];
            const size_t n = static_cast<size_t>(notes.start[notes.count - 1] +
                                                 notes.length[notes.count - 1] - notes.start[from]);
            std::memcpy(rest, notes.start[from], n);
            rest[n] = '\0';
            semicolonNames(rest, endingClip, endingFile);
        }
        const bool needAudio = audioLine(event.dwAudioTracks, audio, sizeof audio) &&
                               !notes.any("AUD", from) &&
                               !(cmx3600 && isSingleChannel(event, notes));
        const bool clipNoted = notes.any("FROM CLIP NAME:", from) ||
                               (isTransition(event.chEditType) && notes.any("TO CLIP NAME:", from));
        const bool needClip = name[0] != '\0' && !clipNoted && std::strcmp(endingClip, name) != 0;
        const bool needFile = media[0] != '\0' && !notes.any("SOURCE FILE:", from) &&
                              !notes.any("FROM FILE:", from) && std::strcmp(endingFile, media) != 0;
        if (needClip) std::snprintf(clipNote, sizeof clipNote, "FROM CLIP NAME: %s", name);
        if (needFile) std::snprintf(fileNote, sizeof fileNote, "SOURCE FILE: %s", media);

        size_t i = from;
        if (needAudio) {
            add(audio, std::strlen(audio));
        } else if (i < notes.count && notes.begins(i, "AUD")) {
            add(notes.start[i], notes.length[i]), ++i;
        }
        if (needClip) {
            add(clipNote, std::strlen(clipNote));
        } else if (i < notes.count && notes.begins(i, "FROM CLIP NAME:")) {
            add(notes.start[i], notes.length[i]), ++i;
        }
        if (needFile) {
            add(fileNote, std::strlen(fileNote));
        } else if (i < notes.count && notes.begins(i, "SOURCE FILE:")) {
            add(notes.start[i], notes.length[i]), ++i;
        }
        for (; i < notes.count; ++i) add(notes.start[i], notes.length[i]);
    }

    void add(const char* t, size_t n) {
        if (count < kMax) text[count] = t, length[count++] = n;
    }

    // True when the plan gives exactly the lines of notes.
    bool reproduces(const NoteLines& notes) const {
        if (count != notes.count) return false;
        for (size_t i = 0; i < count; ++i) {
            if (length[i] != notes.length[i] || std::memcmp(text[i], notes.start[i], length[i]) != 0) {
                return false;
            }
        }
        return true;
    }
};

// Tracks as log-exchange lists spell them: 'V', 'V2', 'A1' ... run together ('VA1A2').
void logTracks(const EdlLine& event, char (&tracks)[96]) {
    tracks[0] = '\0';
    size_t used = 0;
    for (unsigned v = 1; v <= 8; ++v) {
        if ((event.dwVideoTracks & (1u << (v - 1))) == 0) continue;
        used += static_cast<size_t>(std::snprintf(tracks + used, sizeof tracks - used,
                                                  v == 1 ? "V" : "V%u", v));
    }
    for (unsigned a = 1; a <= 16; ++a) {
        if ((event.dwAudioTracks & (1u << (a - 1))) == 0) continue;
        used += static_cast<size_t>(std::snprintf(tracks + used, sizeof tracks - used, "A%u", a));
    }
}

// The first note the comments cell carries. The notes the log's own columns carry (the audio
// line of the tracks, the clip name, the source file) stay out of its comments where a CMX
// list written from the log would write them again, in the same place.
size_t firstCommentNote(const EdlLine& event, const NoteLines& notes) {
    for (size_t drop = notes.count < 3 ? notes.count : 3; drop > 0; --drop) {
        const NotePlan plan(event, notes, drop);
        if (plan.reproduces(notes)) return drop;
    }
    return 0;
}

// The transition field without the blanks that pad it to its width in an event line.
void logTransition(const EdlLine& event, char (&transition)[kFieldSize]) {
    transitionField(event, transition);
    size_t end = std::strlen(transition);
    while (end > 0 && transition[end - 1] == ' ') --end;
    transition[end] = '\0';
}

// Cells hold no tab and no line break: a tab in a text becomes a blank.
void putCell(FILE* file, const char* text, size_t length) {
    for (size_t k = 0; k < length; ++k) {
        const char c = text[k];
        std::fputc(c == '\t' || c == '\r' || c == '\n' ? ' ' : c, file);
    }
}

void putTextCell(FILE* file, const char* text) { putCell(file, text, std::strlen(text)); }

// The comments cell: the note lines from `first` on, joined by " | " since a cell cannot hold
// a line break (the column reader splits them there again).
void putNotesCell(FILE* file, const NoteLines& notes, size_t first, const bool* used) {
    bool any = false;
    for (size_t i = first; i < notes.count; ++i) {
        if (used[i]) continue;
        if (any) std::fputs(" | ", file);
        putCell(file, notes.start[i], notes.length[i]);
        any = true;
    }
}

// Note line i is the note "COLUMN: value" of a kept column.
bool isColumnNote(const NoteLines& notes, size_t i, const char* column) {
    const size_t n = std::strlen(column);
    return notes.length[i] >= n + 1 && std::memcmp(notes.start[i], column, n) == 0 &&
           notes.start[i][n] == ':';
}

// Calls keep(name) for each column of the list's column line that no reader interprets: the
// columns a log read for interchange kept as notes, written again as columns.
template <typename Keep>
void forEachKeptColumn(const EdlList& list, Keep keep) {
    char name[kColumnLineMax + 1];
    const char* p = list.szColumnLine;
    const char* end = p + strnlen(list.szColumnLine, sizeof list.szColumnLine);
    while (p < end) {
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
        const size_t length = static_cast<size_t>((tab != nullptr ? tab : end) - p);
        std::memcpy(name, p, length);
        name[length] = '\0';
        if (isKeptColumn(name)) keep(name);
        p += length + 1;
    }
}

}  // namespace

InterchangeForm interchangeForm(const EdlList& list) {
    if ((list.dwFlags & EDL_LF_INTERCHANGE) == 0) return InterchangeForm::None;
    return listTypeInfo(list.dwListType).interchange;
}

void writeInterchangeHeader(tagKvEdlHandle* handle) {
    FILE* file = handle->pFile;
    EdlList& list = handle->list;
    const TcMode& mode = tcMode(handle->dwTcFlags);
    if (interchangeForm(list) == InterchangeForm::CmxEvents) {
        // The title and frame code mode as the list has them; an empty title is no line.
        list.szTitle[sizeof list.szTitle - 1] = '\0';
        edlStripTrailing(list.szTitle, static_cast<int64_t>(sizeof list.szTitle - 1));
        if (list.szTitle[0] != '\0') {
            putText(file, "TITLE: ");
            putText(file, list.szTitle);
            putLineEnd(file);
        }
        putBytes(file, mode.fcm, std::strlen(mode.fcm) - 1);  // without the table's blank
        putLineEnd(file);
        putLineEnd(file);
        return;
    }
    const uint32_t kHz = list.dwAudioKHz != 0 ? list.dwAudioKHz : 44;
    std::fprintf(file,
                 "Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\t%s\r\nAUDIO_FORMAT\t%ukHz\r\n"
                 "FPS\t%s\r\n\r\nColumn\r\n%s",
                 mode.logVideo, kHz, mode.logFps, kLogColumns);
    forEachKeptColumn(list, [file](const char* name) {
        std::fputc('\t', file);
        putTextCell(file, name);
    });
    putText(file, "\r\n\r\nData\r\n");
}

void writeCmxEvent(tagKvEdlHandle* handle, const EdlLine& event, const char* const tc[6],
                   const char* track) {
    FILE* file = handle->pFile;
    const unsigned number =
        (event.dwPresent & EDL_P_EDIT_NUMBER) != 0 ? event.dwEditNum : handle->dwEventCount + 1;
    char transition[kFieldSize];
    transitionField(event, transition);
    const NoteLines notes(event.szComment);
    const char* field = track;
    const bool cmx3600 = listTypeInfo(handle->list.dwListType).tracks == TrackGroup::G3;
    if (cmx3600) {
        // CMX 3600 codes: 'A' is audio 1, 'B' video and audio 1; audio above A2 alone is
        // "NONE" with its "AUD" line, or a single channel 'A3' where no "AUD" line says more.
        field = cmx3600TrackCode(event.dwVideoTracks, event.dwAudioTracks, !notes.any("AUD"));
    } else if ((event.dwVideoTracks & 1u) == 0 && (event.dwAudioTracks & 3u) == 0 &&
               (event.dwAudioTracks & ~3u) != 0) {
        // Tracks the field cannot name (audio above A2 alone) are "NONE" with an "AUD" line.
        field = "NONE";
    }
    const char* reel = event.szReel != nullptr ? event.szReel : "";
    const uint32_t flags = handle->list.dwFlags;
    const int reelWidth = (flags & EDL_LF_REEL_128) != 0 ? 128 : (flags & EDL_LF_REEL_32) != 0 ? 32 : 8;
    std::fprintf(file, "%03u  %-*.*s %-5s %s %s %s %s %s\r\n", number, reelWidth,
                 static_cast<int>(strnlen(reel, kReelMax)), reel, field, transition, tc[0],
                 tc[1], tc[2], tc[3]);

    NotePlan plan(event, notes, 0, cmx3600);
    for (size_t i = 0; i < plan.count; ++i) putNote(file, plan.text[i], plan.length[i]);
}

void writeLogRow(tagKvEdlHandle* handle, const EdlLine& event, const char* const tc[6]) {
    FILE* file = handle->pFile;
    const NoteLines notes(event.szComment);
    char name[kNameMax + 1];
    wholeClipName(event, notes, name);
    char tracks[96];
    logTracks(event, tracks);
    const size_t first = firstCommentNote(event, notes);
    char transition[kFieldSize];
    logTransition(event, transition);

    // The cells in the order of kLogColumns.
    const char* reel = event.szReel != nullptr ? event.szReel : "";
    putTextCell(file, name);
    std::fprintf(file, "\t%s\t%s\t%s\t", tracks, tc[0], tc[1]);
    putCell(file, reel, strnlen(reel, kReelMax));
    std::fputc('\t', file);
    putTextCell(file, fileNameOf(event));
    std::fputc('\t', file);
    // The notes of kept columns go to their columns, the others to the comments.
    static thread_local bool used[NoteLines::kMax];
    std::memset(used, 0, sizeof used);
    forEachKeptColumn(handle->list, [&notes](const char* column) {
        for (size_t i = 0; i < notes.count; ++i) {
            if (!used[i] && isColumnNote(notes, i, column)) {
                used[i] = true;
                break;
            }
        }
    });
    putNotesCell(file, notes, first, used);
    // Marks where the event has them.
    const bool marked = event.dwMarkIn != 0 || event.dwMarkOut != 0;
    std::fprintf(file, "\t%s\t%s\t%s\t%s\t", marked ? tc[4] : "", marked ? tc[5] : "", tc[2],
                 tc[3]);
    if ((event.dwPresent & EDL_P_EDIT_NUMBER) != 0) std::fprintf(file, "%u", event.dwEditNum);
    std::fprintf(file, "\t%s", transition);
    // Each kept column's value: the text after "NAME:" in its note.
    forEachKeptColumn(handle->list, [file, &notes](const char* column) {
        std::fputc('\t', file);
        for (size_t i = 0; i < notes.count; ++i) {
            if (used[i] && isColumnNote(notes, i, column)) {
                size_t skip = std::strlen(column) + 1;
                while (skip < notes.length[i] && notes.start[i][skip] == ' ') ++skip;
                putCell(file, notes.start[i] + skip, notes.length[i] - skip);
                used[i] = false;  // a second column of the name takes the next note
                break;
            }
        }
    });
    putLineEnd(file);
}

}  // namespace edlb
