#pragma once

#include <cstdint>

namespace figury {

// Held from a save's look at the file to the end of its replace, so that no
// other copy of the editor can save the same file in between: the later of
// two saves always finds the earlier one's bytes, and so knows the file
// changed. Other programs do not take it.
class SaveLock {
public:
    // Waits while another copy holds the lock for the file at path. When the
    // lock cannot be had at all (no folder to lock, no memory), the save goes
    // on without it.
    explicit SaveLock(const char* path);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    // True when another copy held the lock for longer than any save takes:
    // that copy is stuck in the middle of its save, and this one must not
    // write.
    bool waitedInVain() const { return waitedInVain_; }

    // Called, when set, as a save finds the lock held and begins to wait:
    // tests learn from it that a save waits, and so order the two copies.
    // Set it only while no save runs.
    inline static void (*beginsToWait)() = nullptr;

private:
    static constexpr intptr_t noLock = -1;
    intptr_t lock_ = noLock;  // the platform's: a mutex's handle, a folder's descriptor
    bool waitedInVain_ = false;
};

}  // namespace figury
