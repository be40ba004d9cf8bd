#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/handle.h"
#include "services/utility.h"

namespace {

EdlSourceEntry* makeEntry(const char* name) {
    EdlSourceEntry* entry = new EdlSourceEntry();
    std::strcpy(entry->szSourceName, name);
    std::strcpy(entry->szSourceValue, (std::string(name) + ".mov").c_str());
    return entry;
}

std::vector<std::string> namesInOrder(const KvList* list) {
    std::vector<std::string> names;
    for (void* p = kv_ListHead(list); p != nullptr; p = kv_ListNext(p)) {
        names.push_back(static_cast<EdlSourceEntry*>(p)->szSourceName);
    }
    return names;
}

TEST(SourceList, EmptyList) {
    KvList list;
    std::memset(&list, 0x5A, sizeof list);
    kv_ListInit(&list);
    EXPECT_EQ(kv_ListCount(&list), 0u);
    EXPECT_EQ(kv_ListHead(&list), nullptr);
    EXPECT_EQ(kv_ListRemoveTail(&list), nullptr);
    EXPECT_EQ(kv_ListCount(&list), 0u);
}

TEST(SourceList, AddWalkAndRemoveFromTail) {
    KvList list;
    kv_ListInit(&list);
    const char* names[] = {"AX", "BX", "CX"};
    for (const char* name : names) kv_ListAddTail(&list, makeEntry(name));
    EXPECT_EQ(kv_ListCount(&list), 3u);
    EXPECT_EQ(namesInOrder(&list), (std::vector<std::string>{"AX", "BX", "CX"}));

    // Entries come back newest first, their own fields untouched by the links.
    for (int i = 2; i >= 0; --i) {
        auto* entry = static_cast<EdlSourceEntry*>(kv_ListRemoveTail(&list));
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(entry->szSourceName, names[i]);
        EXPECT_EQ(std::string(entry->szSourceValue), std::string(names[i]) + ".mov");
        EXPECT_EQ(kv_ListCount(&list), unsigned(i));
        EXPECT_EQ(namesInOrder(&list).size(), size_t(i));
        delete entry;
    }
    EXPECT_EQ(kv_ListHead(&list), nullptr);
    EXPECT_EQ(kv_ListRemoveTail(&list), nullptr);
}

TEST(SourceList, ReusableAfterEmptyingAndClose) {
    KvList list;
    kv_ListInit(&list);
    kv_ListAddTail(&list, makeEntry("ONE"));
    delete static_cast<EdlSourceEntry*>(kv_ListRemoveTail(&list));
    kv_ListAddTail(&list, makeEntry("TWO"));
    kv_ListAddTail(&list, makeEntry("THREE"));
    EXPECT_EQ(namesInOrder(&list), (std::vector<std::string>{"TWO", "THREE"}));

    // Closing forgets the entries without freeing them; the owner still holds them.
    auto* second = static_cast<EdlSourceEntry*>(kv_ListNext(kv_ListHead(&list)));
    auto* first = static_cast<EdlSourceEntry*>(kv_ListHead(&list));
    kv_ListClose(&list);
    EXPECT_EQ(kv_ListCount(&list), 0u);
    EXPECT_EQ(kv_ListHead(&list), nullptr);
    EXPECT_STREQ(first->szSourceName, "TWO");
    EXPECT_STREQ(second->szSourceName, "THREE");
    delete first;
    delete second;
}

TEST(Memory, AllocZeroAndCopy) {
    auto* block = static_cast<unsigned char*>(KvAlloc(4197));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xA5, 4197);
    kvOSZeroMemory(block + 1, 4195);
    EXPECT_EQ(block[0], 0xA5);
    EXPECT_EQ(block[4196], 0xA5);
    for (int i = 1; i < 4196; ++i) ASSERT_EQ(block[i], 0) << i;

    const char text[] = "source text";
    kvOSCopyMemory(block, text, sizeof text);
    EXPECT_STREQ(reinterpret_cast<char*>(block), "source text");
    // Overlapping copies keep the bytes they move.
    kvOSCopyMemory(block + 2, block, sizeof text);
    EXPECT_STREQ(reinterpret_cast<char*>(block + 2), "source text");
    KvFree(block);

    void* empty = KvAlloc(0);
    EXPECT_NE(empty, nullptr);
    KvFree(empty);
    KvFree(nullptr);
}

}  // namespace
