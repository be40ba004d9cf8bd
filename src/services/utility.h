// Memory, intrusive list and path services used inside the library.
#ifndef EDLBRIDGE_SERVICES_UTILITY_H
#define EDLBRIDGE_SERVICES_UTILITY_H

#include <cstddef>
#include <cstdint>

// Allocation that reports failure with null instead of throwing.
void* KvAlloc(uint32_t size);
void KvFree(void* block);
void kvOSZeroMemory(void* block, uint32_t size);
void kvOSCopyMemory(void* destination, const void* source, uint32_t size);

// Intrusive doubly linked list. Every entry begins with a KvListLink; the list never
// allocates or frees entries, it only links them.
struct KvListLink {
    KvListLink* next;
    KvListLink* prev;
    void* owner;
};

struct KvList {
    KvListLink* head;
    KvListLink* tail;
    uint32_t count;
};

void kv_ListInit(KvList* list);
void kv_ListClose(KvList* list);
void kv_ListAddTail(KvList* list, void* entry);
uint32_t kv_ListCount(const KvList* list);
void* kv_ListRemoveTail(KvList* list);
void* kv_ListHead(const KvList* list);
void* kv_ListNext(const void* entry);

// Paths. Every text buffer below holds kKvPathMax bytes; results are cut to fit.
constexpr size_t kKvPathMax = 4096;

// Splits a path into drive ("C:" or empty), directory (ending in a separator, or empty),
// file name without extension, and extension (with its dot). '/' and '\' both separate.
// A null output is skipped.
void kvOSSplitPath(const char* path, char* drive, char* directory, char* name,
                   char* extension);
// Joins the parts; null parts are left out; a separator is added after a directory that
// lacks one.
void kvOSMakePath(char* out, const char* drive, const char* directory, const char* name,
                  const char* extension);
// The absolute form of path against the current directory, at most size bytes.
void kvOSFullPath(char* out, const char* path, size_t size);
// Turns '\' into '/' in place.
void kvOSFixSeparators(char* path);
int kvOSFileExists(const char* path);
int kvOSFileIsDir(const char* path);

#endif
