#pragma once

// A model wired to in-memory services, with a private image folder and time that moves only
// when the test moves it; its stored lists can be seeded before it is created.

#include "engine/ClipboardModel.h"
#include "engine/HistoryRows.h"
#include "engine/ModelClock.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/fake/FakeFolderWatcher.h"
#include "platform/fake/FakeHistoryStore.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScreenshotLocation.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "support/CorePrinters.h"
#include "support/FakeModelClock.h"
#include "support/TestImages.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

inline ClipboardEntry makeEntry(const QString &id, const QString &text = QString())
{
    ClipboardEntry entry;
    entry.id = id;
    entry.text = text.isNull() ? id : text;
    entry.copiedAt = QDateTime(QDate(2026, 2, 1), QTime(9, 0), QTimeZone::utc());
    entry.kind = ClipboardKind::Text;
    return entry;
}

inline QStringList idsOf(const QList<ClipboardEntry> &entries)
{
    QStringList ids;
    for (const ClipboardEntry &entry : entries)
        ids.append(entry.id);
    return ids;
}

// Everything a model needs, in memory, plus a private image folder.
struct ModelHarness {
    static constexpr qint64 kFrontPid = 777;

    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeHistoryStore history;
    // Other stores in place of the in-memory ones; they must outlive the model.
    HistoryStore *historyStore = nullptr;
    SettingsStore *settingsStore = nullptr;
    std::chrono::milliseconds historyRetryInterval = HistoryWriter::kRetryInterval;
    FakeKeySender keys;
    FakeWorkspace workspace;
    FakeLoginItem loginItem;
    FakePermissions permissions;
    FakeScreenshotLocation screenshotLocation{QStringLiteral("/home/user/Pictures/Screenshots")};
    FakeModelClock clock;
    QTemporaryDir folder;
    FakeFolderWatcher *folderWatcher = nullptr;
    // Empty for the real classifier.
    std::function<TextClassification(const QString &)> classifyText;
    std::unique_ptr<ClipboardModel> model;

    ModelHarness()
    {
        workspace.setFrontmostApplication(RunningApplication{1, kFrontPid, QStringLiteral("Editor")});
        keys.watchPasteboard(&pasteboard);
    }

    QString imageFolder() const { return folder.filePath(QStringLiteral("Clipboard Images")); }
    QString backupFolder() const { return folder.filePath(QStringLiteral("config")); }

    ClipboardModel &make()
    {
        model.reset();
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = settingsStore ? settingsStore : &settings;
        services.history = historyStore ? historyStore : &history;
        services.historyRetryInterval = historyRetryInterval;
        services.workspace = &workspace;
        services.loginItem = &loginItem;
        services.permissions = &permissions;
        services.keySender = &keys;
        services.screenshotLocation = &screenshotLocation;
        auto watcher = std::make_unique<FakeFolderWatcher>();
        folderWatcher = watcher.get();
        services.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::move(watcher));
        services.imageFolder = imageFolder();
        services.backupFolder = backupFolder();
        services.clock = &clock;
        services.classifyText = classifyText;
        model = std::make_unique<ClipboardModel>(std::move(services));
        return *model;
    }
    ClipboardModel &createModel() { return make(); }

    // A foreign copy followed by one poll step.
    void copyText(const QString &text)
    {
        pasteboard.copyText(text);
        model->readClipboardIfChanged();
    }
    QStringList entryTexts() const
    {
        QStringList texts;
        for (const ClipboardEntry &entry : model->entries())
            texts.append(entry.text);
        return texts;
    }
    QStringList imageFiles() const
    {
        return QDir(imageFolder()).entryList({QStringLiteral("*.image")}, QDir::Files, QDir::Name);
    }
    // Until the model has published every capture it has in work.
    bool waitForCaptures() { return QTest::qWaitFor([this] { return model->pendingCaptureCount() == 0; }, 20000); }

    // A model still running commits what it has handed to its writer first: a late commit of an
    // earlier change would otherwise land on top of the seed.
    void seedHistory(const QList<ClipboardEntry> &entries)
    {
        if (model) {
            EXPECT_TRUE(model->flushHistory(5s));
        }
        history.seedRows(HistoryRows::rowsFor(entries));
    }
    // A history as an earlier build kept it, under the settings key.
    void seedHistoryKey(const QList<ClipboardEntry> &entries)
    {
        settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
    }
    void seedPasteStack(const QStringList &ids) { settings.setTextList(ClipboardModel::pasteStackKey, ids); }
    void seedConsumed(const QStringList &ids) { settings.setTextList(ClipboardModel::consumedEntriesKey, ids); }
    void seedJars(const QList<ClipboardJar> &jars) { settings.setBytes(ClipboardModel::jarsKey, ClipboardJar::encodeList(jars)); }
    void seedSnippets(const QList<ClipboardSnippet> &snippets)
    {
        settings.setBytes(ClipboardModel::snippetsKey, ClipboardSnippet::encodeList(snippets));
    }
    QStringList storedPasteStack() const { return settings.textListValue(ClipboardModel::pasteStackKey).value_or(QStringList{}); }
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
        return ClipboardSnippet::decodeList(settings.bytesValue(ClipboardModel::snippetsKey).value_or(QByteArray{})).items;
    }
    // What the history's rows hold once the writer has committed everything handed to it.
    QList<ClipboardEntry> storedHistory() const
    {
        if (model) {
            EXPECT_TRUE(model->flushHistory(5s));
        }
        QList<ClipboardEntry> entries;
        for (const StoredHistoryRow &row : history.rows()) {
            if (std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row))
                entries.append(*entry);
        }
        return entries;
    }
    // The stored records themselves, newest first.
    QList<QJsonObject> storedRecords() const
    {
        if (model) {
            EXPECT_TRUE(model->flushHistory(5s));
        }
        QList<QJsonObject> records;
        for (const StoredHistoryRow &row : history.rows())
            records.append(QJsonDocument::fromJson(row.record).object());
        return records;
    }
    int pastes() const { return keys.count(KeyChord::Paste); }
};

// The log lines of one category (all when none is given) for the life of the object.
class LogCapture
{
public:
    explicit LogCapture(const char *category = nullptr)
    {
        s_category = category;
        s_lines.clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
            if (!s_category || (context.category && qstrcmp(context.category, s_category) == 0)) {
                QMutexLocker lock(&s_mutex); // workers log too
                s_lines.append(message);
            }
        });
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    QStringList lines() const
    {
        QMutexLocker lock(&s_mutex);
        return s_lines;
    }

private:
    inline static QMutex s_mutex;
    inline static const char *s_category = nullptr;
    inline static QStringList s_lines;
    QtMessageHandler m_previous;
};

// The same as a test fixture, for tests that need one model.
namespace pastetest {

inline ClipboardEntry textEntry(const QString &id, const QString &text = QString())
{
    ClipboardEntry entry = makeEntry(id, text.isNull() ? QStringLiteral("text of ") + id : text);
    entry.kind = detectKind(entry.text);
    return entry;
}

class PasteModelTest : public ::testing::Test, public ModelHarness {};

} // namespace pastetest
