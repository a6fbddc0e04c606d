#include "ui/mainwindowui.h"

#include "ui/mainwindowstyle.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaObject>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int layoutSpacing = 6;
constexpr int sideButtonWidth = 50;
constexpr int removeButtonMaxWidth = 70;
constexpr int padButtonSize = 44;

QHBoxLayout *rowLayout(const char *objectName)
{
    auto *layout = new QHBoxLayout();
    layout->setSpacing(layoutSpacing);
    layout->setObjectName(QString::fromLatin1(objectName));
    return layout;
}

template <typename Widget>
Widget *namedChild(QWidget *parent, const char *objectName)
{
    auto *widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(objectName));
    return widget;
}

void fixWidth(QWidget *widget, int width)
{
    widget->setMinimumSize(QSize(width, 0));
    widget->setMaximumSize(QSize(width, QWIDGETSIZE_MAX));
}

} // namespace

void MainWindowUi::setupUi(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("MainWindow"));
    window->resize(211, 404);
    // Set before any child exists, so every descendant is styled from the start.
    window->setStyleSheet(QString::fromLatin1(MainWindowStyle::windowSheet));

    actionPreview_Window = new QAction(window);
    actionPreview_Window->setObjectName(QStringLiteral("actionPreview_Window"));
    centralWidget = new QWidget(window);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    horizontalLayout = new QHBoxLayout(centralWidget);
    horizontalLayout->setSpacing(layoutSpacing);
    horizontalLayout->setContentsMargins(11, 11, 11, 11);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    verticalLayout_2 = new QVBoxLayout();
    verticalLayout_2->setSpacing(layoutSpacing);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));

    buildAddressRows();
    buildButtonRow();
    buildDirectionPad();

    // Takes all spare height, so the controls stay packed at the top.
    verticalSpacer = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout_2->addItem(verticalSpacer);
    horizontalLayout->addLayout(verticalLayout_2);

    window->setCentralWidget(centralWidget);
    retranslateUi(window);
    QMetaObject::connectSlotsByName(window);
}

void MainWindowUi::buildAddressRows()
{
    label = namedChild<QLabel>(centralWidget, "label");
    label->setStyleSheet(QString::fromLatin1(MainWindowStyle::headingSheet));
    label->setAlignment(Qt::AlignCenter);
    verticalLayout_2->addWidget(label);

    label_2 = namedChild<QLabel>(centralWidget, "label_2");
    verticalLayout_2->addWidget(label_2);
    ipEdit = namedChild<QLineEdit>(centralWidget, "ipEdit");
    verticalLayout_2->addWidget(ipEdit);
    label_4 = namedChild<QLabel>(centralWidget, "label_4");
    verticalLayout_2->addWidget(label_4);

    horizontalLayout_3 = rowLayout("horizontalLayout_3");
    camNameEdit = namedChild<QLineEdit>(centralWidget, "camNameEdit");
    horizontalLayout_3->addWidget(camNameEdit);
    saveBtn = namedChild<QPushButton>(centralWidget, "saveBtn");
    fixWidth(saveBtn, sideButtonWidth);
    horizontalLayout_3->addWidget(saveBtn);
    verticalLayout_2->addLayout(horizontalLayout_3);

    label_3 = namedChild<QLabel>(centralWidget, "label_3");
    verticalLayout_2->addWidget(label_3);

    horizontalLayout_2 = rowLayout("horizontalLayout_2");
    ipCombo = namedChild<QComboBox>(centralWidget, "ipCombo");
    horizontalLayout_2->addWidget(ipCombo);
    loadBtn = namedChild<QPushButton>(centralWidget, "loadBtn");
    fixWidth(loadBtn, sideButtonWidth);
    horizontalLayout_2->addWidget(loadBtn);
    verticalLayout_2->addLayout(horizontalLayout_2);
}

void MainWindowUi::buildButtonRow()
{
    horizontalLayout_4 = rowLayout("horizontalLayout_4");
    removeBtn = namedChild<QPushButton>(centralWidget, "removeBtn");
    removeBtn->setMaximumSize(QSize(removeButtonMaxWidth, QWIDGETSIZE_MAX));
    horizontalLayout_4->addWidget(removeBtn);
    previewBtn = namedChild<QPushButton>(centralWidget, "previewBtn");
    horizontalLayout_4->addWidget(previewBtn);

    connectBtn = namedChild<QPushButton>(centralWidget, "connectBtn");
    // An empty sheet of its own: only the window's sheet applies.
    connectBtn->setStyleSheet(QString());
    QIcon toggleIcon;
    toggleIcon.addFile(QStringLiteral(":/assets/img/toggle-off.png"), QSize(), QIcon::Normal, QIcon::Off);
    connectBtn->setIcon(toggleIcon);
    connectBtn->setIconSize(QSize(12, 12));
    horizontalLayout_4->addWidget(connectBtn);
    verticalLayout_2->addLayout(horizontalLayout_4);
}

QPushButton *MainWindowUi::padButton(const char *objectName)
{
    auto *button = namedChild<QPushButton>(centralWidget, objectName);
    button->setMinimumSize(QSize(padButtonSize, padButtonSize));
    button->setMaximumSize(QSize(padButtonSize, padButtonSize));
    return button;
}

// An arrow shows one face of its image strip for each button state.
QPushButton *MainWindowUi::arrowButton(const char *objectName, const char *imageFile)
{
    QPushButton *button = padButton(objectName);
    button->setStyleSheet(MainWindowStyle::arrowSheet(QStringLiteral(":/assets/img/") + QLatin1String(imageFile)));
    return button;
}

void MainWindowUi::buildDirectionPad()
{
    gridLayout = new QGridLayout();
    gridLayout->setSpacing(layoutSpacing);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setHorizontalSpacing(0);
    gridLayout->setVerticalSpacing(15);
    gridLayout->setContentsMargins(0, 9, 0, 9);

    // Columns 1 and 3 stay empty; rows: up / left OSD right / back down enter.
    upBtn = arrowButton("upBtn", "uparrow.png");
    gridLayout->addWidget(upBtn, 0, 2, 1, 1);
    rightBtn = arrowButton("rightBtn", "rightarrow.png");
    gridLayout->addWidget(rightBtn, 1, 4, 1, 1);
    leftBtn = arrowButton("leftBtn", "leftarrow.png");
    gridLayout->addWidget(leftBtn, 1, 0, 1, 1);
    downBtn = arrowButton("downBtn", "downarrow.png");
    gridLayout->addWidget(downBtn, 2, 2, 1, 1);
    osdBtn = padButton("osdBtn");
    gridLayout->addWidget(osdBtn, 1, 2, 1, 1);
    enterBtn = padButton("enterBtn");
    gridLayout->addWidget(enterBtn, 2, 4, 1, 1);
    backBtn = padButton("backBtn");
    gridLayout->addWidget(backBtn, 2, 0, 1, 1);

    verticalLayout_2->addLayout(gridLayout);
}

void MainWindowUi::retranslateUi(QMainWindow *window)
{
    auto tr = [](const char *text) { return QCoreApplication::translate("MainWindow", text, nullptr, -1); };
    window->setWindowTitle(tr("Halvorine Camera OSD Remote"));
    actionPreview_Window->setText(tr("Preview Window"));
    label->setText(tr("Halvorine Camera OSD Remote"));
    label_2->setText(tr("Camera IP Address:"));
    label_4->setText(tr("Camera Name(optional):"));
    saveBtn->setText(tr("Save"));
    label_3->setText(tr("Saved Cameras:"));
    loadBtn->setText(tr("Load"));
    removeBtn->setText(tr("Remove"));
    previewBtn->setText(tr("Preview"));
    connectBtn->setText(tr("Connect"));
    upBtn->setText(QString());
    rightBtn->setText(QString());
    leftBtn->setText(QString());
    downBtn->setText(QString());
    osdBtn->setText(tr("OSD"));
    enterBtn->setText(tr("Enter"));
    backBtn->setText(tr("Back"));
}
