#include "framework/ini/IniFile.h"

#include "framework/platform/Files.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace Quill {

namespace {

// Values handed back by the string reader are cut to this many characters.
constexpr size_t kMaxValue = 255;
// Anything larger is not a settings file; we refuse it rather than load it.
constexpr size_t kMaxFileSize = 64u * 1024u * 1024u;

// Writers in this process take turns: each one reads the file, changes one
// line and replaces the file, so two at once would lose one of the changes.
std::mutex& WriteLock() {
    static std::mutex lock;
    return lock;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Where a section/key lookup landed in the file text. Offsets index the text.
struct Lookup {
    bool sectionFound = false;
    bool keyFound = false;
    size_t keyLineBegin = 0; // the key's line, without its line end
    size_t keyLineEnd = 0;
    std::string_view keyName; // as spelled in the file
    std::string_view value;   // trimmed, raw (quotes kept)
    // End of the last non-blank line of the section (before its line end):
    // a new key goes on a line of its own right after it.
    size_t sectionLastLineEnd = 0;
};

// One pass over the text: the first section whose name matches, and in it
// the first key whose name matches.
Lookup Find(std::string_view text, std::string_view section, std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    Lookup found;
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t newline = text.find('\n', pos);
        size_t end = newline == std::string_view::npos ? text.size() : newline;
        size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::string_view raw = text.substr(pos, end - pos);
        std::string_view line = Trim(raw);
        if (!line.empty() && line.front() == '[') {
            if (inSection) break; // the section we wanted has ended
            size_t close = line.find(']');
            std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            if (SameName(name, section)) {
                inSection = true;
                found.sectionFound = true;
                found.sectionLastLineEnd = end;
            }
        } else if (inSection && !line.empty()) {
            found.sectionLastLineEnd = end;
            size_t equals = line.find('=');
            if (line.front() != ';' && equals != std::string_view::npos &&
                SameName(Trim(line.substr(0, equals)), key)) {
                found.keyFound = true;
                found.keyLineBegin = pos;
                found.keyLineEnd = end;
                found.keyName = Trim(line.substr(0, equals));
                found.value = Trim(line.substr(equals + 1));
                return found;
            }
        }
        pos = next;
    }
    return found;
}

// The whole file; false when it cannot be read or is too large to be ours.
bool LoadText(const std::string& path, std::string& text) {
    text.clear();
    std::FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() <= kMaxFileSize) text.append(buffer, n);
    bool ok = !std::ferror(f) && text.size() <= kMaxFileSize;
    std::fclose(f);
    return ok;
}

// The game looks texts up by key many times a frame, so the files last read
// are kept, each under its path and its identity on disk (device, inode,
// size, modification time). A write changes that identity, but file times are
// coarse (a few milliseconds) and a freed inode comes back at once, so two
// quick writes of the same size can look alike: a file changed in the last two
// seconds is therefore always read afresh, and only settled files are kept.
struct CachedFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    int64_t modifiedNs = 0;
    std::shared_ptr<const std::string> text;
};

std::shared_ptr<const std::string> LoadCached(const std::string& path) {
    static std::mutex cacheLock;
    static CachedFile cache[4];
    static size_t nextSlot = 0;
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const int64_t modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t age = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec - modified;
    if (age < 2000000000LL) {
        auto fresh = std::make_shared<std::string>();
        return LoadText(path, *fresh) ? fresh : nullptr;
    }
    {
        std::lock_guard<std::mutex> hold(cacheLock);
        for (const CachedFile& c : cache)
            if (c.text && c.path == path && c.device == st.st_dev && c.inode == st.st_ino && c.size == st.st_size &&
                c.modifiedNs == modified)
                return c.text;
    }
    auto text = std::make_shared<std::string>();
    if (!LoadText(path, *text)) return nullptr;
    // Only a read that saw the file as stat'ed may be kept for later calls.
    if (static_cast<off_t>(text->size()) != st.st_size) return text;
    std::lock_guard<std::mutex> hold(cacheLock);
    CachedFile& slot = cache[nextSlot++ % 4];
    slot = CachedFile{path, st.st_dev, st.st_ino, st.st_size, modified, text};
    return text;
}

// The raw (trimmed) value of section/key; false when absent.
bool ReadRaw(const std::string& path, const std::string& section, const std::string& key, std::string& value) {
    std::shared_ptr<const std::string> text = LoadCached(path);
    if (!text) return false;
    Lookup found = Find(*text, section, key);
    if (!found.keyFound) return false;
    value.assign(found.value);
    return true;
}

// Names that could not be found again once written are refused.
bool ValidName(const std::string& name, bool isSection) {
    if (name.find_first_of("\r\n", 0) != std::string::npos || name.find('\0') != std::string::npos) return false;
    std::string_view trimmed = Trim(name);
    if (isSection) return trimmed.find(']') == std::string_view::npos;
    return !trimmed.empty() && trimmed.find('=') == std::string_view::npos && trimmed.front() != ';' &&
           trimmed.front() != '[';
}

// A file we may not write stays as it is (the rename would otherwise replace
// a read-only file behind its owner's back).
bool MayWrite(const std::string& path) {
    std::string native = NativePath(path);
    return access(native.c_str(), F_OK) != 0 || access(native.c_str(), W_OK) == 0;
}

// Sets section/key to `value` (already checked) and replaces the file.
bool WriteRaw(const std::string& path, const std::string& section, const std::string& key, std::string_view value) {
    if (!ValidName(section, true) || !ValidName(key, false)) return false;
    // A line end inside the value would start a line of its own: the value
    // ends where its first line ends.
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));

    std::lock_guard<std::mutex> hold(WriteLock());
    if (!MayWrite(path)) return false;
    std::string text;
    if (FileExists(path) && !LoadText(path, text)) return false;

    // New lines follow the file's own line ends.
    size_t firstNewline = text.find('\n');
    std::string eol = firstNewline != std::string::npos && firstNewline > 0 && text[firstNewline - 1] == '\r' ? "\r\n" : "\n";

    Lookup found = Find(text, section, key);
    std::string updated;
    if (found.keyFound) {
        std::string line = std::string(found.keyName) + "=" + std::string(value);
        // Keep a CR that belonged to the line end.
        size_t end = found.keyLineEnd;
        if (end > found.keyLineBegin && text[end - 1] == '\r') --end;
        if (text.compare(found.keyLineBegin, end - found.keyLineBegin, line) == 0) return true;
        updated.reserve(text.size() + value.size());
        updated.append(text, 0, found.keyLineBegin).append(line).append(text, end, std::string::npos);
    } else if (found.sectionFound) {
        size_t at = found.sectionLastLineEnd;
        if (at > 0 && text[at - 1] == '\r') --at;
        std::string line = eol + std::string(Trim(key)) + "=" + std::string(value);
        updated.reserve(text.size() + line.size());
        updated.append(text, 0, at).append(line).append(text, at, std::string::npos);
    } else {
        updated = text;
        if (!updated.empty() && updated.back() != '\n') updated += eol;
        updated.append("[").append(Trim(section)).append("]").append(eol);
        updated.append(Trim(key)).append("=").append(value).append(eol);
    }
    return WriteFileAtomic(path, updated.data(), updated.size());
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10; // hand-edited files
    return -1;
}

} // namespace

std::string IniReadString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback) {
    std::string value;
    if (!ReadRaw(path, section, key, value)) value = fallback;
    else if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    // The game's buffers are C strings: a NUL ends the text.
    value.resize(std::min({value.size(), value.find('\0'), kMaxValue}));
    return value;
}

bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    return WriteRaw(path, section, key, value);
}

bool IniReadStruct(const std::string& path, const std::string& section, const std::string& key, void* block,
                   size_t size) {
    if (!block && size > 0) return false;
    std::string value;
    if (!ReadRaw(path, section, key, value)) return false;
    if (size > (kMaxFileSize / 2) || value.size() != size * 2 + 2) return false;
    std::vector<uint8_t> bytes(size + 1);
    for (size_t i = 0; i <= size; ++i) {
        int high = HexDigit(value[2 * i]);
        int low = HexDigit(value[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    if (sum != bytes[size]) return false;
    if (size > 0) std::copy(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size), static_cast<uint8_t*>(block));
    return true;
}

bool IniWriteStruct(const std::string& path, const std::string& section, const std::string& key,
                    const void* block, size_t size) {
    if (!block && size > 0) return false;
    static const char kDigits[] = "0123456789ABCDEF";
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    std::string value;
    value.reserve(size * 2 + 2);
    uint8_t sum = 0;
    auto put = [&](uint8_t b) {
        value += kDigits[b >> 4];
        value += kDigits[b & 15];
    };
    for (size_t i = 0; i < size; ++i) {
        put(bytes[i]);
        sum = static_cast<uint8_t>(sum + bytes[i]);
    }
    put(sum);
    return WriteRaw(path, section, key, value);
}

} // namespace Quill
