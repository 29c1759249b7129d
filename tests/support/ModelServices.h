#pragma once

// The services a paste-capable model gets in tests and benchmarks: clipboard, settings,
// workspace, permissions and key sender, with the image store and backups inside one temporary
// folder.

#include "engine/ClipboardModel.h"

#include <QTemporaryDir>

namespace testsupport {

inline ClipboardModelServices pasteServices(Pasteboard &pasteboard, SettingsStore &settings, Workspace &workspace,
                                            Permissions &permissions, KeySender &keys, const QTemporaryDir &folder)
{
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    services.permissions = &permissions;
    services.keySender = &keys;
    services.imageFolder = folder.filePath(QStringLiteral("Clipboard Images"));
    services.backupFolder = folder.path();
    return services;
}

} // namespace testsupport
