// Long texts handed on in pieces while they are made, so that a change list or a picture of
// a long list never sits whole in memory: to the host's write function, a file, or a string.
#ifndef EDLBRIDGE_TOOLS_TEXT_SINK_H
#define EDLBRIDGE_TOOLS_TEXT_SINK_H

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace edlbtool {

class PieceSink {
public:
    // write is given each piece and says whether it was taken.
    using Write = std::function<bool(const char* bytes, size_t size)>;
    explicit PieceSink(Write write) : write_(std::move(write)) {}
    PieceSink(const PieceSink&) = delete;
    PieceSink& operator=(const PieceSink&) = delete;

    // Where text is appended.
    std::string& text() { return text_; }
    PieceSink& operator<<(const std::string& piece) {
        text_ += piece;
        flushSome();
        return *this;
    }
    // Hands the text gathered on once there is enough of it.
    void flushSome() {
        if (text_.size() >= kPiece) flush();
    }
    // Hands everything gathered on; false once any piece was not taken (what follows is
    // dropped).
    bool flush() {
        if (ok_ && !text_.empty()) ok_ = write_(text_.data(), text_.size());
        text_.clear();
        return ok_;
    }

private:
    static constexpr size_t kPiece = 64 * 1024;
    Write write_;
    std::string text_;
    bool ok_ = true;
};

// The whole text of render(sink), as one string.
template <typename Render>
std::string renderedText(Render&& render) {
    std::string out;
    PieceSink sink([&out](const char* bytes, size_t size) {
        out.append(bytes, size);
        return true;
    });
    render(sink);
    sink.flush();
    return out;
}

}  // namespace edlbtool

#endif
