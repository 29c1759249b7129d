#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"
#include "ui/panel/EditorSheet.h"

#include <functional>

class PanelButton;
class SheetTextBox;
class ToolText;

// Changes the text of one history entry before it is used: the edit can be saved into the
// entry, pasted where the user was, or dropped. The sheet changes nothing itself; its presenter
// makes the model calls. A save the presenter refuses (the entry is gone, or holds no text)
// keeps the sheet open with the edit and says why.
class EditTextSheet : public EditorSheet {
    Q_OBJECT
public:
    static constexpr QSize kSize{570, 420};

    // Stores the text into the entry; false when it could not (the sheet then stays open).
    using Save = std::function<bool(const QString &text)>;

    EditTextSheet(ClipboardEntry entry, const QString &text, ClipboardAppearance appearance, Save onSave,
                  QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    QString text() const;
    // Saving needs a text that is not empty and differs from the stored one (exactly: spaces
    // and line breaks count).
    bool canSave() const;
    bool isSaveRefused() const { return m_saveRefused; }
    QSize sizeHint() const override { return kSize; }
    // The frame is fixed; the wrapping hint inside does not make it grow.
    bool hasHeightForWidth() const override { return false; }


    // The three ways out, as the buttons and keys take them (Escape, Ctrl+S, Return or Ctrl+Return).
    void close();
    void save();
    void paste();

Q_SIGNALS:
    void textChanged(const QString &text);
    void closeRequested();
    void pasteRequested(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void cancelKey() override { close(); }
    bool saveKey() override;
    // The editor keeps Return for its own line breaks, so Return pastes only from elsewhere in
    // the sheet.
    void defaultKey() override { paste(); }
    // Ctrl+Return pastes from inside the editor too.
    bool forcedDefaultKey() override
    {
        paste();
        return true;
    }
    void showEvent(QShowEvent *event) override;

private:
    void refresh() override;

    ClipboardEntry m_entry;
    Save m_onSave;
    bool m_saveRefused = false;
    SheetTextBox *m_textBox = nullptr;
    ToolText *m_count = nullptr;
    ToolText *m_hint = nullptr;
    QWidget *m_divider = nullptr;
    PanelButton *m_pasteButton = nullptr;
};
