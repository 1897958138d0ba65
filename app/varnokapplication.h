#pragma once

#include <QApplication>

// The top-level error display: an error that reaches the event loop is shown
// in a message box and the loop goes on.
class VarnokApplication : public QApplication
{
public:
    VarnokApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Creates the program's long-lived objects, in their fixed order.
void createApplicationObjects();
void destroyApplicationObjects();
