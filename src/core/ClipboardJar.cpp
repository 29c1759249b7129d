#include "core/ClipboardJar.h"

#include "core/CanonicalText.h"
#include "core/JsonRecordReader.h"
#include "core/JsonRecordWriter.h"

bool ClipboardJar::operator==(const ClipboardJar &other) const
{
    return CanonicalText::equal(id, other.id) && CanonicalText::equal(name, other.name)
        && CanonicalText::equal(entryIDs, other.entryIDs);
}

QJsonObject ClipboardJar::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("id"), id);
    object.insert(QLatin1String("name"), name);
    object.insert(QLatin1String("entryIDs"), QJsonArray::fromStringList(entryIDs));
    return object;
}

void ClipboardJar::writeJson(QByteArray &out) const
{
    JsonRecordWriter writer(out);
    writer.string("id", id);
    writer.string("name", name);
    writer.stringList("entryIDs", entryIDs);
    writer.finish();
}

std::optional<ClipboardJar> ClipboardJar::fromJson(const QJsonValue &value, QString *error)
{
    if (!value.isObject())
        return failRecord<ClipboardJar>(error, QStringLiteral("Jar is not a JSON object"));
    JsonRecordReader reader(value.toObject());
    ClipboardJar jar;
    jar.id = reader.required(reader.string("id"), "id");
    jar.name = reader.required(reader.string("name"), "name");
    jar.entryIDs = reader.required(reader.stringList("entryIDs"), "entryIDs");
    if (reader.failed())
        return failRecord<ClipboardJar>(error, reader.error());
    return jar;
}

QByteArray ClipboardJar::encodeList(const QList<ClipboardJar> &jars)
{
    return writeRecordArray(jars);
}

DecodedList<ClipboardJar> ClipboardJar::decodeList(const QByteArray &json)
{
    return decodeRecordArray<ClipboardJar>(json, "Jar", &ClipboardJar::fromJson);
}
