// language.ini: the texts the game asks for and the symbol font description,
// read as the loading does.
#include "fuzz/FuzzSupport.h"

#include "engine/Language.h"
#include "engine/TextureManager.h"
#include "framework/imageio/PngWriter.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    static bool sheetWritten = false;
    if (!sheetWritten) {
        std::vector<uint32_t> sheet(64 * 64, 0xFFFFFFFFu);
        Quill::WritePng(fuzz::Folder() + "/font01.png", sheet.data(), 64, 64, true);
        sheetWritten = true;
    }
    fuzz::WriteFile("language.ini", data, size);
    std::strcpy(LanguageName, "ENGLISH");
    for (const char* key : {"Velmora", "English\\", "LevelText", "ScoreText", "txtLevelNum", "SymbolList"})
        fuzz::Check(std::strlen(GetLanguageString(key)) < 256, "text fits its buffer");
    Textures().Reset();
    Textures().LoadSymbolFont("font01.png");
    const int columns = Textures().GetSymbolColumns(), rows = Textures().GetSymbolRows();
    fuzz::Check(columns >= 0 && rows >= 0, "grid");
    for (char c : std::string("AZaz09 .,!?")) {
        int k = Textures().FindSymbol(c);
        fuzz::Check(k >= -1, "symbol index");
        Textures().GetSymbolWidth(k);
    }
    return 0;
}
