#include "grid/buttonedit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

ButtonEdit::ButtonEdit(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_edit = new QLineEdit(this);
    m_edit->setFrame(false);
    m_icon = new QLabel(this);
    m_icon->setAutoFillBackground(true);
    m_icon->hide();
    m_button = new QToolButton(this);
    m_button->setText(QStringLiteral("..."));
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_button->setFixedWidth(20);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_icon, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    setAutoFillBackground(true);
    connect(m_button, &QToolButton::clicked, this, &ButtonEdit::buttonClicked);
}

void ButtonEdit::setIcon(const QPixmap &icon)
{
    m_edit->hide();
    m_icon->setPixmap(icon);
    m_icon->show();
    setFocusProxy(nullptr);
    setFocusPolicy(Qt::StrongFocus);
}
