// The column names the column reader interprets, and those it keeps as notes.
#include "columns/column_names.h"

#include <cstddef>

#include "core/portable.h"

namespace edlb {
namespace {

struct ColumnName {
    const char* name;
    size_t prefix;  // 0: the whole name must match
    Column column;
};

constexpr ColumnName kColumnNames[] = {
    {"Name", 0, Column::Name},
    {"Start", 0, Column::Start},
    {"End", 0, Column::End},
    {"Mark In", 0, Column::MarkIn},
    {"Mark Out", 0, Column::MarkOut},
    {"Audio Offset", 0, Column::AudioOffset},
    {"TAPE", 0, Column::None},
    {"Log#", 0, Column::None},
    {"Auxiliary TC1", 0, Column::AuxTc},
    {"TC1", 0, Column::AuxTc},
    {"Descript", 8, Column::Descript},
    {"Tracks", 0, Column::Tracks},
    {"ReelName", 0, Column::ReelName},
    {"Comments", 0, Column::Comments},
    {"Commentaires", 0, Column::Comments},
    {"comment", 7, Column::Comments},
    {"Note", 0, Column::Comments},
    {"SoundFile", 0, Column::SoundFile},
};

// Columns a log written for interchange carries besides the log-exchange ones; they come
// first, since "Tape" alone names nothing in the documented column set.
constexpr ColumnName kInterchangeNames[] = {
    {"Tape", 0, Column::Tape},
    {"Source File", 0, Column::SourceFile},
    {"Record Start", 0, Column::RecordIn},
    {"Record End", 0, Column::RecordOut},
    {"Event", 0, Column::EditNumber},
    {"Transition", 0, Column::Transition},
};

}  // namespace

Column columnOf(const char* name, bool interchange) {
    if (interchange) {
        for (const ColumnName& row : kInterchangeNames) {
            if (strcasecmp(name, row.name) == 0) return row.column;
        }
    }
    for (const ColumnName& row : kColumnNames) {
        const bool match = row.prefix == 0 ? strcasecmp(name, row.name) == 0
                                           : strncasecmp(name, row.name, row.prefix) == 0;
        if (match) return row.column;
    }
    return Column::None;
}

bool isKeptColumn(const char* name) {
    return name[0] != '\0' && columnOf(name, true) == Column::None;
}

}  // namespace edlb
