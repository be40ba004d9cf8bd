// The blocks of a list's head that a detection probe hands over whole.
#ifndef EDLBRIDGE_DETECT_HEAD_SCANS_H
#define EDLBRIDGE_DETECT_HEAD_SCANS_H

#include "core/handle.h"

namespace edlb {

// A "*DS" list: the whole file is read for its source table (appended to the handle's
// sources) and its header's frame rate (the handle's timecode word), then rewound for the
// event reader. False when a source entry cannot be allocated.
bool scanDsList(tagKvEdlHandle* handle);

// A tab-delimited log-exchange list, from its "Heading" line (in the line buffer) up to
// "Data": delimiter, timecode mode, frame rate, audio rate and column line go to the
// handle's list record. The file is left after the line that ended the block, so the first
// event read is the line after "Data".
void scanLogHeading(tagKvEdlHandle* handle);

}  // namespace edlb

#endif
