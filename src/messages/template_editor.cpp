#include "messages/template_editor.h"

#include "messages/markup_template.h"
#include "ui/controls.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TemplateEditor::TemplateEditor(TemplateSet &templates, SettingsStore &settings, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_templates(templates)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("frmCustom"));
    setWindowTitle(QStringLiteral("Custom Message Templates"));
    setAttribute(Qt::WA_DeleteOnClose); // the close box discards unsaved edits
    auto *intro = labelFor(this, "Label1",
        QStringLiteral("You may use this form to create custom templates for message insertion.  "
                       "Just enter the name, and the required parameters.  Your template will then be "
                       "displayed in the drop down box on the main form.  We don't recommend changing "
                       "the default templates, but if they become outdated you may wish to update them."),
        nullptr);
    intro->setWordWrap(true);
    auto *grid = new QGridLayout;
    const char *headings[5] = { "Name", "Link Open", "Link Middle", "Link End", "Email" };
    for (int c = 0; c < 5; ++c)
        grid->addWidget(labelFor(this, QStringLiteral("lblHeading_%1").arg(c).toLatin1().constData(),
                            QLatin1String(headings[c]), nullptr),
            0, c + 1);
    QLineEdit **columns[5] = { m_names, m_linkOpens, m_linkMiddles, m_linkEnds, m_mailCalls };
    const char *names[5] = { "txtName", "txtLinkOpen01", "txtLinkOpen02", "txtLinkClose", "txtMailCall" };
    for (int r = 0; r < kRows; ++r) {
        grid->addWidget(
            labelFor(this, QStringLiteral("lblRow_%1").arg(r).toLatin1().constData(), QString::number(r + 1), nullptr),
            r + 1, 0);
        for (int c = 0; c < 5; ++c) {
            auto *e = new QLineEdit(this);
            e->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(names[c])).arg(r));
            // The column's heading and the row's number, as a sighted user finds the field.
            e->setAccessibleName(QStringLiteral("%1 %2").arg(QLatin1String(headings[c])).arg(r + 1));
            grid->addWidget(e, r + 1, c + 1);
            columns[c][r] = e;
        }
        m_deleteButtons[r] = new QPushButton(QStringLiteral("del"), this);
        m_deleteButtons[r]->setObjectName(QStringLiteral("cmdDel_%1").arg(r));
        m_deleteButtons[r]->setAccessibleName(QStringLiteral("Delete template %1").arg(r + 1));
        grid->addWidget(m_deleteButtons[r], r + 1, 6);
        connect(m_deleteButtons[r], &QPushButton::clicked, this, [this, r] { clearRow(r); });
        if (r < TemplateSet::kBuiltInCount) {
            // The built-in rows start locked.
            for (int c = 0; c < 5; ++c)
                columns[c][r]->setEnabled(false);
            m_deleteButtons[r]->setEnabled(false);
        }
    }
    m_unlockBox = new QCheckBox(QStringLiteral("Enable changing of default templates"), this);
    m_unlockBox->setObjectName(QStringLiteral("Check1"));
    auto *save = new QPushButton(QStringLiteral("Save and Close"), this);
    save->setObjectName(QStringLiteral("Command1"));
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_unlockBox);
    bottom->addStretch(1);
    bottom->addWidget(save);
    auto *column = new QVBoxLayout(this);
    column->addWidget(intro);
    column->addLayout(grid);
    column->addStretch(1);
    column->addLayout(bottom);
    resize(760, 420);

    connect(m_unlockBox, &QCheckBox::clicked, this, &TemplateEditor::unlockDefaultTemplates);
    connect(save, &QPushButton::clicked, this, &TemplateEditor::saveAndClose);
}

void TemplateEditor::loadWindow()
{
    showTemplateFields();
    applySkin(this);
}

void TemplateEditor::showTemplateFields()
{
    for (int r = 0; r < kRows; ++r) {
        const MarkupTemplate &t = m_templates.at(r);
        m_names[r]->setText(t.name);
        m_linkOpens[r]->setText(t.linkOpen01);
        m_linkMiddles[r]->setText(t.linkOpen02);
        m_linkEnds[r]->setText(t.linkClose01);
        m_mailCalls[r]->setText(t.mailCall01);
    }
}

void TemplateEditor::storeTemplateFields()
{
    for (int r = 0; r < kRows; ++r) {
        MarkupTemplate &t = m_templates.at(r);
        t.name = m_names[r]->text();
        t.linkOpen01 = m_linkOpens[r]->text();
        t.linkOpen02 = m_linkMiddles[r]->text();
        t.linkClose01 = m_linkEnds[r]->text();
        t.mailCall01 = m_mailCalls[r]->text();
    }
}

void TemplateEditor::unlockDefaultTemplates()
{
    const bool on = m_unlockBox->isChecked();
    for (int r = 0; r < TemplateSet::kBuiltInCount; ++r) {
        m_linkOpens[r]->setEnabled(on);
        m_linkMiddles[r]->setEnabled(on);
        m_linkEnds[r]->setEnabled(on);
        m_mailCalls[r]->setEnabled(on);
        m_deleteButtons[r]->setEnabled(on);
    }
}

void TemplateEditor::clearRow(int row)
{
    if (row < 0 || row >= kRows)
        return;
    m_names[row]->clear();
    m_linkOpens[row]->clear();
    m_linkMiddles[row]->clear();
    m_linkEnds[row]->clear();
    m_mailCalls[row]->clear();
}

void TemplateEditor::saveAndClose()
{
    storeTemplateFields();
    emit templatesSaved();
    m_templates.save(m_settings);
    hide();
}
