// The form a list is written in for interchange, from the list-type table.
#include <gtest/gtest.h>

#include <set>

#include "core/handle.h"
#include "write/writers.h"

namespace {

using edlb::InterchangeForm;

InterchangeForm formOf(uint32_t type, uint32_t flags) {
    EdlList list;
    edlInitEdlListStruct(&list);
    list.dwListType = type;
    list.dwFlags = flags;
    return edlb::interchangeForm(list);
}

// CMX-style lists (CMX 3600 to CMX, the generic CMX-like lists) are written as CMX events,
// the log-exchange list as a log; every other value, catalogued or not, keeps its bytes.
TEST(InterchangeForm, EveryValueHasTheFormOfItsDialect) {
    const std::set<uint32_t> cmx = {7, 8, 9, 10, 11, 13, 14, 15, 19, 34, 35, 250, 251};
    for (uint32_t type = 0; type <= 300; ++type) {
        SCOPED_TRACE(type);
        const InterchangeForm expected = cmx.count(type) != 0 ? InterchangeForm::CmxEvents
                                         : type == 5          ? InterchangeForm::LogExchange
                                                              : InterchangeForm::None;
        EXPECT_EQ(formOf(type, EDL_LF_INTERCHANGE), expected);
        EXPECT_EQ(formOf(type, EDL_LF_INTERCHANGE | EDL_LF_COLUMN_LIST), expected);
        // Without the flag every list keeps its documented bytes.
        EXPECT_EQ(formOf(type, 0), InterchangeForm::None);
        EXPECT_EQ(formOf(type, ~static_cast<uint32_t>(EDL_LF_INTERCHANGE)), InterchangeForm::None);
    }
    EXPECT_EQ(formOf(0xFFFFFFFFu, EDL_LF_INTERCHANGE), InterchangeForm::None);
}

}  // namespace
