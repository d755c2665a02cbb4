#pragma once

#include <QByteArray>
#include <QString>

namespace vanto {

// Writes `bytes` to `path` so that the file holds either its old content or all of the new
// content, never a part: the data goes to a temporary file beside it that then replaces it.
// An existing file that is not writable is left alone. Returns "" on success, otherwise the
// reason in words.
QString WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Reads at most `limit` bytes from the start of a file (pass one more than the size expected
// to see whether the file is longer). Returns "" on success, otherwise the reason in words.
QString ReadFileHead(const QString& path, qint64 limit, QByteArray* bytes);

} // namespace vanto
