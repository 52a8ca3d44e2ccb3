#pragma once

#include <cstdint>

namespace figury {

// What a file was when it was looked at: enough to tell, later, that another
// program has written, created, replaced or removed it since.
struct FileStamp {
    bool present = false;  // anything at all at the path, a folder included
    uint64_t size = 0;
    int64_t writeTime = 0;  // the file system's last-write time, in its own ticks

    friend bool operator==(const FileStamp& a, const FileStamp& b) {
        return a.present == b.present && a.size == b.size && a.writeTime == b.writeTime;
    }
    friend bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }
};

// The stamp of the file at path, links followed. Something that cannot be
// looked at counts as present, with size and time 0.
FileStamp fileStampOf(const char* path);

}  // namespace figury
