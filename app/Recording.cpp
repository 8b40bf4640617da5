#include "app/Recording.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kMagic = "velmora recording";

struct KindName {
    RecordedInput::Kind kind;
    const char* name;
    int values; // numbers after the name
};

const KindName kKinds[] = {
    {RecordedInput::Pointer, "pointer", 3}, {RecordedInput::Key, "key", 1},     {RecordedInput::Char, "char", 1},
    {RecordedInput::Move, "move", 2},       {RecordedInput::Click, "click", 2}, {RecordedInput::Focus, "focus", 0},
    {RecordedInput::Digest, "digest", 1},   {RecordedInput::Release, "release", 2}, {RecordedInput::Button, "button", 2},
};

// Splits a line at single blanks; an empty word (two blanks, a blank at
// either end) means the line was not written by us.
bool SplitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t start = 0;
    while (true) {
        size_t blank = line.find(' ', start);
        std::string word = line.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
        if (word.empty()) return false;
        words.push_back(word);
        if (blank == std::string::npos) return true;
        start = blank + 1;
    }
}

// A decimal number in [low, high], nothing else in the word.
bool ReadNumber(const std::string& word, int64_t low, int64_t high, int64_t& out) {
    if (word.empty() || word.size() > 11) return false;
    size_t i = word[0] == '-' ? 1 : 0;
    if (i == word.size()) return false;
    for (size_t k = i; k < word.size(); ++k)
        if (word[k] < '0' || word[k] > '9') return false;
    const long long v = std::strtoll(word.c_str(), nullptr, 10);
    if (v < low || v > high) return false;
    out = v;
    return true;
}

// Eight lowercase hexadecimal digits, as we write them.
bool ReadHex(const std::string& word, uint32_t& out) {
    if (word.size() != 8) return false;
    uint32_t v = 0;
    for (char c : word) {
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) return false;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    out = v;
    return true;
}

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIx32, v);
    return text;
}

// "name value" header line with a number in range.
bool ReadHeaderNumber(const std::vector<std::string>& words, const char* name, int64_t low, int64_t high,
                      int64_t& out) {
    return words.size() == 2 && words[0] == name && ReadNumber(words[1], low, high, out);
}

} // namespace

uint32_t DigestBytes(uint32_t hash, const void* bytes, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 16777619u;
    }
    return hash;
}

std::string Recording::HeaderText() const {
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s %d\ngame %s\nmode %d\nlevel %d\nseed %" PRIu32 "\nopened %d\nparticles %d\n"
                  "# step input...: pointer X Y BUTTONS, key CODE, char CODE, move X Y, click X Y, release X Y, "
                  "button B DOWN, focus, digest HEX\n",
                  kMagic, kFormat, gameVersion.c_str(), static_cast<int>(mode), static_cast<int>(level), seed,
                  static_cast<int>(opened), static_cast<int>(particles));
    return text;
}

std::string Recording::InputLine(const RecordedInput& input) {
    for (const KindName& k : kKinds) {
        if (k.kind != input.kind) continue;
        std::string line = std::to_string(input.tick) + " " + k.name;
        if (input.kind == RecordedInput::Digest) return line + " " + Hex(static_cast<uint32_t>(input.a)) + "\n";
        const int32_t values[] = {input.a, input.b, input.c};
        for (int i = 0; i < k.values; ++i) line += " " + std::to_string(values[i]);
        return line + "\n";
    }
    return "";
}

std::string Recording::EndLine(uint32_t tick, const PlaySummary& s) {
    char text[200];
    std::snprintf(text, sizeof text, "end %" PRIu32 " state %d phase %d level %d score %d board %s\n", tick,
                  static_cast<int>(s.state), static_cast<int>(s.phase), static_cast<int>(s.level),
                  static_cast<int>(s.score), Hex(s.board).c_str());
    return text;
}

std::string Recording::CheckLine(uint32_t checksum) { return "check " + Hex(checksum) + "\n"; }

std::string Recording::Text() const {
    std::string text = HeaderText();
    for (const RecordedInput& input : inputs) text += InputLine(input);
    text += EndLine(endTick, end);
    return text + CheckLine(DigestBytes(kDigestStart, text.data(), text.size()));
}

bool Recording::Parse(const std::string& text, const std::string& version, Recording& out, std::string& error) {
    out = Recording();
    // The checksum line closes the file; without it the file was cut short.
    const size_t checkAt = text.rfind("\ncheck ");
    const std::string firstLine = text.substr(0, text.find('\n'));
    if (firstLine.rfind(kMagic, 0) != 0) {
        error = "this is not a velmora recording";
        return false;
    }
    if (firstLine != std::string(kMagic) + " " + std::to_string(kFormat)) {
        // (The first line may be the bare magic words, with nothing after them.)
        error = "the recording has another format (" + firstLine.substr(std::min(firstLine.size(), std::strlen(kMagic) + 1)) +
                "); this velmora reads format " + std::to_string(kFormat);
        return false;
    }
    if (checkAt == std::string::npos || text.back() != '\n') {
        error = "the recording was cut short (it has no closing check line)";
        return false;
    }
    const std::string body = text.substr(0, checkAt + 1);
    std::vector<std::string> words;
    uint32_t check = 0;
    if (!SplitWords(text.substr(checkAt + 1, text.size() - checkAt - 2), words) || words.size() != 2 ||
        !ReadHex(words[1], check)) {
        error = "the recording's check line is damaged";
        return false;
    }
    if (DigestBytes(kDigestStart, body.data(), body.size()) != check) {
        error = "the recording was changed or damaged (its checksum does not match)";
        return false;
    }

    // From here the text is as written, unless someone wrote a checksum to
    // match a hand-made file: every line is still read strictly.
    int lineNumber = 0;
    size_t at = 0;
    int headerLine = 0;
    bool ended = false;
    uint32_t lastTick = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + " of the recording: " + why;
        return false;
    };
    while (at < body.size()) {
        const size_t next = body.find('\n', at);
        const std::string line = body.substr(at, next - at);
        at = next + 1;
        ++lineNumber;
        if (lineNumber == 1) continue; // the format line, checked above
        if (!line.empty() && line[0] == '#') continue;
        if (ended) return fail("nothing may follow the end line");
        if (!SplitWords(line, words)) return fail("not a line of a recording");
        int64_t v = 0;
        if (headerLine < 6) {
            switch (headerLine) {
            case 0:
                if (words.size() != 2 || words[0] != "game") return fail("the game version is missing");
                if (words[1] != version)
                    return fail("made by velmora " + words[1] + "; this is velmora " + version);
                out.gameVersion = words[1];
                break;
            case 1:
                if (!ReadHeaderNumber(words, "mode", 0, 2, v)) return fail("expected 'mode 0', 1 or 2");
                out.mode = static_cast<int32_t>(v);
                break;
            case 2:
                if (!ReadHeaderNumber(words, "level", 1, 9999, v)) return fail("expected 'level N' (1 to 9999)");
                out.level = static_cast<int32_t>(v);
                break;
            case 3:
                if (!ReadHeaderNumber(words, "seed", 0, UINT32_MAX, v)) return fail("expected 'seed N'");
                out.seed = static_cast<uint32_t>(v);
                break;
            case 4:
                if (!ReadHeaderNumber(words, "opened", 1, 9999, v)) return fail("expected 'opened N' (1 to 9999)");
                out.opened = static_cast<int32_t>(v);
                break;
            case 5:
                if (!ReadHeaderNumber(words, "particles", 1, 10, v)) return fail("expected 'particles N' (1 to 10)");
                out.particles = static_cast<int32_t>(v);
                break;
            }
            ++headerLine;
            continue;
        }
        if (words[0] == "end") {
            int64_t tick = 0, state = 0, phase = 0, level = 0, score = 0;
            if (words.size() != 12 || !ReadNumber(words[1], lastTick, INT32_MAX, tick) || words[2] != "state" ||
                !ReadNumber(words[3], 0, 100, state) || words[4] != "phase" || !ReadNumber(words[5], 0, 100, phase) ||
                words[6] != "level" || !ReadNumber(words[7], INT32_MIN, INT32_MAX, level) || words[8] != "score" ||
                !ReadNumber(words[9], INT32_MIN, INT32_MAX, score) || words[10] != "board" ||
                !ReadHex(words[11], out.end.board))
                return fail("the end line is damaged");
            out.endTick = static_cast<uint32_t>(tick);
            out.end.state = static_cast<int32_t>(state);
            out.end.phase = static_cast<int32_t>(phase);
            out.end.level = static_cast<int32_t>(level);
            out.end.score = static_cast<int32_t>(score);
            ended = true;
            continue;
        }
        int64_t tick = 0;
        if (words.size() < 2 || !ReadNumber(words[0], 0, INT32_MAX, tick)) return fail("expected a step number");
        if (tick < lastTick) return fail("the steps go backwards");
        lastTick = static_cast<uint32_t>(tick);
        const KindName* kind = nullptr;
        for (const KindName& k : kKinds)
            if (words[1] == k.name) kind = &k;
        if (!kind) return fail("unknown input '" + words[1] + "'");
        if (static_cast<int>(words.size()) != 2 + kind->values) return fail("wrong count of values for " + words[1]);
        RecordedInput input;
        input.tick = lastTick;
        input.kind = kind->kind;
        if (kind->kind == RecordedInput::Digest) {
            uint32_t digest = 0;
            if (!ReadHex(words[2], digest)) return fail("a damaged digest");
            input.a = static_cast<int32_t>(digest);
        } else {
            int32_t* values[] = {&input.a, &input.b, &input.c};
            for (int i = 0; i < kind->values; ++i) {
                if (!ReadNumber(words[2 + i], -100000, 100000, v)) return fail("a value out of range");
                *values[i] = static_cast<int32_t>(v);
            }
        }
        out.inputs.push_back(input);
    }
    if (headerLine < 6) {
        error = "the recording's header is incomplete";
        return false;
    }
    if (!ended) {
        error = "the recording was cut short (it has no end line)";
        return false;
    }
    return true;
}
