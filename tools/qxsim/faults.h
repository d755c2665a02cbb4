// Line faults the simulator can inject into its replies: lost replies, a damaged byte, stray
// bytes. Each is applied to a whole reply with its own probability, from a seeded generator so
// that a run can be repeated.
#pragma once

#include <QByteArray>

#include <random>

namespace qxsim {

struct FaultSettings {
    double drop = 0.0;    // probability that a whole reply is lost
    double corrupt = 0.0; // probability that one bit of one byte of a reply is flipped
    double noise = 0.0;   // probability that one stray byte is inserted into a reply
    double stray = 0.0;   // probability that one stray byte follows a reply on its own

    bool any() const { return drop > 0.0 || corrupt > 0.0 || noise > 0.0 || stray > 0.0; }
};

class FaultInjector {
public:
    FaultInjector(const FaultSettings& settings, quint32 seed)
        : m_settings(settings), m_rng(seed) {}

    // The reply as it arrives at the other end; empty when it was lost.
    //
    // A flipped bit never turns a byte into EOT or DC1 and leaves the reply's last byte alone
    // (so a one-byte answer such as the handshake's ETB is never damaged), so a damaged reply
    // still ends where it did. Stray bytes are never EOT, CR or DC1, so they damage field texts
    // but not the framing.
    QByteArray apply(QByteArray reply);

    // A byte of line noise to send on its own after a reply (between two replies), or -1.
    int strayAfterReply();

    // True for bytes that end or split a reply at the host.
    static bool isFraming(unsigned char byte) { return byte == 4 || byte == 13 || byte == 17; }

private:
    bool chance(double probability);
    int below(int n); // uniformly 0..n-1

    FaultSettings m_settings;
    std::mt19937 m_rng;
};

} // namespace qxsim
