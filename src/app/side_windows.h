#pragma once

#include "app/app_services.h"

#include <QObject>
#include <QPointer>

class AboutWindow;
class HelpWindow;
class MessageEditorPanel;
class QWidget;
class SavedMessagesWindow;
class TemplateEditor;
class TemplateSet;

// The windows opened from the main window: saved messages, the template
// editor, Help and About. Each is created when first asked for and goes
// away when closed.
class SideWindows : public QObject {
    Q_OBJECT
public:
    SideWindows(const AppServices &services, TemplateSet &templates, MessageEditorPanel &editor, QWidget *owner);
    ~SideWindows() override;

    SavedMessagesWindow *savedMessages() const;
    TemplateEditor *templateEditor() const;
    HelpWindow *help() const;
    AboutWindow *about() const;

    // Closes every open side window, in the order the program ends them.
    void closeAll();

public slots:
    void showSavedMessages();
    void showTemplateEditor();
    void showHelp();
    void showAbout();

signals:
    void templatesSaved();

private:
    const AppServices &m_services;
    TemplateSet &m_templates;
    MessageEditorPanel &m_editor;
    QWidget *m_owner;
    QPointer<SavedMessagesWindow> m_savedMessages;
    QPointer<TemplateEditor> m_templateEditor;
    QPointer<HelpWindow> m_help;
    QPointer<AboutWindow> m_about;
};
