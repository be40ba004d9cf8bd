#include "json_writer.h"
#include "json_text.h"

#include <charconv>
#include <cstring>

namespace edlbtool {

void JsonWriter::putString(const char* text, size_t length) {
    put('"');
    putJsonText(text, length, BrokenUtf8::OnePerSequence,
                [this](const char* piece, size_t size) { put(piece, size); });
    put('"');
}

void JsonWriter::element() {
    if (keyed_) {
        keyed_ = false;
        return;
    }
    if (depth_ == 0 || !array_[depth_ - 1]) return;
    if (any_[depth_ - 1]) put(',');
    any_[depth_ - 1] = true;
    newline(depth_);
}

void JsonWriter::key(const char* name, size_t length) {
    if (any_[depth_ - 1]) put(',');
    any_[depth_ - 1] = true;
    newline(depth_);
    // Member names are the program's own words: nothing in them needs escaping.
    put('"');
    put(name, length);
    put("\": ", 3);
    keyed_ = true;
}

void JsonWriter::open(char bracket) {
    element();
    put(bracket);
    any_[depth_] = false;
    array_[depth_] = bracket == '[';
    ++depth_;
}

void JsonWriter::close(char bracket) {
    --depth_;
    if (any_[depth_]) newline(depth_);
    put(bracket);
}

void JsonWriter::value(const char* text, size_t length) {
    element();
    putString(text, length);
}

void JsonWriter::value(uint64_t number) {
    element();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    put(text, static_cast<size_t>(end - text));
}

void JsonWriter::value(int64_t number) {
    element();
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    put(text, static_cast<size_t>(end - text));
}

void JsonWriter::value(bool flag) {
    element();
    if (flag) {
        put("true", 4);
    } else {
        put("false", 5);
    }
}

void JsonWriter::null() {
    element();
    put("null", 4);
}

}  // namespace edlbtool
