#pragma once

#include "ui/style/PanelStyle.h"

#include <QLabel>

// A text or a symbol of the image tools in one colour role of the kit. It takes that colour
// from the scheme it is shown in and follows when the scheme changes, as painted views do.
class ToolText : public QLabel {
    Q_OBJECT
public:
    enum class Role { Primary, Secondary, Muted, Accent, Error, Warning };

    ToolText(const QString &text, qreal pointSize, int weight, Role role, QWidget *parent = nullptr);
    // A symbol drawn at the size it takes beside text of `pointSize`.
    static ToolText *symbol(const QString &name, qreal pointSize, Role role, QWidget *parent = nullptr);

    void setRole(Role role);
    void setSymbol(const QString &name);
    const QString &symbolName() const { return m_symbol; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyColor();

    Role m_role;
    qreal m_pointSize;
    QString m_symbol;
    bool m_applying = false;
};
