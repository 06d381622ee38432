#pragma once

#include "render/glwidget.h"

#include <QImage>

#include <memory>

// Asks for an alpha channel in every GL widget made from now on, so that
// pixel tests can tell transparent black from opaque black. Call before the
// first GLWidget is created.
void requestAlphaChannel();

// A GLWidget shown as a window of its own at an exact size, with its GL
// initialised, for tests that draw and read back real pixels.
class TestView
{
public:
    explicit TestView(int width = 700, int height = 500);
    ~TestView();

    GLWidget& widget() { return *m_widget; }
    GLWidget* operator->() { return m_widget.get(); }

    // Draws one frame into the back buffer and reads it back (top row first).
    QImage render();

    // Runs the widget's GL initialisation a second time, as a new context would.
    void initializeGLAgain();

    // Saves `image` as <name>.png in the test artefacts folder (if one is set).
    static void saveArtefact(const QImage& image, const QString& name);

private:
    std::unique_ptr<GLWidget> m_widget;
};

// Reads back a rectangle texture of `width` x `height` texels (top row first),
// binding it on the active texture unit.
QImage readRectangleTexture(GLuint texture, int width, int height);
