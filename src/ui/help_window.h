#pragma once

#include <QWidget>

class SettingsStore;
class QCheckBox;
class QTextBrowser;

// Form8, "Readme/Help": the help file (Help.rtf), always on top.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(QString helpFile, SettingsStore &settings, QWidget *parent = nullptr);
    // False when there is no help file: the window is then not shown.
    bool loadWindow();

    QTextBrowser *rtf1 = nullptr;
    QCheckBox *Check1 = nullptr;

private:
    void Check1_Click();

    QString m_helpFile;
    SettingsStore &m_settings;
};
