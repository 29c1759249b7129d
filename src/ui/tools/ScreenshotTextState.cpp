#include "ui/tools/ScreenshotTextState.h"

#include "core/L10n.h"


ScreenshotTextState::ScreenshotTextState(QString baseResultID) : m_baseResultID(std::move(baseResultID)) {}

void ScreenshotTextState::applyReading(const ScreenshotReading &reading)
{
    switch (reading.outcome) {
    case ScreenshotReading::Outcome::ImageUnavailable:
        m_errorMessage = L10n::text(QStringLiteral("Obrázok sa nedá zobraziť"));
        break;
    case ScreenshotReading::Outcome::RecognitionFailed:
        m_errorMessage = L10n::text(QStringLiteral("Text sa nepodarilo rozpoznať. Skús iný screenshot."));
        break;
    case ScreenshotReading::Outcome::Read:
        m_ocrText = reading.text;
        m_qrCodes = reading.qrCodes;
        if (m_ocrText.isEmpty() && !m_qrCodes.isEmpty())
            m_showsQR = true;
        break;
    }
    m_isRecognizing = false;
}

void ScreenshotTextState::setShowsQR(bool showsQR)
{
    if (showsQR != m_showsQR)
        setFeedback(QString());
    m_showsQR = showsQR;
}

void ScreenshotTextState::setSelectedQR(int index)
{
    const QString before = text();
    m_selectedQR = index;
    if (text() != before)
        setFeedback(QString());
}

QString ScreenshotTextState::text() const
{
    if (!m_showsQR)
        return m_ocrText;
    if (const auto edit = m_qrEdits.constFind(m_selectedQR); edit != m_qrEdits.cend())
        return *edit;
    if (m_selectedQR >= 0 && m_selectedQR < m_qrCodes.size())
        return m_qrCodes.at(m_selectedQR);
    return {};
}

void ScreenshotTextState::setText(const QString &text)
{
    if (text == this->text())
        return;
    if (m_showsQR)
        m_qrEdits.insert(m_selectedQR, text);
    else
        m_ocrText = text;
    setFeedback(QString());
}

QString ScreenshotTextState::resultID() const
{
    if (!m_showsQR)
        return m_baseResultID;
    return m_baseResultID + QStringLiteral("-qr-") + QString::number(m_selectedQR);
}

bool ScreenshotTextState::hasText() const
{
    return !m_isRecognizing && !text().trimmed().isEmpty();
}

std::optional<ClipboardEntry> ScreenshotTextState::savedEntry(const QList<ClipboardEntry> &entries) const
{
    const QString id = resultID();
    for (const ClipboardEntry &entry : entries) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

bool ScreenshotTextState::unchanged(const QList<ClipboardEntry> &entries) const
{
    const std::optional<ClipboardEntry> saved = savedEntry(entries);
    return saved && saved->text == text();
}

QList<ScreenshotTextState::SaveItem> ScreenshotTextState::saveItems(const QList<ClipboardEntry> &entries,
                                                                    const QStringList &pasteStackIDs) const
{
    const bool can = hasText();
    const bool same = unchanged(entries);
    const bool inStack = pasteStackIDs.contains(resultID());
    const std::optional<ClipboardEntry> saved = savedEntry(entries);
    const bool pinned = saved && saved->isPinned;
    return {
        {OCRTextDestination::History, same ? L10n::text(QStringLiteral("Uložené")) : L10n::text(QStringLiteral("Do histórie")), can && !same},
        {OCRTextDestination::PasteStack, inStack ? L10n::text(QStringLiteral("V Stacku")) : L10n::text(QStringLiteral("Do Stacku")),
         can && !(inStack && same)},
        {OCRTextDestination::Pins, pinned ? L10n::text(QStringLiteral("Pripnuté")) : L10n::text(QStringLiteral("Pripnúť")), can && !(pinned && same)},
    };
}

void ScreenshotTextState::saveAnswered(OCRTextDestination destination, bool stored)
{
    if (!stored) {
        setFeedback(L10n::text(QStringLiteral("Text sa nepodarilo uložiť.")), true);
        return;
    }
    switch (destination) {
    case OCRTextDestination::History:
        setFeedback(L10n::text(QStringLiteral("Uložené do histórie")));
        return;
    case OCRTextDestination::PasteStack:
        setFeedback(L10n::text(QStringLiteral("Pridané do Stacku")));
        return;
    case OCRTextDestination::Pins:
        setFeedback(L10n::text(QStringLiteral("Pripnuté")));
        return;
    }
}

void ScreenshotTextState::copied()
{
    setFeedback(L10n::text(QStringLiteral("Skopírované")));
}

void ScreenshotTextState::setFeedback(const QString &feedback, bool failure)
{
    m_feedback = feedback;
    m_feedbackIsFailure = failure;
}
