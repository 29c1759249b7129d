#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

// A typed key-value store for one settings domain.
//
// Values are booleans, integers, texts, bytes and lists of texts. A value stored with one
// type and read as another reads as absent. Backends only keep JSON values; the typed
// accessors below fix how each type is represented, so every backend agrees:
// booleans, integers, texts and lists of texts as plain JSON, bytes as {"data": "<Base64>"}.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    std::optional<bool> boolValue(const QString &key) const;
    std::optional<qint64> integerValue(const QString &key) const;
    std::optional<QString> textValue(const QString &key) const;
    std::optional<QByteArray> bytesValue(const QString &key) const;
    std::optional<QStringList> textListValue(const QString &key) const;
    bool contains(const QString &key) const { return rawValue(key).has_value(); }
    // False once the stored domain could not be read and was started anew in this run: what
    // it held is not known, so nothing it may have named should be deleted.
    virtual bool wasReadWhole() const { return true; }
    // Where the unreadable stored domain was moved in this run; empty when nothing was.
    virtual QString setAsidePath() const { return {}; }

    // Each write is durable when it returns; false when it could not be stored (logged).
    bool setBool(const QString &key, bool value);
    bool setInteger(const QString &key, qint64 value);
    bool setText(const QString &key, const QString &value);
    bool setBytes(const QString &key, const QByteArray &value);
    bool setTextList(const QString &key, const QStringList &value);
    bool remove(const QString &key);

    // The value as stored, whatever its type: for copying a value between domains unchanged.
    std::optional<QJsonValue> storedValue(const QString &key) const { return rawValue(key); }
    bool setStoredValue(const QString &key, const QJsonValue &value) { return setRawValue(key, value); }

protected:
    virtual std::optional<QJsonValue> rawValue(const QString &key) const = 0;
    // An absent value removes the key.
    virtual bool setRawValue(const QString &key, const std::optional<QJsonValue> &value) = 0;
};
