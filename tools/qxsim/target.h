// The distance the simulated unit measures: a target that sweeps through the running program's
// range and now and then goes beyond FAR and inside NEAR, or a distance pinned by the operator.
#pragma once

#include "program/programrecord.h"

#include <QtGlobal>

#include <optional>
#include <random>

namespace qxsim {

class Target {
public:
    // One cycle of the automatic path: up through the range, beyond FAR, down through the range,
    // inside NEAR.
    static constexpr qint64 kSweepMs = 10000;
    static constexpr qint64 kExcursionMs = 2000;
    static constexpr qint64 kCycleMs = 2 * (kSweepMs + kExcursionMs);
    // Peak-to-peak size of the random wobble added while the target sweeps, inches.
    static constexpr double kJitter = 0.04;

    explicit Target(quint32 seed) : m_rng(seed) {}

    void pin(double inches) { m_pinned = inches; }
    void release() { m_pinned.reset(); }
    std::optional<double> pinned() const { return m_pinned; }

    // The distance in inches at `nowMs` (milliseconds since the unit started) for the running
    // program `program`, rounded to hundredths as the unit reports it.
    double distanceAt(qint64 nowMs, const vanto::ProgramRecord& program);

    // The path without wobble, for a program with these lengths (inches).
    static double pathAt(qint64 nowMs, double base, double range, double nearRelay);

private:
    std::optional<double> m_pinned;
    std::mt19937 m_rng;
};

} // namespace qxsim
