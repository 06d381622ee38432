#pragma once

// GLEW must come before any GL header, Qt's included.
#include <GL/glew.h>

#include "render/camera.h"
#include "render/cropbox.h"
#include "render/emptyspaceleaping.h"
#include "render/raycastuniforms.h"
#include "render/refinement.h"
#include "render/transfertable.h"
#include "render/turnresolution.h"
#include "render/viewnotifier.h"
#include "render/voxelpick.h"
#include "tfeditor/controlpoint.h"
#include "volume/backgroundload.h"
#include "volume/volumedata.h"

#include <QGLWidget>
#include <QImage>
#include <QPoint>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct FrameGeometry;

// Compositing mode of the ray caster, handed to the raycast program as `mode`.
enum RenderMode : int32_t { CompositeMode = 0, AverageMode = 1, MaximumIntensityMode = 2 };

// Which volume extent the slice slider runs along (see sliceCount()).
enum SliceAxis : int32_t { XAxis = 0, YAxis = 1, ZAxis = 2 };

// The OpenGL view: owns the loaded volume, its textures, the transfer table,
// the shader programs and the entry/exit framebuffers, and draws either one
// textured cross-section or a ray-cast picture of the volume.
class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    explicit GLWidget(QWidget* parent);
    ~GLWidget() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Slices of the loaded volume along which the axis's plane moves: the
    // depth for x, the height for y, the width for z.
    int sliceCount() const;

    // Reads `fileName` into the view's volume, uploads it and prepares the
    // ray-casting framebuffers; returns the view's volume (never null).
    VolumeData* loadVolume(std::string fileName);
    // A volume loaded at a reduced level: the crop box's voxels of the file
    // read at full resolution and shown as the volume, the level kept aside.
    // Returns the region's extents and, where it is not shown, why.
    struct RegionLoad
    {
        enum Refusal { None, Graphics, Memory, File } refusal = None;
        std::array<int, 3> extents{};
    };
    RegionLoad loadRegionAtFullResolution();
    // Back from such a region to the level kept aside, not read again.
    void showWholeLevel();
    bool regionShown() const { return m_wholeLevel != nullptr; }
    // A volume file of more than `fileVoxels` voxels is first shown at a
    // coarse level of at most `coarseVoxels`, read by striding through the
    // file, while the level it is shown at then is read on a thread.
    void setCoarseFirst(uint64_t fileVoxels, uint64_t coarseVoxels);
    bool readingFinerLevel() const { return m_finerLevel.running(); }
    // Swaps in voxels of the same extents, the view kept; false (nothing
    // changed) for others.
    bool showTimeStep(VolumeData& next);

    // Rebuilds the transfer table from control points placed on a widget of
    // `width` x `height` pixels, uploads it and repaints the view with it.
    void updateTransferFunction(const std::vector<ControlPoint>& points, int width, int height);

    // Whether the ray caster leaps over bricks whose samples cannot change the
    // picture (on by default). Off, it marches every sample: the same
    // picture, for comparison in tests and benchmarks.
    void setLeaping(bool on);
    bool leaping() const { return m_leaping; }

    // What the ray caster computes (raycastuniforms.h).
    using RayProbe = ::RayProbe;
    void setRayProbe(RayProbe probe);

    // While the left button turns the ray-cast view, frames are drawn from
    // fewer rays and scaled up, as many as keep a frame within `ms` by the
    // last frame's time (36 by default: a turning frame stays within about
    // 40 ms); the release draws the full picture.
    void setDragFrameBudget(double ms);
    // The share of the view's width and height the next turning frame is cast at.
    float turnScale() const { return m_turnResolution.scale(); }

    // The distance between samples along a ray, in voxels (1/64 to 8): 1,
    // as a frame is drawn; less for a converged reference to compare
    // pictures with, more for a faster, coarser picture.
    void setSampleDistance(double voxels);

    // Slices show the density window's densities black to white, those
    // below it black and above it white, rather than through the transfer
    // table (off by default). They then need no table to be drawn.
    void setSlicesInWindow(bool on);
    bool slicesInWindow() const { return m_slicesInWindow; }

    // Where the view looks from beside its two turning angles (camera.h); back
    // to the unturned, unzoomed, centred view fitted to the volume's box; a
    // standard view, unturned (the zoom and pan stay); a zoom by `notches`
    // (positive: closer) about a pixel that stays where it is; a pan by
    // `pixels`.
    const Camera& camera() const { return m_camera; }
    void resetView();
    void setStandardView(Camera::Side side);
    void zoomAt(QPoint pixel, int notches);
    void panBy(QPoint pixels);
    // A turn by `degrees` about the view's vertical axis after the drag's,
    // for a film's frames: nothing else follows it.
    void setSpin(double degrees);

    // The part of the volume the ray caster draws (the whole by default); the
    // cut at the slice's plane (off by default): what lies behind it, as seen,
    // is drawn, and in Composite its face shows the slice as the slices do.
    void setCropBox(const CropBox& box);
    const CropBox& cropBox() const { return m_cropBox; }
    void setCut(bool on);
    // Frames from fewer rays, as while turning, while this is on.
    void setQuickFrames(bool on);
    // The volume's axes run to the patient's right, anterior and superior:
    // the ray-cast view marks the patient's sides at its edges.
    void setPatientAxes(bool known);
    // The volume's axes turned or mirrored for the ray-cast view (volumeaxes.h;
    // the file's by default): the view's edges then name the volume's axes.
    // Slices, picks and the crop box keep the file's voxel indices.
    void setVolumeAxes(const VolumeAxes& axes);
    // Still ray-cast frames refined by the frames after them (refinement.h;
    // off by default), in Composite; how many the shown picture averages.
    void setRefining(bool on);
    // The slice panes' linked point (panelink.h), marked by a small cross
    // over the ray-cast picture in the window; none by default.
    void setMarkedPoint(const std::optional<std::array<int, 3>>& voxel);
    int refinedFrames() const { return m_refinement.isOn() ? m_refinement.frames() : 0; }

    // The voxel under a pixel: on a slice, the slice's; in the ray-cast view,
    // the first along the pixel's ray that the table makes visible.
    VoxelPick pickAt(QPoint pixel) const;
    ViewNotifier* notifier() { return &m_notifier; } // viewnotifier.h

    // The current view drawn off screen at `scale` times the widget's size:
    // the full picture even while a turn draws fewer rays, in the view's
    // mode, turn, slice, table and density window; rows top first, opaque
    // unless the view has an alpha channel. The view on screen is left as it
    // was. A null image, and `fault` one line saying why, where the GL cannot
    // draw a picture that large.
    QImage renderPicture(int scale, QString& fault);

    // Read-only views of the state, for the tests and the benchmarks.
    const VolumeData& volume() const { return m_volume; }
    const std::vector<TransferEntry>& transferTable() const { return m_transferTable; }
    bool transferReady() const { return m_transferReady; }
    bool isSlicing() const { return m_slicing; }
    float slicePosition() const { return m_slicePosition; }
    int renderMode() const { return m_renderMode; }
    int xRotation() const { return m_xRotation; }
    int yRotation() const { return m_yRotation; }
    QPoint lastMousePos() const { return m_lastMousePos; }
    QSize viewportSize() const { return QSize(m_viewportWidth, m_viewportHeight); }
    GLuint volumeTexture() const { return m_volumeTexture; }
    // The gradient textures (gradienttexture.h), x and y, then z; whether
    // they hold the shown volume's gradients, or shading reads the densities.
    GLuint gradientTexture(int which) const { return m_gradientTextures[which]; }
    bool gradientsHeld() const { return m_gradientsHeld; }
    GLuint transferTexture() const { return m_transferTexture; }
    GLuint entryTexture() const { return m_entryTexture; }
    GLuint exitTexture() const { return m_exitTexture; }
    GLuint entryFramebuffer() const { return m_entryFramebuffer; }
    GLuint exitFramebuffer() const { return m_exitFramebuffer; }
    GLuint slicesProgram() const { return m_slicesProgram; }
    GLuint fboProgram() const { return m_fboProgram; }
    GLuint raycastProgram() const { return m_raycastProgram; }

signals:
    void xRotationChanged(int angle);
    void yRotationChanged(int angle);
    void zRotationChanged(int angle);

public slots:
    void setSlicing(bool checked);
    void setXAxis();
    void setYAxis();
    void setZAxis();
    void setSlice(int slice);
    void setMinDensity(int value);
    void setMaxDensity(int value);
    void setCompositeMode();
    void setAverageMode();
    void setMIPMode();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    void buildShaderPrograms();
    void buildRaycastProgram();
    void rebuildRaycastProgram(); // after a change to what it compiles in
    // Whether this frame shades from the gradient textures: see m_texturedRaycast.
    bool shadesFromTextures() const;
    void createFramebuffers();
    void uploadVolumeTexture();
    // The gradients of the shown volume into their textures where the GL can
    // hold them; otherwise shading reads the densities.
    void uploadGradientTextures(const int extents[3]);
    // Why the GL cannot hold a volume of these extents beside the shown one,
    // or "" where it can.
    std::string graphicsRefusal(uint32_t width, uint32_t height, uint32_t depth);
    // After m_volume changed: not at all (a load refused); for another volume
    // or region (the crop, the cut and the box anew); to the coarse first
    // level of a large one (uploaded without console lines); or to the
    // finer level of the one on show (the crop kept, at the new level).
    enum class VolumeChange { Refused, Replaced, Coarse, Refined };
    void volumeChanged(VolumeChange change);
    // The finer level read in the background, once it is there.
    void pollFinerLevel();
    GLenum m_heldGLError = GL_NO_ERROR; // pending before the check, for the upload to report
    void paintSlice(const FrameGeometry& frame);
    void paintRaycast(const FrameGeometry& frame);
    // The box the rays march through: the crop box, and of it the part behind the cut.
    RayBox rayBox() const;
    std::array<int, 3> extents() const { return {m_volume.width, m_volume.height, m_volume.depth}; }
    // The camera's projection for a `width` x `height` frame, loaded.
    void loadProjection(int width, int height) const;
    // The share of the view's width and height a frame is ray cast at.
    float raycastScale() const;
    void drawOrientationMarker();
    void drawMarkedPoint();
    // Sets m_steepSpan and m_sharpTable for the table and volume shown.
    void lookForSurfaces();
    // Whether the ray-cast program passes samples by the cells a sharp table
    // hides: only where samples lie closer than a cell's reach, where a look
    // vouches for more than one; the rasteriser would pay for the looks at
    // every step, taken or not.
    bool marchesByCells() const;
    // Whether this frame's ray-cast pass goes into the refinement's average.
    bool refinesFrame();

    // The fields keep one order; the slice axis and the density window are
    // open to the main window, which repaints the view after writing them.
public:
    int32_t m_sliceAxis = XAxis;

private:
    bool m_slicing = false;
    bool m_transferReady = false;
    std::vector<float> m_stagingBuffer;
    GLuint m_volumeTexture = 0;
    GLuint m_transferTexture = 0;
    float m_slicePosition = 0.5f;
    VolumeData m_volume;
    std::string m_volumePath;                 // the file m_volume came from
    std::unique_ptr<VolumeData> m_wholeLevel; // while a region of it is shown
    BackgroundLoad m_finerLevel;
    QTimer m_finerLevelPoll;
    uint64_t m_coarseFirstAbove = uint64_t(1) << 28; // 256 M voxels
    uint64_t m_coarseVoxels = uint64_t(1) << 26;     // 64 M voxels
    bool m_quietUpload = false;
    int32_t m_viewportWidth = 770;
    int32_t m_viewportHeight = 500;
    std::vector<TransferEntry> m_transferTable;
    int m_transferTop = kDensityCount - 1;   // the table's top entry (transferTableTop)
    int m_projectionTop = kDensityCount - 1; // the projections' (projectionTableTop)
    float m_steepSpan = 2;                   // steepDensitySpan of the table
    bool m_sharpTable = false; // the ray-cast program looks for surfaces between samples
    GLuint m_slicesFragmentShader = 0, m_slicesVertexShader = 0, m_slicesProgram = 0;
    GLuint m_fboFragmentShader = 0, m_fboVertexShader = 0, m_fboProgram = 0;
    GLuint m_raycastFragmentShader = 0, m_raycastVertexShader = 0, m_raycastProgram = 0;
    // A still frame shades from six density reads a sample, exact; frames
    // while turning, and steps longer than a voxel, from the 8-bit gradient
    // textures, a fifth faster, where the sampling's own error far exceeds
    // theirs. That is a second build of the ray-cast program, made while the
    // textures hold the shown volume.
    struct TexturedRaycast
    {
        GLuint fragmentShader = 0, vertexShader = 0, program = 0;
        RaycastUniforms uniforms;
    } m_texturedRaycast;
    GLuint m_entryTexture = 0, m_exitTexture = 0;
    GLuint m_entryFramebuffer = 0, m_exitFramebuffer = 0;

public:
    int32_t m_minDensity = 0;
    int32_t m_maxDensity = kMaxDensity;

private:
    int32_t m_xRotation = 0, m_yRotation = 0;
    QPoint m_lastMousePos;
    int32_t m_renderMode = CompositeMode;

    // Set once initializeGL has run: GL calls made from outside the GL
    // callbacks (a load, a transfer-function edit) need the names it made.
    bool m_glInitialized = false;

    bool m_leaping = true;
    bool m_slicesInWindow = false;
    RayProbe m_rayProbe = RayProbe::Picture;
    float m_sampleDistance = 1;

    // Frames at reduced resolution: while the left button turns, a pan, quick
    // frames; the scale the next is drawn at, and the frame it goes to
    // before it is scaled up to the view.
    bool m_turning = false;
    bool m_panning = false;
    bool m_quickFrames = false;
    int m_wheelAngle = 0; // of a wheel turned less than a notch
    TurnResolution m_turnResolution;
    static constexpr GLenum kTurnUnit = GL_TEXTURE7;
    // The blue-noise tile each pixel's first sample is offset by
    // (bluenoise.h), on a unit of its own.
    static constexpr GLenum kJitterUnit = GL_TEXTURE8;
    GLuint m_jitterTexture = 0;
    // The gradient textures, on units of their own, and whether they hold
    // the shown volume's gradients (so far as anyone knows before the upload).
    static constexpr GLenum kGradientUnits[2] = {GL_TEXTURE6, GL_TEXTURE9};
    GLuint m_gradientTextures[2] = {0, 0};
    bool m_gradientsHeld = true;
    GLuint m_turnTexture = 0;
    GLuint m_turnFramebuffer = 0;
    bool m_turnFramebufferReady = false;
    EmptySpaceLeaping m_emptySpace;
    RaycastUniforms m_raycastUniforms;

    // A picture drawn off screen (glwidget_picture.cpp): the size frames and
    // the view-sized framebuffers are made at where not the widget's, and the
    // framebuffer a frame ends in (0: the widget's own).
    QSize frameSize() const { return m_frameSize.isEmpty() ? size() : m_frameSize; }
    QSize m_frameSize;
    GLuint m_frameTarget = 0;
    // The size the entry, exit and turn framebuffers were made at, or empty.
    QSize m_framebufferSize;

    Camera m_camera;
    CropBox m_cropBox;
    bool m_cut = false;
    bool m_patientAxes = false;
    GLuint m_markerTexture = 0; // the letters of the patient's sides, drawn one by one
    std::optional<std::array<int, 3>> m_markedPoint;
    ViewNotifier m_notifier;
    Refinement m_refinement;
};
