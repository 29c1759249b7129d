#pragma once

#include "platform/SettingsStore.h"

#include <QJsonObject>

// Settings held in memory. Tests may seed raw JSON (for example a value of the wrong type)
// and read back what was written.
class FakeSettingsStore : public SettingsStore
{
public:
    FakeSettingsStore() = default;
    explicit FakeSettingsStore(QJsonObject values) : m_values(std::move(values)) {}

    QJsonObject values() const { return m_values; }
    void setRaw(const QString &key, const QJsonValue &value) { m_values.insert(key, value); }
    int writeCount() const { return m_writeCount; }
    // Makes the following writes fail, as a full disk would.
    void setFailsWrites(bool fails) { m_failsWrites = fails; }
    // As a settings file that had to be set aside at start.
    void setReadWhole(bool whole) { m_readWhole = whole; }
    bool wasReadWhole() const override { return m_readWhole; }
    void setSetAsidePath(const QString &path) { m_setAsidePath = path; }
    QString setAsidePath() const override { return m_setAsidePath; }

protected:
    std::optional<QJsonValue> rawValue(const QString &key) const override;
    bool setRawValue(const QString &key, const std::optional<QJsonValue> &value) override;

private:
    QJsonObject m_values;
    int m_writeCount = 0;
    bool m_failsWrites = false;
    bool m_readWhole = true;
    QString m_setAsidePath;
};
