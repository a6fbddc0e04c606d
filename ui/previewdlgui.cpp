#include "ui/previewdlgui.h"

#include "ui/previewdlgstyle.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QMetaObject>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

void PreviewDlgUi::setupUi(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("PreviewDlg"));
    dialog->resize(658, 455);
    dialog->setStyleSheet(QString::fromLatin1(PreviewDlgStyle::dialogSheet));

    verticalLayout = new QVBoxLayout(dialog);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));

    // Two expanding spacers share the spare width: Play and Stop meet in the middle,
    // Snap sits at the right edge.
    leftSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(leftSpacer);
    playBtn = new QPushButton(dialog);
    playBtn->setObjectName(QStringLiteral("playBtn"));
    horizontalLayout->addWidget(playBtn);
    StopBtn = new QPushButton(dialog);
    StopBtn->setObjectName(QStringLiteral("StopBtn"));
    horizontalLayout->addWidget(StopBtn);
    rightSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(rightSpacer);
    snapCheck = new QCheckBox(dialog);
    snapCheck->setObjectName(QStringLiteral("snapCheck"));
    horizontalLayout->addWidget(snapCheck);
    verticalLayout->addLayout(horizontalLayout);

    player = new QFrame(dialog);
    player->setObjectName(QStringLiteral("player"));
    player->setMinimumSize(QSize(640, 400));
    player->setStyleSheet(QString::fromLatin1(PreviewDlgStyle::playerSheet));
    player->setFrameShape(QFrame::StyledPanel);
    player->setFrameShadow(QFrame::Raised);
    verticalLayout->addWidget(player);

    retranslateUi(dialog);
    QMetaObject::connectSlotsByName(dialog);
}

void PreviewDlgUi::retranslateUi(QDialog *dialog)
{
    auto tr = [](const char *text) { return QCoreApplication::translate("PreviewDlg", text, nullptr, -1); };
    dialog->setWindowTitle(tr("Preview"));
    playBtn->setText(tr("Play"));
    StopBtn->setText(tr("Stop"));
    snapCheck->setText(tr("Snap"));
}
