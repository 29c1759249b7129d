#pragma once

#include <QByteArray>
#include <QIODevice>

#include <utility>

// A write-only device in memory that takes at most its capacity: a write that would pass it
// fails and takes nothing, so an encoder writing into it gives up at that point instead of
// making a whole result that is already known to be too large.
class CappedBuffer : public QIODevice {
public:
    explicit CappedBuffer(qint64 capacity);

    // Whether a write was refused for the capacity.
    bool overflowed() const { return m_overflowed; }
    // What was written; whole only when nothing overflowed.
    QByteArray takeData() { return std::exchange(m_data, QByteArray()); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    QByteArray m_data;
    qint64 m_capacity;
    bool m_overflowed = false;
};
