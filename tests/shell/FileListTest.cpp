#include "shell/FileList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "support/Paths.h"
#include "support/TempDir.h"
#include "platform/platform.h"

namespace {

std::vector<std::u16string> names(const FileList& list) {
    std::vector<std::u16string> out;
    for (const FileEntry& e : list.entries) out.emplace_back(e.name.view());
    return out;
}

class FileListTest : public ::testing::Test {
protected:
    TempDir dir;
    FileList list;
    const std::vector<WideString> patterns = fileListPatterns();

    void touch(std::initializer_list<const char16_t*> files) {
        for (const char16_t* f : files) dir.write(f, {1, 2, 3});
    }
};

TEST(FileListPatterns, BuiltInsThenNewPluginExtensions) {
    const WideString plugin[] = {W(u".pcx"), W(u".JPG"), W(u""), W(u".PCX"), W(u".pi")};
    const std::vector<WideString> p = fileListPatterns(plugin, 5);
    std::vector<std::u16string> got;
    for (const WideString& s : p) got.emplace_back(s.view());
    const std::vector<std::u16string> expected = {u".jpg", u".png", u".gif", u".bmp", u".tif",
                                                  u".jpe", u".tiff", u".jpeg", u".pcx", u".pi"};
    EXPECT_EQ(got, expected);
}

TEST(FileListPatterns, ExtensionMatching) {
    struct Case {
        const char16_t* name;
        const char16_t* ext;
        bool match;
    };
    const Case cases[] = {
        {u"a.jpg", u".jpg", true},       {u"A.JPG", u".jpg", true},      {u"photo.jpeg", u".jpe", false},
        {u"photo.jpeg", u".jpeg", true}, {u"scan.tiff", u".tif", false}, {u"x.jpg.txt", u".jpg", false},
        {u".jpg", u".jpg", true},        {u"jpg", u".jpg", false},       {u"a.bmp", u".jpg", false},
        {u"a.pcx", u".p?x", true},       {u"a.pcxx", u".p?x", false},    {u"a.q", u".*", true},
        {u"a.qq", u".*", false},  // the "." must stand where the extension starts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::u16string_view(c.name).size()));
        EXPECT_EQ(matchesListExtension(c.name, c.ext), c.match);
    }
}

TEST_F(FileListTest, NaturalOrderAndTheDocumentSelected) {
    touch({u"img2.png", u"img10.png", u"IMG1.png", u"notes.txt", u"photo.jpeg", u"scan.tif", u"scan2.TIFF"});
    ASSERT_TRUE(platform::createDirectory(dir.file(u"folder.jpg").c_str()));
    ASSERT_TRUE(RefreshList(list, dir.file(u"img10.PNG"), patterns));
    const std::vector<std::u16string> expected = {u"IMG1.png", u"img2.png", u"img10.png", u"photo.jpeg",
                                                  u"scan.tif", u"scan2.TIFF"};
    EXPECT_EQ(names(list), expected);
    EXPECT_EQ(list.listFolder.view(), dir.path().view());
    EXPECT_EQ(list.listSelection, 2);  // named like the document, case aside

    // A document that is not listed selects the first entry.
    ASSERT_TRUE(RefreshList(list, dir.file(u"notes.txt"), patterns));
    EXPECT_EQ(list.listSelection, 0);
}

TEST_F(FileListTest, AFolderListsItsImagesAndSubfoldersInNaturalOrder) {
    touch({u"img10.jpg", u"img2.JPG", u"IMG1.png", u"notes.txt", u"photo.jpeg", u"z.tiff"});
    for (const char16_t* sub : {u"day10", u"Day2", u"day1.jpg"})
        ASSERT_TRUE(platform::createDirectory(dir.file(sub).c_str()));
#ifndef _WIN32
    // A link to a folder is no subfolder: walking it could run in a circle.
    ASSERT_EQ(symlink(".", dir.file(u"again").toUtf8().c_str()), 0);
#endif
    std::vector<WideString> files, subfolders;
    ASSERT_TRUE(ListFolderImages(dir.path(), patterns, files, &subfolders));
    const auto texts = [](const std::vector<WideString>& v) {
        std::vector<std::u16string> out;
        for (const WideString& s : v) out.emplace_back(s.view());
        return out;
    };
    EXPECT_EQ(texts(files),
              (std::vector<std::u16string>{u"IMG1.png", u"img2.JPG", u"img10.jpg", u"photo.jpeg", u"z.tiff"}));
    EXPECT_EQ(texts(subfolders), (std::vector<std::u16string>{u"day1.jpg", u"Day2", u"day10"}));

    // Without the list of subfolders only the files; a folder that cannot be read fails.
    ASSERT_TRUE(ListFolderImages(dir.path(), patterns, files));
    EXPECT_EQ(files.size(), 5u);
    EXPECT_FALSE(ListFolderImages(dir.file(u"gone"), patterns, files, &subfolders));
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(subfolders.empty());
}

TEST_F(FileListTest, PluginExtensionsJoinTheList) {
    touch({u"b.pcx", u"a.jpg"});
    const WideString plugin[] = {W(u".pcx")};
    ASSERT_TRUE(RefreshList(list, dir.file(u"a.jpg"), fileListPatterns(plugin, 1)));
    EXPECT_EQ(names(list), (std::vector<std::u16string>{u"a.jpg", u"b.pcx"}));
    ASSERT_TRUE(RefreshList(list, dir.file(u"a.jpg"), patterns));
    EXPECT_EQ(list.count(), 1);
}

TEST_F(FileListTest, NoImagesOrNoFolderGiveNoList) {
    touch({u"readme.txt"});
    list.listFolder = dir.path();
    EXPECT_FALSE(RefreshList(list, dir.file(u"readme.txt"), patterns));
    EXPECT_FALSE(list.exists());
    EXPECT_TRUE(list.listFolder.empty());

    EXPECT_FALSE(RefreshList(list, dir.file(P(u"gone\\x.jpg").c_str()), patterns));
    EXPECT_FALSE(list.exists());

    // No document path and no folder read before: nothing is read at all.
    EXPECT_FALSE(RefreshList(list, WideString(), patterns));
}

TEST_F(FileListTest, PastedImageKeepsTheFolderWithoutSelection) {
    touch({u"a.png", u"b.png"});
    ASSERT_TRUE(RefreshList(list, dir.file(u"b.png"), patterns));
    EXPECT_EQ(list.listSelection, 1);
    ClearListSelection(list);
    EXPECT_EQ(list.listSelection, kNoListSelection);
    EXPECT_EQ(list.count(), 2);

    // A file created meanwhile shows after a refresh of the same folder, still with no selection.
    touch({u"c.png"});
    ASSERT_TRUE(RefreshList(list, WideString(), patterns));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.listSelection, kNoListSelection);
}

TEST_F(FileListTest, OpeningAndStepping) {
    touch({u"1.jpg", u"2.jpg", u"3.jpg"});
    ASSERT_TRUE(RefreshList(list, dir.file(u"2.jpg"), patterns));
    ASSERT_EQ(list.listSelection, 1);
    EXPECT_EQ(ListNeighbour(list, 1), 2);
    EXPECT_EQ(ListNeighbour(list, -1), 0);
    EXPECT_EQ(ListNeighbour(list, 2), kNoListSelection);

    WideString path;
    EXPECT_FALSE(SelectListEntry(list, 3, path));
    EXPECT_FALSE(SelectListEntry(list, -1, path));
    EXPECT_EQ(list.listSelection, 1);
    ASSERT_TRUE(SelectListEntry(list, 2, path));
    EXPECT_EQ(list.listSelection, 2);
    EXPECT_EQ(path.view(), dir.file(u"3.jpg").view());

    ClearListSelection(list);
    EXPECT_EQ(ListNeighbour(list, 1), 0);
    EXPECT_EQ(ListNeighbour(list, -1), 2);
    EXPECT_EQ(ListNeighbour(FileList{}, 1), kNoListSelection);
}

TEST(FileListWindow, PlacementBesideTheMainWindowOrBelowTheRebar) {
    const ScreenRect work{0, 0, 1920, 1040};
    const ScreenRect rebar{210, 130, 990, 180};
    EXPECT_EQ(PlaceListWindow({400, 100, 1200, 700}, work, rebar, 180).x, 220);
    EXPECT_EQ(PlaceListWindow({400, 100, 1200, 700}, work, rebar, 180).y, 100);
    // Exactly at the work area's edge still fits.
    EXPECT_EQ(PlaceListWindow({180, 100, 900, 700}, work, rebar, 180).x, 0);
    const ScreenPoint below = PlaceListWindow({150, 100, 1000, 700}, work, rebar, 180);
    EXPECT_EQ(below.x, 210);
    EXPECT_EQ(below.y, 180);

    const ScreenPoint text = ListItemTextOrigin({0, 32, 180, 48}, 13);
    EXPECT_EQ(text.x, 2);
    EXPECT_EQ(text.y, 33);
}

}  // namespace
