// JSON text of the fixed shapes the commands print, appended to a string: objects, arrays,
// texts, integers and null, laid out two spaces a level as nlohmann's dump(2) lays them out
// (an empty object or array as '{}' or '[]'). Texts are written as they are, UTF-8
// unescaped; bytes that are no UTF-8 become U+FFFD, and control characters are escaped.
#ifndef EDLBRIDGE_TOOLS_JSON_WRITER_H
#define EDLBRIDGE_TOOLS_JSON_WRITER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace edlbtool {

class JsonWriter {
public:
    // Appends to out; the value begins where out ends, and its inner lines are indented by
    // indent spaces more than nlohmann would indent them. The text reaches out at the
    // latest when the writer is destroyed.
    explicit JsonWriter(std::string& out, size_t indent = 0) : out_(out), indent_(indent) {}
    ~JsonWriter() { flush(); }
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    // The name of the next member of the object open: a word of the program, written as it is.
    template <size_t Size>
    void key(const char (&name)[Size]) {
        key(name, Size - 1);
    }
    void key(const char* name, size_t length);

    void value(const std::string& text) { value(text.data(), text.size()); }
    void value(const char* text, size_t length);
    void value(const char* text) { value(text, std::strlen(text)); }
    void value(uint64_t number);
    void value(uint32_t number) { value(uint64_t{number}); }
    void value(int64_t number);
    void value(int32_t number) { value(int64_t{number}); }
    void value(bool flag);
    void null();

    // A member in one call.
    template <size_t Size, typename Value>
    void member(const char (&name)[Size], const Value& v) {
        key(name);
        value(v);
    }

    // Hands what is written so far to the string.
    void flush() {
        out_.append(buffer_, used_);
        used_ = 0;
    }

private:
    static constexpr size_t kMaxDepth = 16;
    static constexpr size_t kBufferSize = 2048;

    // Small pieces gather in the buffer: one append to the string for many of them.
    void put(char c) {
        if (used_ == kBufferSize) flush();
        buffer_[used_++] = c;
    }
    void put(const char* text, size_t length) {
        if (length > kBufferSize - used_) {
            flush();
            if (length > kBufferSize) {
                out_.append(text, length);
                return;
            }
        }
        std::memcpy(buffer_ + used_, text, length);
        used_ += length;
    }
    void putString(const char* text, size_t length);
    void open(char bracket);
    void close(char bracket);
    // Before a value: its separator and indentation when it is an array's element.
    void element();
    void newline(size_t depth) {
        static const char kLine[] = "\n                                ";
        const size_t spaces = indent_ + 2 * depth;
        if (spaces < sizeof kLine - 1) {
            put(kLine, spaces + 1);
        } else {
            put('\n');
            for (size_t i = 0; i < spaces; ++i) put(' ');
        }
    }

    std::string& out_;
    size_t indent_;
    size_t depth_ = 0;
    bool any_[kMaxDepth] = {};    // whether the level open at each depth has a member yet
    bool array_[kMaxDepth] = {};  // whether it is an array
    bool keyed_ = false;          // a key was written and waits for its value
    size_t used_ = 0;
    char buffer_[kBufferSize];
};

// Appends text as a JSON string, quotes included.
inline void appendJsonString(std::string& out, const char* text, size_t length) {
    JsonWriter(out).value(text, length);
}
inline void appendJsonString(std::string& out, const std::string& text) {
    appendJsonString(out, text.data(), text.size());
}

}  // namespace edlbtool

#endif
