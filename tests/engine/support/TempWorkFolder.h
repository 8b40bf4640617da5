#pragma once
// A fresh temporary folder made the working folder for one test, and the
// old working folder restored (and the temporary one removed) afterwards.
// Tests run in parallel processes, so each test needs a folder of its own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

class TempWorkFolder {
public:
    TempWorkFolder() {
        char old[PATH_MAX];
        if (getcwd(old, sizeof old)) previous = old;
        char pattern[] = "/tmp/velmora_work_XXXXXX";
        if (mkdtemp(pattern)) folder = pattern;
        EXPECT_FALSE(folder.empty());
        EXPECT_EQ(chdir(folder.c_str()), 0);
    }
    ~TempWorkFolder() {
        if (!previous.empty() && chdir(previous.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << previous;
        if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    }
    TempWorkFolder(const TempWorkFolder&) = delete;
    TempWorkFolder& operator=(const TempWorkFolder&) = delete;

    const std::string& Path() const { return folder; }
    std::string File(const std::string& name) const { return folder + "/" + name; }

private:
    std::string previous;
    std::string folder;
};
