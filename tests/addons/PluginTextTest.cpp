// GetPluginInfo's copying rules, shared by our plug-ins: the text cut to the buffer with its
// terminating zero, the count of characters written, 0 for what does not exist.
#include "addons/common/PluginText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kEntries[] = {"00IN", "name 1.0", "*.a;*.b", "Some image"};
constexpr int kCount = 4;

TEST(PluginText, CopiesCutsAndCounts) {
    struct Case {
        int number, bufferSize, result;
        std::string text;
    };
    const Case cases[] = {
        {0, 8, 4, "00IN"},       {2, 260, 7, "*.a;*.b"}, {3, 11, 10, "Some image"},
        {3, 10, 9, "Some imag"}, {0, 2, 1, "0"},         {0, 1, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "entry " << c.number << ", buffer " << c.bufferSize);
        std::string buffer(16 + c.bufferSize, 'x');
        EXPECT_EQ(plugin_text::copyInfoText(kEntries, kCount, c.number, buffer.data(), c.bufferSize), c.result);
        EXPECT_EQ(std::string(buffer.c_str()), c.text);
        EXPECT_EQ(buffer[c.bufferSize], 'x');  // nothing written past the buffer
    }
}

TEST(PluginText, NothingForEntriesThatDoNotExist) {
    char buffer[8] = "keep";
    for (int number : {-1, kCount, 1000}) EXPECT_EQ(plugin_text::copyInfoText(kEntries, kCount, number, buffer, 8), 0);
    EXPECT_EQ(plugin_text::copyInfoText(kEntries, kCount, 0, buffer, 0), 0);
    EXPECT_EQ(plugin_text::copyInfoText(kEntries, kCount, 0, nullptr, 8), 0);
    EXPECT_STREQ(buffer, "keep");
}

}  // namespace
