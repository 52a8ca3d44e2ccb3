#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editor/session_journal.h"

namespace figury {

// A journal file held open by this session alone: others may read it, but
// not write, cut, rename or delete it while the session runs, and a second
// copy of the editor tells by that that the journal is a live session's.
// Records are written on the caller's thread, so a crash of the process
// loses none of them; a thread of its own flushes them to the disk at most a
// second after they were appended. The caller never waits for that thread:
// under Wine an event is a call to the Wine server, which on a busy machine
// can take milliseconds, so the two share only a lock held for a moment.
class WindowsJournalFile final : public JournalFile {
public:
    // How long the flusher gathers appends before one flush: at most this
    // after the first of them, they are on the disk.
    static constexpr DWORD defaultFlushDelay = 500;  // milliseconds

    // How the flusher takes the file to the disk: FlushFileBuffers, or a
    // test's, which holds the flusher in its flush to append meanwhile.
    using FlushFile = BOOL(WINAPI*)(HANDLE file);

    explicit WindowsJournalFile(DWORD flushDelay = defaultFlushDelay, FlushFile flush = FlushFileBuffers);
    ~WindowsJournalFile() override;
    WindowsJournalFile(const WindowsJournalFile&) = delete;
    WindowsJournalFile& operator=(const WindowsJournalFile&) = delete;

    enum class Opening {
        opened,
        missing,      // nothing at the path
        heldByOther,  // a running session holds it; for a new one, the name is taken
        failed,       // anything else: a folder, no access
    };
    // Takes an existing journal to read it, and to go on with it or drop it.
    Opening openExisting(const std::string& path);
    // Takes a new, empty journal at path, a hidden file.
    Opening create(const std::string& path);
    bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    const std::string& path() const { return path_; }

    // The whole file as it is now; false when it cannot be read.
    bool readAll(std::vector<char>& bytes);
    // Cuts the file to size, the records after that one following.
    bool cutTo(uint64_t size);

    bool begin(std::vector<char> header, std::vector<char> base) override;
    bool append(const char* bytes, size_t size) override;
    void flushSoon() override;

    // Ends the session's hold: what was written is flushed first. close keeps
    // the file, remove deletes it, setAside renames it with suffix added.
    void close();
    bool remove();
    bool setAside(const char* suffix);

    // The flushes done so far, and an event set after each one: a test waits
    // for it rather than for time.
    uint64_t flushes() const;
    HANDLE flushedEvent() const { return flushed_; }

private:
    static DWORD WINAPI runFlusher(void* self);
    void flushLoop();
    void stopFlusher();
    bool writeAll(const char* bytes, size_t size);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string path_;
    DWORD flushDelay_;
    FlushFile flush_;
    // Under lock_, which neither thread holds while the disk works.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
    bool appended_ = false;     // since the flusher last began a flush
    bool stopping_ = false;     // the flusher ends after a last flush
    HANDLE flushed_ = nullptr;  // a flush was done
    HANDLE flusher_ = nullptr;
    volatile LONG flushCount_ = 0;
    bool writeFailed_ = false;
};

// Renames what is at path, a file or a folder, with suffix added; a file
// set aside before under that name is replaced.
bool setJournalAside(const std::string& path, const char* suffix);

}  // namespace figury
