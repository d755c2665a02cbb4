// The vanto.cfg reader: any file content, read through readConfig. A file of at least 126 bytes
// gives the record its first 126 bytes hold, kept exactly; a shorter one gives the defaults.
#include "fuzzsupport.h"

#include "link/commconfig.h"

#include <QFile>
#include <QTemporaryDir>

using namespace vanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    {
        QFile file(configPath(dir.path()));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    CommConfig config;
    config.commPort = 7;
    readConfig(config, dir.path());
    if (bytes.size() >= CommConfig::kSize) {
        FUZZ_CHECK(config.bytes() == bytes.left(CommConfig::kSize));
        FUZZ_CHECK(CommConfig::fromBytes(config.bytes()) == config);
    } else {
        FUZZ_CHECK(config == CommConfig::defaults(dir.path()));
    }
    // The setup dialog's list never gets an item outside 0..8.
    const int item = setupItemFor(config.commPort);
    FUZZ_CHECK(item >= -1 && item <= 8);
    FUZZ_CHECK(setupPortFor(item, config.commPort) == config.commPort);
    return 0;
}
