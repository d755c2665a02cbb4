#include "telnet.h"

namespace vanto {

namespace telnet {

namespace {

constexpr char kParityCodes[] = {0, 'N', 'O', 'E', 'M', 'S'}; // COM-PORT-CONTROL's numbering

QByteArray command(unsigned char code, const QByteArray& value) {
    return Subnegotiation(kComPort, char(code) + value);
}

} // namespace

QByteArray escape(const QByteArray& data) {
    if (!data.contains(char(kIAC)))
        return data;
    QByteArray out;
    out.reserve(data.size() + 8);
    for (const char c : data) {
        out += c;
        if (static_cast<unsigned char>(c) == kIAC)
            out += c;
    }
    return out;
}

QByteArray Subnegotiation(unsigned char option, const QByteArray& payload) {
    QByteArray out;
    out += char(kIAC);
    out += char(kSB);
    out += char(option);
    out += escape(payload);
    out += char(kIAC);
    out += char(kSE);
    return out;
}

QByteArray comPortSettings(const LineSettings& settings) {
    QByteArray baud(4, 0);
    const quint32 rate = quint32(settings.baud);
    for (int i = 0; i < 4; ++i)
        baud[i] = char((rate >> (24 - 8 * i)) & 0xFF);
    int parity = 1;
    for (int code = 1; code < int(sizeof kParityCodes); ++code) {
        if (kParityCodes[code] == settings.parity)
            parity = code;
    }
    return command(kSetBaudRate, baud) +
           command(kSetDataSize, QByteArray(1, char(settings.dataBits))) +
           command(kSetParity, QByteArray(1, char(parity))) +
           command(kSetStopSize, QByteArray(1, char(settings.stopBits == 2 ? 2 : 1))) +
           command(kSetControl, QByteArray(1, char(1))); // no flow control
}

bool applyComPortCommand(const QByteArray& payload, LineSettings* settings) {
    if (payload.size() < 2)
        return false;
    const auto value = [&](int i) { return static_cast<unsigned char>(payload[i]); };
    switch (value(0)) {
    case kSetBaudRate: {
        if (payload.size() < 5)
            return false;
        const quint32 rate = quint32(value(1)) << 24 | quint32(value(2)) << 16 |
                             quint32(value(3)) << 8 | quint32(value(4));
        if (rate == 0 || rate > 0x7FFFFFFF)
            return false; // 0 asks for the current rate
        settings->baud = qint32(rate);
        return true;
    }
    case kSetDataSize:
        if (value(1) < 5 || value(1) > 8)
            return false;
        settings->dataBits = value(1);
        return true;
    case kSetParity:
        if (value(1) < 1 || value(1) >= sizeof kParityCodes)
            return false;
        settings->parity = kParityCodes[value(1)];
        return true;
    case kSetStopSize:
        if (value(1) != 1 && value(1) != 2)
            return false;
        settings->stopBits = value(1);
        return true;
    default:
        return false;
    }
}

} // namespace telnet

using namespace telnet;

TelnetEndpoint::TelnetEndpoint(QSet<unsigned char> local, QSet<unsigned char> remote)
    : m_local(std::move(local)), m_remote(std::move(remote)) {}

void TelnetEndpoint::reset() {
    m_localOn.clear();
    m_remoteOn.clear();
    m_localAsked.clear();
    m_remoteAsked.clear();
    m_localRefused.clear();
    m_state = State::Data;
    m_sb.clear();
}

QByteArray TelnetEndpoint::request(const QList<unsigned char>& will,
                                   const QList<unsigned char>& doOptions) {
    QByteArray out;
    for (const unsigned char option : will) {
        if (m_localOn.contains(option) || m_localAsked.contains(option))
            continue;
        m_localAsked.insert(option);
        out += char(kIAC);
        out += char(kWILL);
        out += char(option);
    }
    for (const unsigned char option : doOptions) {
        if (m_remoteOn.contains(option) || m_remoteAsked.contains(option))
            continue;
        m_remoteAsked.insert(option);
        out += char(kIAC);
        out += char(kDO);
        out += char(option);
    }
    return out;
}

void TelnetEndpoint::negotiate(unsigned char verb, unsigned char option, QByteArray* answer) {
    const auto say = [answer](unsigned char v, unsigned char o) {
        *answer += char(kIAC);
        *answer += char(v);
        *answer += char(o);
    };
    switch (verb) {
    case kWILL: // the other end offers to use an option
        if (m_remoteOn.contains(option))
            break;
        if (m_remote.contains(option)) {
            m_remoteOn.insert(option);
            if (!m_remoteAsked.remove(option))
                say(kDO, option);
        } else {
            m_remoteAsked.remove(option);
            say(kDONT, option);
        }
        break;
    case kWONT:
        if (m_remoteOn.remove(option))
            say(kDONT, option);
        m_remoteAsked.remove(option);
        break;
    case kDO: // the other end asks this end to use an option
        if (m_localOn.contains(option))
            break;
        if (m_local.contains(option)) {
            m_localOn.insert(option);
            m_localRefused.remove(option);
            if (!m_localAsked.remove(option))
                say(kWILL, option);
        } else {
            m_localAsked.remove(option);
            say(kWONT, option);
        }
        break;
    case kDONT:
        if (m_localOn.remove(option))
            say(kWONT, option);
        if (m_localAsked.remove(option))
            m_localRefused.insert(option);
        break;
    default:
        break;
    }
}

QByteArray TelnetEndpoint::receive(const QByteArray& bytes, QByteArray* answer,
                                   QList<Subnegotiation>* subnegotiations) {
    QByteArray data;
    data.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Data:
            if (b == kIAC)
                m_state = State::Iac;
            else
                data += c;
            break;
        case State::Iac:
            if (b == kIAC) {
                data += c; // a doubled 255 is one data byte
                m_state = State::Data;
            } else if (b >= kWILL && b <= kDONT) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == kSB) {
                m_sb.clear();
                m_state = State::Sb;
            } else {
                m_state = State::Data; // NOP, go-ahead, break and the like: nothing to do
            }
            break;
        case State::Verb:
            negotiate(m_verb, b, answer);
            m_state = State::Data;
            break;
        case State::Sb:
            if (b == kIAC)
                m_state = State::SbIac;
            else if (m_sb.size() < 256) // no sub-negotiation of ours is longer
                m_sb += c;
            break;
        case State::SbIac:
            if (b == kIAC) {
                if (m_sb.size() < 256)
                    m_sb += c;
                m_state = State::Sb;
            } else {
                // IAC SE ends it; anything else after IAC ends it too (a peer that forgot SE).
                if (!m_sb.isEmpty() && subnegotiations)
                    subnegotiations->append({static_cast<unsigned char>(m_sb[0]), m_sb.mid(1)});
                m_sb.clear();
                m_state = State::Data;
            }
            break;
        }
    }
    return data;
}

} // namespace vanto
