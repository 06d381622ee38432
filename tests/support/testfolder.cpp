#include "tests/support/testfolder.h"

#include <QDir>
#include <QFile>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace {

int removeEntry(const char* path, const struct stat*, int, FTW*)
{
    return remove(path);
}

const char* const kShaderNames[] = {"slices.vert", "slices.frag", "fbo.vert",
                                    "fbo.frag",    "raycast.vert", "raycast.frag"};
}

TestFolder::TestFolder(Shaders shaders)
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    // Removed by name bytes in the destructor: tests create names the
    // toolkit cannot decode, which its own removal would leave behind.
    m_dir.setAutoRemove(false);
    m_previous = QDir::currentPath().toLocal8Bit();
    if (shaders == WithShaders)
        for (const char* name : kShaderNames)
            if (!QFile::copy(QStringLiteral(KASTRA_SHADER_SOURCE_DIR "/") + name, m_dir.filePath(name)))
                throw std::runtime_error(std::string("cannot copy the shader ") + name);
    if (chdir(m_dir.path().toLocal8Bit().constData()) != 0)
        throw std::runtime_error("cannot enter the temporary folder");
}

TestFolder::~TestFolder()
{
    if (chdir(m_previous.constData()) != 0)
        return;
    const QByteArray root = m_dir.path().toLocal8Bit();
    // Depth first, without following links: a test's symlink loop or a
    // link out of the folder must not take anything else with it.
    nftw(root.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TestFolder::file(const std::string& name) const
{
    return (m_dir.path() + "/").toStdString() + name;
}

void TestFolder::write(const std::string& name, const QByteArray& bytes) const
{
    // By the name's bytes: tests use names that no text encoding holds.
    const std::string path = file(name);
    QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
    std::ofstream out(path, std::ios::binary);
    if (!out.write(bytes.constData(), bytes.size()).flush())
        throw std::runtime_error("cannot write " + path);
}

QByteArray volumeFileBytes(int width, int height, int depth, const std::vector<uint16_t>& samples)
{
    QByteArray bytes;
    const auto put = [&bytes](uint16_t value) {
        bytes.append(char(value & 0xff));
        bytes.append(char(value >> 8));
    };
    for (const int extent : {width, height, depth})
        put(uint16_t(extent));
    for (uint16_t sample : samples)
        put(sample);
    return bytes;
}
