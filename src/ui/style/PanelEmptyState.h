#pragma once

#include <QWidget>

// The placeholder of an empty list: a tinted symbol tile, a title and a message that wraps onto
// as many centred lines as it needs. It fills the room it is given and centres its content.
// Title and message are shown as given (callers pass localised texts).
class PanelEmptyState : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTileSide = 44;
    static constexpr qreal kTileRadius = 14;
    static constexpr qreal kSymbolPointSize = 20;
    static constexpr int kSpacing = 9;
    static constexpr int kSidePadding = 28;
    static constexpr qreal kMessageLineSpacing = 3;

    PanelEmptyState(const QString &symbol, const QString &title, const QString &message, QWidget *parent = nullptr);

    void setContent(const QString &symbol, const QString &title, const QString &message);
    const QString &symbol() const { return m_symbol; }
    const QString &title() const { return m_title; }
    const QString &message() const { return m_message; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QString m_title;
    QString m_message;
};
