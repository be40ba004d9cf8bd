// The rows of a table whose columns are as wide as their widest cell, gathered in one pass:
// each row is kept unpadded while the column widths grow, in memory up to a limit and in a
// temporary file beyond it, and is padded when the rows are handed out. A list is then read
// once for its table, and a long one does not sit in memory.
#ifndef EDLBRIDGE_CONVERT_TABLE_SPOOL_H
#define EDLBRIDGE_CONVERT_TABLE_SPOOL_H

#include "platform.h"
#include "render.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace edlbtool {

class TableSpool {
public:
    // memoryLimit: the bytes of rows kept in memory before they go to a temporary file.
    explicit TableSpool(size_t memoryLimit = 1024 * 1024) : memoryLimit_(memoryLimit) {}
    ~TableSpool();
    TableSpool(const TableSpool&) = delete;
    TableSpool& operator=(const TableSpool&) = delete;

    // Adds a row and widens the columns to it. Its cells hold no control characters (the
    // table escapes them). Empty text on success, else the reason.
    std::string add(const Row& row);
    // Hands out every row added, padded to the widths of all of them, in pieces of about
    // kPiece bytes; write says whether it took a piece. Empty text on success, else the
    // reason ("write failed" when write refused a piece).
    std::string replay(const std::function<bool(const std::string&)>& write);
    const std::vector<size_t>& widths() const { return widths_; }
    // Whether rows went to a temporary file.
    bool spilled() const { return file_ != nullptr; }

    static constexpr size_t kPiece = 64 * 1024;

private:
    std::string spill();

    size_t memoryLimit_;
    std::vector<size_t> widths_;
    std::string rows_;  // rows not yet in the file: cells ended by a tab, rows by a line feed
    platform::TempFile temp_;
    FILE* file_ = nullptr;
};

}  // namespace edlbtool

#endif
