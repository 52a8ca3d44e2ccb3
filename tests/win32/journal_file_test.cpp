// The journal's file on Windows: held so that no other copy may write, cut
// or delete it, readable by all; what it appends is in the file at once, and
// its thread flushes it to the disk.

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/win32/journal_file.h"
#include "support/files.h"

namespace figury {

namespace {

// Long enough that only a fault could run it out.
constexpr DWORD flushWait = 10000;

std::string bytesAt(const std::string& path) {
    return testing_support::readBytes(path);
}

class JournalFileTest : public ::testing::Test {
protected:
    testing_support::ScratchDir scratch_;
    const std::string path_ = scratch_.file("obiekt.obj.journal");
};

TEST_F(JournalFileTest, ALiveJournalIsReadableButNoOneElseMayWriteOrDeleteIt) {
    WindowsJournalFile live;
    ASSERT_EQ(WindowsJournalFile::Opening::opened, live.create(path_));
    ASSERT_TRUE(live.begin({'h', 'e'}, {'b'}));
    EXPECT_NE(0u, GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ("heb", bytesAt(path_));

    WindowsJournalFile second;
    EXPECT_EQ(WindowsJournalFile::Opening::heldByOther, second.openExisting(path_));
    EXPECT_EQ(WindowsJournalFile::Opening::heldByOther, second.create(path_));
    EXPECT_FALSE(DeleteFileA(path_.c_str()));
    EXPECT_FALSE(setJournalAside(path_, ".aside"));
    EXPECT_EQ("heb", bytesAt(path_));

    live.close();
    ASSERT_EQ(WindowsJournalFile::Opening::opened, second.openExisting(path_));
    std::vector<char> read;
    ASSERT_TRUE(second.readAll(read));
    EXPECT_EQ("heb", std::string(read.begin(), read.end()));
    ASSERT_TRUE(second.cutTo(2));
    ASSERT_TRUE(second.append("x", 1));
    EXPECT_EQ("hex", bytesAt(path_));
    EXPECT_TRUE(second.remove());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path_.c_str()));
}

TEST_F(JournalFileTest, OpeningTellsWhatIsThere) {
    WindowsJournalFile file;
    EXPECT_EQ(WindowsJournalFile::Opening::missing, file.openExisting(path_));
    ASSERT_TRUE(CreateDirectoryA(path_.c_str(), nullptr));
    EXPECT_EQ(WindowsJournalFile::Opening::failed, file.openExisting(path_));
    EXPECT_TRUE(setJournalAside(path_, ".uszkodzony"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((path_ + ".uszkodzony").c_str()));
    EXPECT_EQ(WindowsJournalFile::Opening::failed,
              file.create(scratch_.file("no folder/obiekt.obj.journal")));
    EXPECT_FALSE(file.begin({'h'}, {'b'}));
    EXPECT_FALSE(file.append("x", 1));
}

// The flusher is woken by each start and append and flushes after its delay,
// here none; the test waits for the flush it caused, never for time.
TEST_F(JournalFileTest, EveryAppendIsFlushedByTheFlusherAndAllAtTheClose) {
    WindowsJournalFile file(0);
    ASSERT_EQ(WindowsJournalFile::Opening::opened, file.create(path_));
    ASSERT_TRUE(file.begin({'h'}, {'b'}));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(file.flushedEvent(), flushWait));
    const uint64_t afterBegin = file.flushes();
    EXPECT_GE(afterBegin, 1u);
    for (char record : {'1', '2', '3'}) {
        ASSERT_TRUE(file.append(&record, 1));
        // In the file as soon as it is appended: a crash of the process loses nothing.
        EXPECT_EQ(record, bytesAt(path_).back());
        file.flushSoon();
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(file.flushedEvent(), flushWait));
    }
    EXPECT_GT(file.flushes(), afterBegin);
    const uint64_t beforeClose = file.flushes();
    ASSERT_TRUE(file.append("4", 1));
    file.flushSoon();
    file.close();  // flushes what is left before it lets go
    EXPECT_GT(file.flushes(), beforeClose);
    EXPECT_EQ("hb1234", bytesAt(path_));
}

// The flusher held in a flush by the test: the flush lets the test know it
// began, and ends when the test lets it go.
HANDLE flushBegun = nullptr;
HANDLE flushLetGo = nullptr;
bool flushLetGoInTime = true;

BOOL WINAPI heldFlush(HANDLE file) {
    SetEvent(flushBegun);
    flushLetGoInTime = WaitForSingleObject(flushLetGo, flushWait) == WAIT_OBJECT_0 && flushLetGoInTime;
    return FlushFileBuffers(file);
}

// An append while the flusher is in a flush neither waits for it (the flush
// is let go only after the append returned) nor stays unflushed, as the
// flush under way may have missed it.
TEST_F(JournalFileTest, AnAppendDuringAFlushNeitherWaitsForItNorMissesTheNextFlush) {
    flushBegun = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    flushLetGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    flushLetGoInTime = true;
    {
        WindowsJournalFile file(0, heldFlush);
        ASSERT_EQ(WindowsJournalFile::Opening::opened, file.create(path_));
        ASSERT_TRUE(file.begin({'h'}, {'b'}));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(flushBegun, flushWait));
        ASSERT_TRUE(file.append("1", 1));
        file.flushSoon();
        EXPECT_EQ("hb1", bytesAt(path_));
        SetEvent(flushLetGo);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(flushBegun, flushWait)) << "the append's own flush";
    }
    EXPECT_TRUE(flushLetGoInTime) << "the append waited for the flush";
    CloseHandle(flushBegun);
    CloseHandle(flushLetGo);
}

}  // namespace

}  // namespace figury
