// velmora-content: draws every image, the font sheet, every sound and the
// music of the game into a game folder, completes language.ini with the font
// description and writes a contact sheet of all pictures.
//
//   velmora-content --out DIR --language TEMPLATE [--sheet FILE] [--no-music]
//                   [--icons DIR --app-id ID]
// (--icons writes the desktop icons, named by the app id, into a hicolor tree)
// (--no-music skips the slowest part, for quick checks)
#include "ContactSheet.h"
#include "FontSheet.h"
#include "Icons.h"
#include "MenuArt.h"
#include "Music.h"
#include "Output.h"
#include "Paint.h"
#include "Scenery.h"
#include "Shapes.h"
#include "Sounds.h"
#include "Sprites.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string out, languageTemplate, sheet, icons, appId = "org.velmora.Velmora";
    bool music = true;
    for (int i = 1; i < argc; ++i) {
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "content: %s needs a value\n", argv[i]);
                return false;
            }
            target = argv[++i];
            return true;
        };
        if (!std::strcmp(argv[i], "--out")) {
            if (!value(out))
                return 2;
        } else if (!std::strcmp(argv[i], "--language")) {
            if (!value(languageTemplate))
                return 2;
        } else if (!std::strcmp(argv[i], "--sheet")) {
            if (!value(sheet))
                return 2;
        } else if (!std::strcmp(argv[i], "--icons")) {
            if (!value(icons))
                return 2;
        } else if (!std::strcmp(argv[i], "--app-id")) {
            if (!value(appId))
                return 2;
        } else if (!std::strcmp(argv[i], "--no-music")) {
            music = false;
        } else {
            std::fprintf(stderr, "content: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (out.empty() || languageTemplate.empty()) {
        std::fprintf(stderr, "usage: velmora-content --out DIR --language TEMPLATE [--sheet FILE] [--no-music]\n");
        return 2;
    }
    Content::SetFontFolder(VELMORA_FONT_DIR);
    Content::Output output(out);

    Content::LanguageTemplate language;
    if (!Content::ReadLanguageTemplate(languageTemplate, language))
        return 1;
    Content::MakeShapes(output);
    Content::MakeScenery(output, language);
    Content::MakeSprites(output);
    Content::MakeMenuArt(output);
    if (!Content::MakeFont(output, language))
        return 1;
    Content::MakeSounds(output);
    if (music)
        Content::MakeMusic(output);
    if (!sheet.empty() && !Content::WriteContactSheet(output, sheet))
        return 1;
    Content::Output iconOutput(icons);
    if (!icons.empty())
        Content::MakeIcons(iconOutput, appId);
    Content::ReleaseFonts();
    return output.Failed() || iconOutput.Failed() ? 1 : 0;
}
