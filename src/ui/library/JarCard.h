#pragma once

#include "core/ClipboardJar.h"

#include <QWidget>

#include <functional>

class EntryOverflowButton;

// One Jar in the Jars list (and Quick Access's list of Jars): its tile, name and the number of
// entries it lists, with rename and delete buttons on the right. A click elsewhere opens it.
class JarCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumHeight = 62;
    static constexpr qreal kCornerRadius = 13;
    static constexpr int kSpacing = 8;
    static constexpr int kLeadingPadding = 10;
    static constexpr int kTrailingPadding = 8;
    static constexpr int kContentSpacing = 10;
    static constexpr int kTileSide = 36;
    static constexpr qreal kTileRadius = 11;
    static constexpr qreal kTileSymbolSize = 14;
    static constexpr qreal kTileOpacity = 0.1;
    static constexpr qreal kNameSize = 11;
    static constexpr qreal kCountSize = 9;
    static constexpr int kTextSpacing = 4;

    // `entryCount` is the number of entries the Jar lists now.
    JarCard(const ClipboardJar &jar, int entryCount, QWidget *parent = nullptr);

    // "1 položka", "3 položky", "5 položiek" (the Slovak plural rule, in the interface language).
    static QString countText(int count);

    const QString &jarID() const { return m_jar.id; }
    int entryCount() const { return m_entryCount; }
    EntryOverflowButton *renameButton() const { return m_rename; }
    EntryOverflowButton *deleteButton() const { return m_delete; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void opened(const QString &jarID);
    void renameRequested(const QString &jarID);
    void deleteRequested(const QString &jarID);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    ClipboardJar m_jar;
    int m_entryCount;
    EntryOverflowButton *m_rename = nullptr;
    EntryOverflowButton *m_delete = nullptr;
};
