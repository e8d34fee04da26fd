#include "panels/command_bar.h"

#include "app/window_layout.h"
#include "ui/placement.h"

#include <QComboBox>
#include <QToolButton>

namespace {
// The bar ends where the frames below it begin.
constexpr int kHeight = Design::editorTop;
} // namespace

CommandBar::CommandBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("commandBar"));
    auto *autoInsert = makePictureButton(this, "cmdMessage", QStringLiteral("Auto-Insert"),
        QStringLiteral("Once you are on the page where you can post your message, click here to insert it."),
        QStyle::SP_ArrowForward, 60, 60, 1600, 800, false);
    makeLabel(this, "Label2", QStringLiteral("as"), 1740, 540, 255, 255);
    m_formats = makeControl<QComboBox>(this, "cmbConvert", 2100, 480, 1635, 315);
    m_formats->setEditable(false);
    m_formats->setToolTip(QStringLiteral("Select the format you would like to use when your message is inserted."));
    auto *preview = makePictureButton(this, "cmdPreview", QStringLiteral("Preview"),
        QStringLiteral("See a preview of your message in the currently selected format"),
        QStyle::SP_FileDialogContentsView, 3840, 60, 800, 800, true);
    auto *copy = makePictureButton(this, "cmdCopy", QStringLiteral("Copy"),
        QStringLiteral("Copy your message to the clipboard in the selected format"), QStyle::SP_FileDialogNewFolder,
        4680, 60, 800, 800, true);
    auto *save = makePictureButton(this, "cmdSave", QStringLiteral("Save"), QStringLiteral("Save the current message"),
        QStyle::SP_DialogSaveButton, 5520, 60, 800, 800, true);
    auto *load = makePictureButton(this, "cmdLoad", QStringLiteral("Load"), QStringLiteral("Load a saved message"),
        QStyle::SP_DialogOpenButton, 6360, 60, 800, 800, true);
    auto *options = makePictureButton(this, "cmdOptions", QStringLiteral("Options"), QStringLiteral("Options"),
        QStyle::SP_FileDialogDetailedView, 7200, 60, 800, 800, true);
    m_visitButton = makePictureButton(this, "Command1", QStringLiteral("Visit "), QStringLiteral("Visit us!"),
        QStyle::SP_DirHomeIcon, 8040, 60, 2115, 795, false);
    // Labels on the window itself get skinned copies from this model.
    makeSkinLabelModel(this, "SkinLabel1_0");

    m_autoInsert = buttonAction(autoInsert, "autoInsert");
    m_preview = buttonAction(preview, "previewMessage");
    m_copy = buttonAction(copy, "copyMessage");
    m_save = buttonAction(save, "saveMessage");
    m_load = buttonAction(load, "showSavedMessages");
    m_options = buttonAction(options, "showTemplateEditor");
    m_visit = buttonAction(m_visitButton, "visitPublisher");
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

void CommandBar::fitTo(int width, int visitButtonWidth)
{
    resizeInTwips(this, width, kHeight);
    setWidthInTwips(m_visitButton, visitButtonWidth);
}
