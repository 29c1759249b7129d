#pragma once

#include "engine/ClipboardModel.h"
#include "engine/ModelClock.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/fake/FakeFolderWatcher.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScreenshotLocation.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

// Time that only moves when a test moves it; delayed work runs in due order as it passes.
class FakeModelClock final : public ModelClock
{
public:
    explicit FakeModelClock(QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc()))
        : m_now(std::move(start))
    {
    }

    QDateTime now() const override { return m_now; }
    void singleShot(std::chrono::milliseconds delay, QObject *context, std::function<void()> work) override
    {
        m_pending.push_back({m_now.addMSecs(delay.count()), m_nextOrder++, QPointer<QObject>(context), std::move(work)});
    }

    void advance(std::chrono::milliseconds by)
    {
        const QDateTime target = m_now.addMSecs(by.count());
        for (;;) {
            auto next = std::min_element(m_pending.begin(), m_pending.end(), [](const Pending &a, const Pending &b) {
                return a.due < b.due || (a.due == b.due && a.order < b.order);
            });
            if (next == m_pending.end() || next->due > target)
                break;
            Pending due = std::move(*next);
            m_pending.erase(next);
            m_now = due.due;
            if (due.context)
                due.work();
        }
        m_now = target;
    }
    void set(const QDateTime &now) { m_now = now; }
    std::size_t pendingCount() const { return m_pending.size(); }

private:
    struct Pending {
        QDateTime due;
        quint64 order;
        QPointer<QObject> context;
        std::function<void()> work;
    };
    QDateTime m_now;
    std::vector<Pending> m_pending;
    quint64 m_nextOrder = 0;
};

// Everything a model needs, in memory, plus a private image folder.
struct ModelHarness {
    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakeLoginItem loginItem;
    FakePermissions permissions;
    FakeScreenshotLocation screenshotLocation{QStringLiteral("/home/user/Pictures/Screenshots")};
    FakeModelClock clock;
    QTemporaryDir folder;
    FakeFolderWatcher *folderWatcher = nullptr;
    std::unique_ptr<ClipboardModel> model;

    ModelHarness() { workspace.setFrontmostApplication(RunningApplication{1, 100, QStringLiteral("Editor")}); }

    QString imageFolder() const { return folder.filePath(QStringLiteral("Clipboard Images")); }
    QString backupFolder() const { return folder.filePath(QStringLiteral("config")); }

    ClipboardModel &make()
    {
        model.reset();
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.workspace = &workspace;
        services.loginItem = &loginItem;
        services.permissions = &permissions;
        services.screenshotLocation = &screenshotLocation;
        auto watcher = std::make_unique<FakeFolderWatcher>();
        folderWatcher = watcher.get();
        services.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::move(watcher));
        services.imageFolder = imageFolder();
        services.backupFolder = backupFolder();
        services.clock = &clock;
        model = std::make_unique<ClipboardModel>(std::move(services));
        return *model;
    }

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

    // Runs the event loop until the model has published every pending capture.
    bool waitForCaptures(std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        QDeadlineTimer deadline(limit);
        while (model->pendingCaptureCount() > 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return model->pendingCaptureCount() == 0;
    }
};

inline ClipboardEntry makeEntry(const QString &id, const QString &text = QString())
{
    ClipboardEntry entry;
    entry.id = id;
    entry.text = text.isNull() ? id : text;
    entry.copiedAt = QDateTime(QDate(2026, 2, 1), QTime(9, 0), QTimeZone::utc());
    entry.kind = ClipboardKind::Text;
    return entry;
}

inline QByteArray pngBytes(int width, int height, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

inline QStringList idsOf(const QList<ClipboardEntry> &entries)
{
    QStringList ids;
    for (const ClipboardEntry &entry : entries)
        ids.append(entry.id);
    return ids;
}

// CRC-32 as PNG chunks carry it, so that a rewritten header still reads as valid.
inline quint32 pngCrc(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

// A small PNG whose header declares a canvas of the given size (a decompression bomb's shape).
inline QByteArray pngDeclaring(int width, int height)
{
    QByteArray png = pngBytes(1, 1);
    auto put32 = [&png](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[offset + i] = char(value >> (24 - 8 * i));
    };
    put32(16, quint32(width));
    put32(20, quint32(height));
    put32(29, pngCrc(png.mid(12, 17))); // IHDR type and data
    return png;
}

// A PNG of noise larger than the size target, so that keeping it needs a re-encoding.
inline QByteArray noisyPngAboveTarget()
{
    QImage image(2600, 2000, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = state | 0xff000000u;
        }
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 100);
    return out;
}

// Counts the emissions of one signal.
struct SignalCounter {
    int count = 0;
    template <typename Sender, typename Signal>
    SignalCounter(Sender *sender, Signal signal)
    {
        QObject::connect(sender, signal, [this] { ++count; });
    }
};

// Runs the event loop until the condition holds or the limit passes.
inline bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    QDeadlineTimer deadline(limit);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}
