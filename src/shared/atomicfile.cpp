#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vanto {

QString WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("it is a directory");
    if (!info.absoluteDir().exists())
        return QStringLiteral("the directory %1 does not exist").arg(info.absolutePath());
    if (info.exists() && !info.isWritable())
        return QStringLiteral("the file is read-only");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

QString ReadFileHead(const QString& path, qint64 limit, QByteArray* bytes) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("it is a directory");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    *bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return QString();
}

} // namespace vanto
