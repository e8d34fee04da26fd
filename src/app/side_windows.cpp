#include "app/side_windows.h"

#include "messages/saved_messages_window.h"
#include "messages/template_editor.h"
#include "panels/message_editor_panel.h"
#include "ui/about_window.h"
#include "ui/help_window.h"

SideWindows::SideWindows(
    const AppServices &services, TemplateSet &templates, MessageEditorPanel &editor, QWidget *owner)
    : QObject(owner)
    , m_services(services)
    , m_templates(templates)
    , m_editor(editor)
    , m_owner(owner)
{
}

SideWindows::~SideWindows()
{
    // They go before the main window: they hold references to its state.
    for (QWidget *w : { static_cast<QWidget *>(m_savedMessages.data()), static_cast<QWidget *>(m_templateEditor.data()),
             static_cast<QWidget *>(m_help.data()), static_cast<QWidget *>(m_about.data()) })
        delete w;
}

SavedMessagesWindow *SideWindows::savedMessages() const
{
    return m_savedMessages;
}

TemplateEditor *SideWindows::templateEditor() const
{
    return m_templateEditor;
}

HelpWindow *SideWindows::help() const
{
    return m_help;
}

AboutWindow *SideWindows::about() const
{
    return m_about;
}

void SideWindows::closeAll()
{
    for (QWidget *w : { static_cast<QWidget *>(m_templateEditor.data()), static_cast<QWidget *>(m_help.data()),
             static_cast<QWidget *>(m_savedMessages.data()), static_cast<QWidget *>(m_about.data()) }) {
        if (w)
            w->close(); // side windows are destroyed on close
    }
}

void SideWindows::showSavedMessages()
{
    if (!m_savedMessages) {
        m_savedMessages = new SavedMessagesWindow(m_services.folder, *m_services.dialogs, m_owner);
        connect(m_savedMessages, &SavedMessagesWindow::messageChosen, &m_editor,
            [this](const QString &body, const QString &subject, bool hasSubject) {
                m_editor.setMessageText(body);
                if (hasSubject)
                    m_editor.setSubjectText(subject);
            });
        if (!m_savedMessages->loadWindow()) {
            delete m_savedMessages.data();
            return;
        }
    }
    m_savedMessages->show();
    m_savedMessages->raise();
}

void SideWindows::showTemplateEditor()
{
    if (!m_templateEditor) {
        m_templateEditor = new TemplateEditor(m_templates, *m_services.settings, m_owner);
        connect(m_templateEditor, &TemplateEditor::templatesSaved, this, &SideWindows::templatesSaved);
        m_templateEditor->loadWindow();
    }
    m_templateEditor->show();
    m_templateEditor->raise();
}

void SideWindows::showHelp()
{
    if (!m_help) {
        const QString path = m_services.helpFile.isEmpty() ? m_services.folder.filePath(QStringLiteral("Help.rtf"))
                                                           : m_services.helpFile;
        m_help = new HelpWindow(path, *m_services.settings, m_owner);
        if (!m_help->loadWindow()) {
            delete m_help.data();
            return; // no help file: no window, no message
        }
    }
    m_help->show();
    m_help->raise();
}

void SideWindows::showAbout()
{
    if (!m_about) {
        m_about = new AboutWindow(m_owner);
        m_about->loadWindow();
    }
    m_about->show();
    m_about->raise();
}
