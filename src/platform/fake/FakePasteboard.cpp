#include "platform/fake/FakePasteboard.h"

#include <QFuture>

qint64 FakePasteboard::publish(const PasteboardContent &content)
{
    m_content = content;
    ++m_changeCount;
    if (m_reportsChanges)
        Q_EMIT changeCountChanged(m_changeCount);
    return m_changeCount;
}

qint64 FakePasteboard::writeText(const QString &text)
{
    ++m_writeCount;
    m_lastWriteKind = WriteKind::Text;
    PasteboardContent content;
    content.text = text;
    return publish(content);
}

qint64 FakePasteboard::writeFilePaths(const QStringList &paths)
{
    ++m_writeCount;
    m_lastWriteKind = WriteKind::FilePaths;
    PasteboardContent content;
    content.filePaths = paths;
    return publish(content);
}

qint64 FakePasteboard::writeImage(const QByteArray &imageData)
{
    ++m_writeCount;
    m_lastWriteKind = WriteKind::Image;
    PasteboardContent content;
    content.images.append({QStringLiteral("image/png"), imageData});
    return publish(content);
}

void FakePasteboard::copyContent(const PasteboardContent &content)
{
    publish(content);
}

void FakePasteboard::copyText(const QString &text)
{
    PasteboardContent content;
    content.text = text;
    publish(content);
}

void FakePasteboard::copyFilePaths(const QStringList &paths)
{
    PasteboardContent content;
    content.filePaths = paths;
    publish(content);
}

void FakePasteboard::copyImage(const QByteArray &data, const QString &mimeType)
{
    PasteboardContent content;
    content.images.append({mimeType, data});
    publish(content);
}

bool FakePasteboard::lendPrimarySelection(const QString &text, const std::optional<QString> &restore)
{
    m_primaryRestore = restore;
    m_primary = text;
    return true;
}

QFuture<std::optional<QString>> FakePasteboard::primarySelectionText()
{
    return QtFuture::makeReadyFuture(m_primary);
}
