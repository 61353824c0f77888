#include "controls/cell_tiles.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "controls/back_buffer.h"
#include "controls/bevel.h"

struct CellTiles {
    int width;
    int height;
    BevelColours colours;  // the edges' colours when the tiles were drawn
    uint32_t* pixels;      // the raised tile's rows, then the sunk tile's
    uint8_t* repeats;      // per row: 1 when both tiles repeat the row above
};

namespace {

// Beyond this a tile would cost more memory than drawing bevels costs time
// (and its byte count could overflow); the settings allow 256 at most.
constexpr int kMaxSide = 4096;

// Marks the rows that both tiles repeat from the row above: all but the
// rings' rows, so most of a large cell.
void FindRepeats(CellTiles* tiles)
{
    const size_t row = sizeof(uint32_t) * tiles->width;
    tiles->repeats[0] = 0;
    for (int y = 1; y < tiles->height; ++y) {
        tiles->repeats[y] =
            memcmp(CellTilesRow(tiles, 0, y), CellTilesRow(tiles, 0, y - 1), row) == 0 &&
            memcmp(CellTilesRow(tiles, 1, y), CellTilesRow(tiles, 1, y - 1), row) == 0;
    }
}

// Draws the raised tile above the sunk one into a DIB section and copies its
// rows out; the DC and the bitmap live only for this call.
int DrawTiles(CellTiles* tiles, int raisedRings, int sunkRings)
{
    const int width = tiles->width;
    const int height = tiles->height;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = memory ? CreateTopDownDib(memory, width, 2 * height, &bits) : nullptr;
    int done = 0;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const RECT raised = {0, 0, width, height};
        const RECT sunk = {0, height, width, 2 * height};
        FillFace(memory, &raised);
        DrawRaisedBevel(memory, &raised, raisedRings);
        FillFace(memory, &sunk);
        DrawSunkenBevel(memory, &sunk, sunkRings);
        GdiFlush();
        memcpy(tiles->pixels, bits, sizeof(uint32_t) * width * 2 * height);
        FindRepeats(tiles);
        SelectObject(memory, previous);
        done = 1;
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    if (memory) {
        DeleteDC(memory);
    }
    return done;
}

}  // namespace

CellTiles* CellTilesCreate(int width, int height, int raisedRings, int sunkRings)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return nullptr;
    }
    auto* tiles = static_cast<CellTiles*>(malloc(sizeof(CellTiles)));
    if (!tiles) {
        return nullptr;
    }
    tiles->width = width;
    tiles->height = height;
    tiles->colours = GetBevelColours();
    // One block: both tiles' pixels, then the row flags.
    const size_t pixelBytes = sizeof(uint32_t) * width * 2 * height;
    tiles->pixels = static_cast<uint32_t*>(malloc(pixelBytes + height));
    tiles->repeats =
        tiles->pixels ? reinterpret_cast<uint8_t*>(tiles->pixels) + pixelBytes : nullptr;
    if (!tiles->pixels || !DrawTiles(tiles, raisedRings, sunkRings)) {
        CellTilesDestroy(tiles);
        return nullptr;
    }
    return tiles;
}

void CellTilesDestroy(CellTiles* tiles)
{
    if (tiles) {
        free(tiles->pixels);
        free(tiles);
    }
}

int CellTilesFit(const CellTiles* tiles, int width, int height)
{
    return tiles && tiles->width == width && tiles->height == height &&
           BevelColoursEqual(tiles->colours, GetBevelColours());
}

const uint32_t* CellTilesRow(const CellTiles* tiles, int sunk, int y)
{
    return tiles->pixels + (static_cast<size_t>(sunk ? tiles->height : 0) + y) * tiles->width;
}

int CellTilesRowRepeats(const CellTiles* tiles, int y)
{
    return tiles->repeats[y];
}
