#include "warnings.h"

#include "output.h"

#include <cctype>
#include <exception>

namespace edlbcli {

std::string warningKind(const std::string& message) {
    std::string kind;
    for (size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i + 1 < message.size() && std::isdigit(static_cast<unsigned char>(message[i + 1]))) ++i;
            kind += '#';
        } else if (c == '"' || c == '\'') {
            const size_t close = message.find(c, i + 1);
            if (close == std::string::npos) {
                kind += c;
                continue;
            }
            kind += std::string(1, c) + "..." + c;
            i = close;
        } else {
            kind += c;
        }
    }
    return kind;
}

void WarningReport::begin(const std::string& subject) {
    subject_ = subject;
    kinds_.clear();
    held_.clear();
    released_ = false;
}

void WarningReport::show(Kind& kind, const std::string& message) {
    if (verbosity_ == Verbosity::Quiet) return;
    if (verbosity_ == Verbosity::Normal && kind.shown == kShownPerKind) return;
    ++kind.shown;
    report(subject_, message);
}

void WarningReport::add(const std::string& message) {
    const std::string text = warningKind(message);
    size_t index = 0;
    while (index < kinds_.size() && kinds_[index].text != text) ++index;
    if (index == kinds_.size()) kinds_.push_back(Kind{text, message});
    Kind& kind = kinds_[index];
    ++kind.count;
    if (released_) {
        show(kind, message);
        return;
    }
    // Held until the output is allowed: only what will be shown.
    const bool kept = verbosity_ == Verbosity::Verbose ||
                      (verbosity_ == Verbosity::Normal && kind.count <= kShownPerKind);
    if (kept) held_.emplace_back(index, message);
}

void WarningReport::release() {
    released_ = true;
    for (const auto& [index, message] : held_) show(kinds_[index], message);
    held_.clear();
}

void WarningReport::drop() {
    kinds_.clear();
    held_.clear();
}

void WarningReport::end() {
    for (const Kind& kind : kinds_) {
        if (kind.shown == kind.count) continue;
        if (verbosity_ == Verbosity::Quiet) {
            report(subject_, kind.count == 1 ? kind.first
                                             : std::to_string(kind.count) + " warnings like '" +
                                                   kind.first + "'");
        } else {
            report(subject_, std::to_string(kind.count - kind.shown) + " more warnings like '" +
                                 kind.first + "' (--verbose shows them all)");
        }
    }
    kinds_.clear();
    held_.clear();
}

// Called from inside the library: nothing may be thrown back through its C interface.
void WarningReport::warn(void* context, const char* message) {
    try {
        static_cast<WarningReport*>(context)->add(message);
    } catch (const std::exception&) {
    }
}

}  // namespace edlbcli
