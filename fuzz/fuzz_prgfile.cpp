// The program file reader: any file content, read through readProgramFile. A file of exactly
// 2224 bytes is the eight programs byte for byte; any other size is refused and changes nothing.
#include "fuzzsupport.h"

#include "program/programfile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace vanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QString path = dir.filePath(QStringLiteral("fuzz.prg"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    const ProgramSet demo = fuzz::cachedDemoPrograms();
    ProgramSet programs = demo;
    const QString error = readProgramFile(path, &programs);
    if (bytes.size() == ProgramSet::kFileSize) {
        FUZZ_CHECK(error.isEmpty());
        FUZZ_CHECK(programs.bytes() == bytes);
    } else {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(programs == demo);
    }
    return 0;
}
