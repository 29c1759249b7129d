#pragma once

#include "core/ClipboardEntry.h"
#include "engine/QuickImageActionRequest.h"
#include "ui/style/PaintedAccessibility.h"

#include <QImage>
#include <QWidget>

#include <optional>

class QuickAccessIconButton;

// The options of the selected Quick Access entry, in place of the lists: a header naming the
// entry with back and close buttons, then either the eight special paste transforms of a text
// or, for an image, its preview and the four image actions; a hint line names the keys. The
// highlighted row is the one its owner reports (the keys move it); hovering asks for another.
// A text option is named to assistive technology by what it does ("Vložiť Veľké písmená").
class QuickAccessOptionsPage : public QWidget, public PaintedAccessibility
{
    Q_OBJECT
public:
    static constexpr int kPadding = 12;
    static constexpr int kSpacing = 8;
    static constexpr int kRowHeight = 36;
    static constexpr int kRowSpacing = 3;
    static constexpr int kRowPadding = 9;
    static constexpr qreal kRowRadius = 8;
    static constexpr int kHeaderHeight = 28;
    static constexpr int kPreviewHeight = 104;
    static constexpr qreal kPreviewRadius = 9;
    static constexpr int kPreviewPadding = 7;

    explicit QuickAccessOptionsPage(QWidget *parent = nullptr);

    // Shows the options of this entry (the selected Quick Access entry).
    void setEntry(const ClipboardEntry &entry);
    // Highlights the row at this index.
    void setSelectedRow(int index);
    int selectedRow() const { return m_selectedRow; }
    // The tooltips read from L10n when the buttons were made, in the language of the moment.
    void retranslate();
    bool isImage() const { return m_entry.kind == ClipboardKind::Image; }
    int rowCount() const;
    QString rowTitle(int index) const;
    QRectF rowRect(int index) const;

    QAccessible::Role accessibleRole() const override { return QAccessible::List; }
    QList<PaintedAccessibleItem> accessibleItems() const override;
    void pressAccessibleItem(int item, int part) override;

Q_SIGNALS:
    // Back to the lists (the back button).
    void backRequested();
    // Closes Quick Access altogether (the close button).
    void dismissRequested();
    // The pointer rests on another row.
    void rowHovered(int index);
    // A text option was chosen with the pointer: its result is to be pasted.
    void pasteRequested(const QString &text);
    // An image action was chosen with the pointer.
    void imageActionChosen(QuickImageAction action, const ClipboardEntry &entry);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString rowSymbol(int index) const;
    int rowAt(const QPointF &point) const;
    void commit(int index);

    int m_selectedRow = 0;
    ClipboardEntry m_entry;
    QImage m_preview;
    QString m_previewID;
    QuickAccessIconButton *m_back = nullptr;
    QuickAccessIconButton *m_close = nullptr;
};
