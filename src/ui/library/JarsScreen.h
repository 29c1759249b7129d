#pragma once

#include "core/ClipboardEntry.h"

#include <QWidget>

class ClipboardModel;
class EntryList;
class EntryOverflowButton;
class PanelButton;
class PanelEmptyState;
class PanelSheets;
class QScrollArea;
class QStackedLayout;
class QVBoxLayout;
class ScreenHeading;

// The Jars section: the list of Jars as cards, or the open Jar's entries. Which one shows follows
// the model's chosen Jar. Creating, renaming, emptying and deleting go through the panel's Jar
// editor and clear confirmation; the screen itself changes no Jar.
class JarsScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 9;
    static constexpr int kCardSpacing = 8;
    static constexpr int kBottomPadding = 2;
    static constexpr int kBackSide = 28;
    static constexpr qreal kBackSymbolSize = 10;

    JarsScreen(ClipboardModel &model, PanelSheets &sheets, QWidget *parent = nullptr);

    // Opens a Jar: chooses it, clears the search and selects its first entry.
    void openJar(const QString &jarID);
    void closeJar();

    bool isShowingDetail() const;
    ScreenHeading *listHeading() const { return m_listHeading; }
    ScreenHeading *detailHeading() const { return m_detailHeading; }
    PanelButton *clearAllButton() const { return m_clearAll; }
    PanelButton *clearJarButton() const { return m_clearJar; }
    QList<QWidget *> cards() const;
    bool isShowingEmptyList() const;

Q_SIGNALS:
    // A row of the open Jar asked for an image's text reading.
    void readTextRequested(const ClipboardEntry &entry);

private:
    void buildList();
    void buildDetail();
    void refresh();

    ClipboardModel &m_model;
    PanelSheets &m_sheets;
    QStackedLayout *m_pages = nullptr;
    QWidget *m_listPage = nullptr;
    QWidget *m_detailPage = nullptr;
    ScreenHeading *m_listHeading = nullptr;
    PanelButton *m_clearAll = nullptr;
    QStackedLayout *m_listBody = nullptr;
    PanelEmptyState *m_empty = nullptr;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_cards = nullptr;
    ScreenHeading *m_detailHeading = nullptr;
    PanelButton *m_clearJar = nullptr;
    EntryList *m_entries = nullptr;
};
