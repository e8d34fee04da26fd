#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class SettingsStore;
class TemplateSet;

// "Custom Message Templates": one row per template slot. The rows of the
// built-in templates are locked until "Enable changing of default templates"
// is ticked; their names stay locked always. "Save and Close" stores every
// row; the close box discards the edits.
class TemplateEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 8;

    TemplateEditor(TemplateSet &templates, SettingsStore &settings, QWidget *parent = nullptr);
    void loadWindow();

signals:
    void templatesSaved();

private slots:
    void unlockDefaultTemplates();
    void clearRow(int row);
    void saveAndClose();

private:
    void showTemplateFields();
    void storeTemplateFields();

    TemplateSet &m_templates;
    SettingsStore &m_settings;
    QLineEdit *m_names[kRows] = {};
    QLineEdit *m_linkOpens[kRows] = {};
    QLineEdit *m_linkMiddles[kRows] = {};
    QLineEdit *m_linkEnds[kRows] = {};
    QLineEdit *m_mailCalls[kRows] = {};
    QPushButton *m_deleteButtons[kRows] = {};
    QCheckBox *m_unlockBox = nullptr;
};
