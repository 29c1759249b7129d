#pragma once

#include "core/DecodedList.h"
#include "core/Logging.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// Reads the fields of one stored record. Absent keys and nulls read as nothing; a value of the
// wrong JSON type records the first failure and reads as nothing. Failure reasons name the key,
// never the stored content.
class JsonRecordReader
{
public:
    explicit JsonRecordReader(QJsonObject object);

    std::optional<QString> string(const char *key);
    std::optional<bool> boolean(const char *key);
    std::optional<QStringList> stringList(const char *key);
    std::optional<QDateTime> date(const char *key);
    // Standard Base64 with padding and nothing outside its alphabet.
    std::optional<QByteArray> base64(const char *key);

    // For records that need every key: records a failure when the key was absent or null.
    template <typename T>
    T required(std::optional<T> value, const char *key)
    {
        if (!value) {
            fail(key, "is missing");
            return T{};
        }
        return *value;
    }

    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

private:
    // Present and not null.
    std::optional<QJsonValue> present(const char *key) const;
    void fail(const char *key, const char *problem);

    QJsonObject m_object;
    QString m_error;
};

// A stored list: a JSON array of record objects, read one record at a time so that one record
// that cannot be read costs only itself. `what` names the list in log lines.
template <typename T, typename ReadOne>
DecodedList<T> decodeRecordArray(const QByteArray &json, const char *what, ReadOne readOne)
{
    DecodedList<T> result;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.unreadable = true;
        qCWarning(lcCore).noquote() << "Stored" << what << "list is not readable JSON:"
                                    << parseError.errorString() << "at offset" << parseError.offset;
        return result;
    }
    if (!document.isArray()) {
        result.unreadable = true;
        qCWarning(lcCore).noquote() << "Stored" << what << "list is not a JSON array";
        return result;
    }
    const QJsonArray array = document.array();
    result.items.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        QString error;
        if (std::optional<T> record = readOne(array.at(index), &error)) {
            result.items.append(std::move(*record));
        } else {
            ++result.skippedCount;
            qCWarning(lcCore).noquote() << "Skipped an unreadable" << what << "record at index" << index
                                        << "of" << array.size() << "-" << error;
        }
    }
    return result;
}

// Sets *error (when asked for) and gives nothing: the common tail of the record readers.
template <typename T>
std::optional<T> failRecord(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}
