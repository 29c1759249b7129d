#include "platform/x11/LinuxLoginItem.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// An entry larger than this is not one a desktop would write; reading stops there.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

} // namespace

LinuxLoginItem::LinuxLoginItem(QString entryPath, QString executable)
    : m_entryPath(std::move(entryPath))
    , m_executable(executable.isEmpty() ? QCoreApplication::applicationFilePath() : std::move(executable))
{
}

QString LinuxLoginItem::defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/tarnel.desktop");
}

QString LinuxLoginItem::execLine(const QString &executable)
{
    // Inside a quoted argument ", `, $ and \ take a backslash; the value itself then doubles
    // every backslash, and % is the field-code escape.
    QString quoted;
    for (const QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

bool LinuxLoginItem::isEnabled() const
{
    // Only a plain file is an entry that desktops start; opening anything else (a named pipe
    // waits for a writer) could hang the settings page.
    if (!QFileInfo(m_entryPath).isFile())
        return false;
    QFile file(m_entryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool inDesktopEntry = false;
    while (!file.atEnd() && file.pos() < kMaxEntryBytes) {
        const QByteArray line = file.readLine(kMaxEntryBytes).trimmed();
        if (line.startsWith('[')) {
            inDesktopEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inDesktopEntry)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed() == "Hidden" && line.mid(eq + 1).trimmed() == "true")
            return false;
    }
    return true;
}

std::optional<QString> LinuxLoginItem::setEnabled(bool enabled)
{
    if (!enabled) {
        QFile file(m_entryPath);
        if (!file.exists() || file.remove())
            return std::nullopt;
        qCWarning(lcPlatform) << "login item could not be removed:" << file.errorString();
        return file.errorString();
    }
    const QString dir = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(dir)) {
        const QString error = QCoreApplication::translate("LinuxLoginItem", "Cannot create the folder %1").arg(dir);
        qCWarning(lcPlatform).noquote() << "login item:" << error;
        return error;
    }
    // Something other than a plain file at the entry's place would be written into directly
    // (a named pipe blocks until someone reads it); it is not ours to replace.
    const QFileInfo existing(m_entryPath);
    if (existing.exists() && !existing.isFile()) {
        const QString error = QCoreApplication::translate("LinuxLoginItem", "%1 is not a regular file").arg(m_entryPath);
        qCWarning(lcPlatform).noquote() << "login item:" << error;
        return error;
    }
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcPlatform) << "login item could not be written:" << file.errorString();
        return file.errorString();
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Tarnel\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execLine(m_executable));
    file.write(entry.toUtf8());
    if (!file.commit()) {
        qCWarning(lcPlatform) << "login item could not be written:" << file.errorString();
        return file.errorString();
    }
    return std::nullopt;
}
