// The platform pieces that stand on their own: the letterbox and pointer
// mapping, text input, the single-instance lock, the PNG writer, and the SDL
// platform on its dummy drivers.
#include "framework/app/AppTestSupport.h"

#include "framework/imageio/ImageLoader.h"
#include "framework/imageio/PngWriter.h"
#include "framework/platform/InstanceLock.h"
#include "framework/platform/SdlPlatform.h"

using namespace Quill;
using namespace apptest;

namespace {

TEST(Letterbox, ThePictureKeepsItsAspectAndIsCentred) {
    struct Case {
        int winW, winH;
        Rect expected;
    } cases[] = {
        {800, 600, Rect(0, 0, 800, 600)},    {1600, 1200, Rect(0, 0, 1600, 1200)},
        {1920, 1080, Rect(240, 0, 1440, 1080)}, {1000, 1000, Rect(0, 125, 1000, 750)},
        {801, 600, Rect(0, 0, 800, 600)},    {0, 600, Rect(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.winW << "x" << c.winH);
        EXPECT_EQ(LetterboxRect(c.winW, c.winH, 800, 600), c.expected);
    }
}

TEST(Letterbox, PointerPositionsMapBothWays) {
    Rect box = LetterboxRect(1920, 1080, 800, 600); // 240, 0, 1440 x 1080
    struct Case {
        int wx, wy, lx, ly;
    } cases[] = {
        {240, 0, 0, 0},       {1679, 1079, 799, 599}, {960, 540, 400, 300},
        {100, 540, -78, 300}, // on the black bar left of the picture
    };
    for (const Case& c : cases) {
        int lx = 0, ly = 0;
        WindowToLogical(box, 800, 600, c.wx, c.wy, lx, ly);
        EXPECT_EQ(lx, c.lx) << c.wx;
        EXPECT_EQ(ly, c.ly) << c.wy;
    }
    // Every logical pixel maps to a window point that maps back to it.
    for (int x : {0, 1, 333, 799})
        for (int y : {0, 2, 599}) {
            int wx = 0, wy = 0, lx = 0, ly = 0;
            LogicalToWindow(box, 800, 600, x, y, wx, wy);
            WindowToLogical(box, 800, 600, wx, wy, lx, ly);
            EXPECT_EQ(lx, x);
            EXPECT_EQ(ly, y);
        }
}

TEST(ChangedRectsTest, OnlyTheChangedTilesAreSent) {
    // A 100 x 40 picture in tiles of 32 x 16: four columns (the last 4 wide)
    // and three bands (the last 8 high).
    const int w = 100, h = 40;
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> changedPixels;
        std::vector<Rect> expected;
    } cases[] = {
        {"nothing changed", {}, {}},
        {"one pixel", {{40, 20}}, {Rect(32, 16, 32, 16)}},
        {"neighbouring tiles join", {{31, 0}, {32, 15}}, {Rect(0, 0, 64, 16)}},
        {"tiles apart stay apart", {{0, 0}, {99, 0}}, {Rect(0, 0, 32, 16), Rect(96, 0, 4, 16)}},
        {"the last band and column are cut to the picture", {{99, 39}}, {Rect(96, 32, 4, 8)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> shown(w * h, 0xFF102030u), picture = shown;
        for (auto [x, y] : c.changedPixels) picture[static_cast<size_t>(y) * w + x] ^= 0x00010000u;
        EXPECT_EQ(ChangedRects(picture.data(), shown.data(), w, h, 32, 16), c.expected);
    }
    EXPECT_TRUE(ChangedRects(nullptr, nullptr, w, h, 32, 16).empty());
}

TEST(TextInput, Utf8BecomesEightBitCharacters) {
    struct Case {
        const char* utf8;
        std::string expected;
    } cases[] = {
        {"abc", "abc"},
        {"\xC3\xA9t\xC3\xA9", "\xE9t\xE9"},        // é
        {"\xE2\x82\xAC!", "!"},                    // the euro sign has no 8-bit code
        {"\xC3", ""},                              // cut short
        {"\x80\xBF" "a", "a"},                     // stray continuation bytes
        {"\xC1\x81", ""},                          // an overlong 'A'
    };
    for (const Case& c : cases) {
        std::string out;
        Utf8ToLatin1(c.utf8, out);
        EXPECT_EQ(out, c.expected) << c.utf8;
    }
}

TEST(InstanceLockTest, ASecondCopyFindsTheLockAndNotifiesTheFirst) {
    TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.path.c_str(), 1);
    InstanceLock first("Velmora Test/..");
    EXPECT_EQ(first.Path().rfind(folder.path + "/velmora-", 0), 0u);
    EXPECT_EQ(first.Path().find("/..", folder.path.size()), std::string::npos);
    ASSERT_EQ(first.Acquire(), InstanceLock::Result::Acquired);
    EXPECT_FALSE(first.TakeNotification());
    {
        InstanceLock second("Velmora Test/..");
        EXPECT_EQ(second.Acquire(), InstanceLock::Result::HeldElsewhere);
        EXPECT_TRUE(second.NotifyHolder());
    }
    EXPECT_TRUE(first.TakeNotification());
    EXPECT_FALSE(first.TakeNotification());
    InstanceLock other("Another");
    EXPECT_EQ(other.Acquire(), InstanceLock::Result::Acquired);
}

TEST(PngWriterTest, WritesPixelsThatReadBackTheSame) {
    TempFolder folder;
    const uint32_t pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF, 0xFF000000, 0x00123456};
    for (bool withAlpha : {false, true}) {
        SCOPED_TRACE(withAlpha);
        std::string path = folder.path + (withAlpha ? "/alpha.png" : "/plain.png");
        ASSERT_TRUE(WritePng(path, pixels, 3, 2, withAlpha));
        auto image = ImageLib::LoadImageFile(path, false);
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->width, 3);
        ASSERT_EQ(image->height, 2);
        std::vector<uint32_t> expected(pixels, pixels + 6);
        if (!withAlpha) for (uint32_t& p : expected) p |= 0xFF000000u;
        EXPECT_EQ(image->bits, expected);
    }
    EXPECT_FALSE(WritePng(folder.path + "/missing/folder.png", pixels, 3, 2));
}

TEST(SdlPlatformTest, RunsOnTheDummyDrivers) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string error;
    std::unique_ptr<Platform> sdl = CreateSdlPlatform(&error);
    ASSERT_NE(sdl, nullptr) << error;
    ASSERT_TRUE(sdl->CreateMainWindow(10, 10, 800, 600, false));
    EXPECT_TRUE(sdl->HasWindow());
    std::vector<uint32_t> frame(800 * 600, 0xFF336699u);
    EXPECT_TRUE(sdl->Present(frame.data(), 800, 600));
    EXPECT_FALSE(sdl->Present(nullptr, 800, 600));
    EXPECT_GT(sdl->RefreshRate(), 0);
    frame[1234] = 0xFF000000u;
    EXPECT_TRUE(sdl->Present(frame.data(), 800, 600)); // a part of it
    // The same window, full screen (scaled), then back at its own size.
    for (bool fullscreen : {true, false, true}) {
        EXPECT_TRUE(sdl->CreateMainWindow(0, 0, 800, 600, fullscreen));
        frame[fullscreen] ^= 0x00FF0000u;
        EXPECT_TRUE(sdl->Present(frame.data(), 800, 600)) << fullscreen;
        EXPECT_TRUE(sdl->Present(frame.data(), 800, 600)) << fullscreen;
    }
    sdl->DestroyMainWindow();
    EXPECT_FALSE(sdl->HasWindow());
}

} // namespace
