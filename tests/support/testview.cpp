#include "tests/support/testview.h"

#include <QDir>
#include <QGLFormat>
#include <QTest>

#include <cstring>
#include <stdexcept>
#include <vector>

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

QImage flippedImage(const std::vector<unsigned char>& rgba, int width, int height)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int row = 0; row < height; ++row)
        std::memcpy(image.scanLine(height - 1 - row), rgba.data() + size_t(row) * width * 4,
                    size_t(width) * 4);
    return image;
}

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
}

TestView::~TestView() = default;

QImage TestView::render()
{
    m_widget->updateGL();
    m_widget->makeCurrent();
    const int width = m_widget->width(), height = m_widget->height();
    std::vector<unsigned char> rgba(size_t(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return flippedImage(rgba, width, height);
}

void TestView::initializeGLAgain() { static_cast<ReadableGLWidget*>(m_widget.get())->initializeAgain(); }

void TestView::saveArtefact(const QImage& image, const QString& name)
{
    const QByteArray folder = qgetenv("KASTRA_TEST_ARTEFACTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    image.save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

QImage readRectangleTexture(GLuint texture, int width, int height)
{
    std::vector<unsigned char> rgba(size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return flippedImage(rgba, width, height);
}
