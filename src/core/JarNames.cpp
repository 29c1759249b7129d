#include "core/JarNames.h"

namespace JarNames {

namespace {

// Precomposed and decomposed accents compare equal. Lower- then upper-casing applies the full
// case mappings (QString's folding alone is the simple one), so "STRASSE", "STRAẞE" and "straße"
// agree. The dotless ı is a letter of its own, as case folding has it: upper-casing would turn
// it into I and so into i, so it is kept out of the mapping.
QString comparable(const QString &text)
{
    constexpr QChar kDotlessI(0x0131);
    QStringList parts = text.split(kDotlessI);
    for (QString &part : parts)
        part = part.toLower().toUpper().toCaseFolded();
    return parts.join(kDotlessI).normalized(QString::NormalizationForm_C);
}

} // namespace

QString normalized(const QString &name)
{
    return name.trimmed();
}

bool sameName(const QString &a, const QString &b)
{
    return comparable(a) == comparable(b);
}

bool nameContains(const QString &name, const QString &searchText)
{
    return comparable(name).contains(comparable(searchText));
}

bool isTaken(const QList<ClipboardJar> &jars, const QString &name, const std::optional<QString> &exceptJarID)
{
    for (const ClipboardJar &jar : jars) {
        if (exceptJarID && jar.id == *exceptJarID)
            continue;
        if (sameName(jar.name, name))
            return true;
    }
    return false;
}

} // namespace JarNames
