#include "core/CappedBuffer.h"

CappedBuffer::CappedBuffer(qint64 capacity)
    : m_capacity(capacity)
{
}

qint64 CappedBuffer::readData(char *data, qint64 maxSize)
{
    Q_UNUSED(data);
    Q_UNUSED(maxSize);
    return -1;
}

qint64 CappedBuffer::writeData(const char *data, qint64 size)
{
    if (m_overflowed || m_data.size() + size > m_capacity) {
        m_overflowed = true;
        return -1;
    }
    m_data.append(data, qsizetype(size));
    return size;
}
