#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"

#include <QJsonDocument>

#include <ostream>

// Readable gtest failure messages for the records: their stored JSON form, long texts cut short.
inline void PrintTo(const ClipboardEntry &entry, std::ostream *out)
{
    ClipboardEntry shown = entry;
    if (shown.text.size() > 200)
        shown.text = shown.text.left(200) + QStringLiteral("… (%1 characters)").arg(entry.text.size());
    if (shown.imageData && shown.imageData->size() > 64)
        shown.imageData = shown.imageData->left(64);
    *out << QJsonDocument(shown.toJson()).toJson(QJsonDocument::Compact).toStdString();
}

inline void PrintTo(const ClipboardJar &jar, std::ostream *out)
{
    *out << QJsonDocument(jar.toJson()).toJson(QJsonDocument::Compact).toStdString();
}

inline void PrintTo(const ClipboardSnippet &snippet, std::ostream *out)
{
    *out << QJsonDocument(snippet.toJson()).toJson(QJsonDocument::Compact).toStdString();
}
