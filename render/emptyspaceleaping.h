#pragma once

// GLEW must come before any GL header.
#include <GL/glew.h>

#include "render/brickgrid.h"
#include "render/transfertable.h"
#include "volume/volumedata.h"

#include <array>
#include <cstdint>
#include <vector>

// Leaping over empty space, as one unit: the volume's brick grid, the runs
// the ray caster may leap in each mode, and the two textures that hand them
// to it, on texture units of their own after the four the passes bind.
//   largest (LUMINANCE16_ALPHA16, per brick): the largest density one run
//     and two runs from the brick can read; MIP leaps what cannot raise its
//     maximum.
//   runs (RGBA8, per brick, a RunsTexel): runs to leap and to march from a
//     run starting there, Composite's (bricks the table shows) and Average's
//     (bricks holding densities above 0).
//   cells (LUMINANCE8, per cell of kCellSize voxels): 255 where the table
//     shows some density of the cell's range, which reaches kCellReach
//     voxels beyond it; Composite marches past the samples near a cell it
//     hides without reading them.
class EmptySpaceLeaping
{
public:
    // The layout of a runs texel; the ray caster reads it by the same names.
    struct RunsTexel
    {
        uint8_t compositeLeap, compositeMarch, averageLeap, averageMarch;
    };

    // Where the ray-cast program takes the textures and the grid's shape.
    struct Uniforms
    {
        GLint largest = -1, runs = -1, brickCount = -1, brickSize = -1, leaping = -1, boxLow = -1,
              boxHigh = -1, cells = -1, cellCount = -1, cellSize = -1, cellReach = -1;
    };

    // For an empty volume, under the table the transfer texture is made
    // with: a table that never reached the texture must not hide any brick.
    explicit EmptySpaceLeaping(const std::vector<TransferEntry>& table);

    // A new volume: its brick grid and Average's runs.
    void setVolume(const VolumeData& volume);
    // The table the transfer texture now holds: Composite's runs.
    void setTable(const std::vector<TransferEntry>& table);

    // GL, with the context current. Names, once per context.
    void createTextures();
    // Uploads the grids' textures, or the runs and cells alone after a new
    // table; the active unit stays as it was.
    void uploadGrid();
    void uploadRuns();
    static Uniforms locate(GLuint program);
    // Binds the textures on their units (leaving the active unit as it was)
    // and sets the program's uniforms for `mode` (0 Composite, 1 Average, 2
    // MIP): the runs to leap, and the box rays march through (markedBox:
    // the bricks the table shows, for the projections those holding
    // densities above 0). `on` false marches every sample of the cube.
    void bind(const Uniforms& uniforms, bool on, int mode) const;

    const BrickGrid& grid() const { return m_grid; }
    void release(); // the host-side storage, at the view's end

private:
    static constexpr GLenum kLargestUnit = GL_TEXTURE4;
    static constexpr GLenum kRunsUnit = GL_TEXTURE5;
    static constexpr GLenum kCellsUnit = GL_TEXTURE10;

    void markVisibleBricks();

    BrickGrid m_grid;
    BrickGrid m_cells; // ranges of kCellSize voxels, reaching kCellReach beyond
    std::array<int, 3> m_extents{};
    std::vector<uint8_t> m_averageRuns; // leap and march per brick, as runLengths gives them
    std::vector<uint32_t> m_opaqueEntryCounts;
    std::vector<uint8_t> m_visible; // bricks the table shows
    SampleBox m_visibleBox, m_nonZeroBox;
    GLuint m_largestTexture = 0;
    GLuint m_runsTexture = 0;
    GLuint m_cellsTexture = 0;
};
