#pragma once

#include <QWidget>

class QAction;
class QComboBox;
class QToolButton;

// The row of command buttons along the top of the main window, with the
// format list that every outgoing message is converted with. Each button
// runs a command that the menus share.
class CommandBar : public QWidget {
    Q_OBJECT
public:
    explicit CommandBar(QWidget *parent = nullptr);

    QAction *autoInsertAction() const { return m_autoInsert; }
    QAction *previewAction() const { return m_preview; }
    QAction *copyAction() const { return m_copy; }
    QAction *saveAction() const { return m_save; }
    QAction *loadAction() const { return m_load; }
    QAction *optionsAction() const { return m_options; }
    QAction *visitAction() const { return m_visit; }

    // "text" or a template name.
    QString formatName() const;
    int formatIndex() const;
    // An index that names no entry leaves the selection as it is.
    void setFormatIndex(int index);
    // Refills the format list and selects its first entry.
    void setFormats(const QStringList &names);

    void setPublisherAddress(const QString &address);

private:
    QComboBox *m_formats = nullptr;
    QToolButton *m_visitButton = nullptr;
    QAction *m_autoInsert = nullptr;
    QAction *m_preview = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_save = nullptr;
    QAction *m_load = nullptr;
    QAction *m_options = nullptr;
    QAction *m_visit = nullptr;
};
