#pragma once

// A model wired to in-memory services (with a key sender), its stored lists seeded before it is
// created, and time that moves only when the test moves it.

#include "EngineTestSupport.h"
#include "platform/fake/FakeKeySender.h"
#include "support/CorePrinters.h"
#include "support/ModelServices.h"

#include <gtest/gtest.h>

#include <memory>

namespace pastetest {

using namespace std::chrono_literals;

inline ClipboardEntry textEntry(const QString &id, const QString &text = QString())
{
    ClipboardEntry entry = makeEntry(id, text.isNull() ? QStringLiteral("text of ") + id : text);
    entry.kind = detectKind(entry.text);
    return entry;
}

class PasteModelTest : public ::testing::Test {
protected:
    static constexpr qint64 kFrontPid = 777;

    void seedHistory(const QList<ClipboardEntry> &entries)
    {
        settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
    }
    void seedPasteStack(const QStringList &ids) { settings.setTextList(ClipboardModel::pasteStackKey, ids); }
    void seedConsumed(const QStringList &ids) { settings.setTextList(ClipboardModel::consumedEntriesKey, ids); }
    void seedJars(const QList<ClipboardJar> &jars)
    {
        settings.setBytes(ClipboardModel::jarsKey, ClipboardJar::encodeList(jars));
    }
    void seedSnippets(const QList<ClipboardSnippet> &snippets)
    {
        settings.setBytes(ClipboardModel::snippetsKey, ClipboardSnippet::encodeList(snippets));
    }

    ClipboardModel &createModel()
    {
        model.reset();
        ClipboardModelServices services =
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder);
        services.backupFolder = folder.filePath(QStringLiteral("config"));
        services.clock = &clock;
        model = std::make_unique<ClipboardModel>(std::move(services));
        return *model;
    }

    QStringList storedPasteStack() const
    {
        return settings.textListValue(ClipboardModel::pasteStackKey).value_or(QStringList{});
    }
    QSet<QString> storedConsumed() const
    {
        const QStringList ids = settings.textListValue(ClipboardModel::consumedEntriesKey).value_or(QStringList{});
        return QSet<QString>(ids.cbegin(), ids.cend());
    }
    QList<ClipboardJar> storedJars() const
    {
        return ClipboardJar::decodeList(settings.bytesValue(ClipboardModel::jarsKey).value_or(QByteArray{})).items;
    }
    QList<ClipboardSnippet> storedSnippets() const
    {
        return ClipboardSnippet::decodeList(settings.bytesValue(ClipboardModel::snippetsKey).value_or(QByteArray{}))
            .items;
    }
    QList<ClipboardEntry> storedHistory() const
    {
        return ClipboardEntry::decodeList(settings.bytesValue(ClipboardModel::historyKey).value_or(QByteArray{}))
            .items;
    }
    int pastes() const { return keys.count(KeyChord::Paste); }

    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeKeySender keys;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeModelClock clock;
    QTemporaryDir folder;
    std::unique_ptr<ClipboardModel> model;
};

} // namespace pastetest
