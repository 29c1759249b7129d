#include "core/CanonicalText.h"

namespace CanonicalText {

bool equal(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    // Canonically equivalent texts have one decomposed form. A text already in that form (plain
    // ASCII, for one) is returned shared, without a copy.
    return a.normalized(QString::NormalizationForm_D) == b.normalized(QString::NormalizationForm_D);
}

bool equal(const std::optional<QString> &a, const std::optional<QString> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || equal(*a, *b);
}

bool equal(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!equal(a[i], b[i]))
            return false;
    }
    return true;
}

} // namespace CanonicalText
