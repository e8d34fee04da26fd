#pragma once

#include <QWidget>

class MainWindow;
class QCheckBox;
class QLineEdit;
class QPushButton;

// frmCustom, "Custom Message Templates": one row per template slot. The rows
// of the built-in templates are locked until "Enable changing of default
// templates" is ticked; their names stay locked always.
class TemplateEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 8;

    explicit TemplateEditor(MainWindow *main);
    void loadWindow();
    void showTemplateFields();
    void storeTemplateFields();

    void Check1_Click();
    void cmdDel_Click(int row);
    void Command1_Click();

    QLineEdit *txtName[kRows] = {};
    QLineEdit *txtLinkOpen01[kRows] = {};
    QLineEdit *txtLinkOpen02[kRows] = {};
    QLineEdit *txtLinkClose[kRows] = {};
    QLineEdit *txtMailCall[kRows] = {};
    QPushButton *cmdDel[kRows] = {};
    QCheckBox *Check1 = nullptr;
    QPushButton *Command1 = nullptr;

private:
    MainWindow *m_main;
};
