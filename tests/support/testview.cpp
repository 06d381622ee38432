#include "tests/support/testview.h"

#include <QDir>
#include <QGLFormat>
#include <QTest>

#include <stdexcept>

namespace {

// Leaves each frame in the back buffer, where the test reads it back.
class ReadableGLWidget : public GLWidget
{
public:
    ReadableGLWidget() : GLWidget(nullptr) { setAutoBufferSwap(false); }
    void initializeAgain()
    {
        makeCurrent();
        initializeGL();
    }
};

} // namespace

void requestAlphaChannel()
{
    QGLFormat format = QGLFormat::defaultFormat();
    format.setAlpha(true);
    QGLFormat::setDefaultFormat(format);
}

TestView::TestView(int width, int height) : m_widget(new ReadableGLWidget)
{
    m_widget->resize(width, height);
    m_widget->show();
    if (!QTest::qWaitForWindowExposed(m_widget.get()))
        throw std::runtime_error("the GL view was never shown");
    m_widget->makeCurrent();
    // The window's buffers take its size at a swap; unswapped, they would
    // keep the 640 x 480 its window was made at.
    m_widget->swapBuffers();
}

TestView::~TestView() = default;

QImage TestView::render()
{
    m_widget->updateGL();
    return readBack();
}

QImage TestView::readBack()
{
    m_widget->makeCurrent();
    const int width = m_widget->width(), height = m_widget->height();
    QImage image(width, height, QImage::Format_RGBA8888);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored(); // the GL counts rows from the bottom
}

void TestView::initializeGLAgain()
{
    static_cast<ReadableGLWidget*>(m_widget.get())->initializeAgain();
}

void TestView::saveArtefact(const QImage& image, const QString& name)
{
    const QByteArray folder = qgetenv("KASTRA_TEST_ARTEFACTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

VolumeTexture readVolumeTexture(GLuint texture, GLenum format)
{
    VolumeTexture result{std::vector<int>(3, 0), {}};
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_3D, texture);
    const GLenum extents[] = {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT, GL_TEXTURE_DEPTH};
    for (int axis = 0; axis < 3; ++axis)
        glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, extents[axis], &result.size[size_t(axis)]);
    const size_t components = format == GL_RGB ? 3 : format == GL_LUMINANCE_ALPHA ? 2 : 1;
    result.texels.assign(components * size_t(result.size[0]) *
                             size_t(result.size[1]) * size_t(result.size[2]),
                         -1.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_3D, 0, format, GL_FLOAT, result.texels.data());
    return result;
}

void setTransfer(GLWidget& view, const std::vector<TablePoint>& points)
{
    std::vector<ControlPoint> controls;
    for (const TablePoint& p : points)
        controls.push_back({p.color, p.density, p.alpha});
    view.updateTransferFunction(controls, 4095, 255);
}

QString rgbaText(QRgb pixel)
{
    return QString::asprintf("(%d, %d, %d, %d)", qRed(pixel), qGreen(pixel), qBlue(pixel),
                             qAlpha(pixel));
}

bool nearPixel(QRgb actual, QRgb expected, int fuzz)
{
    return std::abs(qRed(actual) - qRed(expected)) <= fuzz &&
           std::abs(qGreen(actual) - qGreen(expected)) <= fuzz &&
           std::abs(qBlue(actual) - qBlue(expected)) <= fuzz &&
           std::abs(qAlpha(actual) - qAlpha(expected)) <= fuzz;
}
