#pragma once

#include <QWidget>

class QCheckBox;
class QTextBrowser;
class SettingsStore;

// "Readme/Help": the help file, always on top, with "Show at Startup".
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(QString helpFilePath, SettingsStore &settings, QWidget *parent = nullptr);
    // False when there is no help file: the window is then not shown.
    bool loadWindow();

private slots:
    void storeShowAtStartup();

private:
    QString m_path;
    SettingsStore &m_settings;
    QTextBrowser *m_text = nullptr;
    QCheckBox *m_showAtStartup = nullptr;
};
