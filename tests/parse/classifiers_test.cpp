#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/handle.h"
#include "core/list_types.h"
#include "parse/classify.h"
#include "services/timecode.h"

namespace {

// A reading handle without a file: the classifiers only look at its list record.
struct Handle {
    Handle(uint32_t flags = 0, uint32_t listType = EDLTYPE_NONE) : h(new tagKvEdlHandle()) {
        edlInitEdlListStruct(&h->list);
        h->list.dwFlags = flags;
        h->list.dwListType = listType;
    }
    tagKvEdlHandle* get() { return h.get(); }
    std::unique_ptr<tagKvEdlHandle> h;
};

// Classifiers take writable texts; each case gets its own copy.
std::vector<char> text(const std::string& s) {
    std::vector<char> v(s.begin(), s.end());
    v.push_back('\0');
    return v;
}

using LineTest = int (*)(tagKvEdlHandle*, char*);

TEST(Classifiers, KeywordLinesCompareTheirPrefixWithoutCase) {
    struct Case {
        LineTest fn;
        const char* name;
        const char* line;
        int expected;
    } cases[] = {
        {edlLineIsAud, "aud", "AUD  1 2", 1},     {edlLineIsAud, "aud", "au", 0},
        {edlLineIsAud, "aud", " AUD", 0},         {edlLineIsGpi, "gpi", "Gpi 1", 1},
        {edlLineIsGpi, "gpi", "gp", 0},           {edlLineIsM2, "m2", "M2   AX 030.0", 1},
        {edlLineIsM2, "m2", "M3", 0},             {edlLineIsMS, "ms", "M/S anything", 1},
        {edlLineIsMS, "ms", "m/anything", 1},     {edlLineIsMS, "ms", "MS", 0},
        {edlLineIsSwitcher, "swm", "SWM 01", 1},  {edlLineIsSwitcher, "swm", "SW", 0},
        {edlTokIsSrc, "bl", "BL", 1},             {edlTokIsSrc, "bl", "black", 1},
        {edlTokIsSrc, "bl", "B", 0},              {edlTokIsSrc, "bl", "AX", 0},
    };
    Handle h;
    for (const Case& c : cases) {
        auto line = text(c.line);
        EXPECT_EQ(c.fn(h.get(), line.data()), c.expected) << c.name << " '" << c.line << "'";
    }
}

TEST(Classifiers, ClipLines) {
    struct Case {
        const char* line;
        uint32_t listType;
        int expected;
    } cases[] = {
        {"* Clip: 'A' 00:00:00:00 00:00:01:00", EDLTYPE_NONE, 1},
        {"* CLIP:x", EDLTYPE_XJT_CLIP, 1},
        {"clip: x", EDLTYPE_NONE, 1},
        {"; clip: x", EDLTYPE_NONE, 1},
        {"*clip: x", EDLTYPE_NONE, 0},
        {"Tape 1 00:00:00:00", EDLTYPE_LOG_EXCHANGE, 1},
        {" x", EDLTYPE_LOG_EXCHANGE, 1},
        {"[x", EDLTYPE_LOG_EXCHANGE, 1},
        {"y", EDLTYPE_LOG_EXCHANGE, 1},
        {"z x", EDLTYPE_LOG_EXCHANGE, 0},
        {"1 x", EDLTYPE_LOG_EXCHANGE, 0},
        {"@", EDLTYPE_LOG_EXCHANGE, 0},
        {"\xe9t\xe9", EDLTYPE_LOG_EXCHANGE, 0},
        {"Tape 1 00:00:00:00", EDLTYPE_CMX3600, 0},
    };
    for (const Case& c : cases) {
        Handle h(0, c.listType);
        auto line = text(c.line);
        EXPECT_EQ(edlLineIsClip(h.get(), line.data()), c.expected) << c.line << " type " << c.listType;
    }
}

TEST(Classifiers, FcmLinesPickTheFirstMatchingRow) {
    struct Case {
        const char* line;
        unsigned defaultMode;
        int result;
        unsigned mode;
    } cases[] = {
        {"FCM: NON-DROP FRAME", 4, 1, 0x02},   {"FCM: DROP FRAME", 2, 1, 0x04},
        {"FCM: PAL", 4, 1, 0x08},              {"FCM: 50", 4, 1, 0x10},
        {"FCM: PAL 50", 4, 1, 0x10},           {"FCM: NTSC 60", 4, 1, 0x40},
        {"FCM: 100ths", 4, 1, 0x44},           {"FCM: 59.94", 4, 1, 0x20},
        {"FCM: NTSC 5997", 4, 1, 0x20},        {"*fcm: film", 4, 1, 0x01},
        {"FCM: NONE", 4, 1, 0x02},             {"FCM: 25", 7, 1, 7},
        {"FCM: NTSC FILM 23.98", 4, 1, 0x80},  {"FCM: 23.98DF", 4, 1, 0x80},
        {"FCM: NTSC FILM 23.98DF", 4, 1, 0x84}, {"FCM: Film", 4, 1, 0x01},
        {"FCM: DIGITAL TV 24P", 4, 1, 0x01},   {"fcm:", 8, 1, 8},
        {"TITLE: FCM", 9, 0, 9},               {"* FCM: DROP", 9, 0, 9},
        {"", 3, 0, 3},
    };
    Handle h;
    for (const Case& c : cases) {
        auto line = text(c.line);
        unsigned mode = 0xDEAD;
        EXPECT_EQ(edlLineIsFcm(h.get(), line.data(), c.defaultMode, &mode), c.result) << c.line;
        EXPECT_EQ(mode, c.mode) << c.line;
    }
}

TEST(Classifiers, TitleLinesStoreTheirText) {
    struct Case {
        std::string line;
        int result;
        std::string title;
    } cases[] = {
        {"TITLE:   Reel One", 1, "Reel One"},
        {"titles: x", 1, "s: x"},
        {"Title:\t \tTabs", 1, "Tabs"},
        {"TITLE::x", 1, ":x"},
        {"TITLE:", 1, ""},
        {"TITLE: a\x01" "b\xff" "c\r\n", 1, "a!b!c!!"},
        {"TITLE: " + std::string(5000, 'x'), 1, std::string(4121, 'x')},
        {"TITLE: " + std::string(4121, 'y'), 1, std::string(4121, 'y')},
        {"TITL", 0, "unchanged"},
        {"* TITLE: x", 0, "unchanged"},
    };
    for (const Case& c : cases) {
        Handle h;
        std::strcpy(h.get()->list.szTitle, "unchanged");
        auto line = text(c.line);
        EXPECT_EQ(edlLineIsTitle(h.get(), line.data()), c.result) << c.line.substr(0, 20);
        EXPECT_EQ(std::string(h.get()->list.szTitle), c.title) << c.line.substr(0, 20);
    }
}

TEST(Classifiers, CommentLines) {
    struct Case {
        const char* line;
        uint32_t flags;
        int expected;
    } cases[] = {
        {"", 0, 0},
        {"*DS type=source a=b", 0, 0},
        {"* FROM CLIP NAME: x", 0, 0},
        {"FINAL CUT PRO REEL: x", 0, 0},
        {"* to clip name:", 0, 0},
        {"* TO CLIP NAME: x", 0, 1},
        {"* note", 0, 1},
        {"; note", 0, 1},
        {"REM note", 0, 1},
        {"NOTE: x", 0, 1},
        {"AUD 3 4", 0, 0},
        {"FCM: DROP FRAME", 0, 0},
        {"GPI 1", 0, 0},
        {"M2 AX 030.0 01:00:00:00", 0, 0},
        {"M/S x", 0, 0},
        {"SWM x", 0, 0},
        {"TITLE: x", 0, 0},
        {"free text", EDL_LF_BLACK_NOT_EVENT, 0},
        {"free text", 0, 1},
        {"001  AX  V  C  01:00:00:00 01:00:10:00", 0, 0},
    };
    for (const Case& c : cases) {
        Handle h(c.flags);
        auto line = text(c.line);
        EXPECT_EQ(edlLineIsComment(h.get(), line.data()), c.expected) << "'" << c.line << "'";
    }
}

TEST(Classifiers, CommentLineTestStoresATitle) {
    Handle h;
    auto line = text("TITLE: From a comment test");
    EXPECT_EQ(edlLineIsComment(h.get(), line.data()), 0);
    EXPECT_STREQ(h.get()->list.szTitle, "From a comment test");
}

TEST(Classifiers, EditLinesNeedTwoTimecodesAndANumber) {
    const std::string black = "002  BL  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00";
    struct Case {
        std::string line;
        uint32_t flags;
        int expected;
    } cases[] = {
        {"001  AX  V  C  01:00:00:00 01:00:10:00", 0, 1},
        {"AX V C 01:00:00:00 01:00:10:00", 0, 0},
        {"001 AX V C 01:00:00:00", 0, 0},
        {black, 0, 1},
        {black, EDL_LF_BLACK_NOT_EVENT, 0},
        {"002  BLACK  V  C  00:00:00:00 00:00:01:00", EDL_LF_BLACK_NOT_EVENT, 0},
        // "bl" only counts for a token that is nothing else.
        {"002  AX  V  C  00:00:00:00 00:00:01:00 blue", 0, 1},
        {"", 0, 0},
        {";001 AX V C 01:00:00:00 01:00:10:00", 0, 0},
        {"1; AX V C 01:00:00:00 01:00:10:00", 0, 0},
        {"001\tAX\tV\tC\t01:00:00:00\t01:00:10:00\r\n", 0, 1},
        {"001 1: 2:", 0, 1},
        {"001 01:00:00:0x 01:00:00:00", 0, 0},
        {"001 -5 01:00:00:00", 0, 0},
    };
    for (const Case& c : cases) {
        Handle h(c.flags);
        auto line = text(c.line);
        EXPECT_EQ(edlLineIsEdit(h.get(), line.data()), c.expected) << "'" << c.line << "'";
        EXPECT_EQ(std::string(line.data()), c.line) << "the line must not change";
    }
}

TEST(Classifiers, EditLineLongerThanTheLineBufferIsCopiedOnTheHeap) {
    // A host may hand over any length; such a line is copied to the heap, and a failed
    // allocation makes it "no event" rather than a crash.
    const std::string event = "001  AX  V  C  01:00:00:00 01:00:10:00";
    for (size_t padding : {edlb::kLineLimit - event.size(), edlb::kLineLimit - event.size() + 1,
                           size_t{100000}}) {
        Handle h;
        auto line = text(event + std::string(padding, ' '));
        edlb::g_failPrivateAllocations = false;
        EXPECT_EQ(edlLineIsEdit(h.get(), line.data()), 1) << line.size();
        edlb::g_failPrivateAllocations = true;
        const int expected = line.size() - 1 < edlb::kLineBufferSize ? 1 : 0;
        EXPECT_EQ(edlLineIsEdit(h.get(), line.data()), expected) << line.size();
        edlb::g_failPrivateAllocations = false;
    }
}

TEST(Classifiers, TimecodeTokens) {
    struct Case {
        const char* token;
        uint32_t flags;
        unsigned modeIn;
        int result;
        unsigned modeOut;
        bool converts;
    } cases[] = {
        {"01:00:00:00", 0, 0, 1, 2, true},
        {"01:00:00:00", 0, 0x30104, 1, 0x30104, true},
        {"01:00:00;00", 0, 2, 1, 4, true},
        {"01.00.00.00", 0, 2, 1, 8, true},
        {"01-00-00-00", 0, 2, 1, 1, true},
        {"01+00+00+00", 0, 2, 1, 0x80, true},
        {"01,00,00,00", 0, 2, 1, 0x20, true},
        {"01=00=00=00", 0, 2, 1, 0x40, true},
        {"01_00_00_00", 0, 2, 1, 0x84, true},
        // The last implying separator wins; ':' implies nothing.
        {"01;00.00:00", 0, 2, 1, 8, true},
        {"01:00:00;00", 0x1, 2, 1, 2, true},
        {"01:00:00;00", 0x2, 2, 1, 2, true},
        {"01:00:00;00", 0x2, 0, 1, 2, true},
        {"01:00:00;00", 0, 1, 1, 1, true},
        {"01:00:00;00", 0, 8, 1, 8, true},
        {"01:00:00:0x", 0, 2, 0, 2, true},
        {"01;00:00:0x", 0, 2, 0, 4, true},
        {"0100", 0, 2, 0, 2, true},
        {"1:", 0, 0, 1, 2, true},
        {"1", 0, 4, 0, 4, true},
        {"", 0, 0, 0, 2, true},
        {"AX", 0, 0, 0, 2, true},
        {"-5", 0, 4, 0, 4, false},
        {":00", 0, 0, 0, 0, false},
        {";", 0, 4, 0, 4, false},
    };
    Handle reference;
    for (const Case& c : cases) {
        Handle h(c.flags);
        auto token = text(c.token);
        unsigned frames = 0xDEADBEEF;
        unsigned mode = c.modeIn;
        EXPECT_EQ(edlTokIsTimecode(h.get(), token.data(), &frames, &mode), c.result) << c.token;
        EXPECT_EQ(mode, c.modeOut) << c.token;
        unsigned expectedFrames = 0xDEADBEEF;
        if (c.converts) tc2Frame(c.token, c.modeOut, &expectedFrames);
        EXPECT_EQ(frames, expectedFrames) << c.token;
        if (!c.converts) {
            EXPECT_EQ(frames, 0xDEADBEEFu) << c.token;
        }
    }
}

TEST(Classifiers, TrackTokens) {
    struct Case {
        const char* token;
        int result;
        unsigned video;
        unsigned audio;
    } cases[] = {
        {"V1", 1, 1, 0},        {"A2", 1, 0, 2},        {"V1A1A2", 1, 1, 3},
        {"VA1A2", 1, 1, 3},     {"A", 1, 0, 3},         {"AA", 1, 0, 3},
        {"VAA", 1, 1, 3},       {"A12", 1, 0, 0x800},   {"A10", 1, 0, 0x200},
        {"A16", 1, 0, 0x8000},  {"V12", 1, 3, 0},       {"V1/A2", 1, 1, 2},
        {"v", 1, 1, 0},         {"VTR1A2", 1, 1, 2},    {"V1V2A10", 1, 3, 0x200},
        {"V1V2V3V4V5V6V7V8", 1, 0xFF, 0},
        {"A1A2A3A4A5A6A7A8A9A10A11A12A13A14A15A16", 1, 0, 0xFFFF},
        // A bare V is V1, also after the audio part.
        {"V", 1, 1, 0},         {"AA/V", 1, 1, 3},      {"A/V", 1, 1, 3},
        {"A1/V", 1, 1, 1},      {"A2/V", 1, 1, 2},      {"AV", 1, 1, 3},
        {"A2V", 1, 1, 2},       {"VA1", 1, 1, 1},       {"a1", 1, 0, 1},
        {"AX", 0, 0, 0},        {"BL", 0, 0, 0},        {"A17", 0, 0, 0},
        {"VTR", 0, 0, 0},       {"V001", 0, 0, 0},      {"A1/", 0, 0, 0},
        {"TAPE", 0, 0, 0},      {"", 0, 0, 0},          {"001", 0, 0, 0},
        {"A1xyz", 0, 0, 0},
    };
    Handle h;
    for (const Case& c : cases) {
        auto token = text(c.token);
        unsigned video = 0xDEAD;
        unsigned audio = 0xBEEF;
        EXPECT_EQ(edlTokEditType(h.get(), token.data(), &video, &audio), c.result) << c.token;
        EXPECT_EQ(video, c.result ? c.video : 0xDEADu) << c.token;
        EXPECT_EQ(audio, c.result ? c.audio : 0xBEEFu) << c.token;
    }
}

// The tracks a dialect's track field can express, as the reader must get them back.
void expressible(edlb::TrackGroup group, unsigned v, unsigned a, unsigned* ev, unsigned* ea) {
    switch (group) {
        case edlb::TrackGroup::G1: *ev = v & 0xFF; *ea = a & 0xFFFF; break;
        case edlb::TrackGroup::G3:  // "V" whatever the video mask when no audio
            *ea = a & 3;
            *ev = *ea == 0 ? 1 : (v & 1);
            break;
        case edlb::TrackGroup::G4:  // "A" is both channels, "V" stands alone
            *ea = (a & 3) ? 3 : 0;
            *ev = (*ea == 0 || (v & 1)) ? 1 : 0;
            break;
        case edlb::TrackGroup::G6: *ev = v & 1; *ea = a & 3; break;
        default: *ev = v & 1; *ea = a & 0xF; break;
    }
}

TEST(Classifiers, TrackFieldsTheWriterProducesReadBack) {
    const edlListTypes types[] = {EDLTYPE_XJT_LIST, EDLTYPE_CMX3600, EDLTYPE_12,
                                  EDLTYPE_MEDIA_LOG, EDLTYPE_GENERIC, EDLTYPE_DS};
    std::vector<std::pair<unsigned, unsigned>> masks;
    for (unsigned v = 0; v < 256; ++v) {
        for (unsigned a : {0u, 1u, 2u, 3u, 0x200u, 0x8001u, 0xFFFFu}) masks.push_back({v, a});
    }
    for (unsigned a = 0; a < 0x10000; ++a) {
        for (unsigned v : {0u, 1u, 0x80u, 0xFFu}) masks.push_back({v, a});
    }
    Handle h;
    for (edlListTypes type : types) {
        const edlb::TrackGroup group = edlb::listTypeInfo(type).tracks;
        int failures = 0;
        for (const auto& [v, a] : masks) {
            std::string field = edlEditType(type, v, a);
            unsigned readVideo = 0;
            unsigned readAudio = 0;
            auto copy = text(field);
            char* save = nullptr;
            for (char* tok = strtok_r(copy.data(), " ", &save); tok != nullptr;
                 tok = strtok_r(nullptr, " ", &save)) {
                unsigned tv = 0;
                unsigned ta = 0;
                if (!edlTokEditType(h.get(), tok, &tv, &ta)) {
                    ADD_FAILURE() << "type " << type << " rejects '" << tok << "'";
                    ++failures;
                }
                readVideo |= tv;
                readAudio |= ta;
            }
            unsigned ev = 0;
            unsigned ea = 0;
            expressible(group, v, a, &ev, &ea);
            if (readVideo != ev || readAudio != ea) {
                ADD_FAILURE() << "type " << type << " '" << field << "' read as " << readVideo
                              << "/" << readAudio << ", written from " << v << "/" << a;
                ++failures;
            }
            if (failures > 5) break;
        }
    }
}

TEST(Classifiers, NumericTokens) {
    struct Case {
        const char* token;
        int result;
        unsigned value;
    } cases[] = {
        {"", 1, 0},        {"0", 1, 0},         {"030", 1, 30},        {"12 x", 1, 12},
        {"0 x", 0, 0},     {"12a", 0, 0},       {"a", 0, 0},           {" 5", 0, 0},
        {"4294967296", 1, 0},  // unsigned 32-bit arithmetic wraps
    };
    Handle h;
    for (const Case& c : cases) {
        auto token = text(c.token);
        unsigned value = 0xDEAD;
        EXPECT_EQ(edlTokIsNumeric(h.get(), token.data(), &value), c.result) << c.token;
        EXPECT_EQ(value, c.result ? c.value : 0xDEADu) << c.token;
    }
}

struct EffectCase {
    const char* text;
    int result;
    char type;
    unsigned number;
    int dissolveOrWipe;
    int key;
};

void expectEffect(const EffectCase& c, int result, char type, unsigned number, int dw, int key,
                  const std::string& label) {
    EXPECT_EQ(result, c.result) << label;
    EXPECT_EQ(type, c.result ? c.type : '?') << label;
    EXPECT_EQ(number, c.result ? c.number : 0xDEADu) << label;
    EXPECT_EQ(dw, c.dissolveOrWipe) << label;
    EXPECT_EQ(key, c.key) << label;
}

TEST(Classifiers, EffectTokensGivenDirectly) {
    const EffectCase cases[] = {
        {"C", 1, 'C', 0xFFFFFFFF, 0, 0},  {"c", 1, 'C', 0xFFFFFFFF, 0, 0},
        {"K", 1, 'K', 0, 0, 1},           {"k", 1, 'K', 0, 0, 1},
        {"D", 1, 'D', 0, 1, 0},           {"w", 1, 'W', 0, 1, 0},
        {"D 030", 1, 'D', 30, 1, 0},      {"D 030 x", 1, 'D', 30, 1, 0},
        {"D 000 x", 1, 'D', 0, 1, 0},     {"D  030", 1, 'D', 0, 1, 0},
        {"W 12x", 1, 'W', 0, 1, 0},       {"W001", 1, 'W', 1, 1, 0},
        {"w015", 1, 'W', 15, 1, 0},       {"W001 030", 1, 'W', 1, 1, 0},
        {"W12x", 0, 0, 0, 0, 0},          {"D001", 0, 0, 0, 0, 0},
        {"DX", 0, 0, 0, 0, 0},            {"X", 0, 0, 0, 0, 0},
        {"", 0, 0, 0, 0, 0},
    };
    Handle h;
    for (const EffectCase& c : cases) {
        auto token = text(c.text);
        char type = '?';
        unsigned number = 0xDEAD;
        int dw = 7;
        int key = 7;
        const int result = edlTokEffectType(h.get(), token.data(), &type, &number, &dw, &key);
        expectEffect(c, result, type, number, dw, key, c.text);
    }
}

TEST(Classifiers, EffectTokensOfATokenizedLineReadTheNumberAfterThem) {
    // text = the line; the token is its first word, rest what follows its separator.
    const EffectCase cases[] = {
        {"D 030 01:00:00:00", 1, 'D', 30, 1, 0},
        {"D\t030", 1, 'D', 30, 1, 0},
        {"D  030", 1, 'D', 0, 1, 0},
        {"W 001 030", 1, 'W', 1, 1, 0},
        {"D", 1, 'D', 0, 1, 0},
        {"K B 01:00:00:00", 1, 'K', 0, 0, 1},
    };
    for (const EffectCase& c : cases) {
        auto line = text(c.text);
        char* save = nullptr;
        char* token = strtok_r(line.data(), " \t\r\n", &save);
        const char* rest = save != token + std::strlen(token) ? save : nullptr;
        char type = '?';
        unsigned number = 0xDEAD;
        int dw = 7;
        int key = 7;
        const int result = edlb::tokEffectType(token, rest, &type, &number, &dw, &key);
        expectEffect(c, result, type, number, dw, key, c.text);
    }
}

TEST(Classifiers, CommentStartTokens) {
    struct Case {
        const char* line;  // the token is the first word
        int direct;        // the token handed over on its own
        int tokenized;     // the token inside its tokenized line
    } cases[] = {
        {"* note", 1, 1},     {"*note", 1, 1},     {"'quoted", 1, 1},    {"; x", 1, 1},
        {"* clip: x", 1, 0},  {"*clip: x", 0, 0},  {"*xclip:", 0, 0},    {"; CLIP: x", 1, 0},
        {"*", 1, 1},          {"x*", 0, 0},        {"", 0, 0},
    };
    for (const Case& c : cases) {
        auto line = text(c.line);
        char* save = nullptr;
        char* token = strtok_r(line.data(), " \t\r\n", &save);
        if (token == nullptr) {
            EXPECT_EQ(edlTokIsComment(nullptr, line.data()), c.direct);
            continue;
        }
        const char* rest = save != token + std::strlen(token) ? save : nullptr;
        EXPECT_EQ(edlTokIsComment(nullptr, token), c.direct) << c.line;
        EXPECT_EQ(edlb::tokIsComment(token, rest), c.tokenized) << c.line;
    }
}

TEST(Classifiers, OneLetterTokensNeverReadPastTheirTerminator) {
    // Exactly two bytes on the heap: the sanitizer build catches any read of a third.
    for (char letter : {'D', 'W', 'd', 'w', '*', ';', '\''}) {
        std::unique_ptr<char[]> token(new char[2]{letter, '\0'});
        char type = '?';
        unsigned number = 0xDEAD;
        int dw = 7;
        int key = 7;
        const int effect = edlTokEffectType(nullptr, token.get(), &type, &number, &dw, &key);
        if (effect) {
            EXPECT_EQ(number, 0u) << letter;
        }
        const int comment = edlTokIsComment(nullptr, token.get());
        EXPECT_EQ(comment, letter == '*' || letter == ';' || letter == '\'') << letter;
    }
}

}  // namespace
