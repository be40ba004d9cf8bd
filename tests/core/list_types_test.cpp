// The list-type table's naming columns: one header form text per header family and one
// event form text per event form, as the command line names them.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/list_types.h"

namespace {

using edlb::EventForm;
using edlb::HeaderFamily;
using edlb::ListTypeInfo;

const std::map<HeaderFamily, std::string> kHeaderForms = {
    {HeaderFamily::None, "none"},
    {HeaderFamily::A1, "xjt-list"},
    {HeaderFamily::A2, "xjt-clip"},
    {HeaderFamily::C, "cmx"},
    {HeaderFamily::D5, "log-exchange"},
    {HeaderFamily::D6, "framegrab-columns"},
    {HeaderFamily::D22, "batch-list"},
    {HeaderFamily::D23, "media-log"},
    {HeaderFamily::D27, "edit-columns"},
    {HeaderFamily::D40, "field-names"},
    {HeaderFamily::D41, "reel-clip-columns"},
    {HeaderFamily::E, "smpte"},
    {HeaderFamily::F, "flex"},
    {HeaderFamily::G44, "short-cmx"},
    {HeaderFamily::G45, "ds"},
};

const std::map<EventForm, std::string> kEventForms = {
    {EventForm::B1Short, "short-reel"}, {EventForm::B1Full, "full-reel"},
    {EventForm::B2, "cmx-numbered"},    {EventForm::B3, "smpte"},
    {EventForm::B4, "flex"},            {EventForm::B5, "clip"},
    {EventForm::B6, "short-cmx"},       {EventForm::B7, "ds"},
};

void expectForms(const ListTypeInfo& row) {
    SCOPED_TRACE(row.value);
    ASSERT_NE(row.headerForm, nullptr);
    ASSERT_NE(row.eventForm, nullptr);
    EXPECT_EQ(row.headerForm, kHeaderForms.at(row.header));
    EXPECT_EQ(row.eventForm, kEventForms.at(row.events));
}

TEST(ListTypeForms, EachRowNamesTheHeaderAndEventFormItIsWrittenWith) {
    size_t count = 0;
    const ListTypeInfo* rows = edlb::listTypeRows(&count);
    for (size_t i = 0; i < count; ++i) expectForms(rows[i]);
    // Values without a dialect of their own are written like list type 10's header with
    // full-reel event lines.
    expectForms(edlb::listTypeInfo(0));
    expectForms(edlb::listTypeInfo(47));
    EXPECT_STREQ(edlb::listTypeInfo(300).headerForm, "cmx");
    EXPECT_STREQ(edlb::listTypeInfo(300).eventForm, "full-reel");
}

}  // namespace
