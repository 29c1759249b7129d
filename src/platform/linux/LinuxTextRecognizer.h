#pragma once

#include "platform/TextRecognizer.h"

#include <QStringList>

#include <memory>

// Text recognition with Tesseract, in Slovak and English (as far as their language data is
// installed), on the shared thread pool. The areas of the QR codes LinuxQrDetector reads are
// left out: a code is read as a code, not as lines of letters.
class LinuxTextRecognizer : public TextRecognizer
{
public:
    // Slovak first, so that its accented letters win where both languages read a word.
    static const QStringList kWantedLanguages;

    // Reads the language data from `dataPath`; an empty path looks in $TESSDATA_PREFIX and the
    // system's Tesseract folders.
    explicit LinuxTextRecognizer(const QString &dataPath = QString());
    ~LinuxTextRecognizer() override;

    QFuture<TextRecognitionResult> recognize(const QImage &image) override;

    // The wanted languages whose data is installed, in the wanted order.
    QStringList languages() const;

    struct Engines;

private:
    std::shared_ptr<Engines> m_engines;
};
