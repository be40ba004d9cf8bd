// Clip name copy. Placeholder until the clip service lands.
#include "services/clip.h"

void strcpyClip(char* destination, const char*) { *destination = '\0'; }
