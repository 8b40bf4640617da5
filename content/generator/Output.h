#pragma once
// Where the generated files go: the game folder, with the folder names the
// game asks for ("Graphics\x.png" lives at Graphics/x.png). Every picture
// written is also remembered, frame layout included, for the contact sheet.
#include <cairo/cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Content {

struct SheetEntry {
    std::string name;         // file name relative to the game folder
    cairo_surface_t* surface; // a reference kept for the contact sheet
    int columns, rows;        // sprite sheet layout (1 x 1 for plain images)
};

class Output {
public:
    explicit Output(std::string gameDir);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // `name` uses '/' and is relative to the game folder; folders are created.
    bool WritePng(const std::string& name, cairo_surface_t* s, int columns = 1, int rows = 1);
    // Opaque pictures (backgrounds, the bottom bar) as JPEG of quality 90.
    bool WriteJpeg(const std::string& name, cairo_surface_t* s);
    bool WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes);
    bool WriteText(const std::string& name, const std::string& text);

    const std::vector<SheetEntry>& Entries() const { return entries; }
    bool Failed() const { return failed; }
    std::string PathOf(const std::string& name) const { return dir + "/" + name; }

private:
    bool Prepare(const std::string& name);
    void Remember(const std::string& name, cairo_surface_t* s, int columns, int rows);

    std::string dir;
    std::vector<SheetEntry> entries;
    bool failed = false;
};

} // namespace Content
