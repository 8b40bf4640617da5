// Recorded games as text: what is written reads back the same, and a file
// that was cut short, changed, made by another version or not made by us at
// all is refused with a message that says which.
#include "app/Recording.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Recording Sample() {
    Recording r;
    r.gameVersion = "2.1";
    r.mode = 1;
    r.level = 7;
    r.seed = 4000000000u;
    r.opened = 13;
    r.particles = 5;
    r.inputs = {
        {0, RecordedInput::Pointer, 400, 300, 0}, {0, RecordedInput::Move, 401, 299, 0},
        {3, RecordedInput::Click, 401, 299, 0},   {3, RecordedInput::Button, 1, 1, 0},
        {4, RecordedInput::Release, 401, 299, 0}, {4, RecordedInput::Pointer, -5, 620, 3},
        {9, RecordedInput::Key, 32, 0, 0},        {9, RecordedInput::Char, -23, 0, 0},
        {12, RecordedInput::Focus, 0, 0, 0},      {100, RecordedInput::Digest, static_cast<int32_t>(0xdeadbeef), 0, 0},
    };
    r.endTick = 140;
    r.end = {11, 3, 8, 1250, 0x0badf00d};
    return r;
}

// The text with its last line replaced by a correct check line: the lines
// themselves are then what gets judged.
std::string Resealed(const std::string& text) {
    const std::string body = text.substr(0, text.rfind("check "));
    return body + Recording::CheckLine(DigestBytes(kDigestStart, body.data(), body.size()));
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(RecordingTest, WhatIsWrittenReadsBackTheSame) {
    const Recording written = Sample();
    const std::string text = written.Text();
    Recording read;
    std::string error;
    ASSERT_TRUE(Recording::Parse(text, "2.1", read, error)) << error << "\n" << text;
    // Every header value, input and the end line are in the text.
    EXPECT_EQ(read.Text(), text);
}

TEST(RecordingTest, RefusesWhatIsNotAWholeRecordingOfThisVersion) {
    const std::string good = Sample().Text();
    const std::string body = good.substr(0, good.rfind("check "));
    struct Case {
        const char* what;
        std::string text;
        const char* says;
    } cases[] = {
        {"empty", "", "not a velmora recording"},
        {"a later format", Replaced(good, "velmora recording 1", "velmora recording 2"), "another format"},
        {"another game version", Resealed(Replaced(good, "game 2.1", "game 2.2")), "made by velmora 2.2"},
        {"cut before the check line", body, "cut short"},
        {"a changed value", Replaced(good, "click 401 299", "click 402 299"), "checksum does not match"},
        {"no end line", Resealed(Replaced(good, "end 140", "140 focus\nx")), "line"},
        {"without an end", Resealed(body.substr(0, body.find("end "))), "no end line"},
        {"steps going back", Resealed(Replaced(good, "9 key 32", "2 key 32")), "backwards"},
        {"an unknown input", Resealed(Replaced(good, "12 focus", "12 jump")), "unknown input 'jump'"},
        {"a value too many", Resealed(Replaced(good, "9 key 32", "9 key 32 1")), "wrong count"},
        {"a mode out of range", Resealed(Replaced(good, "mode 1", "mode 3")), "mode"},
        {"a header line missing", Resealed(Replaced(good, "seed 4000000000\n", "")), "seed"},
        {"two blanks", Resealed(Replaced(good, "9 key 32", "9 key  32")), "not a line"},
        {"a line after the end", Resealed(body + "150 focus\n"), "nothing may follow"},
        {"an end before its inputs", Resealed(Replaced(good, "end 140", "end 50")), "end line is damaged"},
        {"a number with a sign inside", Resealed(Replaced(good, "620", "6-20")), "out of range"},
    };
    for (const Case& c : cases) {
        Recording read;
        std::string error;
        EXPECT_FALSE(Recording::Parse(c.text, "2.1", read, error)) << c.what;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
    }
}

} // namespace
