#include "ui/help_window.h"

#include "platform/data_folder.h"
#include "platform/settings_store.h"
#include "ui/help_document.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QString helpFilePath, SettingsStore &settings, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_path(std::move(helpFilePath))
    , m_settings(settings)
{
    setObjectName(QStringLiteral("Form8"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Readme/Help"));
    auto *layout = new QVBoxLayout(this);
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("rtf1"));
    m_text->setPlainText(QStringLiteral("RichTextBox1"));
    m_text->setOpenExternalLinks(true);
    m_showAtStartup = new QCheckBox(QStringLiteral("Show at Startup"), this);
    m_showAtStartup->setObjectName(QStringLiteral("Check1"));
    m_showAtStartup->setChecked(true);
    layout->addWidget(m_text);
    layout->addWidget(m_showAtStartup);
    resize(640, 560);
    connect(m_showAtStartup, &QCheckBox::clicked, this, &HelpWindow::storeShowAtStartup);
}

bool HelpWindow::loadWindow()
{
    applySkin(this);
    if (!xfileExists(m_path))
        return false;
    const HelpDocument help = readHelpDocument(m_path);
    if (help.ok)
        m_text->setHtml(help.html);
    else
        m_text->setPlainText(help.error);
    setOnTop(this, true);
    m_showAtStartup->setChecked(
        m_settings.read(QStringLiteral("Settings"), QStringLiteral("showHelp"), QStringLiteral("1")).toInt() != 0);
    return true;
}

void HelpWindow::storeShowAtStartup()
{
    m_settings.write(QStringLiteral("Settings"), QStringLiteral("showHelp"),
        m_showAtStartup->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}
