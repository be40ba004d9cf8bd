// Markers and ASC CDL grades through the exported C interface: result codes of bad calls,
// texts through the host's write function, and the refusal of the host's guard. Expected
// values are worked out by hand from the lists under tests/data/markers.
#include <edlconvert.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const std::string kAvid = std::string(EDLBRIDGE_TEST_DATA) + "/markers/avid_markers.txt";
const std::string kGrades = std::string(EDLBRIDGE_TEST_DATA) + "/markers/loc_cdl.edl";

int appendText(void* context, const char* bytes, size_t size) {
    static_cast<std::string*>(context)->append(bytes, size);
    return 0;
}

int failWrite(void*, const char*, size_t) { return -1; }

int refuse(void*, const char*) { return 0; }

struct Call {
    edlcOptions options;
    edlcStatus status;
    std::string text;
    size_t count = 99;
    explicit Call(uint32_t format) {
        edlcInitOptions(&options);
        options.format = format;
        options.write = appendText;
        options.writeContext = &text;
    }
};

}  // namespace

TEST(MarkersCapi, TextThroughTheHost) {
    Call call(EDLC_FORMAT_LOC);
    ASSERT_EQ(edlcMarkers(kAvid.c_str(), "-", &call.options, &call.count, &call.status), EDLC_OK)
        << call.status.message;
    EXPECT_EQ(call.count, 9u);
    EXPECT_EQ(call.text.substr(0, 64), "* LOC: 01:01:07:21 RED     VFX - Fade In, matte top \"elevator\"\r\n");
    // The third marker has no comment: its LOC note gives its name.
    EXPECT_NE(call.text.find("* LOC: 01:07:40:08 BLUE    assist\r\n"), std::string::npos);

    Call json(EDLC_FORMAT_JSON);
    json.options.tcMode = EDL_TC_PAL;
    ASSERT_EQ(edlcWriteMarkers("{\"markers\": [{\"timecode\": \"10:00:00:24\", \"colour\": \"green\"}]}",
                               "-", &json.options, &json.count, &json.status),
              EDLC_OK)
        << json.status.message;
    EXPECT_NE(json.text.find("\"frames\": 900024,"), std::string::npos) << json.text;
    EXPECT_NE(json.text.find("\"colour\": \"GREEN\","), std::string::npos) << json.text;
}

TEST(MarkersCapi, BadCallsSayWhy) {
    Call call(EDLC_FORMAT_JSON);
    EXPECT_EQ(edlcMarkers(nullptr, "-", &call.options, &call.count, &call.status), EDLC_E_ARGUMENT);
    EXPECT_EQ(call.count, 0u);
    call.options.format = EDLC_FORMAT_SVG;
    EXPECT_EQ(edlcMarkers(kAvid.c_str(), "-", &call.options, nullptr, &call.status), EDLC_E_ARGUMENT);
    EXPECT_STREQ(call.status.message, "no such format");
    call.options.format = EDLC_FORMAT_JSON;
    call.options.tcMode = 3;
    EXPECT_EQ(edlcMarkers(kAvid.c_str(), "-", &call.options, nullptr, &call.status), EDLC_E_ARGUMENT);
    call.options.tcMode = 0;
    call.options.write = failWrite;
    EXPECT_EQ(edlcMarkers(kAvid.c_str(), "-", &call.options, nullptr, &call.status), EDLC_E_OUTPUT);
    EXPECT_EQ(edlcWriteMarkers("{\"markers\": [{\"name\": \"no time\"}]}", "-", &call.options, nullptr,
                               &call.status),
              EDLC_E_ARGUMENT);
    EXPECT_STREQ(call.status.message, "marker 1: no timecode");
    call.options.guard = refuse;
    EXPECT_EQ(edlcMarkers(kAvid.c_str(), "out.edl", &call.options, nullptr, &call.status),
              EDLC_E_REFUSED);
    EXPECT_EQ(edlcMarkers("/no/such/list.txt", "-", &call.options, nullptr, &call.status),
              EDLC_E_OPEN);
    EXPECT_EQ(call.status.which, EDLC_AT_INPUT);
}

TEST(CdlCapi, JsonValuesAndBadCalls) {
    Call call(EDLC_FORMAT_JSON);
    ASSERT_EQ(edlcCdl(kGrades.c_str(), nullptr, &call.options, &call.count, &call.status), EDLC_OK)
        << call.status.message;
    EXPECT_EQ(call.count, 3u);
    // '* ASC_SAT 1.0500' is the number 1.05; '-0.001' stays as written.
    EXPECT_NE(call.text.find("\"saturation\": 1.05"), std::string::npos) << call.text;
    EXPECT_NE(call.text.find("-0.001"), std::string::npos) << call.text;
    call.options.format = EDLC_FORMAT_CDL;
    EXPECT_EQ(edlcCdl(kGrades.c_str(), nullptr, &call.options, &call.count, &call.status),
              EDLC_E_ARGUMENT);
    EXPECT_STREQ(call.status.message, "no directory given");
    call.options.guard = refuse;
    EXPECT_EQ(edlcCdl(kGrades.c_str(), ".", &call.options, &call.count, &call.status), EDLC_E_REFUSED);
    EXPECT_EQ(edlcWriteCdl("{\"corrections\": 3}", ".", &call.options, nullptr, &call.status),
              EDLC_E_ARGUMENT);
    EXPECT_STREQ(call.status.message, "no \"corrections\" array");
}
