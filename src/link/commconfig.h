// vanto.cfg: the 126-byte configuration record. Only the serial port number is used; the other
// fields are carried so that a file read and written again keeps what it held.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

namespace vanto {

class Prompts;

struct CommConfig {
    static constexpr int kSize = 126;

    QByteArray pathText;  // 80 characters
    QByteArray driveText; // 8 characters
    QByteArray spareText; // 15 characters
    qint16 spareWord = 0;
    std::array<char, 4> spareLong{}; // carried as the four bytes it holds
    QByteArray accessText;           // 15 characters
    qint16 commPort = 1;             // serial port number, 1 to 9

    // The built-in record used when vanto.cfg is missing or unreadable.
    static CommConfig defaults(const QString& programDir);

    // The 126-byte image, little-endian, texts padded with blanks or cut to their widths.
    QByteArray bytes() const;
    // The record from its image; the texts keep exactly what the file held.
    static CommConfig fromBytes(const QByteArray& bytes);

    bool operator==(const CommConfig& o) const { return bytes() == o.bytes(); }
};

// The path of vanto.cfg in the program's directory.
QString configPath(const QString& programDir);

// Fills `config` from vanto.cfg in `programDir`, or with the defaults when the file is missing,
// shorter than 126 bytes or unreadable. Says nothing and never creates the file.
void readConfig(CommConfig& config, const QString& programDir);

// Stores `config` in vanto.cfg atomically. On failure shows "Error in Storing VANTO.CFG file."
// titled "FILE ERROR (ovk)" once and returns false; the record keeps its values.
bool writeConfig(const CommConfig& config, const QString& programDir, Prompts& prompts);

// Where vanto.cfg lives. A program installed system-wide cannot write its own folder, so the
// per-user config folder takes the file there.
//
// The per-user folder: QStandardPaths' AppConfigLocation.
QString defaultUserConfigDir();
// The folder vanto.cfg is read from: the per-user folder when the file is there, else the
// program's folder.
QString configReadDir(const QString& programDir, const QString& userDir);
// The folder SAVE stores it in: the folder it was read from when the file can be written there
// (a program folder without the file counts only when `programDirIsOwn`, that is when the program
// does not run installed); otherwise the per-user folder, created when missing.
QString configSaveDir(const QString& programDir, const QString& userDir, bool programDirIsOwn);

// The setup dialog's list holds the ports 1 to 9 as items 0 to 8. The item selected on opening:
// commPort - 1, or -1 (nothing selected) for a stored port outside 1..9.
int setupItemFor(qint16 commPort);
// SAVE: the port of the selected item, or commPort unchanged when nothing is selected.
qint16 setupPortFor(int item, qint16 commPort);

} // namespace vanto
