#include "ip_address_edit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using kestrel::IpAddressEdit;

namespace {

// Types keys at whatever has the focus, the way an operator does: '#' stands
// for Backspace, '<' and '>' for the arrow keys, everything else is typed.
void Type(const QString& keys) {
    for (const QChar key : keys) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target != nullptr);
        if (key == u'#')
            QTest::keyClick(target, Qt::Key_Backspace);
        else if (key == u'<')
            QTest::keyClick(target, Qt::Key_Left);
        else if (key == u'>')
            QTest::keyClick(target, Qt::Key_Right);
        else
            QTest::keyClick(target, key.toLatin1());
    }
}

} // namespace

// The address control between two buttons, as in the main window.
class AddressWindow {
public:
    AddressWindow() {
        before = new QPushButton(QStringLiteral("before"), &window);
        edit = new IpAddressEdit(&window);
        after = new QPushButton(QStringLiteral("Connect"), &window);
        before->setGeometry(5, 5, 80, 24);
        edit->setGeometry(5, 35, 150, 24);
        after->setGeometry(160, 35, 80, 24);
        window.resize(250, 70);
    }
    QList<QLineEdit*> Fields() const { return edit->findChildren<QLineEdit*>(); }
    QWidget window;
    QPushButton* before;
    IpAddressEdit* edit;
    QPushButton* after;
};

class IpAddressEditTest : public QObject {
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
    void setAddress_data();
    void setAddress();
    void aboveTwoHundredFiftyFiveShowsTwoHundredFiftyFive();
    void oneTabStop();
    void accessibleNames();
};

void IpAddressEditTest::typing_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("address");

    QTest::newRow("nothing") << ""
                             << "0.0.0.0";
    QTest::newRow("first field only") << "10"
                                      << "10.0.0.0";
    QTest::newRow("full address") << "192.168.1.20"
                                  << "192.168.1.20";
    QTest::newRow("single digits") << "1.2.3.4"
                                   << "1.2.3.4";
    QTest::newRow("zeros") << "0.0.0.0"
                           << "0.0.0.0";
    QTest::newRow("leading zero dropped") << "010.001"
                                          << "10.1.0.0";
    QTest::newRow("above 255") << "300"
                               << "255.0.0.0";
    QTest::newRow("above 255 everywhere") << "999.999.999.999"
                                          << "255.255.255.255";
    QTest::newRow("above 255 in the last field") << "1.2.3.456"
                                                 << "1.2.3.255";
    QTest::newRow("dot in an empty field is dropped") << "1..2"
                                                      << "1.2.0.0";
    QTest::newRow("leading dot is dropped") << ".5"
                                            << "5.0.0.0";
    QTest::newRow("dot after the last field is dropped") << "1.2.3.4.5"
                                                         << "1.2.3.45";
    QTest::newRow("third digit moves on") << "1234"
                                          << "123.4.0.0";
    QTest::newRow("digits only") << "192168001002"
                                 << "192.168.1.2";
    QTest::newRow("third digit then dot") << "123.4"
                                          << "123.4.0.0";
    QTest::newRow("letters are dropped") << "a1b0c"
                                         << "10.0.0.0";
    QTest::newRow("backspace deletes") << "12#"
                                       << "1.0.0.0";
    QTest::newRow("backspace in an empty field goes back") << "1.2##"
                                                           << "1.0.0.0";
    QTest::newRow("backspace across two fields") << "1.2###"
                                                 << "0.0.0.0";
    QTest::newRow("typing after going back") << "1.2##3"
                                             << "13.0.0.0";
    QTest::newRow("back from a fresh field") << "12.#5"
                                             << "125.0.0.0";
    QTest::newRow("back through all fields") << "1.2.3.4########"
                                             << "0.0.0.0";
    QTest::newRow("left arrow crosses into the previous field") << "1.2<<3"
                                                                << "13.2.0.0";
    QTest::newRow("right arrow crosses into the next field") << "1.2<<>9"
                                                             << "1.92.0.0";
}

void IpAddressEditTest::typing() {
    QFETCH(QString, keys);
    QFETCH(QString, address);
    AddressWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.edit->setFocus(Qt::TabFocusReason);
    Type(keys);
    QCOMPARE(w.edit->address(), address);
}

void IpAddressEditTest::setAddress_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address");

    QTest::newRow("empty") << ""
                           << "0.0.0.0";
    QTest::newRow("full") << "10.0.0.5"
                          << "10.0.0.5";
    QTest::newRow("partial") << "1.2.3"
                             << "1.2.3.0";
    QTest::newRow("clamped") << "300.1.256.7"
                             << "255.1.255.7";
    QTest::newRow("junk part") << "1.x.3.4"
                               << "1.0.3.4";
}

void IpAddressEditTest::setAddress() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    IpAddressEdit edit;
    edit.setAddress(QStringLiteral("9.9.9.9"));
    edit.setAddress(text);
    QCOMPARE(edit.address(), address);
}

void IpAddressEditTest::aboveTwoHundredFiftyFiveShowsTwoHundredFiftyFive() {
    AddressWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.edit->setFocus(Qt::TabFocusReason);
    Type(QStringLiteral("300"));
    const QList<QLineEdit*> fields = w.Fields();
    QCOMPARE(fields.size(), 4);
    QCOMPARE(fields[0]->text(), QStringLiteral("255"));
    QCOMPARE(QApplication::focusWidget(), fields[1]);
}

void IpAddressEditTest::oneTabStop() {
    AddressWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    const QList<QLineEdit*> fields = w.Fields();

    w.before->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.before, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), fields[0]);
    QTest::keyClick(fields[0], Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.after);

    // From inside the control Tab leaves it, whichever field has the focus.
    fields[2]->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(fields[2], Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.after);
    fields[2]->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(fields[2], Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), w.before);

    w.after->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.after, Qt::Key_Backtab);
    QVERIFY(w.edit->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), w.before);
}

void IpAddressEditTest::accessibleNames() {
    IpAddressEdit edit;
    QCOMPARE(edit.accessibleName(), QStringLiteral("Camera IP address"));
    const QList<QLineEdit*> fields = edit.findChildren<QLineEdit*>();
    QCOMPARE(fields.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(fields[i]->accessibleName(),
                 QStringLiteral("Camera IP address, field %1").arg(i + 1));
}

QTEST_MAIN(IpAddressEditTest)
#include "ip_address_edit_test.moc"
