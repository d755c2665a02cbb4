#pragma once

#include <QByteArray>
#include <QString>

namespace vanto {

// Writes `bytes` to `path` so that the file holds either its old content or all of the new
// content, never a part: the data goes to a temporary file beside it ("NAME.vanto-XXXXXX"),
// every write is checked, the size on disk is verified and the data synced before the
// temporary file replaces the old one. A full disk, a quota or an I/O error therefore leaves
// the old file as it was. An existing file that is not writable, or that is not a regular file
// (a FIFO, a device), is left alone. Temporary files of earlier saves to the same name that were
// cut short (a killed process) are removed first. Returns "" on success, otherwise the reason
// in words ("no space left on device").
QString writeFileAtomically(const QString& path, const QByteArray& bytes);

// Reads at most `limit` bytes from the start of a file (pass one more than the size expected
// to see whether the file is longer). Anything but a regular file (a FIFO, a device, a socket)
// is refused before it is read, so that a read never waits for a writer. Returns "" on success,
// otherwise the reason in words.
QString readFileHead(const QString& path, qint64 limit, QByteArray* bytes);

// File names are bytes to the system, and a name given on a command line or read from a stream
// need not be UTF-8. decodeFileName keeps every byte that is not part of valid UTF-8 as the lone
// surrogate U+DC80 + byte, so that encodeFileName gives back exactly the bytes given. Names that
// are valid UTF-8 come out as QFile::decodeName / encodeName would give them.
QString decodeFileName(const QByteArray& name);
QByteArray encodeFileName(const QString& name);

// A system error number in words, as used in the reasons above ("no space left on device").
QString errorText(int error);

namespace testing {

// Where an injected fault strikes an atomic write.
enum class WriteFaultAt { Nothing, Write, Sync, Rename };

// Makes every following atomic write fail at `at` with the system error `error`, as a full disk
// or a failing drive would (a Write fault lets the first half of the data through first).
// WriteFaultAt::Nothing ends the injection. For tests only.
void injectWriteFault(WriteFaultAt at, int error);

} // namespace testing

} // namespace vanto
