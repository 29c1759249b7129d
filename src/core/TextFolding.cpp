#include "core/TextFolding.h"

namespace TextFolding {

QString folded(const QString &text)
{
    // Canonical decomposition moves every diacritic into a combining mark of its own, which can
    // then be dropped without touching the base letter.
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        char32_t codePoint = decomposed.at(i).unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(codePoint) && i + 1 < decomposed.size()
            && decomposed.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(decomposed.at(i), decomposed.at(i + 1));
            width = 2;
        }
        if (QChar::category(codePoint) != QChar::Mark_NonSpacing)
            stripped.append(QStringView(decomposed).mid(i, width));
        i += width - 1;
    }
    return stripped.toCaseFolded();
}

} // namespace TextFolding
