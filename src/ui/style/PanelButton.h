#pragma once

#include "ui/style/PanelStyle.h"

#include <QAbstractButton>

#include <chrono>

// The panel's push button: an accent-filled prominent button or a quiet control, a fixed
// height, the label's width plus side padding, and a short ease-out when the pointer comes and
// goes. Pressed shows at once; a disabled button is drawn faded as a whole. The label is a
// title, a symbol, or a symbol before a title; both are shown as given (callers pass localised
// titles). Lists drawn by a delegate paint the same look with paintLook().
class PanelButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kHoverDuration{120};
    static constexpr qreal kCornerRadius = 9;
    static constexpr qreal kFontSize = 11;
    static constexpr qreal kSymbolSpacing = 6;
    static constexpr qreal kDisabledOpacity = 0.35;

    struct Look {
        bool prominent = false;
        // Filled with the desktop's red: the confirm button of an alert that deletes.
        bool destructive = false;
        QString title;
        QString symbol;
        // Symbols follow their own size where a view asks for one (a close cross at 10).
        qreal symbolPointSize = kFontSize;
        int horizontalPadding = 12;
        // A symbol at the trailing edge (an arrow to another place); the label then leads from
        // the padding instead of being centred.
        QString trailingSymbol;
        qreal trailingSymbolPointSize = 9;
    };
    struct State {
        qreal hover = 0; // 0 at rest, 1 under the pointer, between while easing
        bool pressed = false;
        bool enabled = true;
    };

    PanelButton(const QString &title, bool prominent, int height, int horizontalPadding, QWidget *parent = nullptr);

    void setSymbol(const QString &symbol, qreal pointSize = kFontSize);
    void setTrailingSymbol(const QString &symbol, qreal pointSize);
    void setTitle(const QString &title);
    void setProminent(bool prominent);
    void setDestructive(bool destructive);
    const Look &look() const { return m_look; }
    qreal hoverProgress() const { return m_hover; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Width of the label plus padding for a look.
    static int widthFor(const Look &look);
    static void paintLook(QPainter &painter, const QRectF &rect, const Look &look, const State &state,
                          const PanelStyle::Colors &colors);
    // The fill of the background alone (also used by the close buttons of sheets).
    static QColor fillFor(const Look &look, const State &state, const PanelStyle::Colors &colors);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void animateHover(bool hovered);

    Look m_look;
    qreal m_hover = 0;
};
