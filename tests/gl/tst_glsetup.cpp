// GL set-up of the view with the real driver: console lines, the volume
// texture, the entry and exit framebuffers.

#include "render/glfeatures.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "volume/volumewriter.h"

#include <QtTest>


#include <numeric>

namespace {

// A shown view in a folder with the shader files and a volume "v.dat".
struct Setup {
    TestFolder folder{TestFolder::WithShaders};
    ConsoleCapture console;
    std::unique_ptr<TestView> view;
    explicit Setup(const SampleVolume& volume, QSize size = {300, 200})
    {
        writeVolumeFile("v.dat", volume);
        view = std::make_unique<TestView>(size.width(), size.height());
    }
    GLWidget* operator->() { return &view->widget(); }
};

QSize rectangleSize(GLuint texture)
{
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_HEIGHT, &height);
    return QSize(width, height);
}

// The error stream of a start.
std::string startErrors()
{
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    return "Texture Units available = " + std::to_string(units) +
           "\nOpenGL initialization finished \n";
}

void hide(bool GLFeatures::*feature)
{
    GLFeatures hidden;
    if (feature)
        hidden.*feature = true;
    hideGLFeatures(hidden);
}

} // namespace

class TestGLSetup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { hide(nullptr); }

    // Every density survives the 16-bit texels. Without non-power-of-two
    // support each extent rounds up to its own power of two, and the volume
    // fills the first texels of each row, layer and slab.
    void theVolumeTexture()
    {
        SampleVolume ramp(16, 16, 16);
        std::iota(ramp.samples.begin(), ramp.samples.end(), uint16_t(0));
        Setup setup(ramp);
        setup->loadVolume("v.dat");
        const VolumeTexture all = readVolumeTexture(setup->volumeTexture());
        for (int density = 0; density < 4096; ++density)
            QVERIFY2(std::fabs(all.texels[size_t(density)] * 4095.0f - float(density)) < 0.1f,
                     qPrintable(QString::number(density)));

        QVERIFY(writeVolumeFile("v.dat", SampleVolume(40, 20, 12, 1000)));
        setup.console.clear();
        setup->loadVolume("v.dat");
        QVERIFY2(setup.console.out().find("- Data prepared.\n################################"
                                          "####\nWidth: 40\nHeight: 20\nDepth: 12\n") !=
                     std::string::npos,
                 setup.console.out().c_str());
        QCOMPARE(readVolumeTexture(setup->volumeTexture()).size, std::vector<int>({40, 20, 12}));
        hide(&GLFeatures::nonPowerOfTwo);
        setup->loadVolume("v.dat");
        const VolumeTexture texture = readVolumeTexture(setup->volumeTexture());
        QCOMPARE(texture.size, std::vector<int>({64, 32, 16}));
        for (size_t corner : {size_t(0), size_t(39 + 64 * (19 + 32 * 11))})
            QVERIFY(std::fabs(texture.texels[corner] * 4095 - 1000) < 0.1f);
    }

    // Without 3D textures the first layer goes up as a flat texture (rounded up
    // to powers of two here); the name then cannot be bound as a volume, which
    // the next load reports exactly.
    void theFlatFallbackShowsTheFirstLayer()
    {
        SampleVolume volume(20, 12, 3, 4095);
        std::fill(volume.samples.begin(), volume.samples.begin() + 240, 0);
        Setup setup(volume);
        GLFeatures hidden;
        hidden.texture3D = hidden.nonPowerOfTwo = true;
        hideGLFeatures(hidden);
        setup->loadVolume("v.dat");
        QVERIFY(setup.console.out().find("3D textures not supported!\n") != std::string::npos);
        QVERIFY(setup.console.out().find("Width: ") == std::string::npos);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, setup->volumeTexture());
        GLint size[2] = {0, 0};
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
        QCOMPARE(QSize(size[0], size[1]), QSize(32, 16));
        std::vector<float> texels(32 * 16, -1.0f);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
        for (int y = 0; y < 12; ++y)
            QCOMPARE(std::vector<float>(&texels[32 * y], &texels[32 * y + 20]),
                     std::vector<float>(20, 0.0f));

        hide(nullptr);
        setup.console.clear();
        setup->loadVolume("v.dat");
        QCOMPARE(setup.console.err(), std::string("Could not bind texture: invalid operation\n"));
    }

    // A GL error left pending by someone else is reported by the next
    // operation that checks, which then gives up: the upload (the framebuffers
    // are still prepared), the transfer table, the names of a new context.
    void aPendingErrorIsReportedByTheNextCheck()
    {
        Setup setup(SampleVolume(32, 32, 32, 1000));
        setup->loadVolume("v.dat");
        QVERIFY(writeVolumeFile("v.dat", SampleVolume(16, 16, 16, 1000)));
        setup->resize(320, 240);
        QCoreApplication::processEvents();
        const auto pending = [&setup] {
            glEnable(GL_INVALID_ENUM + 1);
            setup.console.clear();
        };
        pending();
        setup->loadVolume("v.dat");
        QCOMPARE(setup.console.err(), std::string("Error generating texture: invalid enumerant\n"));
        QCOMPARE(readVolumeTexture(setup->volumeTexture()).size, std::vector<int>({32, 32, 32}));
        QCOMPARE(rectangleSize(setup->entryTexture()), QSize(320, 240));
        pending();
        setup->updateTransferFunction({}, 400, 200);
        QCOMPARE(setup.console.err(), std::string("Could not bind texture: invalid enumerant\n"));
        pending();
        setup.view->initializeGLAgain();
        QVERIFY2(setup.console.err().find("Error generating slicing texture: invalid enumerant\n") !=
                         std::string::npos &&
                     setup.console.err().find("front and back") == std::string::npos,
                 setup.console.err().c_str());
    }

    // The entry and exit textures take the view's size at each load and keep
    // it until the next; the viewport follows a resize at once. The clear
    // colour turns from white to transparent black at the first load.
    void framebuffersAndClearColour()
    {
        requestAlphaChannel();
        Setup setup(SampleVolume(16, 16, 16, 1000));
        QCOMPARE(setup.view->render().pixel(100, 50), qRgba(255, 255, 255, 255));
        setup->loadVolume("v.dat");
        QCOMPARE(setup.view->render().pixel(100, 50), qRgba(0, 0, 0, 0));
        QCOMPARE(rectangleSize(setup->entryTexture()), QSize(300, 200));
        QCOMPARE(rectangleSize(setup->exitTexture()), QSize(300, 200));
        for (GLuint framebuffer : {setup->entryFramebuffer(), setup->exitFramebuffer()}) {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
            QCOMPARE(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT),
                     GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
        }
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        QCOMPARE(setup.console.err(), startErrors());

        setup->resize(400, 240);
        QCoreApplication::processEvents();
        QCOMPARE(setup->viewportSize(), QSize(400, 240));
        QCOMPARE(rectangleSize(setup->entryTexture()), QSize(300, 200));
        setup->loadVolume("v.dat");
        QCOMPARE(rectangleSize(setup->entryTexture()), QSize(400, 240));
    
        // A view with no pixels gets framebuffers that cannot be drawn into: reported.
        setup->hide();
        setup->resize(0, 0);
        setup.console.clear();
        setup->loadVolume("v.dat");
        QCOMPARE(setup.console.err(), "Could not create fbo: no error\nfbError: " +
                                          std::to_string(GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT) +
                                          "\n");
    }
};

QTEST_MAIN(TestGLSetup)
#include "tst_glsetup.moc"
