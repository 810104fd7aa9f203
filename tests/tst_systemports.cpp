#include "systemports.h"

#include <QtTest>

// The port scan looks at the system's ports once a second but enumerates them only when
// the device folder changed: a plugged or pulled adapter must still show in the list.
class TestSystemPorts : public QObject
{
    Q_OBJECT

private slots:
    void listFollowsAdapters_data()
    {
        // Each look: "time in ms/folder signature/what enumerating would give now".
        QTest::addColumn<QStringList>("looks");
        QTest::addColumn<QString>("listed");

        QTest::newRow("plugged") << QStringList{"0/7/", "1000/8/ttyUSB0"} << "ttyUSB0";
        QTest::newRow("pulled") << QStringList{"0/7/ttyUSB0", "1000/6/"} << "";
        QTest::newRow("udev a second behind the node") << QStringList{"0/7/", "1000/8/", "2000/8/ttyUSB0"} << "ttyUSB0";
        QTest::newRow("sysfs a second behind the node") << QStringList{"0/7/ttyUSB0", "1000/6/ttyUSB0", "2000/6/"} << "";
        QTest::newRow("a full look once a minute") << QStringList{"0/7/", "61000/7/ttyACM0"} << "ttyACM0";
        QTest::newRow("folder unreadable: every look is full") << QStringList{"0/0/", "1000/0/ttyS4,ttyUSB1"} << "ttyS4,ttyUSB1";
    }

    void listFollowsAdapters()
    {
        QFETCH(QStringList, looks);
        QFETCH(QString, listed);

        qint64 now = 0;
        quint64 folder = 0;
        QVector<SystemPorts::Port> present;
        SystemPorts ports([&] { return folder; }, [&] { return present; }, [&] { return now; });
        QStringList names;
        for (const QString& look : looks) {
            const QStringList parts = look.split(QLatin1Char('/'));
            now = parts[0].toLongLong();
            folder = parts[1].toULongLong();
            present.clear();
            for (const QString& name : parts[2].split(QLatin1Char(','), Qt::SkipEmptyParts))
                present.append({name, QString()});
            names.clear();
            for (const SystemPorts::Port& port : ports.ports())
                names << port.name;
        }
        QCOMPARE(names.join(QLatin1Char(',')), listed);
    }
};

QTEST_GUILESS_MAIN(TestSystemPorts)
#include "tst_systemports.moc"
