#include "core/XdgFolders.h"

#include "core/Logging.h"

#include <QDir>
#include <QMutex>
#include <QSet>

namespace {

// The variable's value when it is an absolute path; else the fallback, said once per value.
QString absoluteOr(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty() || QDir::isAbsolutePath(value))
        return value.isEmpty() ? fallback : QDir::cleanPath(value);
    static QMutex mutex;
    static QSet<QString> told;
    const QMutexLocker lock(&mutex);
    const QString said = QString::fromLatin1(name) + u'=' + value;
    if (!told.contains(said)) {
        told.insert(said);
        qCWarning(lcCore).noquote() << name << "holds the relative path" << value
                                    << "; it is ignored" << (fallback.isEmpty() ? QString() : QStringLiteral("for ") + fallback);
    }
    return fallback;
}

} // namespace

namespace XdgFolders {

QString dataHome()
{
    return absoluteOr("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QString configHome()
{
    return absoluteOr("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString cacheHome()
{
    return absoluteOr("XDG_CACHE_HOME", QDir::homePath() + QStringLiteral("/.cache"));
}

QString runtimeFolder()
{
    return absoluteOr("XDG_RUNTIME_DIR", QString());
}

} // namespace XdgFolders
