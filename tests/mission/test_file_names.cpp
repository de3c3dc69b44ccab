// File names from the system as text and back: any bytes lead back to the same file.
#include "file_names.h"

#include <gtest/gtest.h>

TEST(FileNames, AnyBytesComeBackAndUtf8ReadsAsItsText) {
    const struct {
        std::string Bytes;
        std::u16string Text;
    } cases[] = {
        {"Battle.skm", u"Battle.skm"},
        {"\xC3\x9C" "berfall \xCE\xA9mega \xF0\x9F\x9A\x80.skm", u"\u00DCberfall \u03A9mega \U0001F680.skm"},
        {"\xE9t\xE9.skm", u"\xDCE9t\xDCE9.skm"},     // Latin-1
        {"\xC3", u"\xDCC3"},                            // cut short
        {"\xC0\x80", u"\xDCC0\xDC80"},                  // a longer form than needed
        {"\xED\xB2\x80", u"\xDCED\xDCB2\xDC80"},        // a surrogate written as UTF-8
        {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"}, // past U+10FFFF
        {"\xFF\xFE", u"\xDCFF\xDCFE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files::NameFromSystem(c.Bytes), c.Text) << c.Bytes;
        EXPECT_EQ(files::PathFromName(files::NameFromSystem(c.Bytes)).native(), c.Bytes);
    }
    EXPECT_EQ(files::AbsoluteName(files::NameFromSystem("/a/./b/../\xE9.skm")), u"/a/\xDCE9.skm");
}
