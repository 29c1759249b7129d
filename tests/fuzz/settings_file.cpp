#include "FuzzInput.h"

#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"
#include "engine/ClipboardModel.h"
#include "platform/linux/LinuxSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

QTemporaryDir *folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    folder = new QTemporaryDir(fuzzScratchFolder());
    return folder->isValid() ? 0 : 1;
}

// The settings file as another program or a torn disk may have left it: every key reads as at
// most one type, reads are stable, and the stored lists go through their forgiving readers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = folder->filePath(QStringLiteral("defaults.json"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
    }

    const LinuxSettingsStore store(path);
    QStringList keys = QJsonDocument::fromJson(bytes).object().keys();
    keys << ClipboardModel::historyKey << ClipboardModel::jarsKey << ClipboardModel::snippetsKey
         << ClipboardModel::historyLimitKey << ClipboardModel::pasteStackKey;
    for (const QString &key : keys) {
        const auto asBool = store.boolValue(key);
        const auto asInteger = store.integerValue(key);
        const auto asText = store.textValue(key);
        const auto asBytes = store.bytesValue(key);
        const auto asList = store.textListValue(key);
        const int types = int(asBool.has_value()) + int(asInteger.has_value()) + int(asText.has_value())
            + int(asBytes.has_value()) + int(asList.has_value());
        FUZZ_EXPECT(types <= 1);
        FUZZ_EXPECT(types == 0 || store.contains(key));
        FUZZ_EXPECT(store.integerValue(key) == asInteger && store.textValue(key) == asText);
        if (asBytes) {
            ClipboardEntry::decodeList(*asBytes);
            ClipboardJar::decodeList(*asBytes);
            ClipboardSnippet::decodeList(*asBytes);
        }
    }

    for (const QString &name : QDir(folder->path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(folder->filePath(name));
    return 0;
}
