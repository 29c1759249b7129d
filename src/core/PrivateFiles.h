#pragma once

#include <QByteArray>
#include <QString>

// Files and folders that only their owner may read. Nothing here follows a symbolic link: a
// link in place of one of the program's files could lead to any file of the system, and a mode
// change through it would land there.
namespace PrivateFiles {

// Makes the folder, and any missing folder above it, owner-only (0700); an existing folder is
// closed to others as well, since the names of the files in it tell what they hold. A link in
// the folder's place is used as it is and left unchanged. False, with the reason, when there
// is no folder at the path afterwards.
bool makeFolder(const QString &path, QString *error = nullptr);

// Closes an existing folder to others; a missing folder or a link is left alone.
void tightenFolder(const QString &path);

// Makes a regular file owner-only (0600) through a descriptor opened without following a link;
// false for a link, a missing file or anything else that is not a regular file. Safe on a
// database file that a connection of this process holds open.
bool restrictToOwner(const QString &path);

// Writes data to a new owner-only file made from temporaryTemplate (a path in the target's
// folder ending in "XXXXXX") and renames it over target only once every byte is on the disk,
// so the file at target is always the old or the new one whole; the folder is synced after.
// A disk may take a write and fail only at the sync, so the sync and the written size are
// checked too. 0, or the errno of the step that failed; then nothing is left behind.
int replaceWhole(const QString &target, const QString &temporaryTemplate, const QByteArray &data);

} // namespace PrivateFiles
