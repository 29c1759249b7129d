#pragma once

#include "platform/LoginItem.h"

// A login item held in memory; a set failure makes every change fail with that text.
class FakeLoginItem : public LoginItem
{
public:
    bool isEnabled() const override { return m_enabled; }
    std::optional<QString> setEnabled(bool enabled) override
    {
        ++m_requestCount;
        if (m_failure)
            return m_failure;
        m_enabled = enabled;
        return std::nullopt;
    }

    void setFailure(std::optional<QString> failure) { m_failure = std::move(failure); }
    void setEnabledBySystem(bool enabled) { m_enabled = enabled; }
    int requestCount() const { return m_requestCount; }

private:
    bool m_enabled = false;
    std::optional<QString> m_failure;
    int m_requestCount = 0;
};
