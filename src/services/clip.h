// Clip name copy.
#ifndef EDLBRIDGE_SERVICES_CLIP_H
#define EDLBRIDGE_SERVICES_CLIP_H

// Copies the clip name that begins at source into destination (11 bytes): at most 10
// characters, always terminated.
void strcpyClip(char* destination, const char* source);

#endif
