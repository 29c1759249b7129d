#pragma once

#include "core/ClipboardAppearance.h"
#include "ui/panel/SheetTranslations.h"

#include <QWidget>

#include <functional>

class PanelButton;
class PanelField;
class ToolText;

// Names a new Jar or renames one. The sheet only collects the name; whether it is accepted
// (not empty, not another Jar's) is the presenter's to say, and a refused name keeps the sheet
// open with an error line and the typed text.
class JarEditorSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{370, 230};

    // Creates or renames with the name as typed; false when the model refused it.
    using Save = std::function<bool(const QString &name)>;

    // An empty initial name means a new Jar.
    JarEditorSheet(const QString &initialName, ClipboardAppearance appearance, Save onSave, QWidget *parent = nullptr);

    bool isCreating() const { return m_initialName.isEmpty(); }
    QString name() const;
    bool hasNameError() const { return m_hasNameError; }
    QSize sizeHint() const override { return kSize; }

    // Hands the name to the presenter, even an empty one (Return in the field does so).
    void submit();
    void cancel();
    // Reads its texts again after a change of the interface language; the name stays.
    void retranslate();

Q_SIGNALS:
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    QString m_initialName;
    Save m_onSave;
    bool m_hasNameError = false;
    SheetTranslations m_texts;
    PanelField *m_field = nullptr;
    ToolText *m_error = nullptr;
    PanelButton *m_saveButton = nullptr;
};
