#include "platform/linux/LinuxLoginItem.h"

#include "core/Logging.h"
#include "core/XdgFolders.h"
#include "platform/linux/InstalledProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// An entry larger than this is not one a desktop would write; reading stops there.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

// The keys of the [Desktop Entry] group, or nothing when there is no readable plain file. Only a
// plain file is an entry that desktops start; opening anything else (a named pipe waits for a
// writer) could hang the settings page.
std::optional<QHash<QByteArray, QByteArray>> readEntryKeys(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QHash<QByteArray, QByteArray> keys;
    bool inDesktopEntry = false;
    while (!file.atEnd() && file.pos() < kMaxEntryBytes) {
        const QByteArray line = file.readLine(kMaxEntryBytes).trimmed();
        if (line.startsWith('[')) {
            inDesktopEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inDesktopEntry && eq > 0)
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

// A desktop entry's text value with its escapes (\s, \n, \t, \r, \\) resolved; any other
// backslash stays as written.
QString unescapeValue(const QString &raw)
{
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (raw[++i].unicode()) {
        case u's': out += u' '; break;
        case u'n': out += u'\n'; break;
        case u't': out += u'\t'; break;
        case u'r': out += u'\r'; break;
        case u'\\': out += u'\\'; break;
        default: out += u'\\'; out += raw[i];
        }
    }
    return out;
}

// Whether the program an entry names can be started: a path to an executable file, or a bare
// name that PATH finds, as the desktop looks it up.
bool programExists(const QString &program)
{
    if (program.isEmpty())
        return false;
    if (!program.contains(u'/'))
        return !QStandardPaths::findExecutable(program).isEmpty();
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable();
}

} // namespace

LinuxLoginItem::LinuxLoginItem(QString entryPath, QString executable)
    : m_entryPath(std::move(entryPath))
    , m_executable(executable.isEmpty()
                       ? InstalledProgram::choose(QCoreApplication::applicationFilePath(), InstalledProgram::candidates())
                       : std::move(executable))
{
}

QString LinuxLoginItem::defaultEntryPath()
{
    return XdgFolders::configHome() + QStringLiteral("/autostart/tarnel.desktop");
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

QString LinuxLoginItem::execProgram(const QString &exec)
{
    // The value's own escapes first; then the quoting of the argument, inside which a backslash
    // takes the next character as it is.
    const QString value = unescapeValue(exec);
    QString program;
    qsizetype i = 0;
    while (i < value.size() && value[i].isSpace())
        ++i;
    if (i < value.size() && value[i] == u'"') {
        for (++i; i < value.size() && value[i] != u'"'; ++i) {
            if (value[i] == u'\\' && i + 1 < value.size())
                ++i;
            program += value[i];
        }
    } else {
        for (; i < value.size() && !value[i].isSpace(); ++i)
            program += value[i];
    }
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return program;
}

bool LinuxLoginItem::isEnabled() const
{
    const auto keys = readEntryKeys(m_entryPath);
    return keys && keys->value("Hidden") != "true";
}

bool LinuxLoginItem::rewriteIfStale()
{
    const auto keys = readEntryKeys(m_entryPath);
    // A hidden entry starts nothing either way; the user's choice to turn it off stays as it is.
    if (!keys || keys->value("Hidden") == "true")
        return false;
    const QString program = execProgram(QString::fromUtf8(keys->value("Exec")));
    if (programExists(program) || !programExists(m_executable))
        return false;
    if (const std::optional<QString> error = setEnabled(true)) {
        qCWarning(lcPlatform).noquote() << "The login item starts" << program
                                        << "which no longer exists, and could not be written again:" << *error;
        return false;
    }
    qCInfo(lcPlatform).noquote() << "The login item started" << program << "which no longer exists; it now starts"
                                 << m_executable;
    return true;
}

std::optional<QString> LinuxLoginItem::setEnabled(bool enabled)
{
    if (!enabled) {
        QFile file(m_entryPath);
        if (!file.exists() || file.remove())
            return std::nullopt;
        qCWarning(lcPlatform) << "login item could not be removed:" << file.errorString();
        return LoginItemIssue::notRemoved();
    }
    const QString dir = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(dir)) {
        qCWarning(lcPlatform).noquote() << "login item: cannot create the folder" << dir;
        return LoginItemIssue::folderNotMade();
    }
    // Something other than a plain file at the entry's place would be written into directly
    // (a named pipe blocks until someone reads it); it is not ours to replace.
    const QFileInfo existing(m_entryPath);
    if (existing.exists() && !existing.isFile()) {
        qCWarning(lcPlatform).noquote() << "login item:" << m_entryPath << "is not a regular file";
        return LoginItemIssue::notAFile();
    }
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcPlatform) << "login item could not be written:" << file.errorString();
        return LoginItemIssue::notWritten();
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
        return LoginItemIssue::notWritten();
    }
    return std::nullopt;
}
