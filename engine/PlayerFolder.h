#pragma once
// Where the player's own files go: config.ini, scores.ini, saved.ini and
// app.log. One rule, decided once at start-up: the game folder when the game
// runs from a folder it may write (a build folder), else the per-user data
// folder $XDG_DATA_HOME/velmora (default ~/.local/share/velmora), made on
// first use. An installed game always uses the per-user folder. When no
// writable place exists the game still runs; its changes are lost, and it
// says so once.
//
// Reads of those files look in the player's folder first and fall back to the
// game folder, which may ship defaults. Until a choice is made (tests, tools)
// the player's folder is the working folder, as the game folder always was.
#include <string>

struct PlayerFolderChoice {
    enum class Where { GameFolder, UserFolder, Nowhere };
    Where where = Where::GameFolder;
    // Where the files go; for Nowhere, the per-user folder that could not be
    // made or written ("" when there was no home to put it in).
    std::string folder;
};

// The rule. `installed` says the data came from an installed tree, which is
// never the player's to write. `xdgDataHome` and `home` are the environment's
// values (null or empty when unset); a relative $XDG_DATA_HOME is ignored, as
// the base-directory rules ask. Makes the per-user folder when it is chosen.
PlayerFolderChoice ChoosePlayerFolder(const std::string& gameFolder, bool installed, const char* xdgDataHome,
                                      const char* home);

// Fixes the choice for the rest of the run, with the game folder that holds
// the shipped defaults.
void UsePlayerFolder(const PlayerFolderChoice& choice, const std::string& gameFolder);
// Forgets the choice: the working folder serves as both again. For tests.
void ResetPlayerFolder();

// The folder where the player's files go.
std::string PlayerFolder();
// The folder of the shipped data and defaults.
std::string GameDataFolder();
// False only when the choice found no writable place.
bool PlayerFolderWritable();
// One line saying where the player's files go and why, for the log.
std::string DescribePlayerFolder();

// The path to write `name` to: in the player's folder.
std::string PlayerFilePath(const char* name);
// The path to read `name` from: the player's copy when there is one, else the
// game folder's (a shipped default, or a path that does not exist).
std::string PlayerFileToRead(const char* name);
