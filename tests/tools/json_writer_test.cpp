// The hand-written JSON writer of the dumps: the layout of nested values, and texts as
// nlohmann's writer gives them (escapes, and U+FFFD for bytes that are no UTF-8).
#include "json_text.h"
#include "json_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace {

using edlbtool::JsonWriter;

const std::string kFffd = "\xEF\xBF\xBD";

std::string asJson(const std::string& text) {
    std::string out;
    edlbtool::appendJsonString(out, text);
    return out;
}

TEST(JsonWriter, LaysOutNestedValuesTwoSpacesALevel) {
    std::string out = "    ";
    {
        JsonWriter json(out, 4);
        json.beginObject();
        json.member("edit", uint32_t{7});
        json.member("wipe_code", int32_t{-1});
        json.key("src_in");
        json.beginObject();
        json.member("timecode", std::string("01:00:00:00"));
        json.member("frames", uint32_t{108000});
        json.endObject();
        json.key("source_file");
        json.null();
        json.key("notes");
        json.beginArray();
        json.value("one");
        json.value("two");
        json.endArray();
        json.key("empty");
        json.beginArray();
        json.endArray();
        json.key("nothing");
        json.beginObject();
        json.endObject();
        json.member("same", true);
        json.endObject();
    }
    EXPECT_EQ(out,
              "    {\n"
              "      \"edit\": 7,\n"
              "      \"wipe_code\": -1,\n"
              "      \"src_in\": {\n"
              "        \"timecode\": \"01:00:00:00\",\n"
              "        \"frames\": 108000\n"
              "      },\n"
              "      \"source_file\": null,\n"
              "      \"notes\": [\n"
              "        \"one\",\n"
              "        \"two\"\n"
              "      ],\n"
              "      \"empty\": [],\n"
              "      \"nothing\": {},\n"
              "      \"same\": true\n"
              "    }");
}

TEST(JsonWriter, TextsAreEscapedAndBrokenUtf8Replaced) {
    struct Case {
        std::string text, json;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"SHOT 1", "\"SHOT 1\""},
        {"say \"hi\" C:\\clips", "\"say \\\"hi\\\" C:\\\\clips\""},
        {"a\tb\nc\rd\be\ff", "\"a\\tb\\nc\\rd\\be\\ff\""},
        {std::string("\x01\x1F\x7F", 3), "\"\\u0001\\u001f\x7F\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAC", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAC\""},
        {"caf\xE9", "\"caf" + kFffd + "\""},             // Latin-1
        {"\xE2\x82", "\"" + kFffd + "\""},               // cut short at the end
        {"\xE2\x82" "A", "\"" + kFffd + "A\""},          // cut short by a letter
        {"\xC0\xAF", "\"" + kFffd + kFffd + "\""},       // overlong: two stray bytes
        {"\xED\xA0\x80", "\"" + kFffd + kFffd + kFffd + "\""},  // a surrogate
        {"\xF4\x90\x80\x80", "\"" + kFffd + kFffd + kFffd + kFffd + "\""},  // past U+10FFFF
        {"\xF0\x9F\x8E", "\"" + kFffd + "\""},
        {"\x80" "x\xFF", "\"" + kFffd + "x" + kFffd + "\""},
    };
    for (const Case& c : cases) EXPECT_EQ(asJson(c.text), c.json) << c.text;
}

// Any bytes at all come out as nlohmann's writer gives them, which the dumps used to use.
TEST(JsonWriter, AgreesWithNlohmannOnArbitraryBytes) {
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    // Mostly the bytes UTF-8 sequences are made of, so that sequences form and break.
    const unsigned char kPool[] = {'A', ' ', '"', '\\', '\n', 0x01, 0x7F, 0x80, 0x9F, 0xA0,
                                   0xBF, 0xC2, 0xC3, 0xDF, 0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4,
                                   0xF5, 0xFF, 0x90, 0x8F};
    for (int round = 0; round < 20000; ++round) {
        std::string text(next() % 12, ' ');
        for (char& c : text) c = static_cast<char>(kPool[next() % sizeof kPool]);
        const std::string expected =
            nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        ASSERT_EQ(asJson(text), expected) << "round " << round;
    }
}

// Texts longer than the writer's own buffer pass through whole.
TEST(JsonWriter, LongTextsPassThroughWhole) {
    const std::string text(10000, 'x');
    std::string out;
    {
        JsonWriter json(out);
        json.beginArray();
        json.value(text);
        json.value(text + "\n");
        json.endArray();
    }
    EXPECT_EQ(out, "[\n  \"" + text + "\",\n  \"" + text + "\\n\"\n]");
}

// The two writers share their escaping and differ only in how many U+FFFD stand for a
// broken sequence: the dumps one for the sequence, timelines one for each of its bytes.
TEST(JsonText, BrokenSequencesOnceOrByteByByte) {
    struct Case {
        std::string text, perSequence, perByte;
    };
    const std::string two = kFffd + kFffd;
    const Case cases[] = {
        {"a \"b\"\t\x01", "a \\\"b\\\"\\t\\u0001", "a \\\"b\\\"\\t\\u0001"},
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"\xE2\x82" "A", kFffd + "A", two + "A"},        // cut short by a letter
        {"\xF0\x9F\x8E", kFffd, two + kFffd},           // cut short at the end
        {"\xC0\xAF", two, two},                          // stray bytes: one each either way
        {"caf\xE9", "caf" + kFffd, "caf" + kFffd},
    };
    for (const Case& c : cases) {
        for (const auto broken : {edlbtool::BrokenUtf8::OnePerSequence, edlbtool::BrokenUtf8::OnePerByte}) {
            std::string out;
            edlbtool::putJsonText(c.text.data(), c.text.size(), broken,
                                  [&out](const char* piece, size_t size) { out.append(piece, size); });
            EXPECT_EQ(out, broken == edlbtool::BrokenUtf8::OnePerSequence ? c.perSequence : c.perByte)
                << c.text;
        }
    }
}

}  // namespace
