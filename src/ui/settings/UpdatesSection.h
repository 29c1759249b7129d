#pragma once

#include <QPointer>
#include <QWidget>

class PanelButton;
class TarnelUpdater;

// The card about updates: the program's name and version, and a check started by hand. The
// button is dimmed while the updater cannot check (a check running, or no updater at all).
class UpdatesSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 10;
    static constexpr int kTileSide = 32;
    static constexpr qreal kTileRadius = 9;
    static constexpr qreal kTileSymbolSize = 15;
    static constexpr qreal kTileTintOpacity = 0.1;
    static constexpr qreal kTitleSize = 11;
    static constexpr qreal kVersionSize = 9;
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;

    explicit UpdatesSection(TarnelUpdater *updater, QWidget *parent = nullptr);

    PanelButton *checkButton() const { return m_check; }

private:
    QPointer<TarnelUpdater> m_updater;
    PanelButton *m_check = nullptr;
};
