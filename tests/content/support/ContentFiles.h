#pragma once
// Helpers of the content tests: paths into the generated game folder, and
// images, INI values and sounds read through the game's own readers,
// whole INI sections, and the shape classes as classes.xml lists them.
#include "framework/imageio/ImageLoader.h"
#include "framework/ini/IniFile.h"
#include "framework/sound/SoundReaders.h"

#include "framework/xml/XmlFile.h"

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ContentTest {

// A game path as the data names it ("Graphics\x.png") inside the game folder.
inline std::string GamePath(const std::string& name)
{
    std::string p = std::string(VELMORA_GAME_DIR) + "/" + name;
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

inline std::unique_ptr<Quill::ImageLib::Image> LoadImage(const std::string& name)
{
    return Quill::ImageLib::LoadImageFile(GamePath(name), false);
}

inline std::string Language(const std::string& key)
{
    return Quill::IniReadString(GamePath("language.ini"), "ENGLISH", key);
}

// The sections of an INI file in file order, each with its keys and values as
// written, in the game's 8-bit encoding.
inline std::vector<std::pair<std::string, std::map<std::string, std::string>>> IniSections(const std::string& name)
{
    std::vector<std::pair<std::string, std::map<std::string, std::string>>> sections;
    std::ifstream in(GamePath(name), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t eq = line.find('=');
        if (!line.empty() && line[0] == '[')
            sections.push_back({line.substr(1, line.find(']') - 1), {}});
        else if (!sections.empty() && !line.empty() && line[0] != ';' && eq != std::string::npos)
            sections.back().second[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return sections;
}

inline uint32_t Alpha(const Quill::ImageLib::Image& img, int x, int y)
{
    return img.bits[size_t(y) * size_t(img.width) + size_t(x)] >> 24;
}

// Whether a sound decodes through the game's Ogg reader as 16-bit PCM.
inline bool SoundLoads(const std::string& name)
{
    Quill::PcmSound pcm;
    return Quill::ReadOgg(GamePath(name), pcm) && pcm.bitsPerSample == 16 && !pcm.data.empty();
}

// An attribute's text ("" when it is missing).
inline std::string Attr(const tinyxml2::XMLElement* e, const char* name)
{
    const char* v = e->Attribute(name);
    return v ? v : "";
}

struct ShapeFiles {
    std::string main, mask;
};

struct ClassEntry {
    std::string name, soundEvent;
    std::vector<ShapeFiles> shapes;
};

// The shape classes of classes.xml in file order (none if it does not load).
inline std::vector<ClassEntry> ReadClasses()
{
    std::vector<ClassEntry> out;
    tinyxml2::XMLDocument doc;
    if (Quill::LoadXmlFile(doc, GamePath("classes.xml")) != Quill::XmlLoad::Ok)
        return out;
    tinyxml2::XMLElement* level = doc.FirstChildElement("Level");
    if (!level)
        return out;
    for (tinyxml2::XMLElement* c = level->FirstChildElement("ShapeClass"); c; c = c->NextSiblingElement("ShapeClass")) {
        ClassEntry e;
        e.name = Attr(c, "name");
        e.soundEvent = Attr(c, "soundEvent");
        for (tinyxml2::XMLElement* s = c->FirstChildElement("Shape"); s; s = s->NextSiblingElement("Shape"))
            e.shapes.push_back({Attr(s, "mainImage"), Attr(s, "maskImage")});
        out.push_back(e);
    }
    return out;
}

} // namespace ContentTest
