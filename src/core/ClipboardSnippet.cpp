#include "core/ClipboardSnippet.h"

#include "core/CanonicalText.h"
#include "core/JsonRecordReader.h"
#include "core/JsonRecordWriter.h"

bool ClipboardSnippet::operator==(const ClipboardSnippet &other) const
{
    return CanonicalText::equal(id, other.id) && CanonicalText::equal(name, other.name)
        && CanonicalText::equal(trigger, other.trigger) && CanonicalText::equal(text, other.text);
}

QJsonObject ClipboardSnippet::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("id"), id);
    object.insert(QLatin1String("name"), name);
    object.insert(QLatin1String("trigger"), trigger);
    object.insert(QLatin1String("text"), text);
    return object;
}

void ClipboardSnippet::writeJson(QByteArray &out) const
{
    JsonRecordWriter writer(out);
    writer.string("id", id);
    writer.string("name", name);
    writer.string("trigger", trigger);
    writer.string("text", text);
    writer.finish();
}

std::optional<ClipboardSnippet> ClipboardSnippet::fromJson(const QJsonValue &value, QString *error)
{
    if (!value.isObject())
        return failRecord<ClipboardSnippet>(error, QStringLiteral("snippet is not a JSON object"));
    JsonRecordReader reader(value.toObject());
    ClipboardSnippet snippet;
    snippet.id = reader.required(reader.string("id"), "id");
    snippet.name = reader.required(reader.string("name"), "name");
    snippet.trigger = reader.required(reader.string("trigger"), "trigger");
    snippet.text = reader.required(reader.string("text"), "text");
    if (reader.failed())
        return failRecord<ClipboardSnippet>(error, reader.error());
    return snippet;
}

QByteArray ClipboardSnippet::encodeList(const QList<ClipboardSnippet> &snippets)
{
    return writeRecordArray(snippets);
}

DecodedList<ClipboardSnippet> ClipboardSnippet::decodeList(const QByteArray &json)
{
    return decodeRecordArray<ClipboardSnippet>(json, "snippet", &ClipboardSnippet::fromJson);
}
