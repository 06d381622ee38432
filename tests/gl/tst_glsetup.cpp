// GL set-up of the view with the real driver: console lines, shader files
// and programs, the volume texture, the entry and exit framebuffers.

#include "render/glfeatures.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <numeric>

namespace {

GLint linkStatus(GLuint program)
{
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status;
}

QSize rectangleSize(GLuint texture)
{
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_HEIGHT, &height);
    return QSize(width, height);
}

void writeUniform(const std::string& name, int w, int h, int d, uint16_t value = 1000)
{
    QVERIFY(writeVolumeFile(name, SampleVolume(w, h, d, value)));
}

// The err stream of a start with all shader files readable.
std::string startErrors(const std::string& unreadable = {})
{
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    return "Texture Units available = " + std::to_string(units) + "\n" + unreadable +
           "OpenGL initialization finished \n";
}

const char* const kShaderFiles[] = {"slices.frag", "slices.vert",  "fbo.frag",
                                    "fbo.vert",    "raycast.frag", "raycast.vert"};

} // namespace

class TestGLSetup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { requestAlphaChannel(); }
    void cleanup() { hideGLFeatures(GLFeatures()); }

    // Broken shader files met at start: each unreadable file is named in
    // reading order, a file that does not compile shows its header and the
    // driver's log, the other programs are built, and frames of both kinds
    // still draw without leaving a GL error for the next edit to trip over.
    void shaderFiles_data()
    {
        QTest::addColumn<QStringList>("files"); // replaced files
        QTest::addColumn<QByteArray>("bytes");  // their bytes; "pipe" makes a named pipe
        QTest::addColumn<QByteArray>("log");    // the compiler log header shown
        QByteArray syntaxError = shaderSource("raycast.frag");
        syntaxError.insert(syntaxError.indexOf("void main"), "this is not a declaration\n");
        QTest::newRow("all six valid") << QStringList() << QByteArray() << QByteArray();
        QTest::newRow("every file missing") << QStringList({"*"}) << QByteArray() << QByteArray();
        QTest::newRow("empty slices.vert") << QStringList({"slices.vert"}) << QByteArray("")
                                           << QByteArray();
        QTest::newRow("named pipe as raycast.frag") << QStringList({"raycast.frag"})
                                                    << QByteArray("pipe") << QByteArray();
        QTest::newRow("binary garbage in fbo.frag")
            << QStringList({"fbo.frag"}) << QByteArray("\x7f\x45\x4c\x46\x02\xff\xfe\x01", 8)
            << QByteArray("compiler_log FBO fragment-shader:\n");
        QTest::newRow("syntax error in raycast.frag") << QStringList({"raycast.frag"})
                                                      << syntaxError
                                                      << QByteArray("compiler_log raycast "
                                                                    "fragment-shader:\n");
    }

    void shaderFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, log);
        TestFolder folder(TestFolder::WithShaders);
        writeUniform("v.dat", 16, 16, 16, 2000);
        std::string unreadable;
        for (const char* name : kShaderFiles) {
            if (!files.contains(name) && files != QStringList{"*"})
                continue;
            QCOMPARE(unlink(name), 0);
            if (bytes == "pipe")
                QCOMPARE(mkfifo(name, 0644), 0);
            else if (!bytes.isNull())
                folder.write(name, bytes);
            if (bytes.isEmpty() || bytes == "pipe")
                unreadable += std::string("Could not read shader file: ") + name + "\n";
        }
        ConsoleCapture console;
        TestView view(200, 200);
        QCOMPARE(console.err(), startErrors(unreadable));
        const std::string out = console.out();
        const size_t at = log.isEmpty() ? std::string::npos : out.find(log.toStdString());
        QVERIFY2(log.isEmpty() ? out.find("compiler_log") == std::string::npos
                               : at != std::string::npos && out.size() > at + log.size() + 1,
                 out.c_str());

        const GLuint programs[] = {view->slicesProgram(), view->fboProgram(),
                                   view->raycastProgram()};
        for (int p = 0; p < 3; ++p) {
            const bool broken = files.contains(kShaderFiles[2 * p]) ||
                                files.contains(kShaderFiles[2 * p + 1]) || files == QStringList{"*"};
            QCOMPARE(linkStatus(programs[p]), GLint(broken ? GL_FALSE : GL_TRUE));
        }
        view->loadVolume("v.dat");
        for (bool slicing : {false, true}) {
            view->setSlicing(slicing);
            setTransfer(view.widget(), {{2000, Qt::white}});
            console.clear();
            view.render();
            QVERIFY2(console.err().find("Could not") == std::string::npos, console.err().c_str());
            QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
        }
    }

    void buildingTwiceCreatesNothingNew()
    {
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture console;
        TestView view;
        const GLuint raycast = view->raycastProgram(), slices = view->slicesProgram();
        view.initializeGLAgain();
        QCOMPARE(view->slicesProgram(), slices);
        QCOMPARE(view->raycastProgram(), raycast);
        QVERIFY(!glIsProgram(raycast + 1) && !glIsShader(raycast + 1));
    }

    void withoutShaderSupportNothingIsBuilt()
    {
        GLFeatures hidden;
        hidden.shaders = true;
        hideGLFeatures(hidden);
        TestFolder folder(TestFolder::WithShaders);
        writeUniform("v.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view;
        QCOMPARE(console.err(), "Vertex or fragment schader not supported\n" + startErrors());
        QCOMPARE(view->slicesProgram() + view->raycastProgram(), GLuint(0));
        view->loadVolume("v.dat");
        view->updateTransferFunction({}, 400, 200);
        view.render();
        QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    }

    void theVolumeTextureKeepsEveryDensity()
    {
        TestFolder folder(TestFolder::WithShaders);
        SampleVolume volume(16, 16, 16);
        std::iota(volume.samples.begin(), volume.samples.end(), uint16_t(0));
        QVERIFY(writeVolumeFile("all.dat", volume));
        ConsoleCapture console;
        TestView view;
        view->loadVolume("all.dat");
        const VolumeTexture texture = readVolumeTexture(view->volumeTexture());
        QCOMPARE(texture.size, std::vector<int>({16, 16, 16}));
        for (int density = 0; density < 4096; ++density)
            QVERIFY2(std::fabs(texture.texels[size_t(density)] * 4095.0f - float(density)) < 0.1f,
                     qPrintable(QString("density %1 reads back as %2")
                                    .arg(density)
                                    .arg(double(texture.texels[size_t(density)]) * 4095.0)));
    }

    // Without non-power-of-two support each extent rounds up to its own power
    // of two, and the volume fills the first texels of each row, layer and slab.
    void uploadLinesAndTextureSizes()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform("v.dat", 64, 40, 24);
        ConsoleCapture console;
        TestView view;
        console.clear();
        view->loadVolume("v.dat");
        QVERIFY2(console.out().find("- Data prepared.\n####################################\n"
                                    "Width: 64\nHeight: 40\nDepth: 24\n") != std::string::npos,
                 console.out().c_str());
        QCOMPARE(readVolumeTexture(view->volumeTexture()).size, std::vector<int>({64, 40, 24}));

        GLFeatures hidden;
        hidden.nonPowerOfTwo = true;
        hideGLFeatures(hidden);
        view->loadVolume("v.dat");
        const VolumeTexture texture = readVolumeTexture(view->volumeTexture());
        QCOMPARE(texture.size, std::vector<int>({64, 64, 32}));
        const auto texel = [&texture](int x, int y, int z) {
            return texture.texels[size_t(x) + 64 * (size_t(y) + 64 * size_t(z))] * 4095;
        };
        QVERIFY(std::fabs(texel(0, 0, 0) - 1000) < 0.1f);
        QVERIFY(std::fabs(texel(63, 39, 23) - 1000) < 0.1f);
    }

    void theFlatFallbackShowsTheFirstLayer()
    {
        GLFeatures hidden;
        hidden.texture3D = true;
        hideGLFeatures(hidden);
        TestFolder folder(TestFolder::WithShaders);
        SampleVolume volume(20, 12, 3, 4095);
        std::fill(volume.samples.begin(), volume.samples.begin() + 240, 0);
        QVERIFY(writeVolumeFile("v.dat", volume));
        ConsoleCapture console;
        TestView view;
        view->loadVolume("v.dat");
        QVERIFY(console.out().find("3D textures not supported!\n") != std::string::npos);
        QVERIFY(console.out().find("Width: ") == std::string::npos);
        GLint size[2] = {0, 0};
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, view->volumeTexture());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size[1]);
        QCOMPARE(QSize(size[0], size[1]), QSize(20, 12));
        std::vector<float> texels(240, -1.0f);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
        QCOMPARE(texels, std::vector<float>(240, 0.0f));

        // The name is a flat texture now: binding it as a volume fails, exactly reported.
        hideGLFeatures(GLFeatures());
        console.clear();
        view->loadVolume("v.dat");
        QCOMPARE(console.err(), std::string("Could not bind texture: invalid operation\n"));
    }

    // A GL error left pending by someone else is reported by the next
    // operation that checks, which then gives up: the upload, the transfer
    // table, the names of a new context. The framebuffers are still prepared.
    void aPendingErrorIsReportedByTheNextCheck()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform("a.dat", 32, 32, 32);
        writeUniform("b.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view(300, 200);
        view->loadVolume("a.dat");
        view->resize(320, 240);
        QCoreApplication::processEvents();
        const auto pending = [&console] {
            glEnable(GL_INVALID_ENUM + 1);
            console.clear();
        };
        pending();
        view->loadVolume("b.dat");
        QCOMPARE(console.err(), std::string("Error generating texture: invalid enumerant\n"));
        QCOMPARE(readVolumeTexture(view->volumeTexture()).size, std::vector<int>({32, 32, 32}));
        QCOMPARE(rectangleSize(view->entryTexture()), QSize(320, 240));

        pending();
        view->updateTransferFunction({}, 400, 200);
        QCOMPARE(console.err(), std::string("Could not bind texture: invalid enumerant\n"));
        QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));

        pending();
        view.initializeGLAgain();
        QVERIFY2(console.err().find("Error generating slicing texture: invalid enumerant\n") !=
                         std::string::npos &&
                     console.err().find("front and back") == std::string::npos,
                 console.err().c_str());
    }

    void framebuffersTakeTheSizeOfTheLoad()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform("v.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view(300, 200);
        view->loadVolume("v.dat");
        QCOMPARE(rectangleSize(view->entryTexture()), QSize(300, 200));
        QCOMPARE(rectangleSize(view->exitTexture()), QSize(300, 200));
        for (GLuint framebuffer : {view->entryFramebuffer(), view->exitFramebuffer()}) {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
            QCOMPARE(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT),
                     GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
        }
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        QCOMPARE(console.err(), startErrors());

        // A resize keeps them until the next load; the viewport follows at once.
        view->resize(400, 240);
        QCoreApplication::processEvents();
        QCOMPARE(view->viewportSize(), QSize(400, 240));
        QCOMPARE(rectangleSize(view->entryTexture()), QSize(300, 200));
        view->loadVolume("v.dat");
        QCOMPARE(rectangleSize(view->entryTexture()), QSize(400, 240));
    }

    void theClearColourTurnsTransparentAtTheFirstLoad()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform("v.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view(200, 100);
        QCOMPARE(view.render().pixel(100, 50), qRgba(255, 255, 255, 255));
        view->loadVolume("v.dat");
        QCOMPARE(view.render().pixel(100, 50), qRgba(0, 0, 0, 0));
    }
};

QTEST_MAIN(TestGLSetup)
#include "tst_glsetup.moc"
