#pragma once

// GLEW must come before any GL header, Qt's included.
#include <GL/glew.h>

#include <QByteArray>
#include <QSize>
#include <QTimer>

#include <functional>

// A still frame of the ray-cast view refined by the frames after it: each
// offsets the rays' first samples by another share of a step, and the
// frames are averaged in a float buffer, until the average has sampled each
// ray at kFrames interleaved positions, as a march at 1 / kFrames voxel
// does. The view asks for them one by one, so that input is never held up
// by more than one frame.
class Refinement
{
public:
    static constexpr int kFrames = 16;

    // The names, made once with the GL; `nextFrame` asks the view for a frame.
    void create(const std::function<void()>& nextFrame);
    void setOn(bool on);
    bool isOn() const { return m_on; }
    // Input or a change of what the view shows: no further frames, and the
    // next frame is a still frame again.
    void stop();

    // Before the ray-cast pass of a frame of `size` pixels showing `view` (a
    // digest of what it draws): whether the pass goes into the average;
    // false where refinement is off or the GL cannot hold a float buffer.
    bool begin(const QByteArray& view, QSize size);
    // The pass's target bound and its sample offset set at `offsetUniform`;
    // false where the average is complete and the pass need not be drawn.
    bool prepareFrame(GLint offsetUniform);
    // After the pass: the average copied into `target` (within the scissor
    // set), and the next frame asked for while it is incomplete.
    void show(GLuint target, QSize size, GLint offsetUniform);

    int frames() const { return m_frames; }
    // Whether further frames would change the shown picture.
    bool refining() const { return m_on && !m_view.isEmpty() && m_frames < kFrames; }

private:
    bool m_on = false;
    GLuint m_framebuffer = 0, m_colour = 0;
    QSize m_size;
    bool m_complete = false; // the framebuffer, at m_size
    QByteArray m_view;
    int m_frames = 0;
    bool m_drawing = false; // a pass is going into the average
    QTimer m_next;
};
