#pragma once

#include <QAbstractButton>

#include <chrono>
#include <optional>

// One row of an entry's actions menu: a symbol, the title (wrapping when long), an optional
// one-line detail under it, and at the trailing end an optional checkmark and a chevron for rows
// that open a sub-page. The main action of a menu is prominent: stronger title and a faint
// accent fill at rest. Texts are shown as given (callers pass localised ones).
class MenuActionRow : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int kSidePadding = 9;
    static constexpr int kPaddingWithDetail = 9;
    static constexpr int kPaddingWithoutDetail = 7;
    static constexpr int kSpacing = 9;
    static constexpr int kSymbolColumn = 17;
    static constexpr int kTitleDetailSpacing = 3;
    static constexpr int kMinimumGap = 3;
    static constexpr qreal kCornerRadius = 7;
    static constexpr qreal kDisabledOpacity = 0.4;
    static constexpr std::chrono::milliseconds kHoverDuration{100};

    struct Content {
        QString title{};
        QString symbol{};
        bool prominent = false;
        bool checked = false;
        std::optional<QString> detail{};
        bool disclosure = false;
    };

    explicit MenuActionRow(Content content, QWidget *parent = nullptr);

    const Content &content() const { return m_content; }
    qreal hoverProgress() const { return m_hover; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    qreal titleWidth(int rowWidth) const;
    int trailingWidth() const;

    Content m_content;
    bool m_hovered = false;
    qreal m_hover = 0;
};
