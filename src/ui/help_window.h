#pragma once

#include <QWidget>

class DataFolder;
class SettingsStore;
class QCheckBox;
class QTextBrowser;

// Form8, "Readme/Help": Help.rtf from the program's folder, always on top.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const DataFolder &folder, SettingsStore &settings, QWidget *parent = nullptr);
    // False when there is no help file: the window is then not shown.
    bool loadWindow();

    QTextBrowser *rtf1 = nullptr;
    QCheckBox *Check1 = nullptr;

private:
    void Check1_Click();

    const DataFolder &m_folder;
    SettingsStore &m_settings;
};
