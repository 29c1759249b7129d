#pragma once

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>

// One image representation offered by the clipboard owner.
struct PasteboardImage {
    QString mimeType;
    QByteArray data;

    bool operator==(const PasteboardImage &) const = default;
};

// What the clipboard held at one change, fetched once and kept as a snapshot.
struct PasteboardContent {
    // Local paths of the copied files, in the owner's order. Empty unless every URL offered
    // is a file URL. A path whose name is not UTF-8 is its percent-encoded "file:///" URL.
    QStringList filePaths;
    // The image as offered: "image/png" when the owner has it, else its first other image
    // type that could be fetched. Empty when there is no image.
    QList<PasteboardImage> images;
    // Plain text, decoded as its type names (UTF-8, or Latin-1 for STRING); bytes offered as
    // UTF-8 that are not are read as Latin-1. Absent when none was offered.
    std::optional<QString> text;
    // Types passed over because they were larger than the fetch cap of their kind.
    QStringList oversizedTypes;
    // The owner did not answer in time (or vanished): what it did not deliver is missing.
    bool incomplete = false;
    // Every type the owner offered, in its order (empty when unknown, as for our own writes):
    // a re-offer of the same content repeats them exactly.
    QStringList targets;
    // The window that owned the clipboard when the copy was made: it names the program that
    // copied. 0 when unknown, as for our own writes.
    quint64 ownerWindow = 0;
    // The program that owned the clipboard went away (its window destroyed or its connection
    // closed) and another took the clipboard over at once offering nothing it had not: a
    // desktop's clipboard keeper holding the same copy alive, which is no copy of its own.
    bool keptAfterOwnerLeft = false;

    // Whether an image ("image/..." types), or a text or list of files (any other type), was
    // offered but passed over for its size.
    bool passedOverImage() const
    {
        return std::any_of(oversizedTypes.cbegin(), oversizedTypes.cend(),
                           [](const QString &type) { return type.startsWith(QLatin1String("image/")); });
    }
    // Whether every representation offered here was offered, byte for byte, in the other
    // content too, and something was: a keeper may offer only the text of a richer copy.
    bool offersNothingBeyond(const PasteboardContent &other) const
    {
        if (incomplete || (!text && images.isEmpty() && filePaths.isEmpty()))
            return false;
        if (text && text != other.text)
            return false;
        if (!filePaths.isEmpty() && filePaths != other.filePaths)
            return false;
        return std::all_of(images.cbegin(), images.cend(),
                           [&other](const PasteboardImage &image) { return other.images.contains(image); });
    }
    bool passedOverText() const
    {
        return std::any_of(oversizedTypes.cbegin(), oversizedTypes.cend(),
                           [](const QString &type) { return !type.startsWith(QLatin1String("image/")); });
    }

    // The same content whoever offers it: a program that answers for its predecessor, or a
    // bridge that offers the content again, hands over the same copy.
    bool operator==(const PasteboardContent &other) const
    {
        return filePaths == other.filePaths && images == other.images && text == other.text
            && oversizedTypes == other.oversizedTypes && incomplete == other.incomplete && targets == other.targets;
    }
};

// The system clipboard (CLIPBOARD selection; PRIMARY is never recorded, only offered and read
// for the terminals that paste and copy through it).
//
// The change count is raised for every change of the clipboard's owner and for every write
// made through this object. content() always describes the change that changeCount() names,
// so a poll step that sees a new count can read the content without waiting on anyone.
// Every change is announced by changeCountChanged, one at a time and in order, while content()
// still holds that change's snapshot; a listener that keeps it misses no copy however quickly
// they follow each other. Main thread only.
class Pasteboard : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~Pasteboard() override = default;

    virtual qint64 changeCount() const = 0;
    virtual PasteboardContent content() const = 0;
    // False when changes cannot be announced (no change notification from the display):
    // then only reading changeCount() now and then finds them.
    virtual bool reportsChanges() const { return true; }
    // True when the clipboard is bridged from a Wayland compositor (XWayland), which offers
    // its content to X again, unchanged, whenever the keyboard moves to an X11 window: such a
    // re-offer raises the count like a copy does, and only its content tells it apart.
    virtual bool reoffersContent() const { return false; }
    // True while a change has been seen whose content has not been published yet; a clipboard
    // that reads each change on the spot never is.
    virtual bool isFetching() const { return false; }

    // Each write replaces the clipboard and returns the change count it produced; the count
    // is already raised when the call returns.
    virtual qint64 writeText(const QString &text) = 0;
    virtual qint64 writeFilePaths(const QStringList &paths) = 0;
    // Offered under the image's own type and as PNG; bytes that do not decode as an image are
    // offered unchanged as PNG.
    virtual qint64 writeImage(const QByteArray &imageData) = 0;

    // Whether the program that owns `window` has asked for what the last write offers, and has
    // its answer. A program may ask the new owner at every change and take its paste chord only
    // once answered; one that never asks never is. True where this cannot be known.
    virtual bool answeredSinceWrite(quint64 window) const
    {
        Q_UNUSED(window);
        return true;
    }

    // Lends the primary selection a text for a program that pastes only that (xterm's
    // Shift+Insert); the clipboard and its change count stay as they are. Once a program has
    // read it, or after a bounded time, the primary selection holds `restore` again (what the
    // user had selected), or nothing: no pasted text stays there. A loan made while an earlier
    // one is still out gives back what that one would have. False when the selection could not
    // be taken.
    virtual bool lendPrimarySelection(const QString &text, const std::optional<QString> &restore) = 0;
    // The text of the primary selection (what xterm selected), read off the main thread; the
    // future ends with nothing when its owner offers no text or does not answer in time.
    virtual QFuture<std::optional<QString>> primarySelectionText() = 0;

Q_SIGNALS:
    void changeCountChanged(qint64 changeCount);
};
