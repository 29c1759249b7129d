#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>

class PanelButton;
class QHBoxLayout;

// The heading row of every section screen (and, without a count, of the settings pages): a
// tinted tile with the section's symbol, the title, then either a count capsule or a one-line
// detail, room, and the caller's accessory on the right; optionally a leading view first.
class ScreenHeading : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumHeight = 38;
    static constexpr int kSpacing = 8;
    static constexpr int kTileSide = 28;
    static constexpr qreal kTileRadius = 8;
    static constexpr qreal kTileSymbolSize = 12;
    static constexpr qreal kTintOpacity = 0.11;
    static constexpr qreal kTitleSize = 15;
    static constexpr qreal kDetailSize = 9;
    static constexpr qreal kCountSize = 10;
    static constexpr int kCountSpacing = 7;
    static constexpr int kCountPadding = 8;
    static constexpr int kCountHeight = 23;
    static constexpr int kDetailSpacing = 2;
    static constexpr int kMinimumGap = 4;
    // The clear button beside a section's count.
    static constexpr int kButtonHeight = 32;
    static constexpr int kButtonPadding = 12;
    static constexpr qreal kButtonTextSize = 9;

    explicit ScreenHeading(QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    void setTitle(const QString &title);
    void setDetail(const QString &detail);
    void setCount(std::optional<int> count);
    // The heading takes ownership; a second call replaces (and deletes) the previous view.
    void setLeading(QWidget *view);
    void setAccessory(QWidget *view);

    QString title() const { return m_title; }
    std::optional<int> count() const { return m_count; }

    // The title of the clear button in the language of the moment.
    static QString clearTitle();
    // The "Vymazať všetko" button of a clearable section: help text as tooltip and accessible
    // name; the screen connects its press.
    static PanelButton *clearButton(const QString &help, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF textRect() const;

    QHBoxLayout *m_layout = nullptr;
    QWidget *m_textSlot = nullptr;
    QPointer<QWidget> m_leading;
    QPointer<QWidget> m_accessory;
    QString m_symbol;
    QString m_title;
    QString m_detail;
    std::optional<int> m_count;
};

// The small grey heading of a group inside a settings page: the title on the left, the detail
// on the right.
class GroupHeading : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kTextSize = 9;
    static constexpr int kHorizontalPadding = 2;

    GroupHeading(const QString &title, const QString &detail, QWidget *parent = nullptr);
    void setTexts(const QString &title, const QString &detail);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_detail;
};
