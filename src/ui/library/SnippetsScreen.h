#pragma once

#include "core/ClipboardSnippet.h"

#include <QWidget>

class ClipboardModel;
class PanelButton;
class PanelEmptyState;
class PanelSheets;
class QLabel;
class QScrollArea;
class QVBoxLayout;
class ScreenHeading;

// The Snippets section: the heading, a card that creates a snippet, a card offering the
// permissions that typed triggers need while one is missing, and the snippets that match the
// search. A click pastes a snippet's text; the pencil opens the editor. While the permission card
// shows, the new-snippet button moves into the heading and the permission card lays its buttons
// beside its texts: the panel is too low for both cards and two snippets one above the other.
class SnippetsScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 9;
    static constexpr int kRowSpacing = 5;
    static constexpr int kCardPadding = 10;
    static constexpr qreal kCardRadius = 10;
    static constexpr qreal kCardTitleSize = 11;
    static constexpr qreal kPermissionTitleSize = 10;
    static constexpr qreal kCardTextSize = 9;
    static constexpr int kPermissionPadding = 8;
    static constexpr int kPermissionButtonHeight = 24;
    static constexpr int kPermissionButtonPadding = 10;

    SnippetsScreen(ClipboardModel &model, PanelSheets &sheets, QWidget *parent = nullptr);

    // The snippets matching the search (name, trigger and text), in stored order.
    static QList<ClipboardSnippet> filteredSnippets(const ClipboardModel &model);

    ScreenHeading *heading() const { return m_heading; }
    QWidget *createCard() const { return m_createCard; }
    // The heading's "Nová skratka", shown instead of the new-snippet card beside the permission card.
    PanelButton *headingCreateButton() const { return m_headingCreate; }
    QWidget *permissionCard() const { return m_permissions; }
    PanelButton *accessibilityButton() const { return m_accessibility; }
    PanelButton *inputMonitoringButton() const { return m_inputMonitoring; }
    // The scrolled part below the new-snippet card: the permission card, then the snippets.
    QScrollArea *body() const { return m_scroll; }
    bool isShowingEmptyState() const;
    int rowCount() const;

Q_SIGNALS:
    // A button of the permission card: show what is missing and how to grant it (accessibility,
    // else input monitoring).
    void permissionRequested(bool accessibility);

private:
    QWidget *buildCreateCard();
    QWidget *buildHeadingButtons();
    QWidget *buildPermissionCard();
    void refresh();
    void markSelection();

    ClipboardModel &m_model;
    PanelSheets &m_sheets;
    ScreenHeading *m_heading = nullptr;
    PanelButton *m_clear = nullptr;
    PanelButton *m_headingCreate = nullptr;
    QWidget *m_createCard = nullptr;
    QWidget *m_permissions = nullptr;
    PanelButton *m_accessibility = nullptr;
    PanelButton *m_inputMonitoring = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_list = nullptr;
    PanelEmptyState *m_empty = nullptr;
    QVBoxLayout *m_rows = nullptr;
};
