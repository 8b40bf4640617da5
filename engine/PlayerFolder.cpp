#include "engine/PlayerFolder.h"

#include "framework/platform/Files.h"

#include <mutex>

namespace {

struct State {
    bool chosen = false;
    PlayerFolderChoice choice;
    std::string gameFolder;
};

// The loading thread logs while the main thread writes its files; the choice
// is made before either runs, but a lock keeps a test's reset honest.
std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

State& Current() {
    static State state;
    return state;
}

std::string PathIn(const std::string& folder, const char* name) {
    return Quill::NativePath(folder + "\\" + (name ? name : ""));
}

} // namespace

PlayerFolderChoice ChoosePlayerFolder(const std::string& gameFolder, bool installed, const char* xdgDataHome,
                                      const char* home) {
    PlayerFolderChoice choice;
    if (!installed && Quill::FolderWritable(gameFolder)) {
        choice.where = PlayerFolderChoice::Where::GameFolder;
        choice.folder = gameFolder;
        return choice;
    }
    std::string base;
    if (xdgDataHome && xdgDataHome[0] == '/') base = xdgDataHome;
    else if (home && home[0]) base = std::string(home) + "/.local/share";
    choice.where = PlayerFolderChoice::Where::Nowhere;
    if (base.empty()) return choice;
    choice.folder = base + "/velmora";
    if (Quill::MakeFolders(choice.folder) && Quill::FolderWritable(choice.folder))
        choice.where = PlayerFolderChoice::Where::UserFolder;
    return choice;
}

void UsePlayerFolder(const PlayerFolderChoice& choice, const std::string& gameFolder) {
    std::lock_guard<std::mutex> hold(Lock());
    State& s = Current();
    s.chosen = true;
    s.choice = choice;
    s.gameFolder = gameFolder;
}

void ResetPlayerFolder() {
    std::lock_guard<std::mutex> hold(Lock());
    Current() = State{};
}

std::string PlayerFolder() {
    std::lock_guard<std::mutex> hold(Lock());
    const State& s = Current();
    if (!s.chosen) return Quill::GetWorkingFolder();
    // With nowhere to write, writes aim at the game folder and fail there
    // rather than land somewhere the player would never look.
    if (s.choice.folder.empty()) return s.gameFolder;
    return s.choice.folder;
}

std::string GameDataFolder() {
    std::lock_guard<std::mutex> hold(Lock());
    const State& s = Current();
    return s.chosen ? s.gameFolder : Quill::GetWorkingFolder();
}

bool PlayerFolderWritable() {
    std::lock_guard<std::mutex> hold(Lock());
    const State& s = Current();
    return !s.chosen || s.choice.where != PlayerFolderChoice::Where::Nowhere;
}

std::string DescribePlayerFolder() {
    std::lock_guard<std::mutex> hold(Lock());
    const State& s = Current();
    const std::string& folder = s.choice.folder;
    if (!s.chosen) return "Player files in the working folder '" + Quill::GetWorkingFolder() + "'";
    switch (s.choice.where) {
    case PlayerFolderChoice::Where::GameFolder:
        return "Player files in the game folder '" + folder + "'";
    case PlayerFolderChoice::Where::UserFolder:
        return "Player files in '" + folder + "' (the game folder '" + s.gameFolder + "' is not the player's to write)";
    case PlayerFolderChoice::Where::Nowhere:
        break;
    }
    if (folder.empty())
        return "No folder for the player's files: no home folder is known; settings, scores and saved games will "
               "not be kept";
    return "No folder for the player's files: '" + folder +
           "' cannot be made or written; settings, scores and saved games will not be kept";
}

std::string PlayerFilePath(const char* name) { return PathIn(PlayerFolder(), name); }

std::string PlayerFileToRead(const char* name) {
    std::string own = PlayerFilePath(name);
    if (Quill::FileExists(own)) return own;
    return PathIn(GameDataFolder(), name);
}
