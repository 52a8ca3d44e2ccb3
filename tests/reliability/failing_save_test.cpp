// A save that fails at any point keeps the previous figure file byte for
// byte, leaves no temporary behind and reports failure.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "figure/figure_file.h"
#include "support/figures.h"
#include "support/files.h"
#include "figure/save_steps.h"

namespace figury {

using testing_support::makeFigure;
using testing_support::platformText;
using testing_support::readBytes;
using testing_support::ScratchDir;
using testing_support::writeBytes;

namespace {

namespace fs = std::filesystem;

// Counts the file operations of one save and makes the chosen one fail the
// way a disk does; all the others run for real.
struct Fault {
    int failAt = 0;
    int calls = 0;
    const char* failed = nullptr;  // the operation that failed, if any
};
Fault fault;

bool failsNow(const char* operation) {
    if (++fault.calls != fault.failAt) {
        return false;
    }
    fault.failed = operation;
    return true;
}

const SaveSteps& real() {
    return fileSaveSteps();
}

const SaveSteps failingSteps{
    [](const char* path) { return failsNow("target") ? std::string() : real().target(path); },
    [](const char* path) { return !failsNow("replaceable") && real().replaceable(path); },
    [](const char* path, bool& nameTaken) -> std::FILE* {
        return failsNow("create") ? nullptr : real().create(path, nameTaken);
    },
    [](std::FILE* file, const char* bytes, size_t size) {
        if (failsNow("write")) {
            real().write(file, bytes, size / 2);  // the disk filled up half-way
            return false;
        }
        return real().write(file, bytes, size);
    },
    [](std::FILE* file) { return !failsNow("flush") && real().flush(file); },
    [](std::FILE* file) { return !failsNow("sync") && real().sync(file); },
    // A failed close still releases the file, as the system's does.
    [](std::FILE* file) { return real().close(file) && !failsNow("close"); },
    [](const char* from, const char* to) { return !failsNow("replace") && real().replace(from, to); },
    [](const char* path) { return !failsNow("remove") && real().remove(path); },
};

// Every file and folder below folder, by relative path, with its bytes.
std::map<std::string, std::string> folderContents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        contents[entry.path().lexically_relative(folder).generic_string()] =
            entry.is_symlink()     ? "<link to " + fs::read_symlink(entry.path()).generic_string() + ">"
            : entry.is_directory() ? std::string("<folder>")
                                   : readBytes(entry.path());
    }
    return contents;
}

const Figure replacement = makeFigure({{7, 8}, {9, 10}, {-11, 12}}, {{2, 1}, {3, 3}});
const std::string replacementText = platformText("PUNKTY 3\n\n7 8\n9 10\n-11 12\n\nLINIE 2\n\n2 1\n3 3\n");

struct Situation {
    const char* name;
    std::map<std::string, std::string> files;  // in the figure's folder before the save
};

const std::vector<Situation> situations = {
    {"an old figure file", {{"obiekt.obj", platformText("PUNKTY 1\n\n1 2\n\nLINIE 0\n\n")}}},
    {"an old file longer than the new one", {{"obiekt.obj", std::string(300, '/') + "\nPUNKTY 1\n5 5\n"}}},
    {"an empty old file", {{"obiekt.obj", ""}}},
    {"no old file", {}},
    {"a file of the user's named like a temporary",
     {{"obiekt.obj", platformText("PUNKTY 1\n\n3 4\n\nLINIE 0\n\n")}, {"obiekt.obj.tmp", "PUNKTY 9\n1 1\n"}}},
    {"other files beside it", {{"obiekt.obj", "PUNKTY 1\n1 1\n"}, {"inne.obj", "PUNKTY 1\n2 2\n"}}},
};

TEST(FailingSave, EveryFailingOperationKeepsTheOldFile) {
    for (const Situation& situation : situations) {
        SCOPED_TRACE(situation.name);
        ScratchDir dir;
        const std::string path = dir.file("obiekt.obj");
        std::set<std::string> failedOperations;
        int failAt = 1;
        for (;; ++failAt) {
            SCOPED_TRACE("failing operation " + std::to_string(failAt));
            for (const auto& [name, bytes] : situation.files) {
                writeBytes(dir.path() / name, bytes);
            }
            fault = Fault{failAt};
            const bool result = saveFigure(replacement, path.c_str(), failingSteps);
            if (fault.failed == nullptr) {
                ASSERT_TRUE(result) << "no operation failed";
                break;
            }
            failedOperations.insert(fault.failed);
            EXPECT_FALSE(result) << fault.failed << " failed";
            EXPECT_EQ(situation.files, folderContents(dir.path())) << fault.failed << " failed";
            ASSERT_LT(failAt, 20);
        }
        EXPECT_EQ((std::set<std::string>{"target", "replaceable", "create", "write", "flush", "sync", "close",
                                         "replace"}),
                  failedOperations);
        auto expected = situation.files;
        expected["obiekt.obj"] = replacementText;
        EXPECT_EQ(expected, folderContents(dir.path()));
    }
}

// Another program takes the temporary's name between the save choosing it and
// creating it: its file is never opened, and the save goes on under another name.
std::string nameTakenBy;  // the temporary name the other program took

const SaveSteps racedSteps{
    real().target,
    real().replaceable,
    [](const char* path, bool& nameTaken) -> std::FILE* {
        if (nameTakenBy.empty()) {
            nameTakenBy = path;
            writeBytes(path, "theirs\n");
        }
        return real().create(path, nameTaken);
    },
    real().write,
    real().flush,
    real().sync,
    real().close,
    real().replace,
    real().remove,
};

TEST(FailingSave, ATemporaryNameTakenMeanwhileIsLeftToItsOwner) {
    ScratchDir dir;
    const std::string path = dir.file("obiekt.obj");
    writeBytes(path, "PUNKTY 1\n1 2\n");
    nameTakenBy.clear();
    EXPECT_TRUE(saveFigure(replacement, path.c_str(), racedSteps));
    ASSERT_FALSE(nameTakenBy.empty());
    const std::string taken = fs::path(nameTakenBy).filename().string();
    EXPECT_EQ((std::map<std::string, std::string>{{"obiekt.obj", replacementText}, {taken, "theirs\n"}}),
              folderContents(dir.path()));
}

// Failures the file system makes by itself, whoever runs the save.
TEST(FailingSave, FolderFailuresKeepEverythingAsItWas) {
    struct Case {
        const char* name;
        std::vector<std::string> folders;  // made before the save
        std::map<std::string, std::string> files;
        const char* target;
        const char* loop = nullptr;  // a link made to lead to itself
    };
    const std::vector<Case> cases = {
        {"no Dane folder", {}, {}, "Dane/obiekt.obj"},
        {"no Dane folder, a file of that name", {}, {{"Dane", "not a folder"}}, "Dane/obiekt.obj"},
        {"the figure file's name taken by a folder",
         {"Dane", "Dane/obiekt.obj"},
         {{"Dane/obiekt.obj/x", "x"}},
         "Dane/obiekt.obj"},
#ifndef _WIN32
        {"the figure file's name taken by a link loop", {"Dane"}, {}, "Dane/obiekt.obj", "Dane/obiekt.obj"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        for (const std::string& folder : c.folders) {
            fs::create_directory(dir.path() / folder);
        }
        for (const auto& [name, bytes] : c.files) {
            writeBytes(dir.path() / name, bytes);
        }
        if (c.loop) {
            fs::create_symlink(fs::path(c.loop).filename(), dir.path() / c.loop);
        }
        const auto before = folderContents(dir.path());
        EXPECT_FALSE(saveFigure(replacement, dir.file(c.target).c_str()));
        EXPECT_EQ(before, folderContents(dir.path()));
    }
}

}  // namespace

}  // namespace figury
