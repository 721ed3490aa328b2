#include "util/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "support/Paths.h"
#include "support/TempDir.h"

namespace {

TEST(Files, MakeUniquePathCountsUp) {
    TempDir dir;
    WideString path = dir.file(u"shot.png");
    ASSERT_TRUE(makeUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(u"shot.png").view());  // nothing there: unchanged

    dir.write(u"shot.png", {1});
    ASSERT_TRUE(makeUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(u"shot+1.png").view());

    dir.write(u"shot+1.png", {1});
    path = dir.file(u"shot.png");
    ASSERT_TRUE(makeUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(u"shot+2.png").view());
}

TEST(Files, MakeUniquePathGivesUpPast259Characters) {
    TempDir dir;
    std::u16string name(259 - dir.path().length() - 1 - 4, u'n');
    name += u".png";
    WideString path = dir.write(name.c_str(), {1});
    ASSERT_EQ(path.length(), 259u);
    EXPECT_FALSE(makeUniquePath(path, u".png"));  // "+1" makes it 261 long
}

TEST(Files, CandidatesAreTheNameThenPlusNumbers) {
    struct Case {
        const char16_t* path;
        const char16_t* extension;
        std::int32_t n;
        const char16_t* candidate;
    };
    const Case cases[] = {
        {u"shot.png", u".png", 0, u"shot.png"},
        {u"shot.png", u".png", 1, u"shot+1.png"},
        {u"shot.png", u".png", 12, u"shot+12.png"},
        {u"a.b.jpg", u".jpg", 2, u"a.b+2.jpg"},            // only the last extension goes
        {u"out.jpg.tmp", u".tmp", 1, u"out.jpg+1.tmp"},    // the extension given, not the first
        {u"noext", u"", 3, u"noext+3"},
    };
    for (const Case& c : cases) {
        WideString out;
        EXPECT_TRUE(uniquePathCandidate(WideString(c.path), c.extension, c.n, out));
        EXPECT_EQ(out.view(), std::u16string_view(c.candidate));
    }
}

TEST(Files, ClaimUniquePathTakesTheFirstFreeNameAndCreatesIt) {
    TempDir dir;
    WideString path = dir.file(u"shot.png");
    ASSERT_TRUE(claimUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(u"shot.png").view());
    EXPECT_TRUE(platform::pathExists(path.c_str()));  // the claim is an empty file
    EXPECT_TRUE(readWholeFile(path).empty());

    // The claim counts as taken; a folder in the way does too.
    ASSERT_TRUE(platform::createDirectory(dir.file(u"shot+1.png").c_str()));
    path = dir.file(u"shot.png");
    ASSERT_TRUE(claimUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(u"shot+2.png").view());
#ifndef _WIN32
    // So does a link to nothing: a claim through it would create its target elsewhere.
    ASSERT_EQ(symlink("nowhere.png", dir.file(u"link.png").toUtf8().c_str()), 0);
    path = dir.file(u"link.png");
    ASSERT_TRUE(claimUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(u"link+1.png").view());
    EXPECT_FALSE(platform::pathExists(dir.file(u"nowhere.png").c_str()));
#endif
}

TEST(Files, AClaimThatCannotBeMadeFailsAtOnce) {
    TempDir dir;
    // A missing folder: not a taken name, so no counting up to the length limit.
    WideString path = dir.file(P(u"gone\\shot.png").c_str());
    EXPECT_FALSE(claimUniquePath(path, u".png"));
    EXPECT_EQ(path.view(), dir.file(P(u"gone\\shot.png").c_str()).view());
}

TEST(Files, ClaimsRacingForOneNameAllGetTheirOwn) {
    TempDir dir;
    constexpr int kThreads = 8, kEach = 12;
    std::vector<std::vector<std::u16string>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int k = 0; k < kEach; ++k) {
                WideString path = dir.file(u"race.jpg");
                if (claimUniquePath(path, u".jpg")) got[t].emplace_back(path.view());
            }
        });
    for (std::thread& t : threads) t.join();
    std::set<std::u16string> all;
    for (const auto& names : got) {
        EXPECT_EQ(names.size(), std::size_t(kEach));
        all.insert(names.begin(), names.end());
    }
    // Every claim a different name, and together exactly the first names of the sequence.
    ASSERT_EQ(all.size(), std::size_t(kThreads * kEach));
    for (int n = 0; n < kThreads * kEach; ++n) {
        WideString expected;
        ASSERT_TRUE(uniquePathCandidate(dir.file(u"race.jpg"), u".jpg", n, expected));
        EXPECT_EQ(all.count(std::u16string(expected.view())), 1u) << n;
    }
}

TEST(Files, MakeTempFileCreatesAnEmptyFile) {
    WideString path;
    ASSERT_TRUE(makeTempFile(path));
    EXPECT_TRUE(platform::pathExists(path.c_str()));
    WideString name = path;
    name.cut(2);
    EXPECT_EQ(name.view().substr(0, 3), u"tmp");
    EXPECT_TRUE(readWholeFile(path).empty());
    TempFileHolder holder;
    holder.path = path;
    holder.close(true);
    EXPECT_FALSE(platform::pathExists(path.c_str()));
}

TEST(Files, ModulePathNamesTheTestExecutable) {
    WideString path;
    modulePath(path);
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(platform::pathExists(path.c_str()));
    path.cut(2);
    EXPECT_EQ(path.view().substr(0, 9), u"test_util");
}

TEST(Files, ReadExactAndBigEndianWrite) {
    TempDir dir;
    WideString path = dir.file(u"be.bin");
    platform::FileHandle f = platform::openForReadWrite(path.c_str(), platform::Create::newAlways);
    ASSERT_TRUE(platform::isValid(f));
    EXPECT_EQ(writeBigEndian32(f, 0x01020304u), 4u);
    platform::closeFile(f);
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));

    f = platform::openForReading(path.c_str());
    std::uint8_t buf[8];
    EXPECT_TRUE(readExact(f, buf, 4));
    EXPECT_FALSE(readExact(f, buf, 1));  // at the end: nothing arrives
    platform::closeFile(f);
    EXPECT_EQ(writeBigEndian32(platform::invalidFile(), 1), 0u);
}

TEST(Files, DirectoryListingAndTimes) {
    TempDir dir;
    dir.write(u"a.bmp", {1, 2, 3});
    WideString sub = dir.file(u"sub");
    ASSERT_TRUE(platform::createDirectory(sub.c_str()));
    int files = 0, folders = 0;
    ASSERT_TRUE(platform::listDirectory(dir.path().c_str(), [&](const platform::DirectoryEntry& e) {
        if (e.isDirectory) {
            ++folders;
            EXPECT_EQ(std::u16string(e.name), u"sub");
        } else {
            ++files;
            EXPECT_EQ(std::u16string(e.name), u"a.bmp");
            EXPECT_EQ(e.size, 3u);
            EXPECT_NE(e.lastWriteTime.dwHighDateTime, 0u);
        }
    }));
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folders, 1);
    EXPECT_TRUE(platform::isDirectory(sub.c_str()));
#ifndef _WIN32
    // A link to a folder lists as a folder that is a link.
    ASSERT_EQ(symlink("sub", dir.file(u"loop").toUtf8().c_str()), 0);
    bool sawLink = false;
    ASSERT_TRUE(platform::listDirectory(dir.path().c_str(), [&](const platform::DirectoryEntry& e) {
        EXPECT_EQ(e.isLink, std::u16string(e.name) == u"loop");
        if (e.isLink) sawLink = e.isDirectory;
    }));
    EXPECT_TRUE(sawLink);
#endif
    EXPECT_FALSE(platform::listDirectory(dir.file(u"missing").c_str(), [](const platform::DirectoryEntry&) {}));
}

TEST(Files, ReplaceFileSwapsContents) {
    TempDir dir;
    WideString target = dir.write(u"out.jpg", {1});
    WideString beside = dir.write(u"out.jpg.new", {2, 2});
    ASSERT_TRUE(platform::replaceFile(beside.c_str(), target.c_str()));
    EXPECT_EQ(readWholeFile(target), (std::vector<std::uint8_t>{2, 2}));
    EXPECT_FALSE(platform::pathExists(beside.c_str()));
}

}  // namespace
