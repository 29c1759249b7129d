#pragma once

#include "core/ClipboardKind.h"
#include "core/DecodedList.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

// One history item.
struct ClipboardEntry {
    // Canonical UUID text with upper-case hex digits; Jars, the Paste Stack and the consumed
    // list refer to entries by it.
    QString id;
    // The copied text exactly as read; file paths joined by line feeds for a file entry; empty
    // for an image.
    QString text;
    QDateTime copiedAt;
    // The application in front at capture; "Screenshot" for imports from the screenshot folder.
    QString sourceApp;
    ClipboardKind kind = ClipboardKind::Text;
    std::optional<QByteArray> imageData;
    QStringList fileURLs;
    // File-system path of the screenshot file the entry was imported from.
    std::optional<QString> screenshotFileURL;
    // Path of the entry's file in the image store once its bytes were moved there.
    std::optional<QString> imageFilePath;
    bool isScreenshot = false;
    bool isPinned = false;
    std::optional<QDateTime> temporaryUntil;

    // Field by field; texts compare by the characters they show (see CanonicalText).
    bool operator==(const ClipboardEntry &other) const;

    // A new random id in the stored form (upper-case, 36 characters, hyphens).
    static QString newID();

    // The stored JSON object: the four optional fields are left out when absent, everything
    // else is always written; nothing is derived or normalised.
    QJsonObject toJson() const;
    // The same object as toJson, appended to `out` as compact UTF-8 JSON.
    void writeJson(QByteArray &out) const;

    // The forgiving reader: absent keys and nulls take defaults (new id, current time, kind
    // detected from the text ...). Fails, with a reason in `error` that never quotes the
    // content, for a value that is not an object, a key of the wrong JSON type, invalid Base64
    // or an unknown kind.
    static std::optional<ClipboardEntry> fromJson(const QJsonValue &value, QString *error = nullptr);

    // A whole stored history: a compact JSON array of entry objects.
    static QByteArray encodeList(const QList<ClipboardEntry> &entries);
    // Reads entry by entry; an entry that fails is skipped with a log line.
    static DecodedList<ClipboardEntry> decodeList(const QByteArray &json);

    // One line for lists and search: "Obrázok" for an image, the file names for files, else the
    // text with line feeds turned into spaces.
    QString preview() const;
    // The preview of the beginning of a long text (LeadingText::upTo): all that a row or a
    // screen reader takes in, made without copying the rest of the text.
    QString boundedPreview() const;
    // Where the entry came from, as shown to the user.
    QString sourceAppLabel() const;
    // The capture time in the interface language's locale; the date is added unless the entry
    // was copied on the same local day as `now`.
    QString copiedAtLabel(const QDateTime &now = QDateTime::currentDateTime()) const;
};

// Seconds since 2001-01-01 00:00:00 UTC: how dates are stored.
double toReferenceSeconds(const QDateTime &dateTime);
// Nothing when the number is not finite or lies outside the dates the program can hold.
std::optional<QDateTime> fromReferenceSeconds(double seconds);
