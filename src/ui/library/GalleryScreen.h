#pragma once

#include "core/ClipboardEntry.h"
#include "ui/library/GalleryCard.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class ClipboardModel;
class EntryThumbnails;
class MasonryGridLayout;
class PanelButton;
class PanelEmptyState;
class PanelSheets;
class QScrollArea;
class QStackedLayout;
class ScreenHeading;

// The Gallery and Screenshots sections (one screen; its heading and cards follow the selected
// tab): image entries as cards in two masonry columns. Pictures are decoded off the main thread;
// the cards act on their entry by id.
class GalleryScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 9;
    static constexpr int kColumns = 2;
    static constexpr int kGridSpacing = 9;
    static constexpr int kBottomPadding = 2;
    // Pixels of the longer side a card's picture is decoded to.
    static constexpr int kPictureSide = 320;

    GalleryScreen(ClipboardModel &model, PanelSheets &sheets, QWidget *parent = nullptr);
    ~GalleryScreen() override;

    // Runs a card's action, as its button does; false when the entry is no longer in the history.
    bool trigger(const QString &entryID, GalleryCard::Action action);

    ScreenHeading *heading() const { return m_heading; }
    PanelButton *clearButton() const { return m_clear; }
    QList<GalleryCard *> cards() const;
    bool isShowingEmptyState() const;

Q_SIGNALS:
    // A card asked for its image's text reading.
    void readTextRequested(const ClipboardEntry &entry);

private:
    void refresh();
    void refreshSelection();
    bool isScreenshots() const;

    ClipboardModel &m_model;
    PanelSheets &m_sheets;
    EntryThumbnails *m_images = nullptr;
    ScreenHeading *m_heading = nullptr;
    PanelButton *m_clear = nullptr;
    QStackedLayout *m_body = nullptr;
    PanelEmptyState *m_empty = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_grid = nullptr;
    MasonryGridLayout *m_layout = nullptr;
    QHash<QString, QPointer<GalleryCard>> m_cards;
    std::optional<QString> m_actionEntryID;
};
