#include "platform/fake/FakeSettingsStore.h"

std::optional<QJsonValue> FakeSettingsStore::rawValue(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

bool FakeSettingsStore::setRawValue(const QString &key, const std::optional<QJsonValue> &value)
{
    if (m_failsWrites)
        return false;
    ++m_writeCount;
    if (value)
        m_values.insert(key, *value);
    else
        m_values.remove(key);
    return true;
}
