// The command line keeps its own tables of list types and timecode modes; they must agree
// with the library's catalogue and timecode service.
#include "core/list_types.h"
#include "edlbridge.h"
#include "list_type_names.h"
#include "services/timecode.h"
#include "timecode_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using edlb::EventForm;
using edlb::HeaderFamily;

const char* headerLabel(HeaderFamily family) {
    switch (family) {
        case HeaderFamily::None: return "none";
        case HeaderFamily::A1: return "xjt-list";
        case HeaderFamily::A2: return "xjt-clip";
        case HeaderFamily::C: return "cmx";
        case HeaderFamily::D5: return "log-exchange";
        case HeaderFamily::D6: return "framegrab-columns";
        case HeaderFamily::D22: return "batch-list";
        case HeaderFamily::D23: return "media-log";
        case HeaderFamily::D27: return "edit-columns";
        case HeaderFamily::D40: return "field-names";
        case HeaderFamily::D41: return "reel-clip-columns";
        case HeaderFamily::E: return "smpte";
        case HeaderFamily::F: return "flex";
        case HeaderFamily::G44: return "short-cmx";
        case HeaderFamily::G45: return "ds";
    }
    return "?";
}

const char* eventLabel(EventForm form) {
    switch (form) {
        case EventForm::B1Short: return "short-reel";
        case EventForm::B1Full: return "full-reel";
        case EventForm::B2: return "cmx-numbered";
        case EventForm::B3: return "smpte";
        case EventForm::B4: return "flex";
        case EventForm::B5: return "clip";
        case EventForm::B6: return "short-cmx";
        case EventForm::B7: return "ds";
    }
    return "?";
}

TEST(ToolTypeTable, AgreesRowByRowWithTheCatalogue) {
    size_t catalogueCount = 0;
    const edlb::ListTypeInfo* catalogue = edlb::listTypeRows(&catalogueCount);
    size_t toolCount = 0;
    const edlbtool::TypeName* tool = edlbtool::typeNames(&toolCount);
    ASSERT_EQ(toolCount, catalogueCount);
    for (size_t i = 0; i < catalogueCount; ++i) {
        const edlb::ListTypeInfo& row = catalogue[i];
        SCOPED_TRACE("list type " + std::to_string(row.value));
        EXPECT_EQ(tool[i].value, row.value);
        EXPECT_STREQ(tool[i].name, row.shortName);
        EXPECT_STREQ(tool[i].enumerator, row.enumerator);
        EXPECT_STREQ(tool[i].header, headerLabel(row.header));
        EXPECT_STREQ(tool[i].events, eventLabel(row.events));
        EXPECT_EQ(tool[i].detectable, row.detectable);
        EXPECT_EQ(edlbtool::defaultExtension(row.value), row.extension);
        EXPECT_EQ(edlbtool::alternativeExtension(row.value), row.altExtension);
        // Every name the tool accepts resolves to the same row in the library.
        EXPECT_EQ(edlbtool::findTypeName(row.shortName), &tool[i]);
        EXPECT_EQ(edlb::findListType(tool[i].name), &row);
        EXPECT_EQ(edlbtool::findTypeName(std::to_string(row.value)), &tool[i]);
    }
}

TEST(ToolTypeTable, OnlyDialectsThatWriteThemselvesAreTargets) {
    size_t count = 0;
    const edlbtool::TypeName* rows = edlbtool::typeNames(&count);
    for (size_t i = 0; i < count; ++i) {
        const bool expected = rows[i].value != EDLTYPE_CSV && rows[i].value != EDLTYPE_NONE;
        EXPECT_EQ(rows[i].writable, expected) << rows[i].name;
    }
}

TEST(ToolTypeTable, FindsByNameEnumeratorOrValueAndRejectsTheRest) {
    struct Case {
        const char* text;
        unsigned value;  // 0: not found
    } const cases[] = {
        {"cmx3600", 7},  {"CMX3600", 7},     {"ale", 5},        {"ds", 45},
        {"flex", 42},    {"EDLTYPE_DS", 45}, {"edltype_flex", 42}, {"251", 251},
        {"0", 0},        {"47", 0},          {"257", 0},        {"", 0},
        {"cmx 3600", 0}, {"-7", 0},          {"4294967303", 0}, {"7x", 0},
    };
    for (const Case& c : cases) {
        const edlbtool::TypeName* row = edlbtool::findTypeName(c.text);
        if (c.value == 0) {
            EXPECT_EQ(row, nullptr) << c.text;
        } else {
            ASSERT_NE(row, nullptr) << c.text;
            EXPECT_EQ(row->value, c.value) << c.text;
        }
    }
}

TEST(ToolTimecodeText, MatchesTheTimecodeServiceInEveryMode) {
    size_t count = 0;
    const edlbtool::ModeInfo* modes = edlbtool::modes(&count);
    const uint32_t samples[] = {0,      1,       29,      1799,    1800,     1801,
                                17981,  17982,   17983,   107892,  108000,   215999,
                                863999, 2589407, 5178815, 8639999, 12345678, 0xFFFFFFFFu};
    for (size_t i = 0; i < count; ++i) {
        // The separated form with the drop marker: what the writers put in a list.
        const unsigned flags = modes[i].value | 0x100u | 0x2000u | 0x10000u;
        for (uint32_t frames : samples) {
            char expected[32] = {0};
            tc2String(frames, flags, expected);
            EXPECT_EQ(edlbtool::timecodeText(frames, modes[i].value), expected)
                << "mode " << modes[i].name << " frames " << frames;
        }
    }
}

TEST(ToolTimecodeText, LabelsRoundTripInEveryMode) {
    size_t count = 0;
    const edlbtool::ModeInfo* modes = edlbtool::modes(&count);
    for (size_t i = 0; i < count; ++i) {
        for (uint32_t frames = 0; frames < 40000; frames += 7) {
            const edlbtool::Label label = edlbtool::labelOf(frames, modes[i].value);
            ASSERT_EQ(edlbtool::framesOf(label, modes[i].value), frames) << modes[i].name;
        }
    }
}

TEST(ToolTimecodeText, RelabelKeepsHoursMinutesAndSeconds) {
    struct Case {
        const char* what;
        const char* text;  // in the first mode
        unsigned from, to;
        const char* expected;
    } const cases[] = {
        {"drop to non-drop", "01:00:00;00", 0x04, 0x02, "01:00:00:00"},
        {"non-drop to drop", "01:00:00:00", 0x02, 0x04, "01:00:00;00"},
        {"a label drop frame skips", "00:01:00:00", 0x02, 0x04, "00:01:00;02"},
        {"a tenth minute keeps frame 0", "00:10:00:00", 0x02, 0x04, "00:10:00;00"},
        {"PAL to film scales frames", "10:00:00:12", 0x08, 0x01, "10:00:00:11"},
        {"film to PAL", "10:00:00:23", 0x01, 0x08, "10:00:00:23"},
        {"same count, other mark", "01:00:00:05", 0x80, 0x84, "01:00:00;05"},
        {"59.94 drop skips four", "00:02:00:00", 0x40, 0x20, "00:02:00;04"},
    };
    for (const Case& c : cases) {
        unsigned frames = 0;
        ASSERT_EQ(tc2Frame(c.text, c.from | 0x100u, &frames), 0) << c.what;
        EXPECT_EQ(edlbtool::timecodeText(edlbtool::relabel(frames, c.from, c.to), c.to),
                  c.expected)
            << c.what;
    }
    EXPECT_EQ(edlbtool::relabel(123456, 0x08, 0x08), 123456u);
    EXPECT_EQ(edlbtool::rescale(30, 0x02, 0x08), 25);
    EXPECT_EQ(edlbtool::rescale(-25, 0x08, 0x02), -30);
    EXPECT_EQ(edlbtool::rescale(1, 0x08, 0x01), 1);
}

TEST(ToolTimecodeText, FindsModesByNameAliasOrValue) {
    struct Case {
        const char* text;
        unsigned value;  // 0: not found
    } const cases[] = {
        {"film", 0x01}, {"NDF", 0x02},   {"df", 0x04},         {"drop", 0x04},
        {"pal", 0x08},  {"25", 0x08},    {"0x44", 0x44},       {"68", 0x44},
        {"4", 0x04},    {"23.98", 0x80}, {"23.98DF", 0x84},    {"59.94", 0x20},
        {"0", 0},       {"3", 0},        {"", 0},              {"-4", 0},
        {"0x1FF", 0},   {"frames", 0},   {"99999999999999999", 0},
    };
    for (const Case& c : cases) {
        const edlbtool::ModeInfo* mode = edlbtool::findMode(c.text);
        if (c.value == 0) {
            EXPECT_EQ(mode, nullptr) << c.text;
        } else {
            ASSERT_NE(mode, nullptr) << c.text;
            EXPECT_EQ(mode->value, c.value) << c.text;
        }
    }
}

}  // namespace
