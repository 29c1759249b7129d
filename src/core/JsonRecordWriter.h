#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Appends one compact JSON object to a buffer, key by key. Writing the stored lists straight to
// UTF-8 avoids building a document tree first, which dominated the cost of saving the history
// after every copy. The output is what QJsonDocument writes, byte order of keys aside.
class JsonRecordWriter
{
public:
    explicit JsonRecordWriter(QByteArray &out);

    void string(const char *key, QStringView value);
    void number(const char *key, double value);
    void boolean(const char *key, bool value);
    void stringList(const char *key, const QStringList &values);
    void base64(const char *key, const QByteArray &bytes);
    // Closes the object; nothing may be written afterwards.
    void finish();

    // A JSON string literal of the text, UTF-8 encoded. A lone surrogate is written as a \u
    // escape so that the text reads back unchanged.
    static void appendString(QByteArray &out, QStringView value);

private:
    void key(const char *name);

    QByteArray &m_out;
    bool m_first = true;
};

// A JSON array of the records' objects, each written by its writeJson.
template <typename T>
QByteArray writeRecordArray(const QList<T> &records)
{
    QByteArray out;
    out.reserve(128 * records.size() + 2);
    out.append('[');
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (i > 0)
            out.append(',');
        records[i].writeJson(out);
    }
    out.append(']');
    return out;
}
