#pragma once

#include "platform/Permissions.h"

// Permissions that tests grant and revoke.
class FakePermissions : public Permissions {
    Q_OBJECT
public:
    using Permissions::Permissions;

    bool accessibilityTrusted() const override { return m_accessibility; }
    bool inputMonitoring() const override { return m_inputMonitoring; }
    bool screenRecording() const override { return m_screenRecording; }
    bool waylandSession() const override { return m_waylandSession; }
    bool answersCanChange() const override { return m_answersCanChange; }

    void setAccessibilityTrusted(bool value) { m_accessibility = value; }
    void setInputMonitoring(bool value) { m_inputMonitoring = value; }
    void setScreenRecording(bool value) { m_screenRecording = value; }
    void setWaylandSession(bool value) { m_waylandSession = value; }
    void setAnswersCanChange(bool value) { m_answersCanChange = value; }

private:
    bool m_accessibility = true;
    bool m_inputMonitoring = true;
    bool m_screenRecording = true;
    bool m_waylandSession = false;
    bool m_answersCanChange = true;
};
