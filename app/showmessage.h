#ifndef HALVORINE_SHOWMESSAGE_H
#define HALVORINE_SHOWMESSAGE_H

#include <QString>

// The program's one way of telling the operator about a failure: a modal box titled
// "Halvorine". Returns when the operator has closed it.
void showMessage(const QString &text);

#endif
