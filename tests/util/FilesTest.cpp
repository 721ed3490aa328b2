#include "util/files.h"

#include <gtest/gtest.h>

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
