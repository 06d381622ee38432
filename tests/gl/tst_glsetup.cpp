// GL set-up of the view with the real driver: console lines, shader
// programs, the volume texture, the entry and exit framebuffers.

#include "render/glfeatures.h"
#include "tests/support/consolecapture.h"
#include "tests/support/testfolder.h"
#include "tests/support/testview.h"
#include "volume/volumewriter.h"

#include <QtTest>

#include <cmath>
#include <numeric>

namespace {

GLint shaderStatus(GLuint shader)
{
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status;
}

GLint linkStatus(GLuint program)
{
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status;
}

QSize textureSize(GLenum target, GLuint texture, int* depth = nullptr)
{
    glBindTexture(target, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &height);
    if (depth)
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_DEPTH, depth);
    return QSize(width, height);
}

// Writes a volume whose samples run through all 4096 densities.
void writeAllDensities(const TestFolder& folder, const std::string& name)
{
    SampleVolume volume(16, 16, 16);
    std::iota(volume.samples.begin(), volume.samples.end(), uint16_t(0));
    QVERIFY(writeVolumeFile(folder.file(name), volume));
}

void writeUniform(const TestFolder& folder, const std::string& name, int w, int h, int d,
                  uint16_t value = 1000)
{
    QVERIFY(writeVolumeFile(folder.file(name), SampleVolume(w, h, d, value)));
}

} // namespace

class TestGLSetup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { hideGLFeatures(GLFeatures()); }

    void initialisationPrintsItsProgress()
    {
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture console;
        TestView view;
        QCOMPARE(QString::fromStdString(console.out()),
                 QString("- Initializing GLEW ...\n- GLEW initialized.\n\n"));
        const QString err = QString::fromStdString(console.err());
        const QRegularExpression expected(
            "^Texture Units available = \\d+\nOpenGL initialization finished \n$");
        QVERIFY2(expected.match(err).hasMatch(), qPrintable(err));
    }

    void allSixShadersCompileAndLink()
    {
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture console;
        TestView view;
        const GLuint programs[] = {view->slicesProgram(), view->fboProgram(),
                                   view->raycastProgram()};
        for (GLuint program : programs) {
            QVERIFY(program != 0);
            QVERIFY(glIsProgram(program));
            GLuint shaders[2] = {0, 0};
            GLsizei count = 0;
            glGetAttachedShaders(program, 2, &count, shaders);
            QCOMPARE(count, 2);
            QCOMPARE(shaderStatus(shaders[0]), GLint(GL_TRUE));
            QCOMPARE(shaderStatus(shaders[1]), GLint(GL_TRUE));
            QCOMPARE(linkStatus(program), GLint(GL_TRUE));
        }
        QVERIFY(console.out().find("compiler_log") == std::string::npos);
    }

    void aBrokenShaderShowsItsLogAndTheRestIsBuilt()
    {
        TestFolder folder(TestFolder::WithShaders);
        folder.write("fbo.frag", "#version 120\nvoid main() { gl_FragColor = vec4(1.0) }\n");
        ConsoleCapture console;
        TestView view;
        const std::string out = console.out();
        const size_t header = out.find("compiler_log FBO fragment-shader:\n");
        QVERIFY2(header != std::string::npos, out.c_str());
        // The driver's log follows on the next line, naming the error.
        const std::string log = out.substr(header + 34);
        QVERIFY2(log.find("error") != std::string::npos, log.c_str());
        QVERIFY(out.find("compiler_log FBO vertex-shader:") == std::string::npos);
        QCOMPARE(linkStatus(view->slicesProgram()), GLint(GL_TRUE));
        QCOMPARE(linkStatus(view->raycastProgram()), GLint(GL_TRUE));
        QCOMPARE(linkStatus(view->fboProgram()), GLint(GL_FALSE));
        QVERIFY(console.err().find("OpenGL initialization finished \n") != std::string::npos);
    }

    void missingEmptyAndGarbageShadersAreReported()
    {
        TestFolder folder(TestFolder::WithShaders);
        QFile::remove(folder.path() + "/raycast.frag");
        folder.write("slices.vert", QByteArray());
        folder.write("fbo.vert", QByteArray("\x7f\x45\x4c\x46\x02\x01\x01\x00\xff\xfe", 10));
        ConsoleCapture console;
        TestView view;
        const std::string err = console.err();
        QVERIFY2(err.find("Could not read shader file: raycast.frag\n") != std::string::npos,
                 err.c_str());
        QVERIFY(err.find("Could not read shader file: slices.vert\n") != std::string::npos);
        QVERIFY(console.out().find("compiler_log FBO vertex-shader:\n") != std::string::npos);
        QVERIFY(view->raycastProgram() != 0);
        QCOMPARE(linkStatus(view->raycastProgram()), GLint(GL_FALSE));
        // The view still draws frames without its programs.
        view->updateTransferFunction({}, 400, 200);
        view.render();
    }

    void buildingTwiceCreatesNothingNew()
    {
        TestFolder folder(TestFolder::WithShaders);
        ConsoleCapture console;
        TestView view;
        const GLuint raycast = view->raycastProgram();
        const GLuint slices = view->slicesProgram();
        // A second GL initialisation of the same widget reuses the programs.
        view.initializeGLAgain();
        QCOMPARE(view->slicesProgram(), slices);
        QCOMPARE(view->raycastProgram(), raycast);
        QVERIFY(!glIsProgram(raycast + 1));
        QVERIFY(!glIsShader(raycast + 1));
    }

    void withoutShaderSupportNothingIsBuilt()
    {
        GLFeatures hidden;
        hidden.shaders = true;
        hideGLFeatures(hidden);
        TestFolder folder(TestFolder::WithShaders);
        writeUniform(folder, "v.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view;
        QVERIFY(console.err().find("Vertex or fragment schader not supported\n") !=
                std::string::npos);
        QCOMPARE(view->slicesProgram(), GLuint(0));
        QCOMPARE(view->raycastProgram(), GLuint(0));
        view->loadVolume("v.dat");
        view->updateTransferFunction({}, 400, 200);
        view.render();
        QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    }

    void theVolumeTextureKeepsEveryDensity()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeAllDensities(folder, "all.dat");
        ConsoleCapture console;
        TestView view;
        view->loadVolume("all.dat");
        int depth = 0;
        QCOMPARE(textureSize(GL_TEXTURE_3D, view->volumeTexture(), &depth), QSize(16, 16));
        QCOMPARE(depth, 16);
        std::vector<float> texels(4096);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_3D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
        for (int density = 0; density < 4096; ++density)
            QVERIFY2(std::fabs(texels[size_t(density)] * 4095.0f - float(density)) < 0.1f,
                     qPrintable(QString("density %1 reads back as %2")
                                    .arg(density)
                                    .arg(double(texels[size_t(density)]) * 4095.0)));
        GLint wrap[3] = {0, 0, 0};
        glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, &wrap[0]);
        glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, &wrap[1]);
        glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, &wrap[2]);
        for (GLint mode : wrap)
            QCOMPARE(mode, GLint(GL_CLAMP_TO_EDGE));
    }

    void uploadLinesAndTextureSizes()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform(folder, "head.dat", 64, 48, 13);
        ConsoleCapture console;
        TestView view;
        console.clear();
        view->loadVolume("head.dat");
        const std::string out = console.out();
        QVERIFY2(out.find("- Data prepared.\n####################################\nWidth: 64\n"
                          "Height: 48\nDepth: 13\n") != std::string::npos,
                 out.c_str());
        int depth = 0;
        QCOMPARE(textureSize(GL_TEXTURE_3D, view->volumeTexture(), &depth), QSize(64, 48));
        QCOMPARE(depth, 13);

        // Without non-power-of-two support the texture rounds up, and the
        // volume fills its first layers.
        GLFeatures hidden;
        hidden.nonPowerOfTwo = true;
        hideGLFeatures(hidden);
        view->loadVolume("head.dat");
        QCOMPARE(textureSize(GL_TEXTURE_3D, view->volumeTexture(), &depth), QSize(64, 64));
        QCOMPARE(depth, 16);
        std::vector<float> texels(size_t(64) * 64 * 16, -1.0f);
        glGetTexImage(GL_TEXTURE_3D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
        QVERIFY(std::fabs(texels[0] * 4095 - 1000) < 0.1f);
        QVERIFY(std::fabs(texels[size_t(64) * 64 * 12 + 64 * 47 + 63] * 4095 - 1000) < 0.1f);
    }

    void theFlatFallbackShowsTheFirstLayer()
    {
        GLFeatures hidden;
        hidden.texture3D = true;
        hideGLFeatures(hidden);
        TestFolder folder(TestFolder::WithShaders);
        SampleVolume volume(20, 12, 3, 4095);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x)
                volume.at(x, y, 0) = 0;
        QVERIFY(writeVolumeFile(folder.file("v.dat"), volume));
        ConsoleCapture console;
        TestView view;
        view->loadVolume("v.dat");
        QVERIFY(console.out().find("3D textures not supported!\n") != std::string::npos);
        QVERIFY(console.out().find("Width: ") == std::string::npos);
        QCOMPARE(textureSize(GL_TEXTURE_2D, view->volumeTexture()), QSize(20, 12));
        std::vector<float> texels(240, -1.0f);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_FLOAT, texels.data());
        for (float texel : texels)
            QCOMPARE(texel, 0.0f);
        QCOMPARE(QString::fromStdString(console.err()).count("Could not"), 0);
    }

    void aPendingErrorSkipsTheUploadButNotTheFramebuffers()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform(folder, "a.dat", 32, 32, 32);
        writeUniform(folder, "b.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view(300, 200);
        view->loadVolume("a.dat");
        view->resize(320, 240);
        QCoreApplication::processEvents();
        console.clear();
        glEnable(GL_INVALID_ENUM + 1); // leaves GL_INVALID_ENUM pending
        view->loadVolume("b.dat");
        QCOMPARE(QString::fromStdString(console.err()),
                 QString("Error generating texture: invalid enumerant\n"));
        int depth = 0;
        QCOMPARE(textureSize(GL_TEXTURE_3D, view->volumeTexture(), &depth), QSize(32, 32));
        // The framebuffers were still prepared, at the new size.
        QCOMPARE(textureSize(GL_TEXTURE_RECTANGLE_ARB, view->entryTexture()), QSize(320, 240));
    }

    void framebuffersTakeTheSizeOfTheLoad()
    {
        TestFolder folder(TestFolder::WithShaders);
        writeUniform(folder, "v.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view(300, 200);
        view->loadVolume("v.dat");
        QCOMPARE(textureSize(GL_TEXTURE_RECTANGLE_ARB, view->entryTexture()), QSize(300, 200));
        QCOMPARE(textureSize(GL_TEXTURE_RECTANGLE_ARB, view->exitTexture()), QSize(300, 200));
        for (GLuint framebuffer : {view->entryFramebuffer(), view->exitFramebuffer()}) {
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
            QCOMPARE(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT),
                     GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
        }
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        QVERIFY(console.err().find("Could not create fbo") == std::string::npos);

        // A resize keeps them until the next load; the viewport follows at once.
        view->resize(400, 240);
        QCoreApplication::processEvents();
        QCOMPARE(view->viewportSize(), QSize(400, 240));
        QCOMPARE(textureSize(GL_TEXTURE_RECTANGLE_ARB, view->entryTexture()), QSize(300, 200));
        view->loadVolume("v.dat");
        QCOMPARE(textureSize(GL_TEXTURE_RECTANGLE_ARB, view->entryTexture()), QSize(400, 240));
    }

    void theClearColourTurnsTransparentAtTheFirstLoad()
    {
        requestAlphaChannel();
        TestFolder folder(TestFolder::WithShaders);
        writeUniform(folder, "v.dat", 16, 16, 16);
        ConsoleCapture console;
        TestView view(200, 100);
        QCOMPARE(view.render().pixel(100, 50), qRgba(255, 255, 255, 255));
        view->loadVolume("v.dat");
        QCOMPARE(view.render().pixel(100, 50), qRgba(0, 0, 0, 0));
        // A volume less than 10 voxels high is never drawn, not even its frame rate.
        QVERIFY(console.out().find("frames/second") == std::string::npos);
    }
};

QTEST_MAIN(TestGLSetup)
#include "tst_glsetup.moc"
