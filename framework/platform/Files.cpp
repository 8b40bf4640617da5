#include "framework/platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace Quill {

std::string NativePath(const std::string& path) {
    std::string out = path;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(NativePath(path).c_str(), mode); }

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes) {
    out.clear();
    std::FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    bool ok = true;
    // Counted as read rather than asked of the file's size, which a pipe or a
    // file still growing would not tell truthfully.
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        if (n > maxBytes - out.size()) {
            ok = false;
            break;
        }
        out.insert(out.end(), buffer, buffer + n);
    }
    ok = ok && !std::ferror(f);
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t size) {
    static std::atomic<unsigned> serial{0};
    std::string target = NativePath(path);
    // The temporary name must be new: O_EXCL and O_NOFOLLOW keep a file or
    // link planted under that name (in a shared folder) from being written through.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temp = target + ".tmp" + std::to_string(getpid()) + "_" + std::to_string(serial++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w <= 0) {
            ok = false;
            break;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

std::vector<std::string> FindFiles(const std::string& pattern) {
    std::string native = NativePath(pattern);
    size_t slash = native.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : native.substr(0, slash);
    if (folder.empty()) folder = "/";
    std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (fnmatch(mask.c_str(), name.c_str(), 0) != 0) continue;
        struct stat st;
        if (stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

uint64_t LastWriteTime(const std::string& path) {
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000ull + static_cast<uint64_t>(st.st_mtim.tv_nsec);
}

std::string GetWorkingFolder() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return ".";
    return buffer;
}

bool SetWorkingFolder(const std::string& folder) { return chdir(NativePath(folder).c_str()) == 0; }

std::string GetProgramFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return GetWorkingFolder();
    std::string exe(buffer, static_cast<size_t>(n));
    size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? GetWorkingFolder() : exe.substr(0, slash);
}

bool MakeFolder(const std::string& folder) {
    std::string native = NativePath(folder);
    return mkdir(native.c_str(), 0755) == 0 || errno == EEXIST;
}

bool MakeFolders(const std::string& folder) {
    std::string native = NativePath(folder);
    for (size_t slash = native.find('/', 1); slash != std::string::npos; slash = native.find('/', slash + 1))
        MakeFolder(native.substr(0, slash));
    if (!MakeFolder(native)) return false;
    struct stat st;
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FolderWritable(const std::string& folder) {
    std::string native = NativePath(folder);
    struct stat st;
    // access() answers for this user, ACLs and read-only mounts included.
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(native.c_str(), W_OK | X_OK) == 0;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "";
}

} // namespace Quill
