#include "render/shaderfile.h"

#include "render/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

char* readShaderFile(const char* name)
{
    if (char* text = readTextFile(name))
        return text;
    const QDir executableFolder(QCoreApplication::applicationDirPath());
    for (const QString& folder :
         {QStringLiteral("."), QStringLiteral(KASTRA_SHADERS_FROM_BINARY)}) {
        const QString path = executableFolder.filePath(folder + '/' + QFile::decodeName(name));
        if (char* text = readTextFile(QFile::encodeName(path).constData()))
            return text;
    }
    return nullptr;
}
