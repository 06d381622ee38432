#pragma once

#include "render/glwidget.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTest>

#include <memory>
#include <vector>

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
    // Reads back the frame last drawn, without drawing.
    QImage readBack();

    // Runs the widget's GL initialisation a second time, as a new context would.
    void initializeGLAgain();

    // Saves `image` as <name>.png in the test artefacts folder (if one is set).
    static void saveArtefact(const QImage& image, const QString& name);

private:
    std::unique_ptr<GLWidget> m_widget;
};

// A 3D texture as the GL holds it: its extents and its texels, of one
// (luminance) or three (RGB) values each.
struct VolumeTexture {
    std::vector<int> size;
    std::vector<float> texels;
    bool operator==(const VolumeTexture& other) const
    {
        return size == other.size && texels == other.texels;
    }
};
VolumeTexture readVolumeTexture(GLuint texture, GLenum format = GL_LUMINANCE);

// A transfer table drawn on a 4095 x 255 editor, where x is the density and y
// the opacity byte: each point's entry holds exactly its colour and opacity.
struct TablePoint {
    int density;
    QColor color;
    int alpha = 255;
};
void setTransfer(GLWidget& view, const std::vector<TablePoint>& points);

constexpr QRgb kClear = 0, kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff;

// "(r, g, b, a)", and whether each channel lies within `fuzz` of the expected one.
QString rgbaText(QRgb pixel);
bool nearPixel(QRgb actual, QRgb expected, int fuzz);

// Checks one pixel; on a mismatch saves the image as an artefact.
#define VERIFY_PIXEL(image, x, y, expected, fuzz)                                                  \
    do {                                                                                           \
        const QRgb actual_ = (image).pixel((x), (y));                                              \
        if (!nearPixel(actual_, (expected), (fuzz)))                                               \
            TestView::saveArtefact((image), QTest::currentTestFunction());                         \
        QVERIFY2(nearPixel(actual_, (expected), (fuzz)),                                           \
                 qPrintable(QString("pixel (%1, %2) is %3, expected %4")                           \
                                .arg(x)                                                            \
                                .arg(y)                                                            \
                                .arg(rgbaText(actual_), rgbaText(expected))));                     \
    } while (false)
