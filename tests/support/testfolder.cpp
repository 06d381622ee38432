#include "tests/support/testfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <stdexcept>

namespace {
const char* const kShaderNames[] = {"slices.vert", "slices.frag", "fbo.vert",
                                    "fbo.frag",    "raycast.vert", "raycast.frag"};
}

TestFolder::TestFolder(Shaders shaders)
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    m_previous = QDir::currentPath().toLocal8Bit();
    if (shaders == WithShaders)
        for (const char* name : kShaderNames)
            write(name, shaderSource(name));
    if (chdir(m_dir.path().toLocal8Bit().constData()) != 0)
        throw std::runtime_error("cannot enter the temporary folder");
}

TestFolder::~TestFolder()
{
    if (chdir(m_previous.constData()) != 0)
        return;
}

std::string TestFolder::file(const std::string& name) const
{
    return (m_dir.path() + "/").toStdString() + name;
}

void TestFolder::write(const std::string& name, const QByteArray& bytes) const
{
    const QString path = QString::fromStdString(file(name));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray shaderSource(const char* name)
{
    QFile in(QStringLiteral(KASTRA_SHADER_SOURCE_DIR "/") + name);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("cannot read shader ") + name);
    return in.readAll();
}

QByteArray volumeFileBytes(int width, int height, int depth, const std::vector<uint16_t>& samples)
{
    QByteArray bytes;
    const auto put = [&bytes](uint16_t value) {
        bytes.append(char(value & 0xff));
        bytes.append(char(value >> 8));
    };
    put(uint16_t(width));
    put(uint16_t(height));
    put(uint16_t(depth));
    for (uint16_t sample : samples)
        put(sample);
    return bytes;
}
