#pragma once

#include <cstddef>
#include <vector>

#include "editor/session_journal.h"
#include "figure/journal.h"

namespace figury {

namespace testing_support {

// A journal file in memory; it can be made to refuse a start or an append.
class MemoryJournalFile : public JournalFile {
public:
    bool begin(std::vector<char> header, std::vector<char> base) override {
        if (refuseBegin) {
            return false;
        }
        bytes = std::move(header);
        bytes.insert(bytes.end(), base.begin(), base.end());
        return true;
    }
    bool append(const char* data, size_t size) override {
        if (appends++ == refusedAppend) {
            return false;
        }
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    void flushSoon() override { ++flushes; }
    // What a crash leaves: every byte appended.
    JournalContents read() const { return readJournal(bytes.data(), bytes.size()); }

    std::vector<char> bytes;
    bool refuseBegin = false;
    int refusedAppend = -1;  // counted from 0
    int appends = 0;
    int flushes = 0;
};

}  // namespace testing_support

}  // namespace figury
