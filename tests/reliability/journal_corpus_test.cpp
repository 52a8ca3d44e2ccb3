// Reads and replays every input of the journal's fuzzing corpus, the seeds and
// each finding kept there, with the checks the fuzzer makes. Under the
// sanitizer build this is the regression suite for hostile journals.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "journal_checks.h"
#include "support/files.h"

namespace figury {

namespace {

namespace fs = std::filesystem;

TEST(JournalCorpus, EveryInputReadsAndReplaysSoundly) {
    int files = 0;
    int withSteps = 0;
    for (const auto& entry : fs::directory_iterator(FIGURY_JOURNAL_CORPUS)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        const std::string input = testing_support::readBytes(entry.path());
        const std::vector<char> bytes =
            journal_checks::journalOfInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        EXPECT_EQ("", journal_checks::journalFault(bytes));
        withSteps += !readJournal(bytes.data(), bytes.size()).steps.empty();
    }
    EXPECT_GE(files, 3) << "the seed corpus is missing";
    EXPECT_GT(withSteps, 0);
}

}  // namespace

}  // namespace figury
