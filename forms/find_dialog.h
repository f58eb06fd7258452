#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// A small modeless search box: a text field and a find button. It keeps its
// text between showings.
class FindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindDialog(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

Q_SIGNALS:
    // The user asked to find the text.
    void find();

private:
    QLineEdit *m_text;
    QPushButton *m_findButton;
};
