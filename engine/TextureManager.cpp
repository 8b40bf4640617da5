#include "engine/TextureManager.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "framework/imageio/ImageLoader.h"
#include "framework/app/QuillAppBase.h"
#include "framework/platform/Files.h"
#include "framework/platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using Quill::Image;

namespace {

const char* const ImagePatterns[] = {"*.png", "*.jpg", "*.tga", "*.bmp"};

// Far beyond any screen, yet small enough that a rectangle's right edge
// (position + size, with the translation added) never leaves int32.
constexpr float PixelLimit = 16777216.0f;

// Float to whole pixels, toward zero. Hostile sizes and positions (huge,
// infinite, not a number) are kept to a range the renderer can add up.
int32_t Pixels(float v) {
    if (!(v == v)) return 0;
    v = std::min(std::max(v, -PixelLimit), PixelLimit);
    return static_cast<int32_t>(v);
}

const char* OrEmpty(const char* s) { return s ? s : ""; }

// The colour times the factor. An alpha byte of 0 means opaque, so it is read
// as 255 before dimming; otherwise an opaque colour would come out at alpha 1.
// The alpha gains one and wraps to 8 bits, so a full alpha stays opaque (0).
uint32_t DimColour(uint32_t colour, float factor) {
    auto scale = [factor](uint32_t channel) {
        float v = static_cast<float>(channel) * factor;
        return static_cast<uint32_t>(std::min(std::max(v, 0.0f), 255.0f));
    };
    uint32_t a = colour >> 24;
    if (a == 0) a = 255;
    uint32_t dimmedAlpha = (scale(a) + 1) & 0xFF;
    return (dimmedAlpha << 24) | (scale((colour >> 16) & 0xFF) << 16) | (scale((colour >> 8) & 0xFF) << 8) |
           scale(colour & 0xFF);
}

std::unique_ptr<Image> LoadImageFile(const std::string& path) {
    if (Quill::QuillAppBase* app = Quill::QuillAppBase::Get()) return app->GetImage(path);
    return Quill::GetImage(path, nullptr);
}

} // namespace

TextureManager::TextureManager() = default;
TextureManager::~TextureManager() = default;

TextureManager& Textures() {
    static TextureManager instance;
    return instance;
}

void TextureManager::Reset() {
    ClearTable();
    ResetFont();
    graphics = nullptr;
    window = 0;
    clientWidth = clientHeight = 0;
    brightness = 0.5f;
    colourFactor = 0.8f;
    fileList.clear();
    fileIndex = 0;
}

void TextureManager::ClearTable() {
    std::lock_guard<std::mutex> guard(tableLock);
    slotByPath.clear();
    failedPaths.clear();
    for (int i = 0; i < count; ++i) {
        textures[i].reset();
        names[i][0] = '\0';
        paths[i].clear();
    }
    count = 0;
}

void TextureManager::SetTarget(uint32_t windowId, Quill::Graphics* target) {
    window = windowId;
    graphics = target;
    if (const Image* dest = graphics ? graphics->GetDestination() : nullptr)
        SetClientSize(dest->GetWidth(), dest->GetHeight());
}

void TextureManager::SetClientSize(int32_t width, int32_t height) {
    clientWidth = width;
    clientHeight = height;
}

void TextureManager::GetClientSize(int32_t& width, int32_t& height) const {
    width = clientWidth;
    height = clientHeight;
}

void TextureManager::GetTextureSize(const Image* texture, int32_t& width, int32_t& height) {
    width = texture ? texture->GetWidth() : 0;
    height = texture ? texture->GetHeight() : 0;
}

// ---------------------------------------------------------------- the table

Image* TextureManager::LoadPath(const std::string& path) {
    {
        std::lock_guard<std::mutex> guard(tableLock);
        if (count >= MaxTextures) {
            AppLog("Overflow error: maximum textures count", 0);
            return nullptr;
        }
        auto found = slotByPath.find(path);
        if (found != slotByPath.end()) return textures[found->second].get();
    }
    const uint64_t stamp = Quill::LastWriteTime(path);
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto failed = failedPaths.find(path);
        if (failed != failedPaths.end() && failed->second == stamp) return nullptr;
    }
    // Decoding takes long; the main thread keeps drawing meanwhile.
    std::unique_ptr<Image> image = LoadImageFile(path);
    if (!image) {
        {
            std::lock_guard<std::mutex> guard(tableLock);
            failedPaths[path] = stamp;
        }
        AppLogf(LogTime, "Loading image: '%s' ... FAILED", path.c_str());
        return nullptr;
    }
    Image* result = nullptr;
    int loaded = 0;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto found = slotByPath.find(path);
        if (found != slotByPath.end()) return textures[found->second].get(); // the other thread was quicker
        if (count >= MaxTextures) {
            AppLog("Overflow error: maximum textures count", 0);
            return nullptr;
        }
        // Slot first, count last: a reader never sees a counted slot without its image.
        textures[count] = std::move(image);
        std::snprintf(names[count], NameSize, "%s", path.c_str());
        paths[count] = path;
        slotByPath.emplace(std::string_view(paths[count]), count);
        result = textures[count].get();
        loaded = ++count;
    }
    AppLogf(LogTime, "Loading image: '%s' ... OK (%d loaded) (%s)", path.c_str(), loaded, "32 bit");
    return result;
}

void TextureManager::LoadTexture(const char* folder, const char* file) {
    LoadPath(std::string(OrEmpty(folder)) + OrEmpty(file));
}

Image* TextureManager::GetTexture(const char* name) {
    name = OrEmpty(name);
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto found = slotByPath.find(std::string_view(name));
        if (found != slotByPath.end()) return textures[found->second].get();
    }
    return LoadPath(name);
}

int TextureManager::GetTextureCount() const {
    std::lock_guard<std::mutex> guard(tableLock);
    return count;
}

std::string TextureManager::GetTextureName(int slot) const {
    std::lock_guard<std::mutex> guard(tableLock);
    return slot >= 0 && slot < count ? std::string(names[slot]) : std::string();
}

int TextureManager::CountImageFiles(const char* folder) const {
    std::string base = OrEmpty(folder);
    int found = 0;
    for (const char* pattern : ImagePatterns) found += static_cast<int>(Quill::FindFiles(base + pattern).size());
    return found;
}

bool TextureManager::PreloadFolderStep(const char* folder, int mode) {
    // The first preload leaves a brightness default in config.ini for the player to edit.
    char value[256] = {};
    if (!IniGetString("VIDEO", "Brightness", value)) {
        char text[64];
        std::snprintf(text, sizeof text, "%f", static_cast<double>(brightness));
        IniSetString("VIDEO", "Brightness", text);
    }
    std::string base = OrEmpty(folder);
    if (mode & 1) {
        fileList.clear();
        fileIndex = 0;
        for (const char* pattern : ImagePatterns) {
            std::vector<std::string> files = Quill::FindFiles(base + pattern);
            fileList.insert(fileList.end(), files.begin(), files.end());
        }
    } else if (!(mode & 2)) {
        return false;
    }
    if (fileIndex >= fileList.size()) return false;
    const std::string& file = fileList[fileIndex++];
    LoadPath(base + file);
    return true;
}

void TextureManager::DeleteAllTexturesMIPMAP() {
    // The font's sheet is one of them.
    {
        std::lock_guard<std::mutex> guard(fontLock);
        fontTexture = nullptr;
    }
    ClearTable();
    AppLog("DeleteAllTexturesMIPMAP()", 0);
}

// ---------------------------------------------------------------- drawing

int32_t TextureManager::DrawSprite(const Image* texture, float x, float y, float w, float h, float su, float sv,
                                   float eu, float ev, uint32_t colour, int32_t flags, float rotation) {
    if (flags & SPRITE_DIM) colour = DimColour(colour, colourFactor);
    int32_t clientW = 0, clientH = 0;
    GetClientSize(clientW, clientH);
    float cx = x * clientW, cy = y * clientH, dw = w * clientW, dh = h * clientH;
    int32_t tw = 0, th = 0;
    GetTextureSize(texture, tw, th);
    if ((flags & SPRITE_PIXEL_SIZE) || rotation != 0.0f) {
        dw = (eu - su) * tw;
        dh = (ev - sv) * th;
    }
    float left = cx - dw * 0.5f, top = cy - dh * 0.5f;

    if (!graphics) return DRAW_FAILED;
    if (!texture) {
        AppLog("DrawSprite(): pTexture == NULL", 0);
        return DRAW_FAILED;
    }
    if (flags & SPRITE_NORMAL) graphics->SetDrawMode(Quill::DRAWMODE_NORMAL);
    if (flags & SPRITE_ADDITIVE) graphics->SetDrawMode(Quill::DRAWMODE_ADDITIVE);
    if (colour != OWN_COLOURS) {
        graphics->SetColor(Quill::Color::FromPacked(colour));
        graphics->SetTintImages(true);
    } else {
        graphics->SetTintImages(false);
    }

    Quill::Rect src(Pixels(su * tw), Pixels(sv * th), Pixels((eu - su) * tw), Pixels((ev - sv) * th));
    float px = static_cast<float>(Pixels(left)), py = static_cast<float>(Pixels(top));
    if (rotation != 0.0f) {
        graphics->DrawRotated(texture, px, py, static_cast<double>(rotation), &src);
    } else if (flags & SPRITE_PIXEL_SIZE) {
        if (su == 0.0f && sv == 0.0f && eu == 1.0f && ev == 1.0f)
            graphics->DrawImage(texture, px, py);
        else
            graphics->DrawImage(texture, px, py, src);
    } else if (x >= 0.0f && x <= 1.0f && y >= 0.0f && y <= 1.0f) {
        // A scaled sprite whose centre is off the client area is not drawn.
        graphics->DrawImage(texture, Quill::Rect(Pixels(left), Pixels(top), Pixels(dw), Pixels(dh)), src);
    }
    // Every sprite leaves the context plain, drawn or not, so that a sprite
    // without mode flags never inherits the previous one's mode or tint.
    graphics->SetTintImages(false);
    graphics->SetDrawMode(Quill::DRAWMODE_NORMAL);
    return 0;
}

TextureRect TextureManager::CellRect(int32_t frame, int32_t columns, int32_t rows) {
    TextureRect r;
    if (columns < 1 || rows < 1 || frame < 1 || static_cast<int64_t>(frame) > int64_t(columns) * rows) return r;
    int32_t column = (frame - 1) % columns, row = (frame - 1) / columns;
    r.su = static_cast<float>(column) / columns;
    r.sv = static_cast<float>(row) / rows;
    r.eu = static_cast<float>(column + 1) / columns;
    r.ev = static_cast<float>(row + 1) / rows;
    return r;
}

float TextureManager::AdvanceClamped(float& value, float rate, float time) {
    value += rate * time;
    if (value > 1.0f) value = 1.0f;
    if (value < 0.0f) value = 0.0f;
    return value;
}

int32_t TextureManager::DrawSpriteFrame(const Image* texture, float x, float y, float w, float h, int32_t flags,
                                        int32_t columns, int32_t rows, float speed, uint32_t colour) {
    // A sheet without cells has no frame to show.
    int64_t frames = int64_t(columns) * rows;
    if (columns < 1 || rows < 1 || frames > INT32_MAX) return DRAW_FAILED;
    double t = static_cast<double>(frames) * speed;
    if (!(flags & SPRITE_TIME_FREE)) t = Quill::GetPlatform().Ticks() * 0.001 * static_cast<double>(frames) * speed;
    // fmod keeps the C remainder's sign and never overflows, whatever the clock.
    double whole = std::isfinite(t) ? std::fmod(std::trunc(t), static_cast<double>(frames)) : 0.0;
    TextureRect cell = CellRect(static_cast<int32_t>(whole) + 1, columns, rows);
    if (flags & SPRITE_PIXEL_SIZE) {
        int32_t clientW = 0, clientH = 0, tw = 0, th = 0;
        GetClientSize(clientW, clientH);
        GetTextureSize(texture, tw, th);
        w = static_cast<float>(tw) / columns / std::max(clientW, 1);
        h = static_cast<float>(th) / rows / std::max(clientH, 1);
    }
    return DrawSprite(texture, x, y, w, h, cell.su, cell.sv, cell.eu, cell.ev, colour, flags, 0.0f);
}

void TextureManager::DrawDigits(const Image* texture, float x, float y, float spacing, uint32_t colour,
                                const char* text, float scale) {
    if (!text) return;
    int32_t clientW = 0, clientH = 0, tw = 0, th = 0;
    GetClientSize(clientW, clientH);
    GetTextureSize(texture, tw, th);
    float cellW = tw * 0.1f / std::max(clientW, 1) * scale;
    float cellH = static_cast<float>(th) / std::max(clientH, 1) * scale;
    size_t length = std::strlen(text);
    float offset = (static_cast<float>(length) - 1.0f) * cellW * -0.5f;
    static const char Digits[] = "0123456789";
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) offset += cellW * spacing;
        const char* digit = std::strchr(Digits, text[i]);
        if (!digit) continue;
        float d = static_cast<float>(digit - Digits);
        DrawSprite(texture, x + offset, y, cellW, cellH, d * 0.1f, 0.0f, (d + 1.0f) * 0.1f, 1.0f, colour,
                   SPRITE_NORMAL, 0.0f);
    }
}

float TextureManager::DigitsWidth(const Image* texture, float spacing, const char* text, float scale) const {
    if (!text || !text[0]) return 0.0f;
    int32_t clientW = 0, clientH = 0, tw = 0, th = 0;
    GetClientSize(clientW, clientH);
    GetTextureSize(texture, tw, th);
    const float cellW = tw * 0.1f / std::max(clientW, 1) * scale;
    return (static_cast<float>(std::strlen(text)) - 1.0f) * cellW * spacing + cellW;
}

int32_t TextureManager::DrawProgressBar(const Image* background, const Image* fill, float x, float y, float w,
                                        float h, int32_t percent, int32_t mode) {
    // Beyond 0..100 the fill rectangle would leave the texture and nothing would show.
    percent = std::min(std::max(percent, 0), 100);
    float p = percent * 0.01f;
    int32_t flags = 0;
    if (mode & BAR_PIXEL_SIZE) {
        int32_t clientW = 0, clientH = 0, fw = 0, fh = 0;
        GetClientSize(clientW, clientH);
        GetTextureSize(fill, fw, fh);
        w = static_cast<float>(fw) / std::max(clientW, 1);
        h = static_cast<float>(fh) / std::max(clientH, 1);
        flags = SPRITE_PIXEL_SIZE;
    }
    int32_t result = DrawSprite(background, x, y, w, h, 0.0f, 0.0f, 1.0f, 1.0f, OWN_COLOURS, flags, 0.0f);
    if (mode & BAR_VERTICAL) {
        float fh = h * percent * 0.01f;
        result = DrawSprite(fill, x, y + h * 0.5f - fh * 0.5f, w, fh, 0.0f, 1.0f - p, 1.0f, 1.0f, OWN_COLOURS, flags,
                            0.0f);
    }
    if (mode & BAR_HORIZONTAL) {
        float fw = w * percent * 0.01f;
        result = DrawSprite(fill, x - w * 0.5f + fw * 0.5f, y, fw, h, 0.0f, 0.0f, p, 1.0f, OWN_COLOURS, flags, 0.0f);
    }
    return result;
}
