#pragma once
// The texture manager: the one place where the game turns image files into
// textures and draws them. It keeps up to 250 loaded images keyed by the path
// they came from, loads an image the first time its name is asked for, and
// preloads whole folders one image per call so that the loading screen can
// show its progress. Sprites are placed in a resolution-independent way:
// positions (centres) and sizes are fractions of the client area, texture
// rectangles are fractions of the texture. Every draw is one call on the
// framework Graphics handed in by SetTarget at the start of each frame.
//
// The bitmap symbol font lives in the same object (its code is in
// SymbolFont.cpp): a sheet of equally sized cells whose alphabet, grid and
// symbol widths come from the current language's section of language.ini.
//
// Threads: the loading thread fills the table (LoadTexture, PreloadFolderStep,
// LoadSymbolFont) while the main thread draws the loading screen. The table
// and the font are each guarded by a lock; a slot is counted only once its
// image and name are in place. Drawing is main-thread only.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Bits of the DrawSprite flags; the composite draws may use others.
enum SpriteFlags : int32_t {
    SPRITE_NORMAL = 1,       // draw mode normal before drawing
    SPRITE_ADDITIVE = 2,     // draw mode additive (wins over normal)
    SPRITE_DIM = 4,          // colour multiplied by the colour factor
    SPRITE_PIXEL_SIZE = 8,   // drawn at the texture rectangle's own pixel size
    SPRITE_TIME_FREE = 0x200 // DrawSpriteFrame: frame from the phase, not the clock
};

// Alignment bits of DrawText. Without centre or right the text starts at x.
enum TextFlags : int32_t {
    TEXT_CENTRE = 1,
    TEXT_RIGHT = 2,      // wins over centre
    TEXT_PIXEL_SIZE = 16, // cells (or the picture) at their own pixel size
    TEXT_LITERAL = 32     // draw the text as it stands: no language lookup, never a picture
};

// Bits of the DrawProgressBar mode.
enum ProgressBarMode : int32_t {
    BAR_VERTICAL = 1,   // fills upward
    BAR_HORIZONTAL = 2, // fills rightward
    BAR_PIXEL_SIZE = 4  // bar at the fill picture's own size
};

// The result of a draw that could not happen (no target or no texture).
constexpr int32_t DRAW_FAILED = static_cast<int32_t>(0x80004005u);
// The colour that means "the texture's own colours".
constexpr uint32_t OWN_COLOURS = 0xFFFFFFFFu;

// A texture rectangle: start and end corner as fractions of the texture.
struct TextureRect {
    float su = 0.0f, sv = 0.0f, eu = 0.0f, ev = 0.0f;
};

class TextureManager {
public:
    static constexpr int MaxTextures = 250;
    static constexpr int NameSize = 255;     // bytes of a slot name, terminator included
    static constexpr int SymbolListSize = 256;
    static constexpr int WidthCount = 255;   // columns x rows may not exceed this

    TextureManager();
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Back to the starting state: no textures (deleted without a log line), no
    // target, no font, a 16 x 8 grid, the default brightness and colour factor.
    void Reset();

    // --- the frame ---
    // The window and the drawing context of the current frame; both stay in
    // force until the next call. The client area becomes the context's
    // destination size.
    void SetTarget(uint32_t window, Quill::Graphics* graphics);
    Quill::Graphics* GetTarget() const { return graphics; }
    // The client area in pixels: as set here or by the last target, (0, 0)
    // before either. It is kept between frames, so what the game works out
    // from it (where a click lands) does not hang on whether a frame has been
    // drawn yet.
    void SetClientSize(int32_t width, int32_t height);
    void GetClientSize(int32_t& width, int32_t& height) const;
    // (0, 0) for null.
    static void GetTextureSize(const Quill::Image* texture, int32_t& width, int32_t& height);

    // --- the texture table ---
    // The texture loaded from exactly that path (byte-wise comparison), loaded
    // now when absent; null when it cannot be loaded or the table is full.
    Quill::Image* GetTexture(const char* name);
    // Loads folder + file into the next slot unless that path is loaded already.
    void LoadTexture(const char* folder, const char* file);
    // Files in the folder matching "*.png", "*.jpg", "*.tga" and "*.bmp".
    int CountImageFiles(const char* folder) const;
    // Mode 1 lists a folder, mode 2 continues it; each true result loaded (or
    // tried to load) one more file, false means the folder is exhausted.
    bool PreloadFolderStep(const char* folder, int mode);
    // Destroys every texture and empties the table (logged). Called at shutdown.
    void DeleteAllTexturesMIPMAP();
    int GetTextureCount() const;
    // The path of slot i as recorded (cut to 254 characters); "" outside the table.
    std::string GetTextureName(int slot) const;

    // --- drawing ---
    // A sprite centred on (x, y) of size (w, h), all fractions of the client
    // area, showing the texture rectangle (su, sv)-(eu, ev). Returns 0, or
    // DRAW_FAILED without a target or texture.
    int32_t DrawSprite(const Quill::Image* texture, float x, float y, float w, float h, float su, float sv, float eu,
                       float ev, uint32_t colour, int32_t flags, float rotation);
    // One cell of a columns x rows sheet, chosen by the clock (the sheet plays
    // `speed` times a second) or, with SPRITE_TIME_FREE, by the phase `speed`.
    int32_t DrawSpriteFrame(const Quill::Image* texture, float x, float y, float w, float h, int32_t flags,
                            int32_t columns, int32_t rows, float speed, uint32_t colour);
    // A digit string from a strip of the ten digits, centred on x; a character
    // that is not a digit leaves its place empty.
    void DrawDigits(const Quill::Image* texture, float x, float y, float spacing, uint32_t colour, const char* text,
                    float scale);
    // The width DrawDigits gives the same text.
    float DigitsWidth(const Quill::Image* texture, float spacing, const char* text, float scale) const;
    // A background and its fill cut to percent; returns the last draw's result.
    int32_t DrawProgressBar(const Quill::Image* background, const Quill::Image* fill, float x, float y, float w,
                            float h, int32_t percent, int32_t mode);

    // The rectangle of 1-based frame `frame` in a columns x rows sheet (left to
    // right, then top to bottom); all zero outside the sheet.
    static TextureRect CellRect(int32_t frame, int32_t columns, int32_t rows);
    // value += rate * time, kept to [0, 1]; returns the new value.
    static float AdvanceClamped(float& value, float rate, float time);

    float GetColourFactor() const { return colourFactor; }
    void SetColourFactor(float factor) { colourFactor = factor; }
    float GetBrightness() const { return brightness; }
    void SetBrightness(float value) { brightness = value; }

    // --- the symbol font (SymbolFont.cpp) ---
    // Reads the font description of the current language and the sheet `file`.
    void LoadSymbolFont(const char* file);
    // Draws the language text of `key` (or the key itself when it has none)
    // with its middle line at y and a line height of `size`; a text naming a
    // ".png" or ".tga" file is drawn as that picture.
    void DrawText(float x, float y, float size, uint32_t colour, int32_t flags, const char* key);
    // How wide DrawText draws that text, as a fraction of the client width
    // (0 for a picture or without a font).
    float TextWidth(float size, int32_t flags, const char* key) const;
    // Position of the character in the symbol list, -1 when absent.
    int FindSymbol(char c) const;
    Quill::Image* GetFontTexture() const;
    int32_t GetSymbolColumns() const;
    int32_t GetSymbolRows() const;
    // Width of symbol k in cells (0 outside the table).
    float GetSymbolWidth(int k) const;

private:
    Quill::Image* LoadPath(const std::string& path);
    void ClearTable();
    void ResetFont();
    int FindSymbolLocked(char c) const;
    // Width of `text` (already looked up) and the width of one cell.
    float MeasureLocked(const char* text, float size, int32_t flags, float& glyphWidth) const;
    void DrawPicture(float x, float y, float size, uint32_t colour, int32_t flags, const char* file);

    Quill::Graphics* graphics = nullptr;
    int32_t clientWidth = 0, clientHeight = 0;
    float brightness = 0.5f;
    float colourFactor = 0.8f;
    uint32_t window = 0;

    // The symbol font, guarded by fontLock.
    mutable std::mutex fontLock;
    Quill::Image* fontTexture = nullptr;
    char symbolList[SymbolListSize] = {};
    float widths[WidthCount] = {};
    bool widthsLoaded = false;
    int32_t symbolColumns = 16;
    int32_t symbolRows = 8;

    // The texture table, guarded by tableLock. `paths` keeps each slot's full
    // path for the lookup; `names` the recorded, possibly cut, copy.
    mutable std::mutex tableLock;
    std::unique_ptr<Quill::Image> textures[MaxTextures];
    char names[MaxTextures][NameSize] = {};
    std::string paths[MaxTextures];
    std::unordered_map<std::string_view, int> slotByPath;
    int count = 0;
    // Pictures that could not be loaded, with their file's time then: tried
    // and logged again only once the file has changed (or the table was
    // cleared), not on every frame that draws them.
    std::unordered_map<std::string, uint64_t> failedPaths;

    // The folder preload of the loading thread.
    std::vector<std::string> fileList;
    size_t fileIndex = 0;
};

// The process-wide texture manager.
TextureManager& Textures();
