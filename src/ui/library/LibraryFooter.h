#pragma once

#include "core/ClipboardSnippet.h"

#include <QString>
#include <QWidget>

#include <optional>

class ClipboardModel;
class PanelButton;
class PanelSheets;

// The footer of the details panel: a tip with the shortcut that goes with it on the left and
// the section's main action on the right (paste the selection, paste the next Paste Stack
// entry, type out a snippet, or create a Jar). Everything follows the selected section.
class LibraryFooter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTipSpacing = 6;
    static constexpr qreal kTipSize = 9;
    static constexpr qreal kShortcutSize = 10;
    static constexpr int kShortcutPadding = 8;
    static constexpr int kShortcutHeight = 23;
    static constexpr int kButtonWidth = 100;
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;
    // Lines a notice in the tip's place may take.
    static constexpr int kNoticeLines = 3;

    // What the footer shows for the model's state right now.
    struct Content {
        QString tip;
        QString shortcut;
        QString actionTitle;
        QString actionSymbol;
        bool actionDisabled = false;
        // The tip is the model's notice of a paste that went nowhere.
        bool tipIsNotice = false;
    };

    LibraryFooter(ClipboardModel &model, PanelSheets &sheets, QWidget *parent = nullptr);

    static Content content(const ClipboardModel &model);
    // The snippet the Snippets section's button types out: the selected one while the search
    // lists it, else the first one listed.
    static std::optional<ClipboardSnippet> footerSnippet(const ClipboardModel &model);
    void performAction();

    QString tipText() const;
    QWidget *shortcutCapsule() const { return m_shortcut; }
    PanelButton *actionButton() const { return m_action; }
    QString shortcutText() const;

private:
    void refresh();

    ClipboardModel &m_model;
    PanelSheets &m_sheets;
    QWidget *m_tip = nullptr;
    QWidget *m_shortcut = nullptr;
    PanelButton *m_action = nullptr;
};
