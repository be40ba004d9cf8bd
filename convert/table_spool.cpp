#include "table_spool.h"

#include <cerrno>
#include <cstring>

namespace edlbtool {
namespace {

// Rows come back from the file in reads of this size.
constexpr size_t kReadBack = 256 * 1024;

bool isAscii(const std::string& text) {
    unsigned char high = 0;
    for (char c : text) high |= static_cast<unsigned char>(c);
    return high < 0x80;
}

// Pads the row that begins at rows[at] into out and moves at past it; false when no whole
// row begins there. A row is its mark ('a' when every cell is ASCII, so that a cell shows as
// many columns as it has bytes, 'u' otherwise), then each cell ended by a tab, then a line
// feed.
bool padRow(const std::string& rows, size_t& at, const std::vector<size_t>& widths,
            std::string& out) {
    const char* begin = rows.data() + at;
    const void* lineEnd = std::memchr(begin, '\n', rows.size() - at);
    if (lineEnd == nullptr) return false;
    const char* end = static_cast<const char*>(lineEnd);
    const bool ascii = *begin == 'a';
    size_t column = 0;
    for (const char* cell = begin + 1; cell < end; ++column) {
        const char* tab = static_cast<const char*>(std::memchr(cell, '\t', end - cell));
        const std::string_view text(cell, static_cast<size_t>(tab - cell));
        appendTableCell(out, text, ascii ? text.size() : cellWidth(text),
                        column < widths.size() ? widths[column] : 0, tab + 1 == end);
        cell = tab + 1;
    }
    out += '\n';
    at = static_cast<size_t>(end + 1 - rows.data());
    return true;
}

}  // namespace

TableSpool::~TableSpool() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string TableSpool::add(const Row& row) {
    if (widths_.size() < row.size()) widths_.resize(row.size(), 0);
    const size_t mark = rows_.size();
    rows_ += 'a';
    for (size_t i = 0; i < row.size(); ++i) {
        const std::string& cell = row[i];
        size_t width = cell.size();
        if (!isAscii(cell)) {
            width = cellWidth(cell);
            rows_[mark] = 'u';
        }
        if (width > widths_[i]) widths_[i] = width;
        rows_ += cell;
        rows_ += '\t';
    }
    rows_ += '\n';
    return rows_.size() >= memoryLimit_ ? spill() : std::string();
}

std::string TableSpool::spill() {
    if (file_ == nullptr) {
        // Without a temporary file the rows stay in memory: the table is still printed.
        if (!temp_.create(".txt").empty()) {
            memoryLimit_ = static_cast<size_t>(-1);
            return std::string();
        }
        file_ = std::fopen(temp_.path().c_str(), "w+b");
        if (file_ == nullptr) {
            temp_.release();
            memoryLimit_ = static_cast<size_t>(-1);
            return std::string();
        }
    }
    if (std::fwrite(rows_.data(), 1, rows_.size(), file_) != rows_.size()) {
        return "cannot keep the table's rows in a temporary file: " + errorText(errno);
    }
    rows_.clear();
    return std::string();
}

std::string TableSpool::replay(const std::function<bool(const std::string&)>& write) {
    std::string out;
    out.reserve(kPiece + kPiece / 2);
    // Pads the whole rows of rows from at on, handing out a piece whenever one is full.
    auto pad = [this, &out, &write](const std::string& rows, size_t& at) {
        while (padRow(rows, at, widths_, out)) {
            if (out.size() >= kPiece) {
                if (!write(out)) return false;
                out.clear();
            }
        }
        return true;
    };
    size_t at = 0;
    if (file_ == nullptr) {
        if (!pad(rows_, at)) return "write failed";
    } else {
        std::string reason = spill();
        if (!reason.empty()) return reason;
        if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
            return "cannot read the table's rows back: " + errorText(errno);
        }
        // rows_ now holds what was read back and not yet padded: a row cut by a read waits
        // for the rest of it.
        std::string buffer(kReadBack, '\0');
        size_t count;
        while ((count = std::fread(&buffer[0], 1, buffer.size(), file_)) > 0) {
            rows_.erase(0, at);
            at = 0;
            rows_.append(buffer, 0, count);
            if (!pad(rows_, at)) return "write failed";
        }
        if (std::ferror(file_) != 0 || at != rows_.size()) {
            return "cannot read the table's rows back: " + errorText(errno);
        }
    }
    if (!out.empty() && !write(out)) return "write failed";
    return std::string();
}

}  // namespace edlbtool
