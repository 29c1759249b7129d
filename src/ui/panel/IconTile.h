#pragma once

#include <QWidget>

// The tinted square behind a sheet's or a heading's symbol: the symbol in the accent colour on
// the accent at a low opacity, in a rounded square.
class IconTile : public QWidget {
    Q_OBJECT
public:
    IconTile(const QString &symbol, qreal symbolPointSize, int side, qreal radius, qreal tintOpacity,
             QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    qreal m_symbolPointSize;
    qreal m_radius;
    qreal m_tintOpacity;
};
