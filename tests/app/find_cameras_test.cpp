#include "find_cameras_dlg.h"
#include "kestrel_flashtool_dlg.h"
#include "modal_watch.h"
#include "sim_thread.h"

#include <QApplication>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using kestrel::sim::SimOptions;
using kestrel::sim::SimThread;

class FindCamerasTest : public QObject {
    Q_OBJECT
private slots:
    void choiceFillsTheAddressField_data();
    void choiceFillsTheAddressField();
    void rangeAround_data();
    void rangeAround();
};

void FindCamerasTest::choiceFillsTheAddressField_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("Choose") << false;
    QTest::newRow("double-click") << true;
}

void FindCamerasTest::choiceFillsTheAddressField() {
    QFETCH(bool, doubleClick);
    SimOptions options;
    options.quiet = true;
    SimThread idle(options);
    QVERIFY(idle.Start(QHostAddress(QStringLiteral("127.0.0.93")), 0));
    options.runInProgress = true;
    SimThread programming(options);
    QVERIFY(programming.Start(QHostAddress(QStringLiteral("127.0.0.91")), idle.Port()));
    const QString range = QStringLiteral("127.0.0.90-94:%1").arg(idle.Port());

    CKestrel_FlashToolDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QStringList states;
    QString status;
    bool stopOffered = false;
    kestrel::test::WhenShown<CFindCamerasDlg>([&](CFindCamerasDlg* find) {
        find->RangeEdit()->setText(range);
        QTest::mouseClick(find->FindButton(), Qt::LeftButton);
        stopOffered = find->FindButton()->text() == QStringLiteral("&Stop");
        QTreeWidget* list = find->CameraList();
        QTRY_COMPARE_WITH_TIMEOUT(find->FindButton()->text(), QStringLiteral("&Find"), 10000);
        status = find->StatusLabel()->text();
        QTreeWidgetItem* chosen = nullptr;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = list->topLevelItem(row);
            states << item->text(0) + QLatin1Char(' ') + item->text(5);
            if (item->text(5) == QStringLiteral("idle"))
                chosen = item;
        }
        if (chosen == nullptr) {
            find->reject();
            return;
        }
        if (doubleClick) {
            const QRect cell = list->visualItemRect(chosen);
            // As a mouse gives it: a press and release, then the second press.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        } else {
            list->setCurrentItem(chosen);
            QTest::mouseClick(find->ChooseButton(), Qt::LeftButton);
        }
        if (find->isVisible())
            find->reject();
    });
    window.ShowFindCameras();
    QVERIFY(stopOffered);
    states.sort();
    const QString port = QString::number(idle.Port());
    QCOMPARE(states, (QStringList{"127.0.0.91:" + port + " programming",
                                  "127.0.0.93:" + port + " idle"}));
    QCOMPARE(status, QStringLiteral("2 cameras found at 5 addresses."));
    QCOMPARE(window.ReadCameraAddress(), QStringLiteral("127.0.0.93"));
    QCOMPARE(programming.ReceivedLines(), QList<QByteArray>{"CAM_FIRMWAREUPDATE 1"});
}

void FindCamerasTest::rangeAround_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<QString>("range");
    QTest::newRow("/24") << "192.168.1.40" << 24 << "192.168.1.0/24";
    QTest::newRow("/8 narrowed to 1022 hosts") << "10.1.6.3" << 8 << "10.1.4.0/22";
    QTest::newRow("/30") << "10.0.0.6" << 30 << "10.0.0.4/30";
    QTest::newRow("/32") << "10.0.0.5" << 32 << "10.0.0.5/32";
}

void FindCamerasTest::rangeAround() {
    QFETCH(QString, address);
    QFETCH(int, prefix);
    QFETCH(QString, range);
    QCOMPARE(CFindCamerasDlg::RangeAround(QHostAddress(address).toIPv4Address(), prefix), range);
}

QTEST_MAIN(FindCamerasTest)
#include "find_cameras_test.moc"
