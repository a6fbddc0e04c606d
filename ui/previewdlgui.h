#ifndef HALVORINE_PREVIEWDLGUI_H
#define HALVORINE_PREVIEWDLGUI_H

class QCheckBox;
class QDialog;
class QFrame;
class QHBoxLayout;
class QPushButton;
class QSpacerItem;
class QVBoxLayout;

// The preview dialog's widgets, built on the dialog by setupUi. The widgets belong
// to the dialog; this object only names them, in creation (and focus) order.
class PreviewDlgUi
{
public:
    QVBoxLayout *verticalLayout = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QSpacerItem *leftSpacer = nullptr;
    QPushButton *playBtn = nullptr;
    QPushButton *StopBtn = nullptr;
    QSpacerItem *rightSpacer = nullptr;
    QCheckBox *snapCheck = nullptr;
    QFrame *player = nullptr;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

#endif
