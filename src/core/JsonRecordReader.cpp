#include "core/JsonRecordReader.h"

#include "core/ClipboardEntry.h"

JsonRecordReader::JsonRecordReader(QJsonObject object)
    : m_object(std::move(object))
{
}

std::optional<QJsonValue> JsonRecordReader::present(const char *key) const
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

void JsonRecordReader::fail(const char *key, const char *problem)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("key \"%1\" %2").arg(QLatin1String(key), QLatin1String(problem));
}

std::optional<QString> JsonRecordReader::string(const char *key)
{
    const std::optional<QJsonValue> value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isString()) {
        fail(key, "is not a string");
        return std::nullopt;
    }
    return value->toString();
}

std::optional<bool> JsonRecordReader::boolean(const char *key)
{
    const std::optional<QJsonValue> value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isBool()) {
        fail(key, "is not a boolean");
        return std::nullopt;
    }
    return value->toBool();
}

std::optional<QStringList> JsonRecordReader::stringList(const char *key)
{
    const std::optional<QJsonValue> value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isArray()) {
        fail(key, "is not an array");
        return std::nullopt;
    }
    const QJsonArray array = value->toArray();
    QStringList list;
    list.reserve(array.size());
    for (const QJsonValue &element : array) {
        if (!element.isString()) {
            fail(key, "holds an element that is not a string");
            return std::nullopt;
        }
        list.append(element.toString());
    }
    return list;
}

std::optional<QDateTime> JsonRecordReader::date(const char *key)
{
    const std::optional<QJsonValue> value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isDouble()) {
        fail(key, "is not a number");
        return std::nullopt;
    }
    std::optional<QDateTime> date = fromReferenceSeconds(value->toDouble());
    if (!date)
        fail(key, "is not a representable date");
    return date;
}

std::optional<QByteArray> JsonRecordReader::base64(const char *key)
{
    const std::optional<QString> text = string(key);
    if (!text)
        return std::nullopt;
    // Qt's decoder forgives missing padding; the stored form always has it, so its absence
    // means the text was damaged.
    if (text->size() % 4 != 0) {
        fail(key, "is not valid Base64");
        return std::nullopt;
    }
    const auto decoded = QByteArray::fromBase64Encoding(text->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok) {
        fail(key, "is not valid Base64");
        return std::nullopt;
    }
    return decoded.decoded;
}
