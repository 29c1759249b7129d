#pragma once

#include <QByteArray>
#include <QString>

class HistoryStore;
class SettingsStore;

// One-time copy of the earlier product's settings, lists and history images into Tarnel's own
// keys and image folder. Runs before the model loads, so the model reads what it wrote.
namespace TarnelMigration {

inline const QString completedKey = QStringLiteral("tarnel.migrationComplete");
inline constexpr char kCopyFailureLog[] = "Tarnel image migration could not copy a file: %1";

struct Folders {
    QString earlierImages; // "<data>/Quorvel/Clipboard Images"
    QString currentImages; // "<data>/Tarnel/Clipboard Images"
};

// Copies every known earlier key whose current key holds nothing yet, then marks the migration
// complete (also when nothing was copied). Does nothing once complete. Never fails visibly.
// The earlier history goes into the history database when one is given and holds nothing yet;
// a history that cannot be read whole stays bytes under the settings key, where the model's
// start keeps it aside.
void run(SettingsStore &current, const SettingsStore &earlier, const Folders &folders,
         HistoryStore *history = nullptr);

// Copies the history's image files from the earlier image folder into the current one and
// returns the history with its paths repointed. A history that cannot be read whole comes back
// unchanged.
QByteArray migrateImages(const QByteArray &history, const Folders &folders);

} // namespace TarnelMigration
