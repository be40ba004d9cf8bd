// Path services. Placeholder until the path operations land.
#include "services/utility.h"

void kvOSSplitPath(const char*, char* drive, char* directory, char* name, char* extension) {
    if (drive) *drive = '\0';
    if (directory) *directory = '\0';
    if (name) *name = '\0';
    if (extension) *extension = '\0';
}
void kvOSMakePath(char* out, const char*, const char*, const char*, const char*) { *out = '\0'; }
void kvOSFullPath(char* out, const char*, size_t) { *out = '\0'; }
void kvOSFixSeparators(char*) {}
int kvOSFileExists(const char*) { return 0; }
int kvOSFileIsDir(const char*) { return 0; }
