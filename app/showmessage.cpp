#include "app/showmessage.h"

#include <QMessageBox>

void showMessage(const QString &text)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Halvorine"));
    box.setText(text);
    box.exec();
}
