#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

// An editor cell with a "..." button at its right: a line edit, or an icon
// in place of the text (binary content).
class ButtonEdit : public QWidget
{
    Q_OBJECT
public:
    explicit ButtonEdit(QWidget *parent = nullptr);

    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *button() const { return m_button; }
    // Shows the icon instead of the line edit.
    void setIcon(const QPixmap &icon);

signals:
    void buttonClicked();

private:
    QLineEdit *m_edit;
    QLabel *m_icon;
    QToolButton *m_button;
};
