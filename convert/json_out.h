// JSON text written as it is made, in the layout OpenTimelineIO writes its files: four spaces
// a level, '"key": value', empty lists and objects as '[]' and '{}', numbers of its clocks as
// floating-point numbers ('24.0'). Nothing is held but a buffer that goes to the sink when it
// fills, so a timeline of any length is written in the same memory.
#ifndef EDLBRIDGE_CONVERT_JSON_OUT_H
#define EDLBRIDGE_CONVERT_JSON_OUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace edlbtool {

// Where text goes, a piece at a time; false when a piece could not be written.
using WriteBytes = std::function<bool(const char* bytes, size_t size)>;

class JsonOut {
public:
    // depth: the level the first value is written at (a value inside a list of that level
    // when inList is set, else the document itself).
    explicit JsonOut(WriteBytes sink, unsigned depth = 0, bool inList = false);
    ~JsonOut() = default;
    JsonOut(const JsonOut&) = delete;
    JsonOut& operator=(const JsonOut&) = delete;

    JsonOut& key(const char* name);  // the name of the next value of an object
    JsonOut& beginObject();
    JsonOut& beginArray();
    JsonOut& end();  // closes the innermost object or list

    JsonOut& string(const char* text, size_t size);
    JsonOut& string(const std::string& text) { return string(text.data(), text.size()); }
    JsonOut& string(const char* text);
    JsonOut& integer(int64_t value);
    JsonOut& real(double value);  // '24.0', '0.5': the shortest text that reads back the same
    JsonOut& boolean(bool value);
    JsonOut& null();

    // "key": [] and "key": {}, written often.
    JsonOut& emptyArray(const char* name) { return key(name).beginArray().end(); }
    JsonOut& emptyObject(const char* name) { return key(name).beginObject().end(); }

    // Text written as it is, and a list marked as holding what such text put into it (the
    // values another JsonOut wrote into it, through the same sink).
    JsonOut& raw(const char* text, size_t size);
    JsonOut& filled();

    // Writes what is buffered; false once any piece failed.
    bool flush();
    bool ok() const { return ok_; }
    // Bytes written so far (the buffer included).
    uint64_t size() const { return written_ + used_; }

private:
    void beforeValue();
    void newline(size_t depth);
    void put(const char* text, size_t size) {
        if (used_ + size > kBufferSize) {
            flush();
            if (size > kBufferSize) {
                if (ok_ && !sink_(text, size)) ok_ = false;
                written_ += size;
                return;
            }
        }
        std::memcpy(buffer_.get() + used_, text, size);
        used_ += size;
    }
    void put(char c) {
        if (used_ == kBufferSize) flush();
        buffer_[used_++] = c;
    }

    static constexpr size_t kBufferSize = 1 << 16;

    struct Level {
        bool list;
        bool empty;
    };
    WriteBytes sink_;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    std::vector<Level> levels_;
    size_t base_;
    bool inList_;
    bool afterKey_ = false;
    bool ok_ = true;
    uint64_t written_ = 0;
};

}  // namespace edlbtool

#endif
