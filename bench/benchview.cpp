#include "bench/benchview.h"

#include <QDir>
#include <QGLFormat>
#include <QString>
#include <QTest>

#include <iostream>

void requestAlphaChannel()
{
    QGLFormat format = QGLFormat::defaultFormat();
    format.setAlpha(true);
    QGLFormat::setDefaultFormat(format);
}

bool enterShaderFolder(const std::string& folder)
{
    if (QDir::setCurrent(QString::fromStdString(folder)))
        return true;
    std::cerr << "no shader folder " << folder << "\n";
    return false;
}

int shaderFolderArgument(int argc, char** argv, const char* program, std::string& folder)
{
    if (argc == 3 && std::string(argv[1]) == "--shaders")
        folder = argv[2];
    else if (argc != 1) {
        std::cerr << "usage: " << program << " [--shaders FOLDER]\n";
        return 2;
    }
    return 0;
}

bool BenchView::showAt(int width, int height)
{
    resize(width, height);
    show();
    if (!QTest::qWaitForWindowExposed(this)) {
        std::cerr << "the view was never shown\n";
        return false;
    }
    makeCurrent();
    // The window's buffers take its size at a swap: the view's window was
    // made at 640 x 480 before it was resized, and a view read back unswapped
    // would keep that size, its rows and columns beyond it never drawn and
    // never read back.
    swapBuffers();
    return true;
}

QImage BenchView::picture()
{
    updateGL();
    return backBuffer();
}

QImage BenchView::backBuffer()
{
    makeCurrent();
    QImage image(width(), height(), QImage::Format_RGBA8888);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width(), height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored(); // the GL counts rows from the bottom
}
