#pragma once

#include "core/ClipboardEntry.h"
#include "core/OCRTextDestination.h"
#include "ui/tools/ScreenshotReader.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the screenshot text sheet holds between its opening and its closing: the recognised
// text, the QR payloads and the user's edits of each, which result is shown, and what the
// save menu offers for it. Text and each QR code are saved under ids of their own, so saving
// one result again updates the entry saved before.
class ScreenshotTextState {
public:
    struct SaveItem {
        OCRTextDestination destination;
        QString title;
        bool enabled;

        bool operator==(const SaveItem &) const = default;
    };

    explicit ScreenshotTextState(QString baseResultID);

    const QString &baseResultID() const { return m_baseResultID; }
    const QString &ocrText() const { return m_ocrText; }
    const QStringList &qrCodes() const { return m_qrCodes; }
    bool showsQR() const { return m_showsQR; }
    int selectedQR() const { return m_selectedQR; }
    bool isRecognizing() const { return m_isRecognizing; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    const QString &feedback() const { return m_feedback; }

    // The result of reading the image. Only QR codes found: the QR result is shown first.
    void applyReading(const ScreenshotReading &reading);

    // Switching the mode, the code or the text clears the footer's confirmation.
    void setShowsQR(bool showsQR);
    void setSelectedQR(int index);
    // The current result: the recognised text, or the shown code's payload as edited.
    QString text() const;
    void setText(const QString &text);
    QString resultID() const;
    // Whitespace alone is nothing to save or copy.
    bool hasText() const;

    // The history entry saved under the current result's id, if any.
    std::optional<ClipboardEntry> savedEntry(const QList<ClipboardEntry> &entries) const;
    // Saved, and not edited since.
    bool unchanged(const QList<ClipboardEntry> &entries) const;
    QList<SaveItem> saveItems(const QList<ClipboardEntry> &entries, const QStringList &pasteStackIDs) const;

    // The confirmation after the model took a save; a refused save says so. Texts here are in
    // the interface language.
    void saveAnswered(OCRTextDestination destination, bool stored);
    void copied();
    // Whether the footer shows a failure rather than a confirmation.
    bool feedbackIsFailure() const { return m_feedbackIsFailure; }

private:
    void setFeedback(const QString &feedback, bool failure = false);

    QString m_baseResultID;
    QString m_ocrText;
    QStringList m_qrCodes;
    QHash<int, QString> m_qrEdits;
    bool m_showsQR = false;
    int m_selectedQR = 0;
    bool m_isRecognizing = true;
    std::optional<QString> m_errorMessage;
    QString m_feedback;
    bool m_feedbackIsFailure = false;
};
