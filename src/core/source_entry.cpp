// Source table entries of "*DS" lists.
#include <cstring>

#include "core/handle.h"

namespace edlb {

EdlSourceEntry* newSourceEntry(const char* name, size_t nameLength, const char* value,
                               size_t valueLength) {
    nameLength = strnlen(name, nameLength < kSourceFieldSize ? nameLength : kSourceFieldSize - 1);
    valueLength =
        strnlen(value, valueLength < kSourceFieldSize ? valueLength : kSourceFieldSize - 1);
    const size_t total = sizeof(EdlSourceEntry) + nameLength + 1 + valueLength + 1;
    void* block = KvAlloc(static_cast<uint32_t>(total));
    if (block == nullptr) return nullptr;
    EdlSourceEntry* entry = static_cast<EdlSourceEntry*>(block);
    entry->link = KvListLink{nullptr, nullptr, nullptr};
    entry->szSourceName = static_cast<char*>(block) + sizeof(EdlSourceEntry);
    entry->szSourceValue = entry->szSourceName + nameLength + 1;
    std::memcpy(entry->szSourceName, name, nameLength);
    entry->szSourceName[nameLength] = '\0';
    std::memcpy(entry->szSourceValue, value, valueLength);
    entry->szSourceValue[valueLength] = '\0';
    return entry;
}

void deleteSourceEntry(EdlSourceEntry* entry) { KvFree(entry); }

}  // namespace edlb
