#include "core/ClipboardEntry.h"

#include "core/CanonicalText.h"
#include "core/JsonRecordReader.h"
#include "core/JsonRecordWriter.h"
#include "core/L10n.h"
#include "core/LeadingText.h"
#include "core/ScreenshotNames.h"

#include <QLocale>
#include <QUuid>

#include <cmath>

namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch: the stored dates count from it.
constexpr qint64 kReferenceEpochMSecs = 978307200000LL;
// About 300,000 years either way: beyond that a stored number is damage, not a date.
constexpr double kLargestReferenceSeconds = 1e13;

const QString kScreenshotSource = QStringLiteral("Screenshot");

QString lastPathComponent(const QString &path)
{
    QStringView trimmed(path);
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    if (trimmed == u"/")
        return QStringLiteral("/");
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1).toString();
}

} // namespace

double toReferenceSeconds(const QDateTime &dateTime)
{
    return static_cast<double>(dateTime.toMSecsSinceEpoch() - kReferenceEpochMSecs) / 1000.0;
}

std::optional<QDateTime> fromReferenceSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLargestReferenceSeconds)
        return std::nullopt;
    const qint64 msecs = std::llround(seconds * 1000.0) + kReferenceEpochMSecs;
    QDateTime dateTime = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
    if (!dateTime.isValid())
        return std::nullopt;
    return dateTime;
}

QString ClipboardEntry::newID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool ClipboardEntry::operator==(const ClipboardEntry &other) const
{
    return CanonicalText::equal(id, other.id) && CanonicalText::equal(text, other.text) && copiedAt == other.copiedAt
        && CanonicalText::equal(sourceApp, other.sourceApp) && kind == other.kind && imageData == other.imageData
        && CanonicalText::equal(fileURLs, other.fileURLs)
        && CanonicalText::equal(screenshotFileURL, other.screenshotFileURL)
        && CanonicalText::equal(imageFilePath, other.imageFilePath) && isScreenshot == other.isScreenshot
        && isPinned == other.isPinned && temporaryUntil == other.temporaryUntil;
}

QJsonObject ClipboardEntry::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("id"), id);
    object.insert(QLatin1String("text"), text);
    // A record that was never given a time has none to store; the reader stamps it when read.
    if (copiedAt.isValid())
        object.insert(QLatin1String("copiedAt"), toReferenceSeconds(copiedAt));
    object.insert(QLatin1String("sourceApp"), sourceApp);
    object.insert(QLatin1String("kind"), rawValue(kind));
    if (imageData)
        object.insert(QLatin1String("imageData"), QString::fromLatin1(imageData->toBase64()));
    object.insert(QLatin1String("fileURLs"), QJsonArray::fromStringList(fileURLs));
    if (screenshotFileURL)
        object.insert(QLatin1String("screenshotFileURL"), *screenshotFileURL);
    if (imageFilePath)
        object.insert(QLatin1String("imageFilePath"), *imageFilePath);
    object.insert(QLatin1String("isScreenshot"), isScreenshot);
    object.insert(QLatin1String("isPinned"), isPinned);
    if (temporaryUntil && temporaryUntil->isValid())
        object.insert(QLatin1String("temporaryUntil"), toReferenceSeconds(*temporaryUntil));
    return object;
}

void ClipboardEntry::writeJson(QByteArray &out) const
{
    JsonRecordWriter writer(out);
    writer.string("id", id);
    writer.string("text", text);
    if (copiedAt.isValid())
        writer.number("copiedAt", toReferenceSeconds(copiedAt));
    writer.string("sourceApp", sourceApp);
    writer.string("kind", rawValue(kind));
    if (imageData)
        writer.base64("imageData", *imageData);
    writer.stringList("fileURLs", fileURLs);
    if (screenshotFileURL)
        writer.string("screenshotFileURL", *screenshotFileURL);
    if (imageFilePath)
        writer.string("imageFilePath", *imageFilePath);
    writer.boolean("isScreenshot", isScreenshot);
    writer.boolean("isPinned", isPinned);
    if (temporaryUntil && temporaryUntil->isValid())
        writer.number("temporaryUntil", toReferenceSeconds(*temporaryUntil));
    writer.finish();
}

std::optional<ClipboardEntry> ClipboardEntry::fromJson(const QJsonValue &value, QString *error)
{
    if (!value.isObject())
        return failRecord<ClipboardEntry>(error, QStringLiteral("entry is not a JSON object"));
    JsonRecordReader reader(value.toObject());
    const std::optional<QString> id = reader.string("id");
    const std::optional<QString> text = reader.string("text");
    const std::optional<QDateTime> copiedAt = reader.date("copiedAt");
    const std::optional<QString> sourceApp = reader.string("sourceApp");
    const std::optional<QString> kindText = reader.string("kind");
    const std::optional<QByteArray> imageData = reader.base64("imageData");
    const std::optional<QStringList> fileURLs = reader.stringList("fileURLs");
    const std::optional<QString> screenshotFileURL = reader.string("screenshotFileURL");
    const std::optional<QString> imageFilePath = reader.string("imageFilePath");
    const std::optional<bool> isScreenshot = reader.boolean("isScreenshot");
    const std::optional<bool> isPinned = reader.boolean("isPinned");
    const std::optional<QDateTime> temporaryUntil = reader.date("temporaryUntil");
    if (reader.failed())
        return failRecord<ClipboardEntry>(error, reader.error());

    ClipboardEntry entry;
    entry.id = id ? *id : newID();
    entry.text = text.value_or(QString());
    entry.copiedAt = copiedAt ? *copiedAt : QDateTime::currentDateTimeUtc();
    entry.sourceApp = sourceApp.value_or(QString());
    // Plain text is classified again on every read, so that a better classifier reaches old
    // entries; any other kind came from the clipboard's formats and is kept.
    if (!kindText || *kindText == QLatin1String("text")) {
        entry.kind = detectKind(entry.text);
    } else if (const std::optional<ClipboardKind> kind = fromRawValue<ClipboardKind>(*kindText)) {
        entry.kind = *kind;
    } else {
        return failRecord<ClipboardEntry>(error, QStringLiteral("key \"kind\" holds an unknown kind"));
    }
    entry.imageData = imageData;
    entry.fileURLs = fileURLs.value_or(QStringList());
    entry.screenshotFileURL = screenshotFileURL;
    entry.imageFilePath = imageFilePath;
    // Entries stored before the flag existed tell a screenshot by where it came from.
    if (entry.kind != ClipboardKind::Image)
        entry.isScreenshot = false;
    else if (isScreenshot)
        entry.isScreenshot = *isScreenshot;
    else
        entry.isScreenshot = ScreenshotNames::isScreenshotSource(entry.sourceApp);
    entry.isPinned = isPinned.value_or(false);
    entry.temporaryUntil = temporaryUntil;
    return entry;
}

QByteArray ClipboardEntry::encodeList(const QList<ClipboardEntry> &entries)
{
    return writeRecordArray(entries);
}

DecodedList<ClipboardEntry> ClipboardEntry::decodeList(const QByteArray &json)
{
    return decodeRecordArray<ClipboardEntry>(json, "history", &ClipboardEntry::fromJson);
}

QString ClipboardEntry::preview() const
{
    switch (kind) {
    case ClipboardKind::Image:
        return L10n::text(QStringLiteral("Obrázok"));
    case ClipboardKind::File: {
        QStringList names;
        names.reserve(fileURLs.size());
        for (const QString &path : fileURLs)
            names.append(lastPathComponent(path));
        return names.join(QLatin1String(", "));
    }
    default: {
        QString line = text;
        line.replace(u'\n', u' ');
        return line;
    }
    }
}

QString ClipboardEntry::boundedPreview() const
{
    if (kind == ClipboardKind::Image || kind == ClipboardKind::File)
        return preview();
    QString line = LeadingText::upTo(text);
    line.replace(u'\n', u' ');
    return line;
}

QString ClipboardEntry::sourceAppLabel() const
{
    if (sourceApp.isEmpty())
        return L10n::text(QStringLiteral("Schránka"));
    if (sourceApp == kScreenshotSource && screenshotFileURL)
        return L10n::text(QStringLiteral("Snímka obrazovky"));
    return sourceApp;
}

QString ClipboardEntry::copiedAtLabel(const QDateTime &now) const
{
    if (!copiedAt.isValid())
        return {};
    const QLocale locale(L10n::language() == AppLanguage::En ? QStringLiteral("en") : QStringLiteral("sk"));
    const QDateTime local = copiedAt.toLocalTime();
    if (local.date() == now.toLocalTime().date())
        return locale.toString(local.time(), QLocale::ShortFormat);
    return locale.toString(local, QLocale::ShortFormat);
}
