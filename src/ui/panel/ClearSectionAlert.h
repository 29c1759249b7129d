#pragma once

#include "core/ClipboardAppearance.h"
#include "ui/panel/ClearSection.h"
#include "ui/panel/SheetTranslations.h"

#include <QWidget>

class PanelButton;

// Asks before a section is cleared: what goes and what stays, a red button that clears and
// "Zrušiť" that does nothing. Escape cancels; Return does not clear (nothing is deleted by a
// key pressed out of habit).
class ClearSectionAlert : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;

    ClearSectionAlert(ClearSection section, ClipboardAppearance appearance, QWidget *parent = nullptr);

    ClearSection section() const { return m_section; }
    void confirm();
    void cancel();
    // Reads its texts again after a change of the interface language.
    void retranslate();

Q_SIGNALS:
    void confirmed();
    void cancelled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    ClearSection m_section;
    SheetTranslations m_texts;
};
