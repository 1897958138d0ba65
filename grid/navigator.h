#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QToolButton;

// The record navigator bar under a grid's rows, with its position panel.
// It only shows buttons and says which was pressed; the grid acts.
class Navigator : public QWidget
{
    Q_OBJECT
public:
    enum Button {
        First, PriorPage, Prior, Next, NextPage, Last, Insert, Delete, Edit, Post, Cancel,
        Refresh, SaveBookmark, GotoBookmark, Filter, ButtonCount
    };
    Q_ENUM(Button)

    explicit Navigator(QWidget *parent = nullptr);

    QToolButton *button(Button which) const { return m_buttons[size_t(which)]; }
    static QString hint(Button which);

    void setPositionVisible(bool visible);
    bool isPositionVisible() const;
    void setPosition(int recordIndex, int recordCount); // "3 of 120"
    QString positionText() const;

signals:
    void buttonClicked(Navigator::Button which);

private:
    std::array<QToolButton *, ButtonCount> m_buttons{};
    QLabel *m_position = nullptr;
};
