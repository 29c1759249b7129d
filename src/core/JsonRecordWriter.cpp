#include "core/JsonRecordWriter.h"

#include <QLocale>

JsonRecordWriter::JsonRecordWriter(QByteArray &out)
    : m_out(out)
{
    m_out.append('{');
}

void JsonRecordWriter::key(const char *name)
{
    if (!m_first)
        m_out.append(',');
    m_first = false;
    m_out.append('"').append(name).append("\":");
}

void JsonRecordWriter::string(const char *name, QStringView value)
{
    key(name);
    appendString(m_out, value);
}

void JsonRecordWriter::number(const char *name, double value)
{
    key(name);
    m_out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

void JsonRecordWriter::boolean(const char *name, bool value)
{
    key(name);
    m_out.append(value ? "true" : "false");
}

void JsonRecordWriter::stringList(const char *name, const QStringList &values)
{
    key(name);
    m_out.append('[');
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            m_out.append(',');
        appendString(m_out, values[i]);
    }
    m_out.append(']');
}

void JsonRecordWriter::base64(const char *name, const QByteArray &bytes)
{
    key(name);
    m_out.append('"').append(bytes.toBase64()).append('"');
}

void JsonRecordWriter::finish()
{
    m_out.append('}');
}

void JsonRecordWriter::appendString(QByteArray &out, QStringView value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const auto appendEscapedUnit = [&out](char16_t unit) {
        const char escape[] = {'\\', 'u', kHex[(unit >> 12) & 0xf], kHex[(unit >> 8) & 0xf], kHex[(unit >> 4) & 0xf],
                               kHex[unit & 0xf]};
        out.append(escape, sizeof escape);
    };
    out.reserve(out.size() + value.size() + 2);
    out.append('"');
    const qsizetype size = value.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = value[i].unicode();
        if (unit < 0x80) {
            switch (unit) {
            case u'"':
                out.append("\\\"");
                break;
            case u'\\':
                out.append("\\\\");
                break;
            case u'\b':
                out.append("\\b");
                break;
            case u'\f':
                out.append("\\f");
                break;
            case u'\n':
                out.append("\\n");
                break;
            case u'\r':
                out.append("\\r");
                break;
            case u'\t':
                out.append("\\t");
                break;
            default:
                if (unit < 0x20)
                    appendEscapedUnit(unit);
                else
                    out.append(static_cast<char>(unit));
            }
        } else if (unit < 0x800) {
            out.append(static_cast<char>(0xc0 | (unit >> 6)));
            out.append(static_cast<char>(0x80 | (unit & 0x3f)));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && value[i + 1].isLowSurrogate()) {
            const char32_t codePoint = QChar::surrogateToUcs4(unit, value[i + 1].unicode());
            ++i;
            out.append(static_cast<char>(0xf0 | (codePoint >> 18)));
            out.append(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3f)));
            out.append(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f)));
            out.append(static_cast<char>(0x80 | (codePoint & 0x3f)));
        } else if (QChar::isSurrogate(unit)) {
            appendEscapedUnit(unit);
        } else {
            out.append(static_cast<char>(0xe0 | (unit >> 12)));
            out.append(static_cast<char>(0x80 | ((unit >> 6) & 0x3f)));
            out.append(static_cast<char>(0x80 | (unit & 0x3f)));
        }
    }
    out.append('"');
}
