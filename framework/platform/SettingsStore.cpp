#include "framework/platform/SettingsStore.h"

#include "framework/platform/Files.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace Quill {

namespace {

// One read-modify-write at a time inside the process; the atomic replace
// covers other processes well enough for a handful of settings.
std::mutex& StoreLock() {
    static std::mutex lock;
    return lock;
}

bool IsPlainByte(unsigned char c) { return c > 0x20 && c < 0x7F && c != '%'; }

// Bytes that are not plain printable text become %XX.
std::string Escape(const std::string& raw) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(raw.size());
    for (unsigned char c : raw) {
        if (IsPlainByte(c) || c == ' ') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t& out) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > limit) return false;
    out = v;
    return true;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool ValidName(const std::string& name) {
    return !name.empty() && name.size() <= SettingsStore::kMaxNameBytes && name.find('\0') == std::string::npos &&
           name.back() != '\\';
}

bool ValidValue(uint32_t type, size_t size) {
    if (type == 0 || type > 11) return false;
    if (type == SETTING_DWORD) return size == 4;
    return size <= SettingsStore::kMaxValueBytes;
}

std::string DwordBytes(uint32_t v) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return bytes;
}

uint32_t DwordValue(const std::string& bytes) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    return v;
}

} // namespace

SettingsStore::SettingsStore(std::string productKey) : key(std::move(productKey)) {}

std::string SettingsStore::Folder() {
    const char* own = std::getenv("VELMORA_CONFIG_HOME");
    if (own && *own) return own;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/velmora";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config/velmora";
    return "/tmp/velmora-config";
}

std::string SettingsStore::FilePath() const {
    if (key.empty()) return "";
    // The key becomes a plain file name: separators and anything unusual are
    // escaped, so no key can reach outside the folder or name a hidden file.
    std::string name;
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : key) {
        bool plain = std::isalnum(c) || c == ' ' || c == '-' || c == '_' || (c == '.' && !name.empty());
        if (plain) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
    }
    return Folder() + "/" + name + ".settings";
}

std::vector<SettingsStore::Value> SettingsStore::Parse(const std::string& text) {
    std::vector<Value> values;
    size_t start = 0;
    while (start < text.size() && values.size() < kMaxValues) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        size_t tab1 = line.find('\t');
        size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || line.find('\t', tab2 + 1) != std::string::npos) continue;
        uint64_t type = 0;
        Value v;
        if (!ParseUnsigned(line.substr(0, tab1), 11, type) || type == 0) continue;
        v.type = static_cast<uint32_t>(type);
        if (!Unescape(line.substr(tab1 + 1, tab2 - tab1 - 1), v.name) || !ValidName(v.name)) continue;
        std::string field = line.substr(tab2 + 1);
        if (v.type == SETTING_DWORD) {
            uint64_t number = 0;
            if (!ParseUnsigned(field, 0xFFFFFFFFull, number)) continue;
            v.data = DwordBytes(static_cast<uint32_t>(number));
        } else if (!Unescape(field, v.data) || v.data.size() > kMaxValueBytes) {
            continue;
        }
        // A later line with the same name wins, as a later write would.
        bool replaced = false;
        for (Value& old : values)
            if (SameName(old.name, v.name)) {
                old = v;
                replaced = true;
            }
        if (!replaced) values.push_back(std::move(v));
    }
    return values;
}

std::string SettingsStore::Format(const std::vector<Value>& values) {
    std::string text = "# Velmora settings: type, name, value\n";
    for (const Value& v : values) {
        text += std::to_string(v.type);
        text += '\t';
        text += Escape(v.name);
        text += '\t';
        if (v.type == SETTING_DWORD && v.data.size() == 4)
            text += std::to_string(DwordValue(v.data));
        else
            text += Escape(v.data);
        text += '\n';
    }
    return text;
}

std::vector<SettingsStore::Value> SettingsStore::Load() const {
    std::string path = FilePath();
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxFileBytes)
        return {};
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes) || bytes.size() > kMaxFileBytes) return {};
    return Parse(std::string(bytes.begin(), bytes.end()));
}

bool SettingsStore::Save(const std::vector<Value>& values) const {
    std::string folder = Folder();
    if (!MakeFolders(folder)) return false;
    std::string text = Format(values);
    return WriteFileAtomic(FilePath(), text.data(), text.size());
}

bool SettingsStore::Read(const std::string& name, uint32_t& type, std::string& data) const {
    if (key.empty() || !ValidName(name)) return false;
    std::lock_guard<std::mutex> hold(StoreLock());
    for (const Value& v : Load())
        if (SameName(v.name, name)) {
            type = v.type;
            data = v.data;
            return true;
        }
    return false;
}

bool SettingsStore::Write(const std::string& name, uint32_t type, const void* data, size_t size) {
    if (size > 0 && !data) return false;
    return WriteAll({Value{type, name, std::string(static_cast<const char*>(data), size)}});
}

bool SettingsStore::WriteAll(const std::vector<Value>& changes) {
    if (key.empty()) return false;
    for (const Value& c : changes)
        if (!ValidName(c.name) || !ValidValue(c.type, c.data.size())) return false;
    std::lock_guard<std::mutex> hold(StoreLock());
    std::vector<Value> values = Load();
    for (const Value& c : changes) {
        bool replaced = false;
        for (Value& v : values)
            if (SameName(v.name, c.name)) {
                v = c;
                replaced = true;
            }
        if (!replaced) {
            if (values.size() >= kMaxValues) return false;
            values.push_back(c);
        }
    }
    return Save(values);
}

bool SettingsStore::Erase(const std::string& name) {
    if (key.empty() || !ValidName(name)) return false;
    std::lock_guard<std::mutex> hold(StoreLock());
    std::vector<Value> values = Load();
    size_t before = values.size();
    for (size_t i = 0; i < values.size();)
        if (SameName(values[i].name, name))
            values.erase(values.begin() + static_cast<long>(i));
        else
            ++i;
    return values.size() != before && Save(values);
}

} // namespace Quill
