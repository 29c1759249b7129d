#include "core/JarNames.h"

namespace JarNames {

namespace {

// Precomposed and decomposed accents compare equal. Upper-casing first applies the full case
// mappings (QString's folding alone is the simple one), so "STRASSE" and "straße" agree.
QString comparable(const QString &text)
{
    return text.toUpper().toCaseFolded().normalized(QString::NormalizationForm_C);
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
