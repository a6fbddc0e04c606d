#ifndef HALVORINE_MAINWINDOWUI_H
#define HALVORINE_MAINWINDOWUI_H

class QAction;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QSpacerItem;
class QVBoxLayout;
class QWidget;

// The main window's widgets, built on the window by setupUi. The widgets belong to
// the window; this object only names them. Members are in creation order, which is
// also the keyboard focus order.
class MainWindowUi
{
public:
    QAction *actionPreview_Window = nullptr;
    QWidget *centralWidget = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QLabel *label = nullptr;
    QLabel *label_2 = nullptr;
    QLineEdit *ipEdit = nullptr;
    QLabel *label_4 = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QLineEdit *camNameEdit = nullptr;
    QPushButton *saveBtn = nullptr;
    QLabel *label_3 = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QComboBox *ipCombo = nullptr;
    QPushButton *loadBtn = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QPushButton *removeBtn = nullptr;
    QPushButton *previewBtn = nullptr;
    QPushButton *connectBtn = nullptr;
    QGridLayout *gridLayout = nullptr;
    QPushButton *upBtn = nullptr;
    QPushButton *rightBtn = nullptr;
    QPushButton *leftBtn = nullptr;
    QPushButton *downBtn = nullptr;
    QPushButton *osdBtn = nullptr;
    QPushButton *enterBtn = nullptr;
    QPushButton *backBtn = nullptr;
    QSpacerItem *verticalSpacer = nullptr;

    void setupUi(QMainWindow *window);
    void retranslateUi(QMainWindow *window);

private:
    void buildAddressRows();
    void buildButtonRow();
    void buildDirectionPad();
    QPushButton *padButton(const char *objectName);
    QPushButton *arrowButton(const char *objectName, const char *imageFile);
};

#endif
