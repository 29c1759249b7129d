#pragma once

#include "core/DecodedList.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

// A named collection of history entries, referred to by their ids in order.
struct ClipboardJar {
    QString id;
    QString name;
    QStringList entryIDs;

    // Field by field; texts compare by the characters they show (see CanonicalText).
    bool operator==(const ClipboardJar &other) const;

    QJsonObject toJson() const;
    // The same object as toJson, appended to `out` as compact UTF-8 JSON.
    void writeJson(QByteArray &out) const;
    // Strict: every key must be present with its JSON type.
    static std::optional<ClipboardJar> fromJson(const QJsonValue &value, QString *error = nullptr);

    static QByteArray encodeList(const QList<ClipboardJar> &jars);
    // Reads Jar by Jar; a Jar that fails is skipped with a log line.
    static DecodedList<ClipboardJar> decodeList(const QByteArray &json);
};
