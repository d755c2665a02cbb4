#include "unitengine.h"

#include "unitformat.h"

#include "program/derived.h"
#include "shared/numtext.h"

#include <algorithm>
#include <cmath>

namespace qxsim {

using vanto::Field;

UnitEngine::UnitEngine(const UnitSettings& settings)
    : m_programs(settings.programs), m_model(settings.model), m_options(settings.options),
      m_serial(settings.serial), m_running(std::clamp(settings.running, 0, 7)),
      m_target(settings.seed) {}

QList<QByteArray> UnitEngine::receive(const QByteArray& bytes, qint64 nowMs) {
    QList<QByteArray> replies;
    for (const char byte : bytes) {
        if (m_collecting && nowMs - m_lastByteMs > kTransmissionIdleMs)
            abandonTransmission(); // the host gave up on it; this byte is a command again
        if (m_collecting) {
            collect(byte, nowMs);
            continue;
        }
        const QByteArray reply = answer(static_cast<unsigned char>(byte), nowMs);
        if (!reply.isEmpty())
            replies.append(reply);
    }
    return replies;
}

void UnitEngine::runProgram(int program) {
    m_running = std::clamp(program, 0, 7);
    m_reloadPending = true;
    m_reloadSignalled = false;
}

int UnitEngine::statusByte(double distance) const {
    const vanto::ProgramRecord& p = running();
    int status = kStatusBase;
    if (distance > p.number(Field::Base) + p.number(Field::Range))
        status += kStatusFar;
    if (distance < p.number(Field::NearRelay))
        status += kStatusNear;
    if (m_reloadPending)
        status += kStatusReload;
    if (m_model == Model::QX3100 && p.whole(Field::MinimumBase) == 13)
        status += kStatusHighBase;
    return status;
}

int UnitEngine::analogOutput(double distance) const {
    const vanto::ProgramRecord& p = running();
    const double range = p.number(Field::Range);
    if (range <= 0.0)
        return 0;
    const double share = std::clamp((distance - p.number(Field::Base)) / range, 0.0, 1.0);
    return int(std::lround(share * 255.0));
}

QByteArray UnitEngine::answer(unsigned char command, qint64 nowMs) {
    if (onCommand)
        onCommand(command);
    switch (char(command)) {
    case kSYN:
        return QByteArray(1, kETB);
    case kSTX:
    case kDLE:
    case kDC3:
    case kDC4:
    case kCAN:
        return pollReply(char(command), nowMs);
    case kDC1:
        // The unit is ready for a program: everything up to the next EOT is its text.
        m_collecting = true;
        m_transmission.clear();
        m_lastByteMs = nowMs;
        return QByteArray(1, kDC1);
    default:
        if (command >= kRecordCommand && command < kRecordCommand + vanto::kProgramCount)
            return recordReply(command);
        return {};
    }
}

QByteArray UnitEngine::pollReply(char command, qint64 nowMs) {
    QList<QByteArray> fields;
    if (command == kSTX) {
        const double celsius = running().number(Field::Temperature) / 10.0;
        fields << vanto::formatNumber(celsius, "0.0")
               << QByteArray::number(vanto::conversionAtTemperature(float(celsius)), 'f', 7);
    } else {
        const double distance = m_target.distanceAt(nowMs, running());
        const QByteArray distanceText = vanto::formatNumber(distance, "0.00");
        const QByteArray status(1, char(statusByte(distance)));
        const QByteArray analog = QByteArray::number(analogOutput(distance));
        if (m_reloadPending)
            m_reloadSignalled = true;
        switch (command) {
        case kDC4:
            fields << m_serial << distanceText << status;
            break;
        case kDC3:
            fields << distanceText << status;
            break;
        case kDLE: // the fourth field is not read by the host; the unit sends its analog output
            fields << m_serial << distanceText << status << analog;
            break;
        default: // kCAN
            fields << m_serial << distanceText << analog << status;
            break;
        }
    }
    QByteArray reply;
    for (const QByteArray& field : fields)
        reply += field + kCR;
    return reply + kEOT;
}

QByteArray UnitEngine::recordReply(unsigned char command) {
    int program = command - kRecordCommand;
    // A host that saw the reload bit asks for the program it thought was running and files the
    // answer under the number in field 0: so the answer is the running program's record.
    if (m_reloadSignalled)
        program = m_running;
    m_reloadPending = false;
    m_reloadSignalled = false;
    const UnitIdentity unit{m_running, m_options, m_serial};
    // Two leading bytes the host skips: the command echoed and a CR.
    const QByteArray lead = QByteArray(1, char(command)) + kCR;
    return unitRecordReply(m_programs, program, unit, lead);
}

void UnitEngine::collect(char byte, qint64 nowMs) {
    m_lastByteMs = nowMs;
    m_transmission += byte;
    if (byte == kEOT)
        finishTransmission();
    else if (m_transmission.size() > kMaxTransmissionBytes)
        abandonTransmission();
}

void UnitEngine::finishTransmission() {
    m_collecting = false;
    TransmissionResult result;
    const std::optional<UnitTransmission> parsed = readUnitTransmission(m_transmission);
    m_transmission.clear();
    if (!parsed) {
        result.reason = QStringLiteral("malformed");
    } else if (!parsed->checksumOk) {
        result.program = parsed->program;
        result.reason = QStringLiteral("checksum");
    } else {
        result.program = parsed->program;
        storeUnitTransmission(*parsed, m_programs);
        result.stored = true;
    }
    if (onTransmission)
        onTransmission(result);
}

void UnitEngine::abandonTransmission() {
    m_collecting = false;
    m_transmission.clear();
    if (onTransmission)
        onTransmission({false, -1, QStringLiteral("incomplete")});
}

} // namespace qxsim
