#include "windowfixture.h"

#include "myserial.h"

#include <QSignalSpy>
#include <QtTest>

class TestSerialPort : public QObject
{
    Q_OBJECT
private slots:
    void openWriteReadClose();
    void writesRefusedWhileClosed();
    void openFailureWarns_data();
    void openFailureWarns();
    void loginAndLogoutOnTheWire();
    void portLossShowsOneBox_data();
    void portLossShowsOneBox();
    void secondAdapterKeepsOpenPortSelected();
    void typedPortPresentWhileNodeExists();
};

void TestSerialPort::openWriteReadClose()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    MySerial serial;
    SerialSettings s;
    s.name = pty.slavePath();
    s.stopBits = QSerialPort::TwoStop;
    s.parity = QSerialPort::OddParity;
    serial.setSerialSettings(s);
    QCOMPARE(serial.settingsText(), QStringLiteral("%1 115200 8 2 3").arg(pty.slavePath()));
    QVERIFY(serial.open());
    QVERIFY(serial.isOpen());
    QVERIFY(!serial.NowPortName().isEmpty());
    QVERIFY(pty.slavePath().endsWith(serial.NowPortName()));

    QCOMPARE(serial.SerialSendData(QStringLiteral("pwrsys\n")), qint64(7));
    QCOMPARE(serial.write(QByteArray("\x01\x01\xfe", 3)), qint64(3));
    QCOMPARE(pty.readFor(100), QByteArray("pwrsys\n\x01\x01\xfe", 10));

    QSignalSpy ready(&serial, &MySerial::readyRead);
    QSignalSpy data(&serial, &MySerial::ReadSerilaData);
    connect(&serial, &MySerial::readyRead, &serial, &MySerial::ReadData);
    pty.write("@pwrsys\r\r\n$$");
    QVERIFY(data.wait(2000));
    QVERIFY(ready.count() >= 1);
    QCOMPARE(data.first().first().toByteArray(), QByteArray("@pwrsys\r\r\n$$"));

    serial.close();
    QVERIFY(!serial.isOpen());
    QVERIFY(serial.NowPortName().isNull());
}

void TestSerialPort::writesRefusedWhileClosed()
{
    PtyPair pty;
    MySerial serial;
    QCOMPARE(serial.SerialSendData(QStringLiteral("pwr\n")), qint64(-1));
    QCOMPARE(serial.write("abc"), qint64(0));
    QVERIFY(serial.readAll().isEmpty());
    QCOMPARE(serial.bytesAvailable(), qint64(0));
    SerialSettings s;
    s.name = pty.slavePath();
    serial.setSerialSettings(s);
    QVERIFY(serial.open());
    QCOMPARE(serial.SerialSendData(QString()), qint64(-1)); // nothing to send
    serial.close();
    QCOMPARE(serial.SerialSendData(QStringLiteral("pwr\n")), qint64(-1));
    QVERIFY(pty.readFor(50).isEmpty());
}

void TestSerialPort::openFailureWarns_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("no port") << QString();
    QTest::newRow("missing node") << QStringLiteral("/dev/ttyNOSUCH9");
}

void TestSerialPort::openFailureWarns()
{
    QFETCH(QString, port);
    WindowFixture f;
    f.w<QComboBox>("PortComBox")->setCurrentText(port);
    f.win.OpenBtn_clicked();
    QVERIFY(!f.win.portOpen);
    QVERIFY(f.button("OpenBtn")->isEnabled());
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Message|The serial port is occupied or does not exist")});
    QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Warning);
    QCOMPARE(int(f.boxes.requests.first().buttons), int(QMessageBox::Yes));
}

void TestSerialPort::loginAndLogoutOnTheWire()
{
    WindowFixture f;
    f.w<QComboBox>("PortComBox")->setCurrentText(f.pty.slavePath());
    f.win.OpenBtn_clicked();
    QVERIFY(f.win.portOpen);
    QVERIFY(f.button("CloseBtn")->isEnabled());
    QVERIFY(!f.button("OpenBtn")->isEnabled());
    QVERIFY(f.win.pollTimer->isActive());
    QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral("0"));
    QCOMPARE(f.pty.readFor(200), QByteArray("\nlogin debug\n\npwrsys\n"));
    QCOMPARE(f.win.CurrentCommand, QStringLiteral("pwrsys\n"));

    f.win.currBatNum = 4;
    f.win.deviceModel = QStringLiteral("HVRACK-7720-KM");
    f.win.CloseBtn_clicked();
    QCOMPARE(f.pty.readFor(100), QByteArray("\nlogout\n"));
    QVERIFY(!f.win.portOpen);
    QVERIFY(!f.win.pollTimer->isActive());
    QCOMPARE(f.win.currBatNum, 0);
    QVERIFY(f.win.deviceModel.isEmpty());
    QCOMPARE(f.label("CurrBatNumLab"), QStringLiteral(" "));
    QVERIFY(f.button("OpenBtn")->isEnabled());
    QVERIFY(!f.button("CloseBtn")->isEnabled());
    QCOMPARE(f.boxes.count(), 0);
}

void TestSerialPort::portLossShowsOneBox_data()
{
    QTest::addColumn<bool>("inPause"); // the port goes while a chain step pauses
    QTest::addColumn<bool>("scanSees"); // the port scan notices; else only the port's own error can
    QTest::newRow("scan, idle") << false << true;
    QTest::newRow("scan, inside a chain pause") << true << true;
    QTest::newRow("port error, inside a chain pause") << true << false;
}

void TestSerialPort::portLossShowsOneBox()
{
    QFETCH(bool, inPause);
    QFETCH(bool, scanSees);
    WindowFixture f;
    QStringList ports{QStringLiteral("/dev/ttyUSB0"), f.pty.slavePath()};
    f.win.portListProvider = [&ports] { return ports; };
    f.win.ReflashSerialComx();
    QVERIFY(f.login());
    f.win.portScanTimer->stop(); // the test says when the scan looks
    f.win.pollTimer->stop();
    const auto unplug = [&] {
        f.pty.closeMaster();
        if (scanSees) {
            ports.removeAll(f.pty.slavePath());
            f.win.ReflashSerialComx();
        }
    };
    if (inPause) {
        f.win.routeObserver = [&](const char*, const QString&) { QTimer::singleShot(50, unplug); };
        f.pty.write("@pwrsys\r\r\nCommand completed successfully\r\r\n$$");
    } else {
        unplug();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!f.win.portOpen, 1000);
    QTest::qWait(400); // the pause is over: its chain step has come and gone
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Error|The serial port diconnect! Please check!")});
    QCOMPARE(f.boxes.requests.first().icon, QMessageBox::Critical);
    QCOMPARE(int(f.boxes.requests.first().buttons), int(QMessageBox::Ok));
    QVERIFY(!f.win.pollTimer->isActive() && f.button("OpenBtn")->isEnabled());
}

void TestSerialPort::secondAdapterKeepsOpenPortSelected()
{
    WindowFixture f;
    QStringList ports{f.pty.slavePath()};
    f.win.portListProvider = [&ports] { return ports; };
    f.win.ReflashSerialComx();
    QVERIFY(f.login());
    ports.prepend(QStringLiteral("/dev/ttyUSB7"));
    f.win.ReflashSerialComx();
    auto* box = f.w<QComboBox>("PortComBox");
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentText(), f.pty.slavePath());
    QVERIFY(f.win.portOpen);
}

void TestSerialPort::typedPortPresentWhileNodeExists()
{
    WindowFixture f;
    f.win.portListProvider = [] { return QStringList{QStringLiteral("/dev/ttyS0")}; };
    f.win.ReflashSerialComx();
    QVERIFY(f.login()); // typed: the list does not hold the pty
    QVERIFY(f.win.getSerialNameList().contains(f.pty.slavePath()));
    QTest::qWait(1200);
    QVERIFY(f.win.portOpen);
    QCOMPARE(f.boxes.count(), 0);

    f.pty.closeMaster(); // the node disappears
    QTRY_VERIFY_WITH_TIMEOUT(!f.win.portOpen, 3000);
    QCOMPARE(f.boxes.seen(), QStringList{QStringLiteral("Error|The serial port diconnect! Please check!")});
}

QTEST_MAIN(TestSerialPort)
#include "tst_serialport.moc"
