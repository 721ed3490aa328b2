#include "shell/texts/EnglishTexts.h"

#include <gtest/gtest.h>

#include <set>

TEST(EnglishTexts, EveryCodecStatusHasAMessageAndIdsAreUnique) {
    std::set<std::uint32_t> ids;
    for (std::size_t i = 0; i < kEnglishTextCount; ++i) EXPECT_TRUE(ids.insert(kEnglishTexts[i].id).second) << kEnglishTexts[i].id;
    for (std::uint32_t id : {50000u, 50001u, 50002u, 50004u, 50005u, 50006u, 50007u, 30000u, 30001u, 30003u, 30004u, 30005u})
        EXPECT_FALSE(englishText(id).empty()) << id;
    EXPECT_EQ(englishText(1), "");
}

TEST(EnglishTexts, CodesAbove50010GetTheLeadIn) {
    EXPECT_EQ(englishErrorMessage(50004), englishText(50004));
    EXPECT_EQ(englishErrorMessage(50012), englishText(50007) + englishText(50012));
}
