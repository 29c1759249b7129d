#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardPanelTab.h"

#include <QWidget>

class ClipboardModel;
class EntryList;
class PanelButton;
class PanelSheets;
class ScreenHeading;

// The screens that are a clearable heading over the entry list: Clipboard, History, Pins and
// the Paste Stack. The heading counts the whole section, whatever the search hides; its clear
// button only asks the panel for the confirmation.
class EntrySectionScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 9;

    EntrySectionScreen(ClipboardModel &model, PanelSheets &sheets, ClipboardPanelTab tab, QWidget *parent = nullptr);

    ScreenHeading *heading() const { return m_heading; }
    PanelButton *clearButton() const { return m_clear; }
    EntryList *list() const { return m_list; }

Q_SIGNALS:
    // A row of the list asked for an image's text reading.
    void readTextRequested(const ClipboardEntry &entry);

private:
    void refresh();

    ClipboardModel &m_model;
    ClipboardPanelTab m_tab;
    ScreenHeading *m_heading = nullptr;
    PanelButton *m_clear = nullptr;
    EntryList *m_list = nullptr;
};
