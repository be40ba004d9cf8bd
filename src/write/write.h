// Writer steps that edlOpen and edlClose run.
#ifndef EDLBRIDGE_WRITE_WRITE_H
#define EDLBRIDGE_WRITE_WRITE_H

struct tagKvEdlHandle;

// Writes the header of the handle's list type; may change the handle's copy of the list
// record while it runs (edlOpen restores it afterwards).
void edlWriteHeader(tagKvEdlHandle* handle);

// Writes the closing lines of list types 44 and 45 and releases the source entries.
void edlWriteTrailer(tagKvEdlHandle* handle);

#endif
