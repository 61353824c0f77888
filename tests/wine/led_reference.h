#ifndef TESSALY_TESTS_WINE_LED_REFERENCE_H
#define TESSALY_TESTS_WINE_LED_REFERENCE_H

// What an LED display must look like, written out from the glyph drawings
// (segment shapes and lit segments per digit) independently of the image
// generator and of the drawing code, for the strip test and the face tests.

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/wine/support/wine_test.h"

namespace ledref {

constexpr int kGlyphW = 13;
constexpr int kGlyphH = 23;
constexpr int kStripW = 10 * kGlyphW + 1;
constexpr int kFaceW = 54;
constexpr int kFaceH = 25;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kLit = RGB(255, 0, 0);
constexpr COLORREF kDot = RGB(128, 0, 0);

// A run of pixels along one row (horizontal) or one column, both ends included.
struct Run {
    bool horizontal;
    int line;  // the row or the column
    int from;
    int to;
};
struct Segment {
    Run runs[3];
    int dottedParity;  // unlit: pixels with (x + y) % 2 == this are dark red
};

enum : unsigned { T = 1, UL = 2, UR = 4, M = 8, LL = 16, LR = 32, B = 64 };

// In the order of the bits above.
constexpr Segment kSegments[7] = {
    {{{true, 1, 2, 10}, {true, 2, 3, 9}, {true, 3, 4, 8}}, 0},            // top
    {{{false, 1, 2, 10}, {false, 2, 3, 9}, {false, 3, 4, 8}}, 1},         // upper left
    {{{false, 11, 2, 10}, {false, 10, 3, 9}, {false, 9, 4, 8}}, 1},       // upper right
    {{{true, 10, 3, 9}, {true, 11, 2, 10}, {true, 12, 3, 9}}, 0},         // middle
    {{{false, 1, 12, 20}, {false, 2, 13, 19}, {false, 3, 14, 18}}, 1},    // lower left
    {{{false, 11, 12, 20}, {false, 10, 13, 19}, {false, 9, 14, 18}}, 1},  // lower right
    {{{true, 19, 4, 8}, {true, 20, 3, 9}, {true, 21, 2, 10}}, 0},         // bottom
};

constexpr unsigned kLitSegments[10] = {
    T | UL | UR | LL | LR | B,      // 0
    UR | LR,                        // 1
    T | UR | M | LL | B,            // 2
    T | UR | M | LR | B,            // 3
    UL | UR | M | LR,               // 4
    T | UL | M | LR | B,            // 5
    T | UL | M | LL | LR | B,       // 6
    T | UR | LR,                    // 7
    T | UL | UR | M | LL | LR | B,  // 8
    T | UL | UR | M | LR | B,       // 9
};

inline bool OnRun(const Run& r, int x, int y)
{
    return r.horizontal ? (y == r.line && x >= r.from && x <= r.to)
                        : (x == r.line && y >= r.from && y <= r.to);
}

// Colour of pixel (x, y) of a glyph, origin at its top-left.
inline COLORREF GlyphPixel(int digit, int x, int y)
{
    for (int s = 0; s < 7; ++s) {
        const Segment& seg = kSegments[s];
        if (!OnRun(seg.runs[0], x, y) && !OnRun(seg.runs[1], x, y) && !OnRun(seg.runs[2], x, y))
            continue;
        if (kLitSegments[digit] & (1u << s)) return kLit;
        return (x + y) % 2 == seg.dottedParity ? kDot : kBlack;
    }
    return kBlack;
}

// Colour of pixel (x, y) of the whole strip.
inline COLORREF StripPixel(int x, int y)
{
    if (x >= 10 * kGlyphW) return kBlack;
    return GlyphPixel(x / kGlyphW, x % kGlyphW, y);
}

// The 54 x 25 face of a counter or timer showing `value`, with the 1-ring
// sunken frame in the given shadow and highlight colours.
inline wt::Pixels Face(int value, COLORREF shadow, COLORREF highlight)
{
    wt::Pixels p;
    p.width = kFaceW;
    p.height = kFaceH;
    p.data.resize(kFaceW * kFaceH);
    const int divisors[4] = {1000, 100, 10, 1};
    for (int y = 0; y < kFaceH; ++y) {
        for (int x = 0; x < kFaceW; ++x) {
            COLORREF c;
            if (x == kFaceW - 1) c = highlight;       // right column, both corners
            else if (x == 0) c = shadow;              // left column, both corners
            else if (y == 0) c = shadow;              // top row
            else if (y == kFaceH - 1) c = highlight;  // bottom row
            else {
                const int i = (x - 1) / kGlyphW;
                c = GlyphPixel(value / divisors[i] % 10, (x - 1) % kGlyphW, y - 1);
            }
            p.data[y * kFaceW + x] = c;
        }
    }
    return p;
}

// Colours the face tests give the system, distinct from the LED colours.
constexpr COLORREF kShadow = RGB(30, 60, 200);
constexpr COLORREF kHighlight = RGB(220, 230, 40);

// The pixels of a 54 x 25 window against the face of `value`; on a mismatch,
// a picture of what is there.
inline testing::AssertionResult ShowsFace(const wt::Pixels& actual, int value,
                                          COLORREF shadow = kShadow,
                                          COLORREF highlight = kHighlight)
{
    if (actual.width != kFaceW || actual.height != kFaceH)
        return testing::AssertionFailure() << "size " << actual.width << " x " << actual.height;
    const wt::Pixels want = Face(value, shadow, highlight);
    for (int y = 0; y < kFaceH; ++y) {
        for (int x = 0; x < kFaceW; ++x) {
            if (actual.At(x, y) != want.At(x, y)) {
                const std::vector<std::pair<COLORREF, char>> legend = {
                    {kBlack, '.'}, {kLit, '#'}, {kDot, ':'}, {shadow, 'S'}, {highlight, 'H'}};
                return testing::AssertionFailure()
                       << "not the face of " << value << ": pixel " << x << "," << y << "\n"
                       << actual.Picture({0, 0, kFaceW, kFaceH}, legend) << "wanted\n"
                       << want.Picture({0, 0, kFaceW, kFaceH}, legend);
            }
        }
    }
    return testing::AssertionSuccess();
}

}  // namespace ledref

#endif
