#pragma once

#include "ui/panel/NotchIdentityView.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

class EntryOverflowButton;
class PanelController;
class PanelModelLink;
class QAbstractButton;

// The notch row, 40 high, on top of the panel whenever it shows: the program's symbol, the name
// (only while the notch is wide), the number of stored entries, and while the panel is open the
// read-text, settings and quit buttons. A click anywhere on it opens or closes the panel. The
// copied and screenshot notices slide in from below while the row's label slides out above.
class NotchSummary : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 40;
    static constexpr int kSidePadding = 16;
    static constexpr int kSpacing = 8;
    static constexpr qreal kSymbolSize = 11;
    static constexpr qreal kCountSize = 10;
    static constexpr int kCountPadding = 7;
    static constexpr int kCountHeight = 21;
    static constexpr qreal kNameSize = 11;
    static constexpr qreal kNoticeSizeWide = 11;
    static constexpr qreal kNoticeSizeNarrow = 10;
    static constexpr qreal kCheckSizeWide = 13;
    static constexpr qreal kCheckSizeNarrow = 11;
    static constexpr int kNoticeSpacingWide = 8;
    static constexpr int kNoticeSpacingNarrow = 5;
    static constexpr std::chrono::milliseconds kNoticeAnimation{280};

    NotchSummary(PanelModelLink &model, PanelController &controller, QWidget *parent = nullptr);

    // The number shown in the count capsule.
    QString countText() const;
    // "Tarnel, 3 položky": the status (a notice or the name) and the count phrase.
    QString accessibleSummary() const;
    static QString countPhrase(int count);
    // The notice text while one shows; empty otherwise.
    QString noticeText() const;

    QAbstractButton *toggleButton() const { return m_toggle; }
    EntryOverflowButton *readTextButton() const { return m_readText; }
    EntryOverflowButton *settingsButton() const { return m_settings; }
    EntryOverflowButton *quitButton() const { return m_quit; }
    NotchIdentityView *identityView() const { return m_identity; }
    // 0 while the label shows, 1 while a notice shows, between while they trade places.
    qreal noticeProgress() const { return m_noticeProgress; }

Q_SIGNALS:
    // The settings button: the panel lets go of the keyboard before the settings open.
    void settingsRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class NotchSummaryToggle;
    friend class NotchNoticeLayer;
    void refresh();
    void relayout();
    void followNotice();
    // A screenshot's notice shows in the notch (notch mode; the toast shows it otherwise).
    bool showsScreenshotNotice() const;
    // A notice shows in the row: the copied one, or a screenshot's where the notch shows it.
    bool showsNotice() const;
    // The notice says that a copy was not kept.
    bool showsRefusal() const;

    PanelModelLink &m_model;
    PanelController &m_controller;
    QAbstractButton *m_toggle = nullptr;
    QPointer<NotchIdentityView> m_identity;
    EntryOverflowButton *m_readText = nullptr;
    EntryOverflowButton *m_settings = nullptr;
    EntryOverflowButton *m_quit = nullptr;
    QWidget *m_noticeLayer = nullptr;
    qreal m_noticeProgress = 0;
    bool m_noticeShown = false;
    // The count as last refreshed: the row is painted on every frame of the notice, and each
    // text lookup asks the settings for the language.
    QString m_shownCount;
};
