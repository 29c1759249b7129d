#pragma once

#include <QString>
#include <QStringList>

// Paths as a shell reads them, for typing copied files into a terminal the way terminals type
// a dropped file: each path as one word, whatever characters its name holds.
namespace ShellQuoting {

// One word for the text: in single quotes, a single quote in it closed, escaped and reopened.
QString quoted(const QString &text);
// The stored paths of copied files (StoredFilePath), each quoted and followed by a space. A
// name that is not UTF-8 is spelled byte by byte in the $'\xNN' form that bash and zsh read.
QString quotedPaths(const QStringList &storedPaths);

} // namespace ShellQuoting
