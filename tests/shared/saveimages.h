// The two file images the kill test alternates between: a .prg and a vanto.cfg each in an "old"
// and a "new" version that differ at the start, in the middle and at the end.
#pragma once

#include "link/commconfig.h"
#include "program/demoprograms.h"

#include <QByteArray>
#include <QString>

namespace vanto::test {

inline ProgramSet programImage(bool newer) {
    const ProgramSet demo = demoPrograms();
    if (!newer)
        return demo;
    ProgramSet reversed;
    for (int k = 0; k < kProgramCount; ++k)
        reversed[k] = demo[kProgramCount - 1 - k];
    return reversed;
}

inline CommConfig configImage(bool newer) {
    CommConfig c = CommConfig::defaults(newer ? QStringLiteral("/srv/vanto/new")
                                              : QStringLiteral("/opt/vanto"));
    c.commPort = newer ? 4 : 1;
    c.accessText = newer ? "OTHER" : "TREK";
    return c;
}

} // namespace vanto::test
