#include "panels/command_bar.h"

#include "ui/controls.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

CommandBar::CommandBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("commandBar"));
    auto *autoInsert = pictureButton(this, "cmdMessage", QStringLiteral("Auto-Insert"),
        QStringLiteral("Once you are on the page where you can post your message, click here to insert it."),
        QStyle::SP_ArrowForward, Qt::ToolButtonTextBesideIcon);
    m_formats = named<QComboBox>(this, "cmbConvert");
    m_formats->setEditable(false);
    m_formats->setToolTip(QStringLiteral("Select the format you would like to use when your message is inserted."));
    m_formats->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // The caption reads "Auto-Insert as" across the button and the list.
    m_formats->setAccessibleName(QStringLiteral("Auto-Insert as"));
    auto *as = labelFor(this, "Label2", QStringLiteral("as"), m_formats);
    auto *preview = pictureButton(this, "cmdPreview", QStringLiteral("Preview"),
        QStringLiteral("See a preview of your message in the currently selected format"),
        QStyle::SP_FileDialogContentsView, Qt::ToolButtonTextUnderIcon);
    auto *copy = pictureButton(this, "cmdCopy", QStringLiteral("Copy"),
        QStringLiteral("Copy your message to the clipboard in the selected format"), QStyle::SP_FileDialogNewFolder,
        Qt::ToolButtonTextUnderIcon);
    auto *save = pictureButton(this, "cmdSave", QStringLiteral("Save"), QStringLiteral("Save the current message"),
        QStyle::SP_DialogSaveButton, Qt::ToolButtonTextUnderIcon);
    auto *load = pictureButton(this, "cmdLoad", QStringLiteral("Load"), QStringLiteral("Load a saved message"),
        QStyle::SP_DialogOpenButton, Qt::ToolButtonTextUnderIcon);
    auto *options = pictureButton(this, "cmdOptions", QStringLiteral("Options"), QStringLiteral("Options"),
        QStyle::SP_FileDialogDetailedView, Qt::ToolButtonTextUnderIcon);
    m_visitButton = pictureButton(this, "Command1", QStringLiteral("Visit "), QStringLiteral("Visit us!"),
        QStyle::SP_DirHomeIcon, Qt::ToolButtonTextBesideIcon);
    m_visitButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    for (QToolButton *b : { autoInsert, preview, copy, save, load, options, m_visitButton })
        b->setMinimumHeight(48);
    row->addWidget(autoInsert);
    row->addWidget(as, 0, Qt::AlignBottom);
    row->addWidget(m_formats, 0, Qt::AlignBottom);
    for (QToolButton *b : { preview, copy, save, load, options })
        row->addWidget(b);
    row->addWidget(m_visitButton, 1);

    m_autoInsert = command(this, "autoInsert", QStringLiteral("Auto &Insert"), QKeySequence(Qt::CTRL | Qt::Key_I));
    m_preview
        = command(this, "previewMessage", QStringLiteral("&Preview"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    m_copy = command(this, "copyMessage", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_save = command(this, "saveMessage", QStringLiteral("&Save Message"), QKeySequence::Save);
    m_load = command(this, "loadMessage", QStringLiteral("&Load Message"), QKeySequence::Open);
    m_options = command(this, "showTemplateEditor", QStringLiteral("&Options"));
    m_visit = command(this, "visitPublisher", QStringLiteral("Visit"));
    const QList<QPair<QToolButton *, QAction *>> commands = { { autoInsert, m_autoInsert }, { preview, m_preview },
        { copy, m_copy }, { save, m_save }, { load, m_load }, { options, m_options }, { m_visitButton, m_visit } };
    for (const auto &[button, action] : commands) {
        runsCommand(button, action);
        // Where no menu holds the command, its shortcut works through the bar.
        addAction(action);
    }
}

QString CommandBar::formatName() const
{
    return m_formats->currentText();
}

int CommandBar::formatIndex() const
{
    return m_formats->currentIndex();
}

void CommandBar::setFormatIndex(int index)
{
    if (index >= 0 && index < m_formats->count())
        m_formats->setCurrentIndex(index);
}

void CommandBar::setFormats(const QStringList &names)
{
    m_formats->clear();
    m_formats->addItems(names);
    m_formats->setCurrentIndex(0);
}

void CommandBar::setPublisherAddress(const QString &address)
{
    m_visitButton->setText(QLatin1String("Visit ") + address);
}
