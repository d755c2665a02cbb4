#include "commconfig.h"

#include "platform/prompts.h"
#include "shared/atomicfile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#include <cstring>

namespace vanto {

namespace {

constexpr int kPathAt = 0, kPathWidth = 80;
constexpr int kDriveAt = 80, kDriveWidth = 8;
constexpr int kSpareTextAt = 88, kSpareTextWidth = 15;
constexpr int kSpareWordAt = 103;
constexpr int kSpareLongAt = 105;
constexpr int kAccessAt = 109, kAccessWidth = 15;
constexpr int kCommPortAt = 124;

QByteArray fixed(const QByteArray& text, int width) {
    QByteArray out = text.left(width);
    if (out.size() < width)
        out.append(QByteArray(width - out.size(), ' '));
    return out;
}

void put(QByteArray& image, int at, const QByteArray& text, int width) {
    std::memcpy(image.data() + at, fixed(text, width).constData(), width);
}

void putWord(QByteArray& image, int at, qint16 value) {
    qToLittleEndian<qint16>(value, image.data() + at);
}

} // namespace

CommConfig CommConfig::defaults(const QString& programDir) {
    CommConfig c;
    c.pathText = fixed(QDir::toNativeSeparators(programDir).toLatin1(), kPathWidth);
    c.driveText = fixed("C:", kDriveWidth);
    c.spareText = fixed("", kSpareTextWidth);
    c.spareWord = 0;
    c.spareLong = {0, 0, 0, 0};
    c.accessText = fixed("TREK", kAccessWidth);
    c.commPort = 1;
    return c;
}

QByteArray CommConfig::bytes() const {
    QByteArray image(kSize, '\0');
    put(image, kPathAt, pathText, kPathWidth);
    put(image, kDriveAt, driveText, kDriveWidth);
    put(image, kSpareTextAt, spareText, kSpareTextWidth);
    putWord(image, kSpareWordAt, spareWord);
    std::memcpy(image.data() + kSpareLongAt, spareLong.data(), 4);
    put(image, kAccessAt, accessText, kAccessWidth);
    putWord(image, kCommPortAt, commPort);
    return image;
}

CommConfig CommConfig::fromBytes(const QByteArray& bytes) {
    Q_ASSERT(bytes.size() >= kSize);
    CommConfig c;
    c.pathText = bytes.mid(kPathAt, kPathWidth);
    c.driveText = bytes.mid(kDriveAt, kDriveWidth);
    c.spareText = bytes.mid(kSpareTextAt, kSpareTextWidth);
    c.spareWord = qFromLittleEndian<qint16>(bytes.constData() + kSpareWordAt);
    std::memcpy(c.spareLong.data(), bytes.constData() + kSpareLongAt, 4);
    c.accessText = bytes.mid(kAccessAt, kAccessWidth);
    c.commPort = qFromLittleEndian<qint16>(bytes.constData() + kCommPortAt);
    return c;
}

QString configPath(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("vanto.cfg"));
}

void readConfig(CommConfig& config, const QString& programDir) {
    QByteArray bytes;
    const QString error = readFileHead(configPath(programDir), CommConfig::kSize, &bytes);
    if (!error.isEmpty() || bytes.size() < CommConfig::kSize) {
        config = CommConfig::defaults(programDir);
        return;
    }
    config = CommConfig::fromBytes(bytes);
}

bool writeConfig(const CommConfig& config, const QString& programDir, Prompts& prompts) {
    const QString error = writeFileAtomically(configPath(programDir), config.bytes());
    if (error.isEmpty())
        return true;
    prompts.message(QStringLiteral("Error in Storing VANTO.CFG file."),
                    QStringLiteral("FILE ERROR (ovk)"), MessageIcon::Question);
    return false;
}

QString defaultUserConfigDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString configReadDir(const QString& programDir, const QString& userDir) {
    if (!userDir.isEmpty() && QFileInfo(configPath(userDir)).isFile())
        return userDir;
    return programDir;
}

QString configSaveDir(const QString& programDir, const QString& userDir, bool programDirIsOwn) {
    if (configReadDir(programDir, userDir) == programDir) {
        // Atomic saves write a temporary file beside the file: the folder must be writable too.
        const QFileInfo file(configPath(programDir));
        const bool canWrite = QFileInfo(programDir).isWritable() &&
                              (file.exists() ? file.isWritable() : programDirIsOwn);
        if (canWrite || userDir.isEmpty())
            return programDir;
    }
    QDir().mkpath(userDir);
    return userDir;
}

int setupItemFor(qint16 commPort) {
    return commPort >= 1 && commPort <= 9 ? commPort - 1 : -1;
}

qint16 setupPortFor(int item, qint16 commPort) {
    return item >= 0 && item <= 8 ? qint16(item + 1) : commPort;
}

} // namespace vanto
