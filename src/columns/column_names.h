// The names of a log's columns that the column reader interprets. Shared with the
// conversion library, which keeps a timeline's log columns as the column reader does.
#ifndef EDLBRIDGE_COLUMNS_COLUMN_NAMES_H
#define EDLBRIDGE_COLUMNS_COLUMN_NAMES_H

namespace edlb {

enum class Column {
    None,
    Name,
    Start,
    End,
    MarkIn,
    MarkOut,
    AudioOffset,
    AuxTc,
    Descript,
    Tracks,
    ReelName,
    Comments,
    SoundFile,
    // Read for interchange only.
    Tape,
    SourceFile,
    RecordIn,
    RecordOut,
    EditNumber,
    Transition,
};

// The column a name stands for (without regard to case); None for a name no reader
// interprets. Read for interchange, the interchange columns (Tape, Source File, ...) count.
Column columnOf(const char* name, bool interchange);

// A column of a log that no reader interprets (ASC_SOP, Scene, Take, any custom column).
// Read for interchange its cell is kept as a note "NAME: value" of its event, and a log
// written for interchange carries it as a column again.
bool isKeptColumn(const char* name);

}  // namespace edlb

#endif
