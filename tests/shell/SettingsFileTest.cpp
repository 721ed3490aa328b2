#include "shell/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/SettingsBytes.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace {

std::vector<std::uint8_t> bytesOf(const char* s) { return std::vector<std::uint8_t>(s, s + std::strlen(s)); }

TEST(SettingsReader, ReadsEachKindAndTreatsEverythingElseAsAbsent) {
    const auto file = SettingsBytes(6)
                          .integer(0, -7)
                          .text(1, u"abc")
                          .data(2, {1, 2, 3, 4, 5})  // odd length: two characters as text
                          .raw(3, 9000, 2)           // points past the end of the file
                          .raw(4, 20, 1000)          // longer than the data area
                          .build();
    SettingsReader r;
    ASSERT_TRUE(r.openMemory(file.data(), file.size()));
    EXPECT_EQ(r.entryCount, 6u);
    EXPECT_EQ(r.dataAreaSize, 6u + 5u);

    EXPECT_EQ(r.readInt(0, 99), -7);
    EXPECT_EQ(r.readInt(1, 99), 99);  // a data entry is not an integer
    EXPECT_EQ(r.readInt(5, 99), 99);  // empty
    EXPECT_EQ(r.readInt(6, 99), 99);  // beyond entryCount
    EXPECT_EQ(r.readInt(500, 99), 99);

    WideString t(u"old");
    EXPECT_TRUE(r.readText(1, t));
    EXPECT_EQ(t.view(), u"abc");
    EXPECT_TRUE(r.readText(2, t));
    EXPECT_EQ(t.view(), std::u16string_view(u"\u0201\u0403"));
    for (std::uint32_t i : {0u, 3u, 4u, 5u}) {  // integer, unreadable, oversized, empty: present but empty
        t.assign(u"old");
        EXPECT_TRUE(r.readText(i, t)) << i;
        EXPECT_TRUE(t.empty()) << i;
    }
    t.assign(u"old");
    EXPECT_FALSE(r.readText(6, t));
    EXPECT_TRUE(t.empty());

    std::uint8_t buffer[8] = {};
    EXPECT_EQ(r.readData(2, nullptr, 0), 5u);
    EXPECT_EQ(r.readData(2, buffer, 4), 5u);  // too small: length only
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(r.readData(2, buffer, 8), 5u);
    EXPECT_EQ(buffer[4], 5);
    EXPECT_EQ(r.readData(3, buffer, 8), 0u);     // failed read
    EXPECT_EQ(r.readData(4, nullptr, 0), 0u);    // longer than the data area
    EXPECT_EQ(r.readData(0, nullptr, 0), 0u);    // integer
}

TEST(SettingsReader, ShortOrEmptyFilesLoadNothing) {
    const auto full = SettingsBytes(3).integer(2, 1).build();
    const std::vector<std::vector<std::uint8_t>> cases = {
        {},
        {3, 0, 0xDC},                                     // short header
        std::vector<std::uint8_t>(full.begin(), full.end() - 1),  // short descriptor table
    };
    for (const auto& bytes : cases) {
        SettingsReader r;
        EXPECT_FALSE(r.openMemory(bytes.data(), bytes.size()));
        EXPECT_FALSE(r.loaded);
        EXPECT_EQ(r.readInt(2, 5), 5);
        WideString t;
        EXPECT_FALSE(r.readText(0, t));
    }
    SettingsReader missing;
    TempDir dir;
    EXPECT_FALSE(missing.open(dir.file(u"none.ini").c_str()));
}

TEST(SettingsReader, CountAbove70ReadsTheFirst70) {
    SettingsBytes b(100);
    b.integer(69, 5).integer(70, 6);
    const auto file = b.build();
    SettingsReader r;
    ASSERT_TRUE(r.openMemory(file.data(), file.size()));
    EXPECT_EQ(r.entryCount, 70u);
    EXPECT_EQ(r.readInt(69, 0), 5);
    EXPECT_EQ(r.readInt(70, 0), 0);
}

std::vector<std::uint8_t> compose(const std::vector<std::uint8_t>& old, void (*writes)(SettingsWriter&)) {
    SettingsWriter w;
    EXPECT_TRUE(w.openMemory(old.empty() ? nullptr : old.data(), old.size()));
    writes(w);
    EXPECT_TRUE(w.close());
    return std::vector<std::uint8_t>(w.bytes(), w.bytes() + w.size());
}

TEST(SettingsWriter, FreshFileHasHeaderTableThenDataInWriteOrder) {
    const auto f = compose({}, [](SettingsWriter& w) {
        w.writeInt(3, -5);
        w.writeText(10, WideString(u"ab"));
        w.writeData(12, "\x01\x00\x4F\x00\x88\x13", 6);
        w.writeText(0, WideString());
    });
    ASSERT_EQ(f.size(), 564u + 4 + 6);
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin(), f.begin() + 4), (std::vector<std::uint8_t>{0x46, 0x00, 0xDC, 0x05}));
    EXPECT_EQ(fileU32(f, 4 + 8 * 3), 1u);
    EXPECT_EQ(fileU32(f, 8 + 8 * 3), 0xFFFFFFFBu);
    EXPECT_EQ(fileU32(f, 4 + 8 * 10), 564u);
    EXPECT_EQ(fileU32(f, 8 + 8 * 10), 4u);
    EXPECT_EQ(fileU32(f, 4 + 8 * 12), 568u);
    EXPECT_EQ(fileU32(f, 4 + 8 * 0), 0u);  // empty text: {0, 0}
    EXPECT_EQ(f[564], 'a');
    EXPECT_EQ(f[565], 0);
}

TEST(SettingsWriter, CarriesForwardWhatItDoesNotWriteAndDropsWhatItReplaces) {
    const auto old = SettingsBytes(20)
                         .data(1, bytesOf("other version"))
                         .integer(13, 77)
                         .data(7, bytesOf("was data"))  // now written as an integer
                         .text(10, u"old folder")
                         .raw(14, 3, 4)  // points into the old header: cannot be carried
                         .build();
    const auto f = compose(old, [](SettingsWriter& w) {
        w.writeInt(7, 3);
        w.writeText(10, WideString(u"new"));
    });
    SettingsReader r;
    ASSERT_TRUE(r.openMemory(f.data(), f.size()));
    std::uint8_t buffer[32];
    ASSERT_EQ(r.readData(1, buffer, sizeof buffer), 13u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 13), "other version");
    EXPECT_EQ(r.readInt(13, 0), 77);
    EXPECT_EQ(r.readInt(7, 0), 3);
    EXPECT_EQ(r.readData(14, nullptr, 0), 0u);
    EXPECT_EQ(fileU32(f, 4 + 8 * 14), 0u);
    // No dead bytes: the new text, then the carried entry.
    EXPECT_EQ(f.size(), 564u + 6 + 13);
    EXPECT_FALSE(containsBytes(f, bytesOf("was data")));
    EXPECT_FALSE(containsBytes(f, std::vector<std::uint8_t>{'o', 0, 'l', 0, 'd', 0}));
}

TEST(SettingsWriter, HundredOldEntriesKeepTheFirst70) {
    SettingsBytes b(100);
    b.data(1, bytesOf("keep me")).integer(69, 69).data(80, bytesOf("drop me")).integer(90, 90);
    const auto f = compose(b.build(), [](SettingsWriter&) {});
    EXPECT_EQ(f[0], 70);
    SettingsReader r;
    ASSERT_TRUE(r.openMemory(f.data(), f.size()));
    EXPECT_EQ(r.readInt(69, 0), 69);
    EXPECT_EQ(r.readData(1, nullptr, 0), 7u);
    EXPECT_EQ(f.size(), 564u + 7);
    EXPECT_FALSE(containsBytes(f, bytesOf("drop me")));
}

TEST(SettingsWriter, ComposingTwiceIsByteIdentical) {
    const auto old = SettingsBytes(70).data(1, bytesOf("one")).data(13, bytesOf("thirteen")).text(0, u"x").build();
    auto writes = [](SettingsWriter& w) {
        w.writeText(0, WideString(u"English"));
        w.writeInt(2, 1);
        w.writeText(15, WideString(u"Output"));
    };
    const auto first = compose(old, writes);
    const auto second = compose(first, writes);
    EXPECT_EQ(first, second);
}

TEST(SettingsWriter, SavesBesideTheOldFileAndSwapsItIn) {
    TempDir dir;
    const auto old = SettingsBytes(70).data(1, bytesOf("kept")).build();
    const WideString path = dir.write(u"Vantle.ini", old);
    SettingsWriter w;
    ASSERT_TRUE(w.open(path.c_str()));
    EXPECT_TRUE(platform::pathExists(dir.file(u"Vantle.ini.new").c_str()));
    EXPECT_EQ(readWholeFile(path), old);  // untouched until the new file is complete
    w.writeInt(3, 10);
    ASSERT_TRUE(w.close());
    EXPECT_FALSE(platform::pathExists(dir.file(u"Vantle.ini.new").c_str()));
    const auto f = readWholeFile(path);
    EXPECT_EQ(f.size(), 564u + 4);
    EXPECT_TRUE(containsBytes(f, bytesOf("kept")));
}

TEST(SettingsWriter, AnUnclosedWriterPlacesNothing) {
    TempDir dir;
    const auto old = SettingsBytes(3).integer(2, 1).build();
    const WideString path = dir.write(u"Vantle.ini", old);
    {
        SettingsWriter w;
        ASSERT_TRUE(w.open(path.c_str()));
        w.writeInt(2, 0);
    }
    EXPECT_EQ(readWholeFile(path), old);
    EXPECT_FALSE(platform::pathExists(dir.file(u"Vantle.ini.new").c_str()));
}

TEST(SettingsWriter, FailureToCreateTheNewFileLeavesTheOldOne) {
    TempDir dir;
    const auto old = SettingsBytes(3).integer(2, 1).build();
    const WideString path = dir.write(u"Vantle.ini", old);
    ASSERT_TRUE(platform::createDirectory(dir.file(u"Vantle.ini.new").c_str()));
    SettingsWriter w;
    EXPECT_FALSE(w.open(path.c_str()));
    EXPECT_FALSE(w.ready);
    EXPECT_FALSE(w.writeInt(2, 0));
    EXPECT_FALSE(w.close());
    EXPECT_EQ(readWholeFile(path), old);
}

#ifndef _WIN32
// A write that fails half-way (here: the file-size limit) must leave the old file as it was.
TEST(SettingsWriter, FailedWriteLeavesTheOldFileIntact) {
    TempDir dir;
    const auto old = SettingsBytes(70).text(0, u"English").data(1, bytesOf("carried")).build();
    const WideString path = dir.write(u"Vantle.ini", old);

    SettingsWriter w;
    ASSERT_TRUE(w.open(path.c_str()));
    w.writeText(0, WideString(std::u16string(200, u'x').c_str()));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 600;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool placed = w.close();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(placed);
    EXPECT_EQ(readWholeFile(path), old);
    EXPECT_FALSE(platform::pathExists(dir.file(u"Vantle.ini.new").c_str()));
}
#endif

}  // namespace
