#pragma once

#include "core/DecodedList.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// A saved text that is typed out when its trigger is typed.
struct ClipboardSnippet {
    QString id;
    QString name;
    QString trigger;
    QString text;

    // Field by field; texts compare by the characters they show (see CanonicalText).
    bool operator==(const ClipboardSnippet &other) const;

    QJsonObject toJson() const;
    // The same object as toJson, appended to `out` as compact UTF-8 JSON.
    void writeJson(QByteArray &out) const;
    // Strict: every key must be present and a string.
    static std::optional<ClipboardSnippet> fromJson(const QJsonValue &value, QString *error = nullptr);

    static QByteArray encodeList(const QList<ClipboardSnippet> &snippets);
    // Reads snippet by snippet; a snippet that fails is skipped with a log line.
    static DecodedList<ClipboardSnippet> decodeList(const QByteArray &json);
};
