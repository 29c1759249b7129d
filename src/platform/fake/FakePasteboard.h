#pragma once

#include "platform/Pasteboard.h"

// An in-memory clipboard. Tests play the other applications through the copy...() calls,
// each of which raises the change count like a foreign copy does; writes record their kind.
class FakePasteboard : public Pasteboard
{
    Q_OBJECT

public:
    enum class WriteKind { Text, FilePaths, Image };

    using Pasteboard::Pasteboard;

    qint64 changeCount() const override { return m_changeCount; }
    PasteboardContent content() const override { return m_content; }
    bool reportsChanges() const override { return m_reportsChanges; }
    // A clipboard without change notifications still raises its count but announces nothing.
    void setReportsChanges(bool reports) { m_reportsChanges = reports; }
    bool reoffersContent() const override { return m_reoffersContent; }
    void setReoffersContent(bool reoffers) { m_reoffersContent = reoffers; }
    // A change seen whose content is still being read from its owner; every question about it
    // is counted.
    bool isFetching() const override
    {
        ++m_fetchingChecks;
        return m_fetching;
    }
    void setFetching(bool fetching) { m_fetching = fetching; }
    int fetchingChecks() const { return m_fetchingChecks; }

    qint64 writeText(const QString &text) override;
    qint64 writeFilePaths(const QStringList &paths) override;
    qint64 writeImage(const QByteArray &imageData) override;
    bool lendPrimarySelection(const QString &text, const std::optional<QString> &restore) override;
    // A program read the lent text: the primary selection is given back.
    void readLentPrimarySelection() { m_primary = m_primaryRestore; }
    QFuture<std::optional<QString>> primarySelectionText() override;

    // The primary selection: what a program selected, or what was offered through it.
    std::optional<QString> primarySelection() const { return m_primary; }
    void selectText(const std::optional<QString> &text) { m_primary = text; }

    // A foreign copy.
    void copyContent(const PasteboardContent &content);
    void copyText(const QString &text);
    void copyFilePaths(const QStringList &paths);
    void copyImage(const QByteArray &data, const QString &mimeType = QStringLiteral("image/png"));
    // The owner changed but offers nothing (for example it quit).
    void clearByOtherApplication() { copyContent({}); }

    int writeCount() const { return m_writeCount; }
    std::optional<WriteKind> lastWriteKind() const { return m_lastWriteKind; }

private:
    qint64 publish(const PasteboardContent &content);

    qint64 m_changeCount = 0;
    PasteboardContent m_content;
    std::optional<QString> m_primaryRestore;
    bool m_reportsChanges = true;
    bool m_reoffersContent = false;
    bool m_fetching = false;
    mutable int m_fetchingChecks = 0;
    int m_writeCount = 0;
    std::optional<WriteKind> m_lastWriteKind;
    std::optional<QString> m_primary;
};
