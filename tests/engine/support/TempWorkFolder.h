#pragma once
// A fresh temporary folder made the working folder for one test, and the
// old working folder restored (and the temporary one removed) afterwards.
// Tests run in parallel processes, so each test needs a folder of its own.
// Also the file and log helpers the engine tests share.
#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <string>

using testfiles::ReadText;
using testfiles::WriteText;

// How many times `what` stands in `text`.
inline size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class TempWorkFolder {
public:
    TempWorkFolder() {
        char old[PATH_MAX];
        if (getcwd(old, sizeof old)) previous = old;
        EXPECT_EQ(chdir(folder.path.c_str()), 0);
    }
    ~TempWorkFolder() {
        if (!previous.empty() && chdir(previous.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << previous;
    }
    TempWorkFolder(const TempWorkFolder&) = delete;
    TempWorkFolder& operator=(const TempWorkFolder&) = delete;

    const std::string& Path() const { return folder.path; }
    std::string File(const std::string& name) const { return folder / name; }

private:
    std::string previous;
    testfiles::TempFolder folder; // removed after the way back
};
