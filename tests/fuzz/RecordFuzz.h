#pragma once

#include "FuzzInput.h"

#include <QJsonDocument>
#include <QJsonObject>

// A stored list (or one record of it) read by the forgiving reader. Whatever was read is written
// back and read again unchanged, since every change to the history rewrites the whole list from
// what was read: a record that does not survive that is damaged on the next save.
template <typename Record>
void checkRecordReader(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (document.isObject()) {
        if (const std::optional<Record> record = Record::fromJson(document.object())) {
            const std::optional<Record> again = Record::fromJson(record->toJson());
            FUZZ_EXPECT(again && *again == *record);
        }
    }

    const auto list = Record::decodeList(bytes);
    FUZZ_EXPECT(!list.unreadable || list.items.isEmpty());
    const auto again = Record::decodeList(Record::encodeList(list.items));
    FUZZ_EXPECT(again.isComplete());
    FUZZ_EXPECT(again.items == list.items);
}
