#include "programjson.h"

#include "program/transmission.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>

namespace qxtool {

using namespace vanto;

namespace {

const QString kFormat = QStringLiteral("vanto-programs");
constexpr int kVersion = 1;

// A JSON string literal, quotes included.
QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray cutTrailingBlanks(QByteArray text) {
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

// Walks JSON text already known to be valid and finds the first object that names a key twice
// (the parser would silently keep one of the values). Returns where, or "" when none does.
class DuplicateKeyFinder {
public:
    explicit DuplicateKeyFinder(const QByteArray& json) : m_json(json) {}

    QString find() {
        value(QStringLiteral("the top level"));
        return m_found;
    }

private:
    bool more() const { return m_at < m_json.size() && m_found.isEmpty(); }
    char peek() const { return m_at < m_json.size() ? m_json[m_at] : '\0'; }
    void skipBlanks() {
        while (m_at < m_json.size() && QByteArrayView(" \t\r\n").contains(m_json[m_at]))
            ++m_at;
    }
    QString string() {
        const int start = m_at++;
        while (m_at < m_json.size() && m_json[m_at] != '"')
            m_at += m_json[m_at] == '\\' ? 2 : 1;
        ++m_at;
        // The parser decodes the escapes, so "\u0041" and "A" are the same key.
        const QByteArray token = "[" + m_json.mid(start, m_at - start) + "]";
        return QJsonDocument::fromJson(token).array().at(0).toString();
    }
    void value(const QString& where) {
        skipBlanks();
        if (peek() == '{')
            object(where);
        else if (peek() == '[')
            array(where);
        else if (peek() == '"')
            string();
        else
            while (m_at < m_json.size() && !QByteArrayView(",]} \t\r\n").contains(m_json[m_at]))
                ++m_at;
    }
    void object(const QString& where) {
        ++m_at;
        QSet<QString> keys;
        skipBlanks();
        while (more() && peek() != '}') {
            skipBlanks();
            const QString key = string();
            if (keys.contains(key)) {
                m_found = QStringLiteral("key \"%1\" given twice in %2").arg(key, where);
                return;
            }
            keys.insert(key);
            skipBlanks();
            ++m_at; // ':'
            value(where == QLatin1String("the top level") ? key
                                                          : where + QStringLiteral(".") + key);
            skipBlanks();
            if (peek() == ',')
                ++m_at;
            skipBlanks();
        }
        ++m_at;
    }
    void array(const QString& where) {
        ++m_at;
        skipBlanks();
        for (int index = 0; more() && peek() != ']'; ++index) {
            value(QStringLiteral("%1[%2]").arg(where).arg(index));
            skipBlanks();
            if (peek() == ',')
                ++m_at;
            skipBlanks();
        }
        ++m_at;
    }

    const QByteArray& m_json;
    int m_at = 0;
    QString m_found;
};

// The names of the fields a program's object does not give.
QStringList missingFields(const QJsonObject& fields) {
    QStringList missing;
    for (const FieldInfo& f : kFieldTable) {
        if (!fields.contains(QLatin1String(f.name)))
            missing << QLatin1String(f.name);
    }
    return missing;
}

} // namespace

QByteArray programsToJson(const ProgramSet& programs) {
    // Written by hand so that the fields keep record order.
    QByteArray out = "{\n  \"format\": " + jsonString(kFormat) +
                     ",\n  \"version\": " + QByteArray::number(kVersion) + ",\n  \"programs\": [\n";
    for (int p = 0; p < kProgramCount; ++p) {
        out += "    {\n      \"program\": " + QByteArray::number(p) + ",\n      \"fields\": {\n";
        for (int i = 0; i < kFieldCount; ++i) {
            const FieldInfo& f = kFieldTable[i];
            out += "        " + jsonString(QLatin1String(f.name)) + ": " +
                   jsonString(QString::fromLatin1(cutTrailingBlanks(programs[p].text(f.field))));
            out += i + 1 < kFieldCount ? ",\n" : "\n";
        }
        out += p + 1 < kProgramCount ? "      }\n    },\n" : "      }\n    }\n";
    }
    out += "  ]\n}\n";
    return out;
}

QString programsFromJson(const QByteArray& json, ProgramSet* programs) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return QStringLiteral("not valid JSON at byte %1: %2")
            .arg(parseError.offset)
            .arg(parseError.errorString());
    }
    if (!doc.isObject())
        return QStringLiteral("the JSON is not an object");
    const QString duplicate = DuplicateKeyFinder(json).find();
    if (!duplicate.isEmpty())
        return duplicate;
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != QLatin1String("format") && it.key() != QLatin1String("version") &&
            it.key() != QLatin1String("programs"))
            return QStringLiteral("unknown key \"%1\"").arg(it.key());
    }
    if (root.contains(QLatin1String("format")) && root.value(QLatin1String("format")) != kFormat)
        return QStringLiteral("\"format\" is not \"%1\"").arg(kFormat);
    if (root.contains(QLatin1String("version")) &&
        root.value(QLatin1String("version")).toInt(-1) != kVersion)
        return QStringLiteral("\"version\" is not %1").arg(kVersion);
    const QJsonValue list = root.value(QLatin1String("programs"));
    if (!list.isArray() || list.toArray().size() != kProgramCount)
        return QStringLiteral("\"programs\" must be an array of %1 programs").arg(kProgramCount);

    ProgramSet result;
    const QJsonArray array = list.toArray();
    for (int p = 0; p < kProgramCount; ++p) {
        const QString where = QStringLiteral("program #%1").arg(p);
        if (!array[p].isObject())
            return QStringLiteral("%1 is not an object").arg(where);
        const QJsonObject program = array[p].toObject();
        for (auto it = program.begin(); it != program.end(); ++it) {
            if (it.key() != QLatin1String("program") && it.key() != QLatin1String("fields"))
                return QStringLiteral("%1: unknown key \"%2\"").arg(where, it.key());
        }
        if (program.contains(QLatin1String("program")) &&
            program.value(QLatin1String("program")).toInt(-1) != p)
            return QStringLiteral("%1: \"program\" must be %2 (programs are in order)")
                .arg(where)
                .arg(p);
        const QJsonValue fieldsValue = program.value(QLatin1String("fields"));
        if (fieldsValue.isUndefined())
            return QStringLiteral("%1: \"fields\" is missing").arg(where);
        if (!fieldsValue.isObject())
            return QStringLiteral("%1: \"fields\" is not an object").arg(where);
        const QJsonObject fields = fieldsValue.toObject();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            const std::optional<Field> field = fieldByName(it.key());
            if (!field)
                return QStringLiteral("%1: unknown field \"%2\"").arg(where, it.key());
            if (!it.value().isString())
                return QStringLiteral("%1: field %2 is not a string").arg(where, it.key());
            const QString text = it.value().toString();
            for (QChar c : text) {
                if (c.unicode() > 0xFF) {
                    return QStringLiteral("%1: field %2 holds a character a program file cannot "
                                          "store (U+%3)")
                        .arg(where, it.key())
                        .arg(c.unicode(), 4, 16, QLatin1Char('0'));
                }
                // A program file could hold it, but no transmission could carry it.
                if (!transmittableByte(static_cast<unsigned char>(c.unicode()))) {
                    return QStringLiteral("%1: field %2 holds %3, which a program transmission "
                                          "cannot carry")
                        .arg(where, it.key(), describeByte(static_cast<uchar>(c.unicode())));
                }
            }
            const int width = infoOf(*field).width;
            if (text.size() > width) {
                // A long value is cut in the message: the count says how long it is.
                const QString shown =
                    text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
                return QStringLiteral("%1: field %2 is %3 characters wide, \"%4\" has %5")
                    .arg(where, it.key())
                    .arg(width)
                    .arg(shown)
                    .arg(text.size());
            }
            result[p].set(*field, text.toLatin1());
        }
        const QStringList missing = missingFields(fields);
        if (!missing.isEmpty()) {
            constexpr int kNamed = 6;
            QString names = missing.mid(0, kNamed).join(QStringLiteral(", "));
            if (missing.size() > kNamed)
                names += QStringLiteral(" and %1 more").arg(missing.size() - kNamed);
            return QStringLiteral("%1: field%2 missing: %3")
                .arg(where, missing.size() == 1 ? QString() : QStringLiteral("s"), names);
        }
    }
    *programs = result;
    return QString();
}

} // namespace qxtool
