#pragma once

#include <QWidget>

class QBoxLayout;

// A rounded card of the section screens with a title (optionally after a symbol) and a wrapped
// message drawn in the kit's colours, and the card's buttons beside the texts in a row (Beside)
// or one above the other (Stacked, which leaves the texts the most width beside them), or in a
// row below the texts (Below).
class LibraryCard : public QWidget {
    Q_OBJECT
public:
    enum class Fill { Surface, ControlSurface };
    enum class Buttons {
        Beside,
        Stacked,
        Below,
    };
    struct Look {
        qreal titleSize = 11;
        int titleWeight = 500;
        qreal messageSize = 9;
        int padding = 10;
        qreal radius = 10;
        int spacing = 4;
        Fill fill = Fill::Surface;
        Buttons buttons = Buttons::Beside;
    };

    LibraryCard(const QString &symbol, const QString &title, const QString &message, Look look, QWidget *parent = nullptr);

    void setTexts(const QString &title, const QString &message);
    // The card shows the widget among its buttons (and takes ownership).
    void addButton(QWidget *button);
    // Lays the shown buttons out again (after some were hidden or shown).
    void placeButtons();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    qreal textWidth(int width) const;
    QList<QWidget *> shownButtons() const;
    // The width of the stacked buttons (they share the widest one's) and their column's height.
    QSize stackSize() const;
    qreal textHeight(qreal width) const;

    QString m_symbol;
    QString m_title;
    QString m_message;
    Look m_look;
    QList<QWidget *> m_buttons;
};
