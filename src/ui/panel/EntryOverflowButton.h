#pragma once

#include <QAbstractButton>

#include <chrono>

// The small square icon button next to entries, Jars and cards ("more", delete, pin): the
// secondary colour on the surface at rest, tinted (accent, or red when destructive) while the
// pointer is over it or while the menu it opens is showing; pressed, it shrinks a little.
class EntryOverflowButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int kSide = 27;
    static constexpr qreal kCornerRadius = 8;
    static constexpr qreal kSymbolPointSize = 12;
    static constexpr qreal kPressedScale = 0.94;
    static constexpr std::chrono::milliseconds kHighlightDuration{120};

    explicit EntryOverflowButton(const QString &symbol, QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    void setOpen(bool open);
    bool isOpen() const { return m_open; }
    void setDestructive(bool destructive);
    // 0 at rest, 1 when hovered or open, between while easing.
    qreal highlight() const { return m_highlight; }

    QSize sizeHint() const override { return QSize(kSide, kSide); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void animateHighlight();

    QString m_symbol;
    bool m_open = false;
    bool m_destructive = false;
    bool m_hovered = false;
    qreal m_highlight = 0;
};
