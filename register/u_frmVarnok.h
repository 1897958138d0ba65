#pragma once

#include <QWidget>

// The warranty register window.
class TfrmVarnok : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmVarnok(QWidget *parent = nullptr);
};

extern TfrmVarnok *frmVarnok;
