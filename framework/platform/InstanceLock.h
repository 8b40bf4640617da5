#pragma once
// Keeps a second copy of the program from running beside the first. The first
// copy holds an exclusive lock (flock) on a per-user file in $XDG_RUNTIME_DIR
// (else /tmp); the lock goes away with the process, however it ends. A second
// copy that finds the lock taken touches a notify file next to it, and the
// first copy, which polls that file from its main loop, comes to the front.
#include <cstdint>
#include <string>

namespace Quill {

class InstanceLock {
public:
    explicit InstanceLock(const std::string& productName);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Result { Acquired, HeldElsewhere, Unavailable };
    // Takes the lock. Unavailable means the lock file could not be used at
    // all (the caller should run anyway rather than refuse to start).
    Result Acquire();
    // Asks the copy that holds the lock to come to the front.
    bool NotifyHolder();
    // True once for each request of another copy since the last call.
    bool TakeNotification();

    const std::string& Path() const { return path; }

private:
    std::string path;
    int fd = -1;
    uint64_t seenStamp = 0;
};

} // namespace Quill
