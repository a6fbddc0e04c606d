// The main window and preview dialog widget sets, walked as the running program
// builds them: names, classes, parents, sizes, texts, sheets, focus order.
#include "apptestmain.h"
#include "ui/previewdlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>

namespace {

// "selector{prop:value;...}" rules with whitespace collapsed to one space and dropped
// beside punctuation, so that sheets compare whatever their layout while a descendant
// selector ("QComboBox QAbstractItemView") stays apart from a run-together name.
QStringList normalisedRules(const QString &sheet)
{
    QString compact = sheet.simplified();
    compact.replace(QRegularExpression(QStringLiteral(" ?([{};:,>]) ?")), QStringLiteral("\\1"));
    QStringList rules = compact.split(QLatin1Char('}'), Qt::SkipEmptyParts);
    for (QString &rule : rules) {
        if (rule.endsWith(QLatin1Char(';')))
            rule.chop(1);
        rule.append(QLatin1Char('}'));
    }
    return rules;
}

const QStringList mainWindowRules = normalisedRules(QStringLiteral(R"(
QToolTip{color:black}
QWidget#centralWidget{background:#333333}
QInputDialog{background:#333333}
QGroupBox{color:white;margin-top:2ex;border-radius:5px;padding:8px;padding-top:13px;border-style:outset;border-width:2px;border-color:#1f1f1f}
QMenuBar#menuBar{background:grey;color:white;border-bottom-style:outset;border-bottom-width:1px;border-bottom-color:#222222}
QMenu{background:grey;color:#1f1f1f}
QMenu::item:selected{background:#c9c9c9}
QStatusBar#statusBar{background:grey;color:white;border-top-style:outset;border-top-width:1px;border-top-color:#222222}
QPushButton{color:white;background:grey;padding:5px;border-radius:3px}
QPushButton:hover{background:#c9c9c9}
QPushButton:pressed{background:#474747}
QPushButton:disabled{color:#474747}
QLineEdit{color:white;background:#111111;padding:3px;border-radius:3px;border-color:white;border-width:1px}
QComboBox{color:white;background:#111111;padding:3px;min-width:40px;border-radius:3px}
QComboBox::drop-down{}
QComboBox QAbstractItemView{background-color:black;color:white}
QSlider::handle{background:grey}
QSlider::handle:hover{background:#c9c9c9}
QSlider::handle:pressed{background:#474747}
QLabel{color:white}
QRadioButton{color:white}
QCheckBox{color:white}
QRadioButton::indicator{border-style:outset;border-width:2px;border-color:#1f1f1f;background:white;border-radius:6px}
QRadioButton::indicator:checked{border-style:outset;border-width:2px;border-color:white;background:#1f1f1f;border-radius:6px}
QCheckBox::indicator{border-style:outset;border-width:2px;border-color:#1f1f1f;background:white}
QCheckBox::indicator:checked{border-style:outset;border-width:2px;border-color:white;background:#1f1f1f}
)"));

const QStringList previewRules = normalisedRules(QStringLiteral(R"(
QToolTip{color:black}
QWidget#centralWidget{background:#333333}
QDialog{background:#333333}
QLCDNumber{background:white}
QTabWidget{border:none}
QTabBar::tab{background:black;color:white}
QTabBar::tab::selected{background:#808080}
QGroupBox{color:white;margin-top:2ex;border-radius:5px;padding:8px;padding-top:13px;border-style:outset;border-width:2px;border-color:#1f1f1f}
QMenuBar#menuBar{background:grey;color:white;border-bottom-style:outset;border-bottom-width:1px;border-bottom-color:#222222}
QMenu{background:grey;color:#1f1f1f}
QMenu::item:selected{background:#c9c9c9}
QStatusBar#statusBar{background:grey;color:white;border-top-style:outset;border-top-width:1px;border-top-color:#222222}
QPushButton{color:white;background:grey;padding:8px 5px;border-radius:3px;min-width:60px}
QPushButton:hover{background:#c9c9c9}
QPushButton:pressed{background:#474747}
QPushButton:disabled{color:#474747}
QLineEdit{color:white;background:#111111;padding:3px;border-radius:3px;border-color:#474747;border-width:1px;border-style:inset}
QTextEdit{color:white;background:#111111;padding:3px;border-radius:3px;border-color:white;border-width:1px}
QComboBox{color:white;background:#111111;padding:3px;min-width:40px;border-radius:3px;border-style:inset;border-width:1px;border-color:#474747}
QComboBox::drop-down{}
QComboBox QAbstractItemView{background-color:black;color:white}
QSlider::handle{background:grey}
QSlider::handle:hover{background:#c9c9c9}
QSlider::handle:pressed{background:#474747}
QLabel{color:white}
QRadioButton{color:white}
QCheckBox{color:white}
QRadioButton::indicator{border-style:outset;border-width:2px;border-color:#1f1f1f;background:white;border-radius:6px}
QRadioButton::indicator:checked{border-style:outset;border-width:2px;border-color:white;background:#1f1f1f;border-radius:6px}
QCheckBox::indicator{border-style:outset;border-width:2px;border-color:#1f1f1f;background:white}
QCheckBox::indicator:checked{border-style:outset;border-width:2px;border-color:white;background:#1f1f1f}
QHeaderView::section{border-style:outset;border-width:1px;border-color:#c9c9c9}
)"));

QStringList arrowRules(const QString &image)
{
    return normalisedRules(QStringLiteral(
        "QPushButton{width:44px;height:44px;background:url('%1') center top no-repeat}"
        "QPushButton:hover{width:44px;height:44px;background:url('%1') center center no-repeat}"
        "QPushButton:pressed{width:44px;height:44px;background:url('%1') center bottom no-repeat}").arg(image));
}

QStringList childWidgetNames(const QObject *parent)
{
    QStringList names;
    for (const QObject *child : parent->children()) {
        if (child->isWidgetType() && !child->objectName().startsWith(QLatin1String("qt_")))
            names << QStringLiteral("%1:%2").arg(QString::fromLatin1(child->metaObject()->className()), child->objectName());
    }
    return names;
}

QStringList tabChain(QWidget *window, QWidget *first, int steps)
{
    first->setFocus(Qt::TabFocusReason);
    QStringList chain{QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString()};
    for (int i = 0; i < steps; ++i) {
        QTest::keyClick(window, Qt::Key_Tab);
        chain << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
    }
    return chain;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

    QMainWindow *window = nullptr;
    QWidget *central = nullptr;

    template <typename T>
    T *child(const char *name)
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("missing %s", name);
        return found;
    }

private slots:
    void initTestCase()
    {
        window = applicationMainWindow();
        QVERIFY(window);
        central = window->centralWidget();
        QVERIFY(central);
    }

    void windowAsBuilt()
    {
        QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Halvorine Camera OSD Remote"));
        QCOMPARE(window->size(), QSize(211, 404));
        QCOMPARE(normalisedRules(window->styleSheet()), mainWindowRules);
        QCOMPARE(mainWindowRules.size(), 26);
        QCOMPARE(central->objectName(), QStringLiteral("centralWidget"));
        QVERIFY(!window->findChild<QMenuBar *>());
        QVERIFY(!window->findChild<QStatusBar *>());

        auto *action = child<QAction>("actionPreview_Window");
        QVERIFY(action);
        QCOMPARE(action->parent(), window);
        QCOMPARE(action->text(), QStringLiteral("Preview Window"));
        QVERIFY(window->actions().isEmpty());
    }

    void widgetsInCreationOrderWithTheirParents()
    {
        const QStringList expected{
            "QLabel:label", "QLabel:label_2", "QLineEdit:ipEdit", "QLabel:label_4", "QLineEdit:camNameEdit",
            "QPushButton:saveBtn", "QLabel:label_3", "QComboBox:ipCombo", "QPushButton:loadBtn",
            "QPushButton:removeBtn", "QPushButton:previewBtn", "QPushButton:connectBtn", "QPushButton:upBtn",
            "QPushButton:rightBtn", "QPushButton:leftBtn", "QPushButton:downBtn", "QPushButton:osdBtn",
            "QPushButton:enterBtn", "QPushButton:backBtn"};
        QCOMPARE(childWidgetNames(central), expected);
    }

    void layoutsNestAsDrawn()
    {
        auto *outer = qobject_cast<QHBoxLayout *>(central->layout());
        QVERIFY(outer);
        QCOMPARE(outer->objectName(), QStringLiteral("horizontalLayout"));
        QCOMPARE(outer->spacing(), 6);
        QCOMPARE(outer->contentsMargins(), QMargins(11, 11, 11, 11));
        QCOMPARE(outer->count(), 1);
        auto *column = qobject_cast<QVBoxLayout *>(outer->itemAt(0)->layout());
        QVERIFY(column);
        QCOMPARE(column->objectName(), QStringLiteral("verticalLayout_2"));
        QCOMPARE(column->spacing(), 6);

        QStringList items;
        for (int i = 0; i < column->count(); ++i) {
            QLayoutItem *item = column->itemAt(i);
            if (item->widget())
                items << item->widget()->objectName();
            else if (item->layout())
                items << item->layout()->objectName();
            else
                items << QStringLiteral("spacer");
        }
        QCOMPARE(items, (QStringList{"label", "label_2", "ipEdit", "label_4", "horizontalLayout_3", "label_3",
                                     "horizontalLayout_2", "horizontalLayout_4", "gridLayout", "spacer"}));

        QSpacerItem *spacer = column->itemAt(column->count() - 1)->spacerItem();
        QVERIFY(spacer);
        QCOMPARE(spacer->sizeHint(), QSize(0, 0));
        QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
        QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);

        const QList<QPair<const char *, QStringList>> rows{
            {"horizontalLayout_3", {"camNameEdit", "saveBtn"}},
            {"horizontalLayout_2", {"ipCombo", "loadBtn"}},
            {"horizontalLayout_4", {"removeBtn", "previewBtn", "connectBtn"}}};
        for (const auto &row : rows) {
            auto *layout = central->findChild<QHBoxLayout *>(QString::fromLatin1(row.first));
            QVERIFY2(layout, row.first);
            QCOMPARE(layout->spacing(), 6);
            QStringList names;
            for (int i = 0; i < layout->count(); ++i)
                names << layout->itemAt(i)->widget()->objectName();
            QCOMPARE(names, row.second);
        }
    }

    void directionPad()
    {
        auto *grid = central->findChild<QGridLayout *>(QStringLiteral("gridLayout"));
        QVERIFY(grid);
        QCOMPARE(grid->horizontalSpacing(), 0);
        QCOMPARE(grid->verticalSpacing(), 15);
        QCOMPARE(grid->contentsMargins(), QMargins(0, 9, 0, 9));
        const QList<QPair<const char *, QPoint>> cells{{"upBtn", {0, 2}},   {"rightBtn", {1, 4}}, {"leftBtn", {1, 0}},
                                                       {"downBtn", {2, 2}}, {"osdBtn", {1, 2}},   {"enterBtn", {2, 4}},
                                                       {"backBtn", {2, 0}}};
        QCOMPARE(grid->count(), cells.size());
        for (int i = 0; i < cells.size(); ++i) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(grid->itemAt(i)->widget()->objectName(), QString::fromLatin1(cells[i].first));
            QCOMPARE(QPoint(row, column), cells[i].second);
            QCOMPARE(rowSpan, 1);
            QCOMPARE(columnSpan, 1);
            auto *button = qobject_cast<QPushButton *>(grid->itemAt(i)->widget());
            QCOMPARE(button->minimumSize(), QSize(44, 44));
            QCOMPARE(button->maximumSize(), QSize(44, 44));
        }
        const QList<QPair<const char *, const char *>> arrows{{"upBtn", "uparrow"}, {"rightBtn", "rightarrow"},
                                                              {"leftBtn", "leftarrow"}, {"downBtn", "downarrow"}};
        for (const auto &arrow : arrows) {
            auto *button = child<QPushButton>(arrow.first);
            QCOMPARE(normalisedRules(button->styleSheet()),
                     arrowRules(QStringLiteral(":/assets/img/%1.png").arg(QString::fromLatin1(arrow.second))));
            QVERIFY(button->text().isEmpty());
        }
        for (const char *name : {"osdBtn", "enterBtn", "backBtn"})
            QVERIFY(child<QPushButton>(name)->styleSheet().isEmpty());
    }

    void textsAndInitialState()
    {
        const QList<QPair<const char *, const char *>> texts{
            {"label", "Halvorine Camera OSD Remote"}, {"label_2", "Camera IP Address:"},
            {"label_4", "Camera Name(optional):"}, {"label_3", "Saved Cameras:"}};
        for (const auto &text : texts)
            QCOMPARE(child<QLabel>(text.first)->text(), QString::fromLatin1(text.second));
        const QList<QPair<const char *, const char *>> buttons{
            {"saveBtn", "Save"}, {"loadBtn", "Load"}, {"removeBtn", "Remove"}, {"previewBtn", "Preview"},
            {"connectBtn", "Connect"}, {"osdBtn", "OSD"}, {"enterBtn", "Enter"}, {"backBtn", "Back"}};
        for (const auto &button : buttons)
            QCOMPARE(child<QPushButton>(button.first)->text(), QString::fromLatin1(button.second));

        auto *heading = child<QLabel>("label");
        QCOMPARE(heading->alignment(), Qt::AlignCenter);
        QCOMPARE(normalisedRules(heading->styleSheet()),
                 normalisedRules(QStringLiteral("QLabel{font-size:12px;font-weight:bold}")));
        QVERIFY(child<QLineEdit>("ipEdit")->text().isEmpty());
        QVERIFY(child<QLineEdit>("camNameEdit")->text().isEmpty());
        QCOMPARE(child<QComboBox>("ipCombo")->count(), 0);

        auto *connectBtn = child<QPushButton>("connectBtn");
        QCOMPARE(connectBtn->iconSize(), QSize(12, 12));
        QVERIFY(connectBtn->styleSheet().isEmpty());
        QVERIFY(!connectBtn->icon().isNull());
        QCOMPARE(connectBtn->icon().pixmap(12, 12).toImage().pixelColor(6, 6).name(), QStringLiteral("#ff0000"));

        QCOMPARE(child<QPushButton>("saveBtn")->maximumWidth(), 50);
        QCOMPARE(child<QPushButton>("saveBtn")->minimumWidth(), 50);
        QCOMPARE(child<QPushButton>("loadBtn")->maximumWidth(), 50);
        QCOMPARE(child<QPushButton>("loadBtn")->minimumWidth(), 50);
        QCOMPARE(child<QPushButton>("removeBtn")->maximumWidth(), 70);
    }

    void resizingKeepsControlsPackedAtTheTop()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto *upBtn = child<QPushButton>("upBtn");
        auto *backBtn = child<QPushButton>("backBtn");
        const QPoint padTop = upBtn->mapTo(window, QPoint(0, 0));
        const QPoint padBottom = backBtn->mapTo(window, QPoint(0, 0));
        QCOMPARE(padBottom.y() - padTop.y(), 2 * (44 + 15));

        for (const QSize size : {QSize(600, 900), QSize(320, 500)}) {
            window->resize(size);
            QTRY_COMPARE(window->size(), size);
            QTRY_COMPARE(upBtn->mapTo(window, QPoint(0, 0)).y(), padTop.y());
            QCOMPARE(child<QPushButton>("saveBtn")->width(), 50);
            QCOMPARE(child<QPushButton>("loadBtn")->width(), 50);
            QVERIFY(child<QPushButton>("removeBtn")->width() <= 70);
            for (const char *name : {"upBtn", "rightBtn", "leftBtn", "downBtn", "osdBtn", "enterBtn", "backBtn"})
                QCOMPARE(child<QPushButton>(name)->size(), QSize(44, 44));
        }
        // No column spacing in the pad: the buttons of a row sit 44 px plus an empty
        // column apart, and the rows 15 px apart.
        QCOMPARE(child<QPushButton>("osdBtn")->y() - upBtn->y(), 44 + 15);
    }

    void tabOrder()
    {
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QStringList chain = tabChain(window, child<QLineEdit>("ipEdit"), 14);
        QCOMPARE(chain, (QStringList{"ipEdit", "camNameEdit", "saveBtn", "ipCombo", "loadBtn", "removeBtn",
                                     "previewBtn", "connectBtn", "upBtn", "rightBtn", "leftBtn", "downBtn",
                                     "osdBtn", "enterBtn", "backBtn"}));
    }

    void previewDialogWidgetSet()
    {
        auto *dialog = window->findChild<PreviewDlg *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->parent(), window);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->objectName(), QStringLiteral("PreviewDlg"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Preview"));
        QCOMPARE(dialog->size(), QSize(658, 455));
        QCOMPARE(normalisedRules(dialog->styleSheet()), previewRules);
        QCOMPARE(previewRules.size(), 32);
        QCOMPARE(childWidgetNames(dialog),
                 (QStringList{"QPushButton:playBtn", "QPushButton:StopBtn", "QCheckBox:snapCheck", "QFrame:player"}));

        auto *column = qobject_cast<QVBoxLayout *>(dialog->layout());
        QVERIFY(column);
        QCOMPARE(column->objectName(), QStringLiteral("verticalLayout"));
        QCOMPARE(column->count(), 2);
        auto *row = qobject_cast<QHBoxLayout *>(column->itemAt(0)->layout());
        QVERIFY(row);
        QCOMPARE(row->objectName(), QStringLiteral("horizontalLayout"));
        QCOMPARE(row->count(), 5);
        for (int i : {0, 3}) {
            QSpacerItem *spacer = row->itemAt(i)->spacerItem();
            QVERIFY(spacer);
            QCOMPARE(spacer->sizeHint(), QSize(40, 20));
            QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
            QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
        }
        QCOMPARE(row->itemAt(1)->widget()->objectName(), QStringLiteral("playBtn"));
        QCOMPARE(row->itemAt(2)->widget()->objectName(), QStringLiteral("StopBtn"));
        QCOMPARE(row->itemAt(4)->widget()->objectName(), QStringLiteral("snapCheck"));
        QCOMPARE(column->itemAt(1)->widget()->objectName(), QStringLiteral("player"));

        auto *player = dialog->findChild<QFrame *>(QStringLiteral("player"));
        QCOMPARE(player->minimumSize(), QSize(640, 400));
        QCOMPARE(player->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(player->frameShape(), QFrame::StyledPanel);
        QCOMPARE(player->frameShadow(), QFrame::Raised);
        QCOMPARE(normalisedRules(player->styleSheet()), normalisedRules(QStringLiteral("QFrame{background:black}")));

        auto *snap = dialog->findChild<QCheckBox *>(QStringLiteral("snapCheck"));
        QCOMPARE(snap->text(), QStringLiteral("Snap"));
        QVERIFY(!snap->isChecked());
        QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("playBtn"))->text(), QStringLiteral("Play"));
        QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("StopBtn"))->text(), QStringLiteral("Stop"));
    }

    void previewDialogGeometryAndFocus()
    {
        auto *dialog = window->findChild<PreviewDlg *>();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto *player = dialog->findChild<QFrame *>(QStringLiteral("player"));
        auto *play = dialog->findChild<QPushButton *>(QStringLiteral("playBtn"));
        auto *stop = dialog->findChild<QPushButton *>(QStringLiteral("StopBtn"));
        auto *snap = dialog->findChild<QCheckBox *>(QStringLiteral("snapCheck"));

        dialog->resize(100, 100);
        QTRY_VERIFY(dialog->width() >= 640 && dialog->height() >= 400 + play->height());
        QVERIFY(player->width() >= 640 && player->height() >= 400);
        QVERIFY(play->width() >= 60 && stop->width() >= 60);

        dialog->resize(1100, 600);
        QTRY_COMPARE(dialog->width(), 1100);
        // Play and Stop meet in the middle; Snap keeps to the right edge.
        QCOMPARE(stop->x(), play->x() + play->width() + dialog->layout()->spacing());
        const int middle = (play->x() + stop->x() + stop->width()) / 2;
        QVERIFY(qAbs(middle - (dialog->width() - snap->width()) / 2) < 40);
        QVERIFY(dialog->width() - (snap->x() + snap->width()) <= 12);

        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(tabChain(dialog, play, 2), (QStringList{"playBtn", "StopBtn", "snapCheck"}));
        dialog->hide();
    }
};

HALVORINE_APP_TEST_MAIN(TestLayout)
#include "test_layout.moc"
