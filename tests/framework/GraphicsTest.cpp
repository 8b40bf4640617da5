#include "framework/Graphics.h"

#include <gtest/gtest.h>

using namespace Quill;

TEST(Color, PackedAlphaZeroReadsAsOpaque) {
    EXPECT_EQ(Color::FromPacked(0x00FF0000), Color(255, 0, 0, 255));
}

TEST(Graphics, AdditiveWhiteHalfAlphaOntoBlackGives127) {
    MemoryImage dest(1, 1), src(1, 1);
    dest.GetBits()[0] = 0xFF000000u;
    src.GetBits()[0] = 0x80FFFFFFu;
    Graphics g(&dest);
    g.SetDrawMode(DRAWMODE_ADDITIVE);
    g.DrawImage(&src, 0, 0);
    EXPECT_EQ(dest.GetBits()[0], 0xFF7F7F7Fu);
}
