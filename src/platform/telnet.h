// The Telnet layer of a serial device server's network port (RFC 854, with the COM-PORT-CONTROL
// option of RFC 2217): byte 255 is doubled in the data, commands and option negotiations are
// taken out of the stream and answered, and the serial line's settings are sent as
// sub-negotiations. Both ends use it: the network serial port as the client, the simulator as the
// server.
#pragma once

#include "platform/serialport.h"

#include <QByteArray>
#include <QList>
#include <QSet>

namespace vanto {

namespace telnet {

constexpr unsigned char kIAC = 255;
constexpr unsigned char kDONT = 254;
constexpr unsigned char kDO = 253;
constexpr unsigned char kWONT = 252;
constexpr unsigned char kWILL = 251;
constexpr unsigned char kSB = 250;
constexpr unsigned char kSE = 240;

constexpr unsigned char kBinary = 0;
constexpr unsigned char kSuppressGoAhead = 3;
constexpr unsigned char kComPort = 44;

// COM-PORT-CONTROL commands as the client sends them; the server answers with the same command
// plus kServerOffset.
constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kSetControl = 5;
constexpr unsigned char kServerOffset = 100;

// Doubles every byte 255, as the data of a Telnet stream carries it.
QByteArray escape(const QByteArray& data);

// IAC SB option payload IAC SE, with 255 in the payload doubled.
QByteArray Subnegotiation(unsigned char option, const QByteArray& payload);

// The COM-PORT-CONTROL sub-negotiations that set a line: baud rate, data bits, parity, stop bits
// and no flow control.
QByteArray comPortSettings(const LineSettings& settings);

// The line settings a server was asked for so far, updated from one COM-PORT-CONTROL
// sub-negotiation payload (command byte first). Returns false for a command that sets nothing.
bool applyComPortCommand(const QByteArray& payload, LineSettings* settings);

} // namespace telnet

// One end of a Telnet connection: takes the data out of the received stream and answers the
// other end's option negotiation. Options in `local` are ones this end agrees to use itself (it
// answers DO with WILL), options in `remote` ones it agrees to let the other end use (it answers
// WILL with DO); every other option is refused (WONT, DONT). A request already in force gets no
// answer, so two ends never loop.
class TelnetEndpoint {
public:
    struct Subnegotiation {
        unsigned char option = 0;
        QByteArray payload; // with doubled 255 undone
    };

    TelnetEndpoint(QSet<unsigned char> local, QSet<unsigned char> remote);

    // Asks the other end: WILL for each option in `will`, DO for each in `doOptions`. Returns the
    // bytes to send.
    QByteArray request(const QList<unsigned char>& will, const QList<unsigned char>& doOptions);

    // Feeds received bytes. Returns the data they carry; `answer` gets the negotiation replies to
    // send, `subnegotiations` the complete sub-negotiations received. A command split across
    // calls is completed by the next call.
    QByteArray receive(const QByteArray& bytes, QByteArray* answer,
                       QList<Subnegotiation>* subnegotiations);

    bool localEnabled(unsigned char option) const { return m_localOn.contains(option); }
    bool remoteEnabled(unsigned char option) const { return m_remoteOn.contains(option); }
    // The other end refused a WILL this end sent.
    bool localRefused(unsigned char option) const { return m_localRefused.contains(option); }

    // Back to the start: nothing negotiated, nothing half-received.
    void reset();

private:
    void negotiate(unsigned char verb, unsigned char option, QByteArray* answer);

    enum class State { Data, Iac, Verb, Sb, SbIac };
    QSet<unsigned char> m_local;
    QSet<unsigned char> m_remote;
    QSet<unsigned char> m_localOn, m_remoteOn;
    QSet<unsigned char> m_localAsked, m_remoteAsked; // WILL / DO sent, answer not yet seen
    QSet<unsigned char> m_localRefused;
    State m_state = State::Data;
    unsigned char m_verb = 0;
    QByteArray m_sb;
};

} // namespace vanto
