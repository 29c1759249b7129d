#include "core/L10n.h"

#include "core/Logging.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

// The resource file is compiled into a static library, whose registration only runs when
// something asks for it; this must sit outside any namespace.
static void registerTranslationResource()
{
    Q_INIT_RESOURCE(resources);
}

namespace L10n {
namespace {

const QString kTablePath = QStringLiteral(":/en.json");

LanguageReader &installedReader()
{
    static LanguageReader reader;
    return reader;
}

// The language a SteadyLanguage on this thread holds.
thread_local std::optional<AppLanguage> heldLanguage;

std::optional<QHash<QString, QString>> &testTable()
{
    static std::optional<QHash<QString, QString>> table;
    return table;
}

QHash<QString, QString> loadResourceTable()
{
    registerTranslationResource();
    QFile file(kTablePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcCore) << "English translation table is missing; texts stay Slovak";
        return {};
    }
    return parseTable(file.readAll());
}

} // namespace

void setLanguageReader(LanguageReader reader)
{
    installedReader() = std::move(reader);
}

AppLanguage language()
{
    if (heldLanguage)
        return *heldLanguage;
    const LanguageReader &reader = installedReader();
    return savedLanguage(reader ? reader() : std::nullopt);
}

SteadyLanguage::SteadyLanguage()
    : m_outer(heldLanguage)
{
    heldLanguage = language();
}

SteadyLanguage::~SteadyLanguage()
{
    heldLanguage = m_outer;
}

const QHash<QString, QString> &english()
{
    if (testTable())
        return *testTable();
    // Read once per process, on the first lookup in English; a static local is initialised once
    // even if two threads get here together.
    static const QHash<QString, QString> table = loadResourceTable();
    return table;
}

QString text(const QString &slovakBase)
{
    if (language() != AppLanguage::En)
        return slovakBase;
    const QHash<QString, QString> &table = english();
    const auto found = table.constFind(slovakBase);
    return found == table.cend() ? slovakBase : *found;
}

QHash<QString, QString> parseTable(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qCWarning(lcCore) << "English translation table is not a JSON object; texts stay Slovak";
        return {};
    }
    const QJsonObject object = document.object();
    QHash<QString, QString> table;
    table.reserve(object.size());
    for (auto member = object.begin(); member != object.end(); ++member) {
        if (!member.value().isString()) {
            // A half-usable table would mix languages in one window; all or nothing.
            qCWarning(lcCore) << "English translation table has a member that is not text; texts stay Slovak";
            return {};
        }
        table.insert(member.key(), member.value().toString());
    }
    return table;
}

void setTranslationsForTesting(std::optional<QHash<QString, QString>> table)
{
    testTable() = std::move(table);
}

} // namespace L10n
