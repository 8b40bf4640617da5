#include "framework/platform/InstanceLock.h"

#include "framework/platform/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace Quill {

namespace {
std::string LockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
    return "/tmp";
}
} // namespace

InstanceLock::InstanceLock(const std::string& productName) {
    // The uid keeps users apart in /tmp; the product name is cut down to safe characters.
    std::string name = "velmora-" + std::to_string(getuid()) + "-";
    for (unsigned char c : productName.substr(0, 64)) name += std::isalnum(c) ? static_cast<char>(c) : '_';
    path = LockFolder() + "/" + name + ".lock";
}

InstanceLock::~InstanceLock() {
    if (fd >= 0) ::close(fd);
}

InstanceLock::Result InstanceLock::Acquire() {
    if (fd >= 0) return Result::Acquired;
    int handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (handle < 0) return Result::Unavailable;
    struct stat st;
    if (fstat(handle, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) {
        ::close(handle);
        return Result::Unavailable;
    }
    if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
        bool held = errno == EWOULDBLOCK;
        ::close(handle);
        return held ? Result::HeldElsewhere : Result::Unavailable;
    }
    fd = handle;
    seenStamp = LastWriteTime(path + ".notify");
    return Result::Acquired;
}

bool InstanceLock::NotifyHolder() {
    std::string stamp = std::to_string(getpid()) + "\n";
    return WriteFileAtomic(path + ".notify", stamp.data(), stamp.size());
}

bool InstanceLock::TakeNotification() {
    if (fd < 0) return false;
    uint64_t stamp = LastWriteTime(path + ".notify");
    if (stamp == seenStamp) return false;
    seenStamp = stamp;
    return true;
}

} // namespace Quill
