// Memory and list services.
#include "services/utility.h"

#include <cstdlib>
#include <cstring>

void* KvAlloc(uint32_t size) { return std::malloc(size == 0 ? 1 : size); }

void KvFree(void* block) { std::free(block); }

void kvOSZeroMemory(void* block, uint32_t size) { std::memset(block, 0, size); }

void kvOSCopyMemory(void* destination, const void* source, uint32_t size) {
    std::memmove(destination, source, size);
}

void kv_ListInit(KvList* list) {
    list->head = nullptr;
    list->tail = nullptr;
    list->count = 0;
}

void kv_ListClose(KvList* list) { kv_ListInit(list); }

void kv_ListAddTail(KvList* list, void* entry) {
    KvListLink* link = static_cast<KvListLink*>(entry);
    link->next = nullptr;
    link->prev = list->tail;
    link->owner = list;
    if (list->tail != nullptr) {
        list->tail->next = link;
    } else {
        list->head = link;
    }
    list->tail = link;
    ++list->count;
}

uint32_t kv_ListCount(const KvList* list) { return list->count; }

void* kv_ListRemoveTail(KvList* list) {
    KvListLink* link = list->tail;
    if (link == nullptr) return nullptr;
    list->tail = link->prev;
    if (list->tail != nullptr) {
        list->tail->next = nullptr;
    } else {
        list->head = nullptr;
    }
    link->next = link->prev = nullptr;
    link->owner = nullptr;
    --list->count;
    return link;
}

void* kv_ListHead(const KvList* list) { return list->head; }

void* kv_ListNext(const void* entry) { return static_cast<const KvListLink*>(entry)->next; }
