#pragma once

#include "core/ClipboardEntry.h"

#include <QStyledItemDelegate>

#include <functional>

class QuickAccessListModel;

// One Quick Access row, 46 high with 4 between rows. An entry shows its artwork (thumbnail,
// colour swatch or kind tile), its text on one line, source and time, the Ctrl+digit that
// pastes it and the chevron that opens its options; the selected row is filled blue. Snippets
// show their name, text and trigger. (Jars stand as cards of their own.)
class QuickAccessItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 46;
    static constexpr int kRowSpacing = 4;
    static constexpr int kLeadingPadding = 8;
    static constexpr int kArtworkSide = 32;
    static constexpr qreal kArtworkRadius = 7;
    static constexpr int kArtworkPadding = 3;
    static constexpr int kSpacing = 9;
    static constexpr int kTextSpacing = 3;
    static constexpr qreal kRowRadius = 8;
    static constexpr QSize kChevronSize{28, 30};
    static constexpr int kChevronLeading = 6;
    static constexpr int kChevronTrailing = 8;
    static constexpr int kFileGap = 8;

    // `thumbnail` answers an image entry's small picture (null while not yet decoded).
    QuickAccessItemDelegate(const QuickAccessListModel &rows, std::function<QImage(const ClipboardEntry &)> thumbnail,
                            QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where an entry row's chevron lies in a row's rectangle (empty for files, which have none).
    static QRect chevronRect(const QRect &row, const ClipboardEntry &entry);

private:
    void paintEntry(QPainter &painter, const QRect &row, const ClipboardEntry &entry, int index, bool selected) const;
    void paintSnippet(QPainter &painter, const QRect &row, int index, bool selected) const;

    const QuickAccessListModel &m_rows;
    std::function<QImage(const ClipboardEntry &)> m_thumbnail;
};
