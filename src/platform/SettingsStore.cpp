#include "platform/SettingsStore.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace {

// Integers are JSON numbers; a number with a fraction, or one beyond what a double holds
// exactly, is not an integer.
constexpr double kLargestExactInteger = 9007199254740992.0; // 2^53

const QString kBytesField = QStringLiteral("data");

} // namespace

std::optional<bool> SettingsStore::boolValue(const QString &key) const
{
    const auto value = rawValue(key);
    if (!value || !value->isBool())
        return std::nullopt;
    return value->toBool();
}

std::optional<qint64> SettingsStore::integerValue(const QString &key) const
{
    const auto value = rawValue(key);
    if (!value || !value->isDouble())
        return std::nullopt;
    const QVariant variant = value->toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return variant.toLongLong();
    const double number = value->toDouble();
    // The range comes first: converting a double beyond 64 bits to an integer is undefined.
    if (number > kLargestExactInteger || number < -kLargestExactInteger || number != std::trunc(number))
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<QString> SettingsStore::textValue(const QString &key) const
{
    const auto value = rawValue(key);
    if (!value || !value->isString())
        return std::nullopt;
    return value->toString();
}

std::optional<QByteArray> SettingsStore::bytesValue(const QString &key) const
{
    const auto value = rawValue(key);
    if (!value || !value->isObject())
        return std::nullopt;
    const QJsonObject object = value->toObject();
    if (object.size() != 1 || !object.value(kBytesField).isString())
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(object.value(kBytesField).toString().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

std::optional<QStringList> SettingsStore::textListValue(const QString &key) const
{
    const auto value = rawValue(key);
    if (!value || !value->isArray())
        return std::nullopt;
    QStringList list;
    const QJsonArray array = value->toArray();
    list.reserve(array.size());
    for (const QJsonValue &item : array) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

bool SettingsStore::setBool(const QString &key, bool value)
{
    return setRawValue(key, QJsonValue(value));
}

bool SettingsStore::setInteger(const QString &key, qint64 value)
{
    return setRawValue(key, QJsonValue(value));
}

bool SettingsStore::setText(const QString &key, const QString &value)
{
    return setRawValue(key, QJsonValue(value));
}

bool SettingsStore::setBytes(const QString &key, const QByteArray &value)
{
    return setRawValue(key, QJsonObject{{kBytesField, QString::fromLatin1(value.toBase64())}});
}

bool SettingsStore::setTextList(const QString &key, const QStringList &value)
{
    return setRawValue(key, QJsonArray::fromStringList(value));
}

bool SettingsStore::remove(const QString &key)
{
    return setRawValue(key, std::nullopt);
}
