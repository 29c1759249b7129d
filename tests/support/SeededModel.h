#pragma once

// A model with a known, varied history for view tests, snapshots and benchmarks: every kind of
// entry (with long, multi-line, temporary, pinned and screenshot ones among them), images of
// several shapes, two Jars, three snippets and a Paste Stack of three; the views' clock is
// fixed, so that copy times and pictures are the same on every run.

#include "engine/ClipboardModel.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "ui/style/PanelClock.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimeZone>

#include <array>
#include <memory>

namespace testsupport {

struct SeedCounts {
    int entries = 40;
    int images = 6;
    // A key sender that sends every chord at once, so that a paste takes its effect (the Paste
    // Stack moves on); without one a paste stays on the clipboard.
    bool sendsKeys = false;
};

class SeededModel
{
public:
    // The moment the views take as now: the newest entries were copied "today".
    static QDateTime fixedNow() { return QDateTime(QDate(2026, 3, 14), QTime(15, 30), QTimeZone::utc()); }

    explicit SeededModel(SeedCounts counts = {})
    {
        PanelClock::setFixedNow(fixedNow());
        ClipboardModelServices services;
        services.pasteboard = &m_pasteboard;
        services.settings = &m_settings;
        services.workspace = &m_workspace;
        services.permissions = &m_permissions;
        if (counts.sendsKeys)
            services.keySender = &m_keys;
        services.imageFolder = m_folder.filePath(QStringLiteral("Clipboard Images"));
        services.backupFolder = m_folder.path();
        m_model = std::make_unique<ClipboardModel>(std::move(services));
        seed(counts);
    }
    ~SeededModel() { PanelClock::setFixedNow(std::nullopt); }
    SeededModel(const SeededModel &) = delete;
    SeededModel &operator=(const SeededModel &) = delete;

    ClipboardModel &model() { return *m_model; }
    FakePermissions &permissions() { return m_permissions; }
    FakePasteboard &pasteboard() { return m_pasteboard; }
    FakeWorkspace &workspace() { return m_workspace; }
    // The chords pastes sent (with SeedCounts::sendsKeys).
    FakeKeySender &keys() { return m_keys; }
    const QList<ClipboardEntry> &entries() const { return m_model->entries(); }
    // The first entry of a kind (the seed holds every kind).
    ClipboardEntry first(ClipboardKind kind) const
    {
        for (const ClipboardEntry &entry : m_model->entries()) {
            if (entry.kind == kind)
                return entry;
        }
        return {};
    }

    static QByteArray png(int width, int height, int hue)
    {
        QImage image(width, height, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, width, height);
        gradient.setColorAt(0, QColor::fromHsv(hue % 360, 160, 230));
        gradient.setColorAt(1, QColor::fromHsv((hue + 60) % 360, 200, 120));
        painter.fillRect(image.rect(), gradient);
        painter.setPen(QPen(Qt::white, std::max(2, width / 40)));
        painter.drawEllipse(QRectF(width * 0.3, height * 0.3, width * 0.4, height * 0.4));
        painter.end();
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return out;
    }

private:
    void seed(SeedCounts counts)
    {
        struct Sample {
            ClipboardKind kind;
            const char *text;
            const char *source;
        };
        static const std::array<Sample, 14> samples{{
            {ClipboardKind::Text, "Stretnutie presunuté na štvrtok 10:30, miestnosť Tatry.", "Slack"},
            {ClipboardKind::Url, "https://example.org/docs/getting-started?lang=sk#install", "Firefox"},
            {ClipboardKind::Email, "jana.novakova@example.sk", "Thunderbird"},
            {ClipboardKind::Number, "+421 905 123 456", "Kontakty"},
            {ClipboardKind::Color, "#3A7BD5", "Figma"},
            {ClipboardKind::Code, "const sum = (a, b) => a + b; // fi -> fl != ==", "Visual Studio Code"},
            {ClipboardKind::File, "/home/jana/Dokumenty/Zmluva o dielo 2026.pdf", "Súbory"},
            {ClipboardKind::Text,
             "Dlhý text, ktorý sa do jedného riadku nezmestí: obsahuje poznámky zo stretnutia, zoznam úloh "
             "a termíny, ktoré treba dodržať do konca mesiaca.",
             "Poznámky"},
            {ClipboardKind::Text, "Prvý riadok\nDruhý riadok\nTretí riadok", "Terminál"},
            {ClipboardKind::Code, "for (auto &entry : entries) {\n    render(entry);\n}", "Kate"},
            {ClipboardKind::Color, "not-a-colour", "Figma"},
            {ClipboardKind::Url, "https://tarnel.example/changelog", "Chromium"},
            {ClipboardKind::Text, "OK", ""},
            {ClipboardKind::Text, "Aplikácia s veľmi dlhým názvom zdroja", "Veľmi dlhý názov aplikácie, ktorá kopírovala text"},
        }};

        QList<ClipboardEntry> entries;
        const int images = std::min(counts.images, counts.entries);
        const QDateTime now = fixedNow();
        for (int i = 0; i < counts.entries; ++i) {
            ClipboardEntry entry;
            entry.id = QStringLiteral("00000000-0000-4000-8000-%1").arg(i, 12, 10, QLatin1Char('0'));
            // Newest first, 37 minutes apart: the first hours are "today", the rest earlier days.
            entry.copiedAt = now.addSecs(-qint64(i) * 37 * 60);
            // Images are spread through the history rather than bunched at one end.
            const bool image = images > 0 && i % std::max(1, counts.entries / images) == 2
                               && imageCount(entries) < images;
            if (image) {
                const int n = imageCount(entries);
                static const std::array<QSize, 4> shapes{{QSize(640, 400), QSize(300, 600), QSize(512, 512), QSize(1200, 300)}};
                const QSize shape = shapes[std::size_t(n) % shapes.size()];
                entry.kind = ClipboardKind::Image;
                entry.imageData = png(shape.width() / 4, shape.height() / 4, n * 47);
                entry.isScreenshot = n % 3 == 1;
                entry.sourceApp = entry.isScreenshot ? ClipboardModel::screenshotSourceApp : QStringLiteral("GIMP");
                if (entry.isScreenshot)
                    entry.screenshotFileURL = QStringLiteral("/home/jana/Obrázky/Screenshots/Snímka %1.png").arg(n);
            } else {
                const Sample &sample = samples[std::size_t(i) % samples.size()];
                entry.kind = sample.kind;
                entry.text = QString::fromUtf8(sample.text);
                entry.sourceApp = QString::fromUtf8(sample.source);
                if (entry.kind == ClipboardKind::File)
                    entry.fileURLs = {entry.text};
            }
            entries.append(entry);
        }
        if (entries.size() > 1)
            entries[1].isPinned = true;
        if (entries.size() > 3)
            entries[3].temporaryUntil = now.addSecs(10 * 60);
        m_model->setEntries(entries);

        auto idAt = [&entries](int i) { return i < entries.size() ? entries[i].id : QString(); };
        m_model->setJars({
            ClipboardJar{QStringLiteral("JAR-1"), QStringLiteral("Práca"), {idAt(0), idAt(4), idAt(5)}},
            ClipboardJar{QStringLiteral("JAR-2"), QStringLiteral("Recepty a nápady na víkend"), {idAt(2)}},
        });
        m_model->setSnippets({
            ClipboardSnippet{QStringLiteral("SN-1"), QStringLiteral("Podpis"), QStringLiteral(";podpis"),
                             QStringLiteral("S pozdravom\nJana Nováková")},
            ClipboardSnippet{QStringLiteral("SN-2"), QStringLiteral("Adresa"), QStringLiteral(";adr"),
                             QStringLiteral("Hlavná 12, 811 01 Bratislava")},
            ClipboardSnippet{QStringLiteral("SN-3"), QStringLiteral("Bez spúšťača"), QString(),
                             QStringLiteral("Text bez spúšťacieho výrazu")},
        });
        m_model->setPasteStackEntryIDs({idAt(0), idAt(5), idAt(6)});
    }

    static int imageCount(const QList<ClipboardEntry> &entries)
    {
        return int(std::count_if(entries.cbegin(), entries.cend(),
                                 [](const ClipboardEntry &e) { return e.kind == ClipboardKind::Image; }));
    }

    FakePasteboard m_pasteboard;
    FakeSettingsStore m_settings;
    FakeWorkspace m_workspace;
    FakePermissions m_permissions;
    FakeKeySender m_keys;
    QTemporaryDir m_folder;
    std::unique_ptr<ClipboardModel> m_model;
};

} // namespace testsupport
