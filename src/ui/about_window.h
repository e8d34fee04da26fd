#pragma once

#include <QWidget>

class QLabel;

// "About": the product's name, version, owner and web address.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);
    void loadWindow();

private:
    QLabel *m_productName = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_company = nullptr;
    QLabel *m_website = nullptr;
};
