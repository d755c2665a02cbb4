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
    c.PathText = fixed(QDir::toNativeSeparators(programDir).toLatin1(), kPathWidth);
    c.DriveText = fixed("C:", kDriveWidth);
    c.SpareText = fixed("", kSpareTextWidth);
    c.SpareWord = 0;
    c.SpareLong = {0, 0, 0, 0};
    c.AccessText = fixed("TREK", kAccessWidth);
    c.CommPort = 1;
    return c;
}

QByteArray CommConfig::bytes() const {
    QByteArray image(kSize, '\0');
    put(image, kPathAt, PathText, kPathWidth);
    put(image, kDriveAt, DriveText, kDriveWidth);
    put(image, kSpareTextAt, SpareText, kSpareTextWidth);
    putWord(image, kSpareWordAt, SpareWord);
    std::memcpy(image.data() + kSpareLongAt, SpareLong.data(), 4);
    put(image, kAccessAt, AccessText, kAccessWidth);
    putWord(image, kCommPortAt, CommPort);
    return image;
}

CommConfig CommConfig::fromBytes(const QByteArray& bytes) {
    Q_ASSERT(bytes.size() >= kSize);
    CommConfig c;
    c.PathText = bytes.mid(kPathAt, kPathWidth);
    c.DriveText = bytes.mid(kDriveAt, kDriveWidth);
    c.SpareText = bytes.mid(kSpareTextAt, kSpareTextWidth);
    c.SpareWord = qFromLittleEndian<qint16>(bytes.constData() + kSpareWordAt);
    std::memcpy(c.SpareLong.data(), bytes.constData() + kSpareLongAt, 4);
    c.AccessText = bytes.mid(kAccessAt, kAccessWidth);
    c.CommPort = qFromLittleEndian<qint16>(bytes.constData() + kCommPortAt);
    return c;
}

QString ConfigPath(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("vanto.cfg"));
}

void ReadConfig(CommConfig& config, const QString& programDir) {
    QByteArray bytes;
    const QString error = ReadFileHead(ConfigPath(programDir), CommConfig::kSize, &bytes);
    if (!error.isEmpty() || bytes.size() < CommConfig::kSize) {
        config = CommConfig::defaults(programDir);
        return;
    }
    config = CommConfig::fromBytes(bytes);
}

bool WriteConfig(const CommConfig& config, const QString& programDir, Prompts& prompts) {
    const QString error = WriteFileAtomically(ConfigPath(programDir), config.bytes());
    if (error.isEmpty())
        return true;
    prompts.message(QStringLiteral("Error in Storing VANTO.CFG file."),
                    QStringLiteral("FILE ERROR (ovk)"), MessageIcon::Question);
    return false;
}

QString UserConfigDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString ConfigReadDir(const QString& programDir, const QString& userDir) {
    if (!userDir.isEmpty() && QFileInfo(ConfigPath(userDir)).isFile())
        return userDir;
    return programDir;
}

QString ConfigSaveDir(const QString& programDir, const QString& userDir, bool programDirIsOwn) {
    if (ConfigReadDir(programDir, userDir) == programDir) {
        // Atomic saves write a temporary file beside the file: the folder must be writable too.
        const QFileInfo file(ConfigPath(programDir));
        const bool canWrite = QFileInfo(programDir).isWritable() &&
                              (file.exists() ? file.isWritable() : programDirIsOwn);
        if (canWrite || userDir.isEmpty())
            return programDir;
    }
    QDir().mkpath(userDir);
    return userDir;
}

int SetupItemFor(qint16 commPort) {
    return commPort >= 1 && commPort <= 9 ? commPort - 1 : -1;
}

qint16 SetupPortFor(int item, qint16 commPort) {
    return item >= 0 && item <= 8 ? qint16(item + 1) : commPort;
}

} // namespace vanto
