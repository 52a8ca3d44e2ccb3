#include "figure/file_stamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "support/files.h"

namespace figury {

namespace {

namespace fs = std::filesystem;

// What stands at the figure path when it is first looked at.
enum class AtPath { file, link, linkToLink, linkToNothing, linkLoop, folder, nothing };
// What another program does to the file the path leads to before the second look.
enum class Meanwhile { nothing, rewritten, rewrittenSameSize, sameBytesAnew, retimed, created, removed };

struct StampRow {
    const char* name;
    AtPath at;
    Meanwhile meanwhile;
    bool present;   // at the first look
    uint64_t size;  // at the first look
    bool noticed;   // the second look differs from the first
};

// A file is known by its bytes alone, whatever its time says. A link is
// looked through to its file, and a link to nothing is no file at all, as
// an empty path is.
TEST(FileStamp, TellsWhatChangedAtThePathAndWhereItsLinksLead) {
    const std::string before = "PUNKTY 1\n1 2\n";
    const std::string after = "PUNKTY 1\n10 20\n";
    const std::string sameSize = "PUNKTY 1\n3 4\n";
    const StampRow rows[] = {
        {"file untouched", AtPath::file, Meanwhile::nothing, true, 13, false},
        {"file rewritten, its time restored", AtPath::file, Meanwhile::rewritten, true, 13, true},
        {"file rewritten in as many bytes, its time restored", AtPath::file, Meanwhile::rewrittenSameSize,
         true, 13, true},
        {"file written anew with the same bytes", AtPath::file, Meanwhile::sameBytesAnew, true, 13, false},
        {"file's time moved", AtPath::file, Meanwhile::retimed, true, 13, false},
        {"file removed", AtPath::file, Meanwhile::removed, true, 13, true},
        {"nothing there", AtPath::nothing, Meanwhile::nothing, false, 0, false},
        {"nothing there, then a file", AtPath::nothing, Meanwhile::created, false, 0, true},
        {"folder", AtPath::folder, Meanwhile::nothing, true, 0, false},
#ifndef _WIN32
        {"link untouched", AtPath::link, Meanwhile::nothing, true, 13, false},
        {"linked file rewritten, its time restored", AtPath::link, Meanwhile::rewritten, true, 13, true},
        {"linked file's time moved", AtPath::link, Meanwhile::retimed, true, 13, false},
        {"linked file removed", AtPath::link, Meanwhile::removed, true, 13, true},
        {"link to a link, the file rewritten, its time restored", AtPath::linkToLink, Meanwhile::rewritten,
         true, 13, true},
        {"link to nothing", AtPath::linkToNothing, Meanwhile::nothing, false, 0, false},
        {"link to nothing, then a file where it leads", AtPath::linkToNothing, Meanwhile::created, false, 0,
         true},
        {"link loop", AtPath::linkLoop, Meanwhile::nothing, true, 0, false},
#endif
    };
    for (const StampRow& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::ScratchDir scratch;
        const fs::path path = scratch.path() / "obiekt.obj";
        // The file the path leads to, wherever the links make it.
        const bool linked =
            row.at == AtPath::link || row.at == AtPath::linkToLink || row.at == AtPath::linkToNothing;
        const fs::path file = linked ? scratch.path() / "shared.obj" : path;
        switch (row.at) {
            case AtPath::file:
            case AtPath::link:
            case AtPath::linkToLink:
                testing_support::writeBytes(file, before);
                break;
            case AtPath::folder:
                fs::create_directory(path);
                break;
            default:
                break;
        }
        if (row.at == AtPath::link || row.at == AtPath::linkToNothing) {
            fs::create_symlink("shared.obj", path);
        } else if (row.at == AtPath::linkToLink) {
            fs::create_symlink("between.obj", path);
            fs::create_symlink("shared.obj", scratch.path() / "between.obj");
        } else if (row.at == AtPath::linkLoop) {
            fs::create_symlink("obiekt.obj", path);
        }

        const FileStamp first = fileStampOf(path.string().c_str());
        EXPECT_EQ(row.present, first.present);
        EXPECT_EQ(row.size, first.size);
        EXPECT_EQ(row.at != AtPath::folder && row.at != AtPath::linkLoop && row.present, first.read);
        if (!row.present) {
            EXPECT_EQ(FileStamp{}, first);
        }
        switch (row.meanwhile) {
            case Meanwhile::nothing:
                break;
            case Meanwhile::rewritten:
            case Meanwhile::rewrittenSameSize:
            case Meanwhile::sameBytesAnew: {
                // Within the file system's clock tick, as far as the time shows.
                const fs::file_time_type time = fs::last_write_time(file);
                testing_support::writeBytes(file, row.meanwhile == Meanwhile::rewritten           ? after
                                                  : row.meanwhile == Meanwhile::rewrittenSameSize ? sameSize
                                                                                                  : before);
                fs::last_write_time(
                    file, row.meanwhile == Meanwhile::sameBytesAnew ? time + std::chrono::seconds(2) : time);
                break;
            }
            case Meanwhile::retimed:
                fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));
                break;
            case Meanwhile::created:
                testing_support::writeBytes(file, after);
                break;
            case Meanwhile::removed:
                fs::remove(file);
                break;
        }
        const FileStamp second = fileStampOf(path.string().c_str());
        EXPECT_EQ(row.noticed, first != second);
        if (row.meanwhile == Meanwhile::rewritten || row.meanwhile == Meanwhile::created) {
            EXPECT_TRUE(second.present);
            EXPECT_EQ(after.size(), second.size);
        } else if (row.meanwhile == Meanwhile::removed) {
            EXPECT_EQ(FileStamp{}, second);
        }
    }
}

}  // namespace

}  // namespace figury
