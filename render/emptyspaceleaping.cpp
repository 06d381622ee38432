#include "render/emptyspaceleaping.h"

#include "render/glfeatures.h"
#include "render/textureunit.h"

namespace {

bool texturesAvailable()
{
    const GLFeatures features = availableGLFeatures();
    return features.texture3D && features.multitexture;
}

} // namespace

EmptySpaceLeaping::EmptySpaceLeaping(const std::vector<TransferEntry>& table)
    : m_grid(buildBrickGrid(VolumeData())), m_cells(m_grid),
      m_averageRuns(runLengths(m_grid, nonZeroBricks(m_grid))),
      m_opaqueEntryCounts(countOpaqueEntries(table))
{
    markVisibleBricks();
}

void EmptySpaceLeaping::setVolume(const VolumeData& volume)
{
    m_grid = buildBrickGrid(volume);
    m_cells = buildRangeGrid(volume, kCellSize, kCellReach);
    m_extents = {{volume.width, volume.height, volume.depth}};
    const std::vector<uint8_t> nonZero = nonZeroBricks(m_grid);
    m_averageRuns = runLengths(m_grid, nonZero);
    m_nonZeroBox = markedBox(m_grid, nonZero, m_extents);
    markVisibleBricks();
}

void EmptySpaceLeaping::setTable(const std::vector<TransferEntry>& table)
{
    m_opaqueEntryCounts = countOpaqueEntries(table);
    markVisibleBricks();
}

void EmptySpaceLeaping::markVisibleBricks()
{
    m_visible = visibleBricks(m_grid, m_opaqueEntryCounts);
    m_visibleBox = markedBox(m_grid, m_visible, m_extents);
}

void EmptySpaceLeaping::createTextures()
{
    GLuint names[3] = {0, 0, 0};
    glGenTextures(3, names);
    m_largestTexture = names[0];
    m_runsTexture = names[1];
    m_cellsTexture = names[2];
}

void EmptySpaceLeaping::uploadGrid()
{
    if (!texturesAvailable())
        return;
    // The largest densities at the volume texture's 16 bits, so that they
    // equal the largest voxel samples exactly.
    const std::vector<float> largest = largestWithinReach(m_grid);
    onTextureUnit(kLargestUnit, [&] {
        glBindTexture(GL_TEXTURE_3D, m_largestTexture);
        glTexImage3D(GL_TEXTURE_3D, 0, GL_LUMINANCE16_ALPHA16, m_grid.width, m_grid.height,
                     m_grid.depth, 0, GL_LUMINANCE_ALPHA, GL_FLOAT, largest.data());
        setClampedSampling(GL_TEXTURE_3D, GL_NEAREST); // one texel a brick, exactly
    });
    uploadRuns();
}

void EmptySpaceLeaping::uploadRuns()
{
    if (!texturesAvailable())
        return;
    const std::vector<uint8_t> composite = runLengths(m_grid, m_visible);
    std::vector<RunsTexel> runs(composite.size() / 2);
    for (size_t b = 0; b < runs.size(); ++b)
        runs[b] = {composite[2 * b], composite[2 * b + 1], m_averageRuns[2 * b],
                   m_averageRuns[2 * b + 1]};
    onTextureUnit(kRunsUnit, [&] {
        glBindTexture(GL_TEXTURE_3D, m_runsTexture);
        glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, m_grid.width, m_grid.height, m_grid.depth, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, runs.data());
        setClampedSampling(GL_TEXTURE_3D, GL_NEAREST); // one texel a brick, exactly
    });
    const std::vector<uint8_t> cells = visibleBricks(m_cells, m_opaqueEntryCounts);
    onTextureUnit(kCellsUnit, [&] {
        glBindTexture(GL_TEXTURE_3D, m_cellsTexture);
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows of odd widths
        glTexImage3D(GL_TEXTURE_3D, 0, GL_LUMINANCE8, m_cells.width, m_cells.height, m_cells.depth,
                     0, GL_LUMINANCE, GL_UNSIGNED_BYTE, cells.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        // One texel a cell; beyond the faces the last cell, whose range
        // holds the voxels a sample there reads.
        setClampedSampling(GL_TEXTURE_3D, GL_NEAREST);
    });
}

EmptySpaceLeaping::Uniforms EmptySpaceLeaping::locate(GLuint program)
{
    Uniforms uniforms;
    uniforms.largest = glGetUniformLocation(program, "bricks");
    uniforms.runs = glGetUniformLocation(program, "brick_runs");
    uniforms.brickCount = glGetUniformLocation(program, "brick_count");
    uniforms.brickSize = glGetUniformLocation(program, "brick_size");
    uniforms.leaping = glGetUniformLocation(program, "leaping");
    uniforms.boxLow = glGetUniformLocation(program, "box_low");
    uniforms.boxHigh = glGetUniformLocation(program, "box_high");
    uniforms.cells = glGetUniformLocation(program, "cells");
    uniforms.cellCount = glGetUniformLocation(program, "cell_count");
    uniforms.cellSize = glGetUniformLocation(program, "cell_size");
    uniforms.cellReach = glGetUniformLocation(program, "cell_reach");
    return uniforms;
}

void EmptySpaceLeaping::bind(const Uniforms& uniforms, bool on, int mode) const
{
    const SampleBox whole{{{-1, -1, -1}}, {{2, 2, 2}}};
    const SampleBox& box = !on ? whole : mode == 0 ? m_visibleBox : m_nonZeroBox;
    glUniform3fv(uniforms.boxLow, 1, box.low.data());
    glUniform3fv(uniforms.boxHigh, 1, box.high.data());
    onTextureUnit(kLargestUnit, [&] { glBindTexture(GL_TEXTURE_3D, m_largestTexture); });
    onTextureUnit(kRunsUnit, [&] { glBindTexture(GL_TEXTURE_3D, m_runsTexture); });
    onTextureUnit(kCellsUnit, [&] { glBindTexture(GL_TEXTURE_3D, m_cellsTexture); });
    glUniform1i(uniforms.largest, int(kLargestUnit - GL_TEXTURE0));
    glUniform1i(uniforms.runs, int(kRunsUnit - GL_TEXTURE0));
    glUniform3i(uniforms.brickCount, m_grid.width, m_grid.height, m_grid.depth);
    glUniform1i(uniforms.brickSize, kBrickSize);
    glUniform1i(uniforms.cells, int(kCellsUnit - GL_TEXTURE0));
    glUniform3i(uniforms.cellCount, m_cells.width, m_cells.height, m_cells.depth);
    glUniform1i(uniforms.cellSize, kCellSize);
    glUniform1f(uniforms.cellReach, float(kCellReach));
    glUniform1i(uniforms.leaping, on);
}

void EmptySpaceLeaping::release()
{
    std::vector<float>().swap(m_grid.ranges);
    std::vector<float>().swap(m_cells.ranges);
    std::vector<uint8_t>().swap(m_averageRuns);
    std::vector<uint32_t>().swap(m_opaqueEntryCounts);
    std::vector<uint8_t>().swap(m_visible);
}
