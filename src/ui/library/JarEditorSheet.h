#pragma once

#include "core/ClipboardAppearance.h"
#include "ui/panel/EditorSheet.h"

#include <functional>

class PanelField;
class ToolText;

// Names a new Jar or renames one. The sheet only collects the name; whether it is accepted
// (not empty, not another Jar's) is the presenter's to say, and a refused name keeps the sheet
// open with an error line and the typed text.
class JarEditorSheet : public EditorSheet {
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

Q_SIGNALS:
    void cancelRequested();

protected:
    void cancelKey() override { cancel(); }
    void defaultKey() override;
    void showEvent(QShowEvent *event) override;

private:
    void refresh() override;

    QString m_initialName;
    Save m_onSave;
    bool m_hasNameError = false;
    PanelField *m_field = nullptr;
    ToolText *m_error = nullptr;
};
