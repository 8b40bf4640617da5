#pragma once
// A fresh temporary folder made the working folder for one test, and the
// old working folder restored (and the temporary one removed) afterwards.
// Tests run in parallel processes, so each test needs a folder of its own.
// Also the file and log helpers the engine tests share.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

// A whole file as bytes ("" when it is missing), and a file written whole.
inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
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
