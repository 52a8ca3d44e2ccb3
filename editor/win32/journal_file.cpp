#include "editor/win32/journal_file.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace figury {

namespace {

// Others may read a live journal, never write or delete it.
constexpr DWORD journalShare = FILE_SHARE_READ;

WindowsJournalFile::Opening openingAfter(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return WindowsJournalFile::Opening::missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_FILE_EXISTS:  // a new journal's name taken
        case ERROR_ALREADY_EXISTS:
            return WindowsJournalFile::Opening::heldByOther;
        default:
            return WindowsJournalFile::Opening::failed;
    }
}

}  // namespace

WindowsJournalFile::WindowsJournalFile(DWORD flushDelay, FlushFile flush)
    : flushDelay_(flushDelay), flush_(flush), flushed_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

WindowsJournalFile::~WindowsJournalFile() {
    close();
    if (flushed_ != nullptr) {
        CloseHandle(flushed_);
    }
}

WindowsJournalFile::Opening WindowsJournalFile::openExisting(const std::string& path) {
    close();
    // A folder in the journal's place is no file to open: it is failed.
    file_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, journalShare, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                error != ERROR_SHARING_VIOLATION)
                   ? Opening::missing
                   : openingAfter(error);
    }
    path_ = path;
    writeFailed_ = false;
    return Opening::opened;
}

WindowsJournalFile::Opening WindowsJournalFile::create(const std::string& path) {
    close();
    file_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, journalShare, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        return openingAfter(GetLastError());
    }
    path_ = path;
    writeFailed_ = false;
    return Opening::opened;
}

bool WindowsJournalFile::readAll(std::vector<char>& bytes) {
    LARGE_INTEGER size;
    if (!isOpen() || !GetFileSizeEx(file_, &size) || size.QuadPart < 0) {
        return false;
    }
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::exception&) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, DWORD{1} << 24));
        DWORD read = 0;
        if (!ReadFile(file_, bytes.data() + done, part, &read, nullptr)) {
            return false;
        }
        if (read == 0) {
            break;  // it grew shorter while read
        }
        done += read;
    }
    bytes.resize(done);
    return true;
}

bool WindowsJournalFile::cutTo(uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return isOpen() && SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) && SetEndOfFile(file_);
}

bool WindowsJournalFile::writeAll(const char* bytes, size_t size) {
    while (size > 0) {
        const DWORD part = static_cast<DWORD>(std::min<size_t>(size, DWORD{1} << 24));
        DWORD written = 0;
        if (!WriteFile(file_, bytes, part, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

// The base of a large figure is tens of megabytes: written at the start,
// before the window shows, it reaches the system's cache in tens of
// milliseconds, and the flusher takes it to the disk.
bool WindowsJournalFile::begin(std::vector<char> header, std::vector<char> base) {
    writeFailed_ =
        !cutTo(0) || !writeAll(header.data(), header.size()) || !writeAll(base.data(), base.size());
    if (!writeFailed_) {
        flushSoon();
    }
    return !writeFailed_;
}

bool WindowsJournalFile::append(const char* bytes, size_t size) {
    writeFailed_ = writeFailed_ || !isOpen() || !writeAll(bytes, size);
    return !writeFailed_;
}

void WindowsJournalFile::flushSoon() {
    if (!isOpen()) {
        return;
    }
    if (flusher_ == nullptr) {
        appended_ = true;  // no other thread yet
        stopping_ = false;
        flusher_ = CreateThread(nullptr, 0, runFlusher, this, 0, nullptr);
        if (flusher_ == nullptr) {
            appended_ = false;
            flush_(file_);  // no thread: flushed here, late rather than never
        }
        return;
    }
    // Only a flusher with nothing to do waits to be woken; while it gathers
    // or flushes it sees appended_ itself.
    AcquireSRWLockExclusive(&lock_);
    const bool idle = !appended_;
    appended_ = true;
    ReleaseSRWLockExclusive(&lock_);
    if (idle) {
        WakeConditionVariable(&wake_);
    }
}

DWORD WINAPI WindowsJournalFile::runFlusher(void* self) {
    static_cast<WindowsJournalFile*>(self)->flushLoop();
    return 0;
}

// Waits for an append, gathers those that follow it for the delay, then
// flushes them all at once; a stop flushes what is left and ends. An append
// made during a flush may have missed it, so appended_ is cleared before the
// flush and that append is flushed by the next one.
void WindowsJournalFile::flushLoop() {
    AcquireSRWLockExclusive(&lock_);
    for (;;) {
        while (!appended_ && !stopping_) {
            SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0);
        }
        const ULONGLONG until = GetTickCount64() + flushDelay_;
        for (ULONGLONG now = GetTickCount64(); !stopping_ && now < until; now = GetTickCount64()) {
            SleepConditionVariableSRW(&wake_, &lock_, static_cast<DWORD>(until - now), 0);
        }
        appended_ = false;
        const bool stopping = stopping_;
        ReleaseSRWLockExclusive(&lock_);
        flush_(file_);
        InterlockedIncrement(&flushCount_);
        SetEvent(flushed_);
        if (stopping) {
            return;
        }
        AcquireSRWLockExclusive(&lock_);
    }
}

uint64_t WindowsJournalFile::flushes() const {
    return static_cast<uint64_t>(InterlockedCompareExchange(const_cast<volatile LONG*>(&flushCount_), 0, 0));
}

void WindowsJournalFile::stopFlusher() {
    if (flusher_ == nullptr) {
        return;
    }
    AcquireSRWLockExclusive(&lock_);
    stopping_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&wake_);
    WaitForSingleObject(flusher_, INFINITE);
    CloseHandle(flusher_);
    flusher_ = nullptr;
    appended_ = false;
}

void WindowsJournalFile::close() {
    stopFlusher();
    if (isOpen()) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
}

bool WindowsJournalFile::remove() {
    const bool held = isOpen();
    close();
    return held && DeleteFileA(path_.c_str());
}

bool WindowsJournalFile::setAside(const char* suffix) {
    close();
    return setJournalAside(path_, suffix);
}

bool setJournalAside(const std::string& path, const char* suffix) {
    const std::string aside = path + suffix;
    return MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace figury
