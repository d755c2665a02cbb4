#include "atomicfile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vanto {

namespace {

// The name a temporary file gets beside NAME: NAME + kTempMark + six letters or digits.
constexpr char kTempMark[] = ".vanto-";
constexpr int kTempRandom = 6;

testing::WriteFaultAt g_faultAt = testing::WriteFaultAt::Nothing;
int g_faultError = 0;

bool faultAt(testing::WriteFaultAt at) {
    if (g_faultAt != at)
        return false;
    errno = g_faultError;
    return true;
}

// An open descriptor, closed on every way out.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a failing close (a delayed write error) is seen; false on failure.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The length of the valid UTF-8 sequence at `p` (1 to 4), or 0 when the bytes there are not one.
int utf8Length(const uchar* p, qsizetype left) {
    const uchar b = p[0];
    if (b < 0x80)
        return 1;
    int n = 0;
    uint min = 0;
    if ((b & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    uint code = b & (0x7F >> n);
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

bool isEscapedByte(QChar c) {
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

// Splits an encoded path into its directory ("." for none) and its name.
void splitPath(const QByteArray& path, QByteArray* dir, QByteArray* name) {
    const qsizetype slash = path.lastIndexOf('/');
    *dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    *name = path.mid(slash + 1);
}

bool isTempNameOf(const QByteArray& entry, const QByteArray& name) {
    const QByteArray prefix = name + kTempMark;
    if (entry.size() != prefix.size() + kTempRandom || !entry.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < entry.size(); ++i) {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Removes the temporary files that earlier saves to `name` left behind when they were killed.
// A save in progress holds a lock on its temporary file, so only abandoned ones are removed, and
// only regular files of this user with exactly our naming.
void removeLeftovers(const QByteArray& dir, const QByteArray& name) {
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return;
    const int dirFd = ::dirfd(d);
    while (const dirent* entry = ::readdir(d)) {
        if (!isTempNameOf(QByteArray(entry->d_name), name))
            continue;
        Fd fd(::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st;
        if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(d);
}

// Creates a new temporary file beside the target, locked against removeLeftovers.
int createTemp(const QByteArray& dir, const QByteArray& name, mode_t mode, QByteArray* tempPath) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray path = dir + '/' + name + kTempMark;
        for (int i = 0; i < kTempRandom; ++i)
            path += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            *tempPath = path;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Writes all of `bytes`, going on after short writes; false (errno set) on the first failure.
bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    qint64 allowed = g_faultAt == testing::WriteFaultAt::Write ? bytes.size() / 2 : left;
    while (left > 0) {
        if (allowed <= 0 && faultAt(testing::WriteFaultAt::Write))
            return false;
        const ssize_t n = ::write(fd, data, size_t(std::min(left, allowed)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) { // a write that makes no progress: treat as a full device
            errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
        allowed -= n;
    }
    return true;
}

} // namespace

QString errorText(int error) {
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty() && !(text.size() > 1 && text[1].isUpper()))
        text[0] = text[0].toLower();
    return text;
}

QString decodeFileName(const QByteArray& name) {
    QString out;
    out.reserve(name.size());
    const uchar* p = reinterpret_cast<const uchar*>(name.constData());
    const qsizetype size = name.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < size) {
        const int n = utf8Length(p + i, size - i);
        if (n > 0) {
            i += n;
            continue;
        }
        out += QString::fromUtf8(name.constData() + runStart, i - runStart);
        out += QChar(ushort(0xDC00 + p[i]));
        runStart = ++i;
    }
    out += QString::fromUtf8(name.constData() + runStart, size - runStart);
    return out;
}

QByteArray encodeFileName(const QString& name) {
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscapedByte(name[i]) || (i > 0 && name[i - 1].isHighSurrogate()))
            continue;
        out += QStringView(name).mid(runStart, i - runStart).toUtf8();
        out += char(name[i].unicode() - 0xDC00);
        runStart = i + 1;
    }
    out += QStringView(name).mid(runStart).toUtf8();
    return out;
}

QString writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QByteArray target = encodeFileName(path);
    // A symbolic link stays one: the file it points to is replaced.
    struct stat linkSt;
    if (::lstat(target.constData(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode)) {
        if (char* resolved = ::realpath(target.constData(), nullptr)) {
            target = resolved;
            ::free(resolved);
        }
    }
    QByteArray dir, name;
    splitPath(target, &dir, &name);
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return QStringLiteral("it is a directory");
    if (exists && !S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    if (exists && ::access(target.constData(), W_OK) != 0)
        return QStringLiteral("the file is read-only");
    struct stat dirSt;
    if (name.isEmpty() || ::stat(dir.constData(), &dirSt) != 0 || !S_ISDIR(dirSt.st_mode))
        return QStringLiteral("the directory %1 does not exist").arg(decodeFileName(dir));

    removeLeftovers(dir, name);
    // A replaced file keeps its permissions; a new one gets the usual ones less the umask.
    const mode_t mode = exists ? (st.st_mode & 07777) : 0666;
    QByteArray temp;
    Fd fd(createTemp(dir, name, mode, &temp));
    if (fd.get() < 0)
        return errorText(errno);
    if (exists)
        ::fchmod(fd.get(), mode); // the umask does not narrow a replaced file's permissions
    const auto fail = [&](int error) {
        ::unlink(temp.constData());
        return errorText(error);
    };
    if (!writeAll(fd.get(), bytes))
        return fail(errno);
    if (faultAt(testing::WriteFaultAt::Sync) || ::fsync(fd.get()) != 0)
        return fail(errno);
    struct stat written;
    if (::fstat(fd.get(), &written) != 0)
        return fail(errno);
    if (written.st_size != bytes.size())
        return fail(EIO);
    if (faultAt(testing::WriteFaultAt::Rename) || ::rename(temp.constData(), target.constData()))
        return fail(errno);
    fd.close(); // the data is synced: a late close error cannot undo it
    // Make the new name itself durable; a directory that cannot be synced changes nothing.
    Fd dirFd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0)
        ::fsync(dirFd.get());
    return QString();
}

QString readFileHead(const QString& path, qint64 limit, QByteArray* bytes) {
    const QByteArray name = encodeFileName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? QStringLiteral("no such file") : errorText(errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a directory");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    // Non-blocking, so that a file swapped for a FIFO after the check cannot hang the read.
    Fd fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return errorText(errno);
    if (::fstat(fd.get(), &st) != 0)
        return errorText(errno);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    QByteArray data;
    data.resize(qsizetype(std::min<qint64>(limit, std::max<qint64>(st.st_size, 0) + 1)));
    qint64 got = 0;
    while (got < limit) {
        if (got == data.size())
            data.resize(qsizetype(std::min<qint64>(limit, got * 2 + 4096)));
        const ssize_t n = ::read(fd.get(), data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errorText(errno);
        if (n == 0)
            break;
        got += n;
    }
    data.resize(qsizetype(got));
    *bytes = data;
    return QString();
}

namespace testing {

void injectWriteFault(WriteFaultAt at, int error) {
    g_faultAt = at;
    g_faultError = error;
}

} // namespace testing

} // namespace vanto
