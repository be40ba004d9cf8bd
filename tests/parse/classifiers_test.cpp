// Line and token classifiers and the comment rules, driven by tests/data/parse/*.tsv.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/handle.h"
#include "core/list_types.h"
#include "parse/case_table.h"
#include "parse/classify.h"
#include "parse/reader.h"

namespace {

using namespace edlbtest;

// A reading handle without a file: these rules only look at its list record and sources.
struct Handle {
    explicit Handle(uint32_t flags = 0, uint32_t listType = EDLTYPE_NONE) : h(new tagKvEdlHandle()) {
        kv_ListInit(&h->sources);
        edlInitEdlListStruct(&h->list);
        h->list.dwFlags = flags;
        h->list.dwListType = listType;
    }
    ~Handle() {
        while (kv_ListCount(&h->sources) != 0) edlb::deleteSourceEntry(static_cast<EdlSourceEntry*>(kv_ListRemoveTail(&h->sources)));
        kv_ListClose(&h->sources);
    }
    tagKvEdlHandle* get() { return h.get(); }
    std::unique_ptr<tagKvEdlHandle> h;
};

// An event record with its own text buffers, so no case shares the library's statics.
struct Event {
    EdlLine line{};
    char clip[EDL_CLIPNAME_SIZE] = {}, name[EDL_NAME_SIZE] = {}, comment[EDL_COMMENT_SIZE] = {};
    char reel[EDL_REEL_SIZE] = {}, raw[EDL_LINE_SIZE] = {};
    Event() {
        line.szClipName = clip, line.szName = name, line.szComment = comment;
        line.szReel = reel, line.szLine = raw;
    }
    std::string fields() const {
        return "comment=" + q(comment) + " clip=" + q(clip) + " name=" + q(name) + " reel=" + q(reel) +
               " present=" + hex(line.dwPresent);
    }
};

// Line, then optional list flags, list type and title before.
Runner lineTest(int (*fn)(tagKvEdlHandle*, char*)) {
    return [fn](const Args& a) {
        Handle h(num(a.size() > 1 ? a[1] : ""), num(a.size() > 2 ? a[2] : ""));
        if (a.size() > 3) std::strcpy(h.get()->list.szTitle, a[3].c_str());
        auto line = writable(a[0]);
        const int result = fn(h.get(), line.data());
        // No classifier may change the line it looks at; edlLineIsEdit is the one that could.
        return std::to_string(result) + (std::string(line.data()) == a[0] ? "" : " changed") +
               (h.get()->list.szTitle[0] ? " title=" + q(h.get()->list.szTitle) : "");
    };
}

// The first word of a line as a tokenizer hands it over: the token, and what follows its separator.
char* firstToken(std::vector<char>& line, const char** rest) {
    char* save = nullptr;
    char* token = strtok_r(line.data(), " \t\r\n", &save);
    *rest = token != nullptr && save != token + std::strlen(token) ? save : nullptr;
    return token;
}

const std::map<std::string, Runner> kClassifiers = {
    {"aud", lineTest(edlLineIsAud)}, {"gpi", lineTest(edlLineIsGpi)}, {"m2", lineTest(edlLineIsM2)},
    {"ms", lineTest(edlLineIsMS)}, {"swm", lineTest(edlLineIsSwitcher)}, {"bl", lineTest(edlTokIsSrc)},
    {"clip", lineTest(edlLineIsClip)}, {"comment", lineTest(edlLineIsComment)},
    {"edit", lineTest(edlLineIsEdit)},
    {"title", lineTest(edlLineIsTitle)},
    {"interchange_event", lineTest([](tagKvEdlHandle* h, char* line) {
         return edlb::isInterchangeEventLine(h, line) ? 1 : 0;
     })},
    {"cmx_tracks", [](const Args& a) {
         auto token = writable(a[0]);
         unsigned video = 0, audio = 0;
         const bool known = edlb::cmxTrackCode(token.data(), &video, &audio);
         return std::to_string(known) + " V" + hex(video) + " A" + hex(audio);
     }},
    {"fcm", [](const Args& a) {  // line, default mode
         Handle h;
         auto line = writable(a[0]);
         unsigned mode = 0xDEAD;
         const int result = edlLineIsFcm(h.get(), line.data(), num(a[1]), &mode);
         return std::to_string(result) + " " + hex(mode);
     }},
    {"tc", [](const Args& a) {  // token, list flags, mode before
         Handle h(num(a[1]));
         auto token = writable(a[0]);
         unsigned frames = 0xDEADBEEF, mode = num(a[2]);
         const int result = edlTokIsTimecode(h.get(), token.data(), &frames, &mode);
         return std::to_string(result) + " mode=" + hex(mode) + " frames=" + hex(frames);
     }},
    {"tracks", [](const Args& a) {
         Handle h;
         auto token = writable(a[0]);
         unsigned video = 0xDEAD, audio = 0xBEEF;
         const int result = edlTokEditType(h.get(), token.data(), &video, &audio);
         return std::to_string(result) + " V" + hex(video) + " A" + hex(audio);
     }},
    {"numeric", [](const Args& a) {
         Handle h;
         auto token = writable(a[0]);
         unsigned value = 0xDEAD;
         const int result = edlTokIsNumeric(h.get(), token.data(), &value);
         return std::to_string(result) + " " + hex(value);
     }},
    // The token on its own, or (second field "line") the first word of its tokenized line.
    {"effect", [](const Args& a) {
         auto text = writable(a[0]);
         const char* rest = nullptr;
         char* token = a[1].empty() ? text.data() : firstToken(text, &rest);
         char type = '?';
         unsigned number = 0xDEAD;
         int dw = 7, key = 7;
         const int result = a[1].empty() ? edlTokEffectType(nullptr, token, &type, &number, &dw, &key)
                                         : edlb::tokEffectType(token, rest, &type, &number, &dw, &key);
         return std::to_string(result) + " " + type + " " + hex(number) + " " + std::to_string(dw) + " " + std::to_string(key);
     }},
    {"comment_token", [](const Args& a) {  // on its own, then inside its tokenized line
         auto line = writable(a[0]);
         const char* rest = nullptr;
         char* token = firstToken(line, &rest);
         if (token == nullptr) return std::to_string(edlTokIsComment(nullptr, line.data()));
         return std::to_string(edlTokIsComment(nullptr, token)) + " " +
                std::to_string(edlb::tokIsComment(token, rest));
     }},
    // Comment pieces separated by line breaks; a piece starting with '=' is appended as text.
    {"append", [](const Args& a) {
         Event e;
         edlb::ReadState state;
         std::string lengths;
         std::istringstream pieces(a[0]);
         for (std::string piece; std::getline(pieces, piece);) {
             if (piece[0] == '=') edlb::appendCommentText(&e.line, piece.c_str() + 1, state);
             else edlb::appendCommentLine(&e.line, piece.c_str(), state);
             lengths += " " + std::to_string(state.commentLength);
         }
         return q(e.comment) + lengths;
     }},
    // Interchange: each piece is a note line of its own.
    {"notes", [](const Args& a) {
         Event e;
         edlb::ReadState state;
         state.interchange = true;
         std::string lengths;
         std::istringstream pieces(a[0]);
         for (std::string piece; std::getline(pieces, piece);) {
             edlb::appendNoteLine(&e.line, piece.c_str(), state);
             lengths += " " + std::to_string(state.commentLength);
         }
         return q(e.comment) + lengths;
     }},
    // Interchange names: comment (its lines), edit type, present before, clip name before,
    // name before, the whole name of a clip line.
    {"names", [](const Args& a) {
         Event e;
         edlb::ReadState state;
         state.interchange = true;
         std::snprintf(e.comment, sizeof e.comment, "%s", a[0].c_str());
         e.line.chEditType = a[1].empty() ? 'C' : a[1][0];
         e.line.dwPresent = num(a[2]);
         std::snprintf(e.clip, sizeof e.clip, "%s", a[3].c_str());
         std::snprintf(e.name, sizeof e.name, "%s", a[4].c_str());
         std::snprintf(state.clipName, sizeof state.clipName, "%s", a[5].c_str());
         edlb::analyseNotes(&e.line, state);
         return e.fields();
     }},
    {"aud_tracks", [](const Args& a) {
         return hex(edlb::audioLineTracks(a[0].c_str()));
     }},
    {"analyse", [](const Args& a) {  // comment, video, audio, title, present before, clip before
         Handle h;
         h.get()->list.dwTcMode = EDL_TC_NDF;
         h.get()->dwTcFlags = 0x30102;
         h.get()->dwReading = 1;
         std::snprintf(h.get()->list.szTitle, sizeof h.get()->list.szTitle, "%s", a[3].c_str());
         Event e;
         std::snprintf(e.comment, sizeof e.comment, "%s", a[0].c_str());
         std::strcpy(e.clip, a[5].c_str());
         e.line.dwVideoTracks = num(a[1]), e.line.dwAudioTracks = num(a[2]), e.line.dwPresent = num(a[4]);
         e.line.dwSrcIn = 108000;  // 01:00:00:00 non-drop
         edlb::analyseComment(h.get(), &e.line);
         return e.fields();
     }},
    {"note", [](const Args& a) {  // comment, clip, reel
         Event e;
         std::strcpy(e.comment, a[0].c_str()), std::strcpy(e.clip, a[1].c_str()), std::strcpy(e.reel, a[2].c_str());
         edlb::applyNoteRule(&e.line);
         return e.fields();
     }},
    // Source table ("" for none, else name=value pairs), reel, clip, comment before; comment
    // lines read afterwards must land after what the lookup wrote.
    {"source", [](const Args& a) {
         Handle h;
         std::istringstream table(a[0]);
         for (std::string pair; table >> pair;) {
             const std::string name = pair.substr(0, pair.find('=')), value = pair.substr(pair.find('=') + 1);
             kv_ListAddTail(&h.get()->sources, edlb::newSourceEntry(name.c_str(), name.size(), value.c_str(), value.size()));
         }
         Event e;
         std::strcpy(e.reel, a[1].c_str()), std::strcpy(e.clip, a[2].c_str()), std::strcpy(e.comment, a[3].c_str());
         edlb::ReadState state;
         state.commentLength = a[3].size();
         edlb::lookupSource(h.get(), &e.line, state);
         edlb::appendCommentLine(&e.line, "* later", state);
         return e.fields() + " length=" + std::to_string(state.commentLength);
     }},
};

TEST(Classifiers, Table) { edlbtest::checkTable("parse/classifiers.tsv", kClassifiers); }
TEST(CommentRules, Table) { edlbtest::checkTable("parse/comment_rules.tsv", kClassifiers); }

TEST(Classifiers, EditLineLongerThanTheLineBufferIsCopiedOnTheHeap) {
    // A host may hand over any length; such a line is copied to the heap, and a failed
    // allocation makes it "no event" rather than a crash.
    const std::string event = "001  AX  V  C  01:00:00:00 01:00:10:00";
    for (size_t padding : {edlb::kLineLimit - event.size(), edlb::kLineLimit - event.size() + 1, size_t{100000}}) {
        Handle h;
        auto line = writable(event + std::string(padding, ' '));
        EXPECT_EQ(edlLineIsEdit(h.get(), line.data()), 1) << line.size();
        edlb::g_failPrivateAllocations = true;
        EXPECT_EQ(edlLineIsEdit(h.get(), line.data()), line.size() - 1 < edlb::kLineBufferSize ? 1 : 0);
        edlb::g_failPrivateAllocations = false;
    }
}

TEST(Classifiers, OneLetterTokensNeverReadPastTheirTerminator) {
    // Exactly two bytes on the heap: the sanitizer build catches any read of a third.
    for (char letter : {'D', 'W', 'd', 'w', '*', ';', '\''}) {
        std::unique_ptr<char[]> token(new char[2]{letter, '\0'});
        char type = '?';
        unsigned number = 0xDEAD;
        int dw = 7, key = 7;
        const int effect = edlTokEffectType(nullptr, token.get(), &type, &number, &dw, &key);
        EXPECT_EQ(number, effect ? 0u : 0xDEADu) << letter;
        EXPECT_EQ(edlTokIsComment(nullptr, token.get()), letter == '*' || letter == ';' || letter == '\'');
    }
}

// The tracks a dialect's track field can express, as the reader must get them back.
void expressible(edlb::TrackGroup group, unsigned v, unsigned a, unsigned* ev, unsigned* ea) {
    switch (group) {
        case edlb::TrackGroup::G1: *ev = v & 0xFF, *ea = a & 0xFFFF; break;
        case edlb::TrackGroup::G3: *ea = a & 3, *ev = *ea == 0 ? 1 : (v & 1); break;  // "V" when no audio
        case edlb::TrackGroup::G4:  // "A" is both channels, "V" stands alone
            *ea = (a & 3) ? 3 : 0, *ev = (*ea == 0 || (v & 1)) ? 1 : 0;
            break;
        case edlb::TrackGroup::G6: *ev = v & 1, *ea = a & 3; break;
        default: *ev = v & 1, *ea = a & 0xF; break;
    }
}

TEST(Classifiers, TrackFieldsTheWriterProducesReadBack) {
    std::vector<std::pair<unsigned, unsigned>> masks;
    for (unsigned v = 0; v < 256; ++v)
        for (unsigned a : {0u, 1u, 2u, 3u, 0x200u, 0x8001u, 0xFFFFu}) masks.push_back({v, a});
    for (unsigned a = 0; a < 0x10000; ++a)
        for (unsigned v : {0u, 1u, 0x80u, 0xFFu}) masks.push_back({v, a});
    Handle h;
    for (edlListTypes type : {EDLTYPE_XJT_LIST, EDLTYPE_CMX3600, EDLTYPE_12, EDLTYPE_MEDIA_LOG,
                              EDLTYPE_GENERIC, EDLTYPE_DS}) {
        int failures = 0;
        for (auto it = masks.begin(); it != masks.end() && failures <= 5; ++it) {
            const std::string field = edlEditType(type, it->first, it->second);
            unsigned video = 0, audio = 0, ev = 0, ea = 0;
            bool accepted = true;
            auto copy = writable(field);
            char* save = nullptr;
            for (char* tok = strtok_r(copy.data(), " ", &save); tok; tok = strtok_r(nullptr, " ", &save)) {
                unsigned tv = 0, ta = 0;
                accepted = accepted && edlTokEditType(h.get(), tok, &tv, &ta);
                video |= tv, audio |= ta;
            }
            expressible(edlb::listTypeInfo(type).tracks, it->first, it->second, &ev, &ea);
            failures += !accepted || video != ev || audio != ea;
            EXPECT_TRUE(accepted && video == ev && audio == ea) << "type " << type << " '" << field << "' read as "
                << video << "/" << audio << ", written from " << it->first << "/" << it->second;
        }
    }
}

}  // namespace
