#include "core/JsonKeys.h"

#include "core/Logging.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>

#include <algorithm>

namespace JsonKeys {

namespace {

// Plain code-point order; QString's own operator< orders by UTF-16 units, which puts
// characters beyond the BMP before U+E000..U+FFFF.
bool codePointLess(const QString &a, const QString &b)
{
    const QList<uint> left = a.toUcs4();
    const QList<uint> right = b.toUcs4();
    return std::lexicographical_compare(left.cbegin(), left.cend(), right.cbegin(), right.cend());
}

} // namespace

QStringList fieldNames(const QString &jsonText)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(jsonText.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        qCDebug(lcCore) << "JSON keys: text does not parse:" << error.errorString();
        return {};
    }
    QStringList names;
    if (document.isObject()) {
        names = document.object().keys();
    } else if (document.isArray()) {
        const QJsonArray array = document.array();
        QSet<QString> seen;
        for (const QJsonValue &element : array) {
            if (!element.isObject())
                return {};
            const QStringList keys = element.toObject().keys();
            for (const QString &key : keys) {
                if (!seen.contains(key)) {
                    seen.insert(key);
                    names.append(key);
                }
            }
        }
    }
    std::sort(names.begin(), names.end(), codePointLess);
    return names;
}

} // namespace JsonKeys
