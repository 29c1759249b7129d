#pragma once

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Turns the fuzzer's bytes into the values a reader is handed.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_position >= m_size; }

    uint8_t byte() { return empty() ? 0 : m_data[m_position++]; }

    // The bytes up to the next separator (or the end), which is consumed.
    QByteArray until(char separator)
    {
        const size_t start = m_position;
        while (m_position < m_size && m_data[m_position] != uint8_t(separator))
            ++m_position;
        const QByteArray piece(reinterpret_cast<const char *>(m_data + start), qsizetype(m_position - start));
        if (m_position < m_size)
            ++m_position;
        return piece;
    }

    QByteArray rest()
    {
        const QByteArray piece(reinterpret_cast<const char *>(m_data + m_position), qsizetype(m_size - m_position));
        m_position = m_size;
        return piece;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_position = 0;
};

// The two ways text reaches the readers: UTF-8 from the clipboard (malformed sequences become
// replacement characters) and raw UTF-16 code units, lone surrogates included.
inline QString textFromUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

inline QString textFromUtf16(const QByteArray &bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), size_t(text.size()) * 2);
    return text;
}

// Skipped records and refused files are logged; at thousands of runs a second the log would
// be most of the work.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

// Where targets keep the files they write: memory, where a sync costs nothing.
inline QString fuzzScratchFolder()
{
    return QStringLiteral("%1/tarnel-fuzz-XXXXXX")
        .arg(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath());
}

// A broken expectation is a finding like a crash: abort so that libFuzzer keeps the input.
#define FUZZ_EXPECT(condition)                                                                       \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            fprintf(stderr, "expectation failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);  \
            std::abort();                                                                            \
        }                                                                                            \
    } while (false)
