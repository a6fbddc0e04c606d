#include "modalcatcher.h"

#include <QApplication>
#include <QMessageBox>

ModalCatcher::ModalCatcher(QObject *parent)
    : QObject(parent)
{
    connect(&timer, &QTimer::timeout, this, &ModalCatcher::poll);
    timer.start(20);
}

void ModalCatcher::clear()
{
    seenTitles.clear();
    seenTexts.clear();
}

void ModalCatcher::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("halvorineSeen").toBool())
        return;
    box->setProperty("halvorineSeen", true);
    seenTitles.append(box->windowTitle());
    seenTexts.append(box->text());
    if (onShown)
        onShown();
    if (closing)
        box->done(QMessageBox::Ok);
}
