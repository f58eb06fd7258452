#include "forms/find_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FindDialog::FindDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_text(new QLineEdit(this))
    , m_findButton(new QPushButton(QStringLiteral("Найти далее"), this))
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Найти"));
    setModal(false);
    m_text->setObjectName(QStringLiteral("findText"));
    m_findButton->setObjectName(QStringLiteral("findButton"));
    m_findButton->setDefault(true);
    auto *layout = new QHBoxLayout(this);
    auto *caption = new QLabel(QStringLiteral("Что:"), this);
    caption->setBuddy(m_text);
    layout->addWidget(caption);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_findButton);
    connect(m_findButton, &QPushButton::clicked, this, &FindDialog::find);
    setMinimumWidth(320);
}

QString FindDialog::text() const
{
    return m_text->text();
}

void FindDialog::setText(const QString &text)
{
    m_text->setText(text);
}
