// What every fuzz target shares: a Qt application object for the code that needs one (timers,
// QObject signals), quiet Qt messages, and a check that stops the run on a broken promise.
#pragma once

#include "program/demoprograms.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace vanto::fuzz {

// A failed check is a finding like a crash: report where and abort, so that libFuzzer keeps the
// input and the corpus replay fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "qFatal: %s\n", qPrintable(text));
        std::abort();
    }
}

// Creates the application object once per process.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        qInstallMessageHandler(quietMessages);
        static QCoreApplication app(argc, argv);
    }
}

// The simulator's default programs, built once: building them for every input cost about 5 % of
// each run.
inline const ProgramSet& cachedDemoPrograms() {
    static const ProgramSet programs = demoPrograms();
    return programs;
}

// Hands out the fuzz input piece by piece; past its end every read gives zero bytes.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    std::uint8_t byte() { return empty() ? 0 : m_data[m_pos++]; }
    QByteArray take(std::size_t n) {
        const std::size_t count = std::min(n, m_size - std::min(m_pos, m_size));
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), int(count));
        m_pos += count;
        return out;
    }
    QByteArray rest() { return take(m_size); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace vanto::fuzz
