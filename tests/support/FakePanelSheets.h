#pragma once

#include "ui/panel/PanelSheets.h"

#include <QObject>
#include <QStringList>

namespace testsupport {

// Records what the section screens ask of the panel, one line per request ("preview <id>",
// "clear <section>"…), and keeps the unfolded row as the panel does.
class FakePanelSheets : public PanelSheets {
public:
    QStringList requests;
    std::optional<QString> expanded;

    void editEntry(const ClipboardEntry &entry) override { requests << QStringLiteral("edit ") + entry.id; }
    void previewImage(const ClipboardEntry &entry) override { requests << QStringLiteral("preview ") + entry.id; }
    void composeImage(const ClipboardEntry &entry) override { requests << QStringLiteral("compose ") + entry.id; }
    void editJar(const std::optional<QString> &jarID) override
    {
        requests << QStringLiteral("jar ") + jarID.value_or(QStringLiteral("new"));
    }
    void editSnippet(const std::optional<ClipboardSnippet> &snippet) override
    {
        requests << QStringLiteral("snippet ") + (snippet ? snippet->id : QStringLiteral("new"));
    }
    void confirmClear(ClearSection section, const std::optional<QString> &jarID = std::nullopt) override
    {
        requests << QStringLiteral("clear %1 %2").arg(int(section)).arg(jarID.value_or(QString())).trimmed();
    }
    void setActionEntry(const std::optional<ClipboardEntry> &entry) override
    {
        requests << QStringLiteral("actions ") + (entry ? entry->id : QString());
    }
    std::optional<QString> expandedControlsEntryID() const override { return expanded; }
    void setExpandedControlsEntryID(const std::optional<QString> &id) override { expanded = id; }
    QObject *lifetime() override { return &m_lifetime; }

private:
    QObject m_lifetime;
};

} // namespace testsupport
