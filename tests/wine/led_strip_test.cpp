// The digit strip as the executable carries it, pixel by pixel against the
// glyph drawings in led_reference.h (not against the image generator).
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/wine/led_reference.h"
#include "tests/wine/support/wine_test.h"

namespace {

// The standard 16-colour palette, in its index order.
constexpr COLORREF kStandardPalette[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};

const std::vector<std::pair<COLORREF, char>> kLegend = {
    {ledref::kBlack, '.'}, {ledref::kLit, '#'}, {ledref::kDot, ':'}};

}  // namespace

TEST(DigitStrip, ResourceIsA131By23FourBitBitmapWithTheStandardPalette)
{
    HRSRC found =
        FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_DIGITS), MAKEINTRESOURCEA(2));  // RT_BITMAP
    ASSERT_NE(nullptr, found);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(nullptr, header);
    ASSERT_EQ(sizeof(BITMAPINFOHEADER), header->biSize);
    EXPECT_EQ(ledref::kStripW, header->biWidth);
    EXPECT_EQ(ledref::kGlyphH, header->biHeight);  // bottom-up
    EXPECT_EQ(1, header->biPlanes);
    ASSERT_EQ(4, header->biBitCount);
    ASSERT_EQ(static_cast<DWORD>(BI_RGB), header->biCompression);
    ASSERT_TRUE(header->biClrUsed == 0 || header->biClrUsed == 16) << header->biClrUsed;

    const auto* palette = reinterpret_cast<const RGBQUAD*>(header + 1);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(kStandardPalette[i],
                  RGB(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue))
            << "palette entry " << i;
    }

    // Every pixel, decoded from the indices: the strip exactly, column 130 too.
    const auto* bits = reinterpret_cast<const BYTE*>(palette + 16);
    const int stride = (ledref::kStripW * 4 + 31) / 32 * 4;
    ASSERT_LE(static_cast<DWORD>(stride * ledref::kGlyphH), SizeofResource(nullptr, found));
    for (int y = 0; y < ledref::kGlyphH; ++y) {
        const BYTE* row = bits + (ledref::kGlyphH - 1 - y) * stride;
        for (int x = 0; x < ledref::kStripW; ++x) {
            const int index = x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
            ASSERT_EQ(ledref::StripPixel(x, y), kStandardPalette[index])
                << "digit " << x / ledref::kGlyphW << " pixel " << x % ledref::kGlyphW << "," << y;
        }
    }
}

TEST(DigitStrip, LoadedBitmapShowsEveryGlyphOfTheDrawings)
{
    HBITMAP strip = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_DIGITS));
    ASSERT_NE(nullptr, strip);
    BITMAP info;
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectA(strip, sizeof info, &info));
    EXPECT_EQ(ledref::kStripW, info.bmWidth);
    EXPECT_EQ(ledref::kGlyphH, info.bmHeight);

    const wt::Pixels p =
        wt::DrawOffscreen(ledref::kStripW, ledref::kGlyphH, RGB(7, 7, 7), [&](HDC dc) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, strip);
            BitBlt(dc, 0, 0, ledref::kStripW, ledref::kGlyphH, source, 0, 0, SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
        });
    DeleteObject(strip);

    for (int digit = 0; digit < 10; ++digit) {
        const RECT glyph = {digit * ledref::kGlyphW, 0, (digit + 1) * ledref::kGlyphW,
                            ledref::kGlyphH};
        for (int y = 0; y < ledref::kGlyphH; ++y) {
            for (int x = glyph.left; x < glyph.right; ++x) {
                ASSERT_EQ(ledref::StripPixel(x, y), p.At(x, y))
                    << "digit " << digit << " pixel " << x - glyph.left << "," << y << "\n"
                    << p.Picture(glyph, kLegend);
            }
        }
    }
    EXPECT_EQ(ledref::kGlyphH, p.Count({130, 0, 131, ledref::kGlyphH}, ledref::kBlack));
}
