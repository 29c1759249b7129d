#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardSnippet.h"
#include "ui/panel/SheetTranslations.h"

#include <QWidget>

#include <functional>
#include <optional>

class PanelButton;
class PanelField;
class SheetTextBox;
class ToolText;

// Creates a text snippet or edits one: a name, an optional trigger typed anywhere to insert it,
// and its text over several lines, which can be filled from the newest text copy. Whether the
// snippet is accepted is the presenter's to say; a refusal keeps the fields and shows a red line.
class SnippetEditorSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{580, 470};

    // Stores the snippet from the fields as typed; false when the model refused it.
    using Save = std::function<bool(const QString &name, const QString &trigger, const QString &text)>;

    SnippetEditorSheet(std::optional<ClipboardSnippet> snippet, std::optional<QString> latestCopiedText,
                       ClipboardAppearance appearance, Save onSave, QWidget *parent = nullptr);

    const std::optional<ClipboardSnippet> &snippet() const { return m_snippet; }
    QString name() const;
    QString trigger() const;
    QString content() const;
    // Name and text each hold more than white space; the trigger may be empty.
    bool canSave() const;
    bool hasSaveError() const { return m_saveError; }
    QSize sizeHint() const override { return kSize; }

    // Reads its texts again after a change of the interface language; the fields stay.
    void retranslate();

    void close();
    void save();
    // The whole text area becomes the newest copied text.
    void useLatestCopy();

Q_SIGNALS:
    void closeRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    std::optional<ClipboardSnippet> m_snippet;
    std::optional<QString> m_latestCopiedText;
    Save m_onSave;
    bool m_saveError = false;
    SheetTranslations m_texts;
    PanelField *m_name = nullptr;
    PanelField *m_trigger = nullptr;
    SheetTextBox *m_textBox = nullptr;
    ToolText *m_count = nullptr;
    ToolText *m_hint = nullptr;
    PanelButton *m_saveButton = nullptr;
};
