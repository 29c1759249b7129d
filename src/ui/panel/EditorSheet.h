#pragma once

#include "ui/panel/SheetKeys.h"
#include "ui/panel/SheetTranslations.h"

#include <QWidget>

class PanelButton;
class QHBoxLayout;
class ToolText;

// A sheet that edits something and hands it to its presenter (a Jar's name, a snippet, an
// entry's text): the panel's background behind it, its fixed texts kept for a change of
// language, and the sheet keys (Escape, Ctrl+S, Return) turned into its ways out.
class EditorSheet : public QWidget {
    Q_OBJECT
public:
    // Reads its texts again after a change of the interface language; what was typed stays.
    void retranslate();

protected:
    explicit EditorSheet(QWidget *parent);

    // Shows the state of what is typed: the save button, a hint or an error line.
    virtual void refresh() = 0;
    // Escape.
    virtual void cancelKey() = 0;
    // Ctrl+S; false leaves the key to the ordinary handling.
    virtual bool saveKey() { return false; }
    // Return or Enter that the focused control left to the sheet; taken even when it does nothing,
    // so that it goes no further.
    virtual void defaultKey() {}
    // Ctrl+Return, for a sheet whose text editor keeps Return for its line breaks; false leaves
    // the key to the ordinary handling.
    virtual bool forcedDefaultKey() { return false; }

    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // The bold label of the text area with the character count at its right end; the count,
    // named "count", is the sheet's to fill.
    QHBoxLayout *labelWithCount(SheetTranslations::Text label, qreal labelSize, qreal countSize, ToolText *&count);

    // The header's close button: a cross, "Zavrieť" as its help, named "headerClose".
    PanelButton *headerCloseButton(int height, int padding, qreal symbolSize);

    SheetTranslations m_texts;
    PanelButton *m_saveButton = nullptr;
};
