#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <vector>

// A temporary folder that is the working directory while it lives, as the
// program's run folder is: optionally holding the six shader files.
class TestFolder
{
public:
    enum Shaders { WithoutShaders, WithShaders };
    explicit TestFolder(Shaders shaders = WithoutShaders);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    QString path() const { return m_dir.path(); }
    // Absolute path of `name` inside the folder.
    std::string file(const std::string& name) const;
    // Writes `bytes` to `name` (relative to the folder), creating folders on the way.
    void write(const std::string& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

// A volume file's bytes: the three extents, then the samples, little-endian.
QByteArray volumeFileBytes(int width, int height, int depth, const std::vector<uint16_t>& samples);
