#include "FuzzInput.h"

#include "engine/HistoryRows.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace {

QTemporaryDir *folder = nullptr;

// Rows as the database hands them back, each "id\tposition\trecord", separated by a zero byte:
// every row decodes or is refused, and a state equal to what was read writes no record again.
void checkRows(FuzzInput &input)
{
    QList<StoredHistoryRow> rows;
    QList<std::optional<ClipboardEntry>> decoded;
    QList<ClipboardEntry> entries;
    QSet<QString> ids;
    while (!input.empty()) {
        const QByteArray line = input.until('\0');
        const qsizetype tab = line.indexOf('\t');
        const qsizetype second = tab < 0 ? -1 : line.indexOf('\t', tab + 1);
        StoredHistoryRow stored;
        stored.id = QString::fromUtf8(tab < 0 ? line : line.left(tab));
        stored.position = second < 0 ? qint64(rows.size()) : line.mid(tab + 1, second - tab - 1).toLongLong();
        stored.record = second < 0 ? line : line.mid(second + 1);
        QString error;
        std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(stored, &error);
        FUZZ_EXPECT(entry.has_value() == error.isEmpty());
        if (ids.contains(stored.id))
            continue;
        ids.insert(stored.id);
        if (entry) {
            // The record a decoded entry writes reads back as an entry that writes it again.
            QByteArray again;
            entry->writeJson(again);
            const std::optional<ClipboardEntry> reread = HistoryRows::decodeRow({entry->id, 0, again});
            FUZZ_EXPECT(reread.has_value());
            QByteArray third;
            reread->writeJson(third);
            FUZZ_EXPECT(third == again);
            // The row is kept under its own id, as the differ compares by it.
            entry->id = stored.id;
            entries.append(*entry);
        }
        rows.append(stored);
        decoded.append(entry);
    }
    HistoryDiffer differ;
    differ.adoptStored(rows, decoded);
    const HistoryDiffer::Planned planned = differ.plan(entries);
    FUZZ_EXPECT(planned.change.writes.isEmpty());
    const QList<qint64> positions = HistoryRows::positionsFor(QStringList(ids.cbegin(), ids.cend()), {});
    for (qsizetype i = 1; i < positions.size(); ++i)
        FUZZ_EXPECT(positions.at(i) < positions.at(i - 1));
}

// A database file, with or without a log beside it, as a torn disk or another program may have
// left them: it is read whole or set aside, never crashes, and the fresh file takes a write and
// then reads whole. A log that belongs to another database never makes the file that database.
void checkDatabaseFile(const QByteArray &bytes, const std::optional<QByteArray> &log = std::nullopt)
{
    const QString path = folder->filePath(QStringLiteral("history.sqlite3"));
    const auto put = [](const QString &at, const QByteArray &content) {
        QFile file(at);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            std::abort();
    };
    put(path, bytes);
    if (log)
        put(path + QStringLiteral("-wal"), *log);
    {
        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        for (const StoredHistoryRow &row : stored.rows)
            HistoryRows::decodeRow(row);
        FUZZ_EXPECT(stored.complete || !stored.problem.isEmpty());
        const bool written = store.apply(HistoryChange{{{QStringLiteral("N"), 1, "{}"}}, {}, {}}).ok;
        FUZZ_EXPECT(written || !stored.complete);
        if (written) {
            const StoredHistory again = SqliteHistoryStore(path).read();
            FUZZ_EXPECT(again.complete);
            FUZZ_EXPECT(std::any_of(again.rows.cbegin(), again.rows.cend(),
                                    [](const StoredHistoryRow &row) { return row.id == QStringLiteral("N"); }));
        }
    }
    for (const QString &name : QDir(folder->path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(folder->filePath(name));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    folder = new QTemporaryDir(fuzzScratchFolder());
    return folder->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    // The first byte chooses: rows handed back by the database, the database file itself, or
    // the file and a log beside it (four bytes give the file's length, big-endian; the log is
    // the rest).
    switch (input.byte() % 3) {
    case 0:
        checkRows(input);
        break;
    case 1:
        checkDatabaseFile(input.rest());
        break;
    default: {
        quint32 length = 0;
        for (int i = 0; i < 4; ++i)
            length = (length << 8) | input.byte();
        const QByteArray both = input.rest();
        const qsizetype split = std::min<qsizetype>(both.size(), length);
        checkDatabaseFile(both.left(split), both.mid(split));
        break;
    }
    }
    return 0;
}
