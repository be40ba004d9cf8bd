// Clip name copy: the name that starts a clip token, as far as it fits the event's
// 10-character clip name.
#include "services/clip.h"

namespace {

constexpr int kClipChars = 10;

bool endsLine(char c) { return c == '\0' || c == '\r' || c == '\n'; }

bool isQuote(char c) { return c == '\'' || c == '"'; }

// A blank belongs to the name only when a closing quote follows it within the name's
// first kClipChars characters, so 'Clip One' keeps its space and 'Clip 00:00' does not.
bool quoteFollows(const char* source, int from) {
    for (int i = from; i < kClipChars && !endsLine(source[i]); ++i) {
        if (isQuote(source[i])) return true;
    }
    return false;
}

}  // namespace

void strcpyClip(char* destination, const char* source) {
    if (destination == nullptr) return;
    int length = 0;
    if (source != nullptr) {
        while (length < kClipChars) {
            const char c = source[length];
            if (endsLine(c) || isQuote(c)) break;
            if ((c == ' ' || c == '\t') && !quoteFollows(source, length + 1)) break;
            destination[length++] = c;
        }
    }
    destination[length] = '\0';
}
