// The Xmodem sender: the engine fed the faults byte by byte, the worker with its queue,
// file errors and quit, and whole transfers into lrzsz's rx.

#include "ptypair.h"
#include "suitetools.h"
#include "updatathread.h"
#include "xmodemclass.h"
#include "xmodemsink.h"

#include <QtTest>

#include <cstring>

namespace {

const char NAK = 0x15, ACK = 0x06, CAN = 0x18;

// One word of trace per packet: its block number, "E" for EOT, "X" for CAN CAN.
QString traced(const QByteArray& p)
{
    if (p.size() == XmodemClass::PacketSize)
        return QString::number(quint8(p[1]));
    return p == QByteArray(2, CAN) ? "X" : p == "\x04" ? "E" : "?" + p.toHex();
}

// The receiver's answers: N, A, X (CAN), C, "AA" for two ACKs at once.
QByteArray answer(const QString& token)
{
    return token.toLatin1().replace('N', NAK).replace('A', ACK).replace('X', CAN);
}

// The worker's place in engine tests: the file from memory, the line recorded.
struct Line : XmodemSink {
    QByteArray file;
    qint64 at = 0, failAt = -1;
    QStringList sent; // one word per packet, as traced() gives it
    void sendPortData(const QByteArray& b) override { sent << traced(b); }
    int ReadFile(char* d, int max) override
    {
        if (failAt >= 0 && at >= failAt)
            return -1;
        const int n = int(qMin<qint64>(max, file.size() - at));
        std::memcpy(d, file.constData() + at, size_t(n));
        at += n;
        return n;
    }
    void TransFileStart() override {}
};

QStringList messages;

} // namespace

class TestXmodem : public QObject
{
    Q_OBJECT
private slots:
    // The faults of a transfer: what the receiver answers and what goes back on the line.
    // Whole transfers, the packet layout and the block numbers past 255 are rx's to judge.
    void engine_data()
    {
        QTest::addColumn<QString>("script"); // "!" cancels from our side; after "R" reading the file fails
        QTest::addColumn<QString>("trace");
        QTest::addColumn<int>("result");

        // A file of 700 bytes: blocks 1 to 5 full, block 6 the last.
        const QString tenNaks = QStringLiteral("N ").repeated(10);
        QTest::newRow("two NAKs after block 5") << "N A A A A N N A A A" << "1 2 3 4 5 5 5 6 E" << 1;
        QTest::newRow("a garbled answer repeats the block") << "N ?" << "1 1" << 0;
        QTest::newRow("C while armed is ignored") << "C C" << "" << 0;
        QTest::newRow("CAN before the first NAK") << "X" << "" << 2;
        QTest::newRow("block refused 11 times") << "N " + tenNaks + "N" << "1" + QString(" 1").repeated(10) + " X" << 3;
        QTest::newRow("EOT refused 11 times") << "N A A A A A A " + tenNaks + "N" << "1 2 3 4 5 6 E" + QString(" E").repeated(10) + " X" << 3;
        QTest::newRow("read fails in block 3") << "N A R A" << "1 2 X" << 4;
        QTest::newRow("cancel while armed") << "!" << "X" << 0;
        QTest::newRow("cancel while sending") << "N A !" << "1 2 X" << 0;
        QTest::newRow("cancel after the end sends nothing") << "N A A A A A A A !" << "1 2 3 4 5 6 E" << 1;
    }

    void engine()
    {
        QFETCH(QString, script);
        Line line;
        line.file = patterned(700);
        XmodemClass x(&line);
        x.startTransmit();
        qint64 bytes = 0;
        int last = 0;
        for (const QString& token : script.split(' ', Qt::SkipEmptyParts)) {
            if (token == "!")
                x.cancelTrans();
            else if (token == "R")
                line.failAt = line.at;
            else if (const int r = x.transmit(answer(token).at(0), bytes))
                last = r;
        }
        QTEST(line.sent.join(' '), "trace");
        QTEST(last, "result");
        QCOMPARE(bytes, qMin<qint64>(line.at, 700)); // a repeat reads nothing
    }

    // The worker with its thread: requests posted at once, as a burst of answers
    // arrives, are all served in order. "S" starts, "!" cancels, "~" waits for the next
    // packet; the worker is deleted at the end, which cancels a transfer still open.
    void worker_data()
    {
        QTest::addColumn<QString>("file"); // empty: a file of 256 bytes
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("ending");
        QTest::newRow("queued answers all count") << "" << "S N A A A A" << "1 2 3 E" << "finish 1";
        QTest::newRow("two ACKs in one hand-over") << "" << "S N AA" << "1 2" << "";
        QTest::newRow("late ACK after a cancel") << "" << "S N ~ ! A S N" << "1 X 1" << "";
        QTest::newRow("C while armed, then TimeOut") << "" << "S C" << "X" << "timeout";
        QTest::newRow("file missing") << "/nonexistent/fw.bin" << "S" << "" << "error /nonexistent/fw.bin";
    }

    void worker()
    {
        QFETCH(QString, file);
        QFETCH(QString, trace);
        QFETCH(QString, ending);
        QTemporaryDir dir;
        if (file.isEmpty() && writeFile(dir.filePath("fw.bin"), patterned(256)))
            file = dir.filePath("fw.bin");

        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) { messages << m; });
        QStringList sent, endings;
        auto* w = new UpdataThread;
        QCOMPARE(w->progress(), 0);
        w->setStartInterval(5);
        connect(w, &UpdataThread::sendData, this, [&](const QByteArray& b) { sent << traced(b); });
        connect(w, &UpdataThread::TransFinsh, this, [&](int r) { endings << QString("finish %1").arg(r); });
        connect(w, &UpdataThread::TimeOut, this, [&] { endings << "timeout"; });
        connect(w, &UpdataThread::FileError, this, [&](const QString& name, const QString& why) {
            endings << "error " + name + (why.isEmpty() ? " without a reason" : "");
        });
        w->SetFileName(file);
        w->SetTransMode(UpdataThread::Send);
        QFETCH(QString, script);
        for (const QString& token : script.split(' ')) {
            if (token == "~")
                QTRY_VERIFY(!sent.isEmpty());
            else if (token == "S")
                w->StartTransmit();
            else if (token == "!")
                w->CancelTransmit();
            else
                w->readData(answer(token));
        }
        QTRY_COMPARE(sent.join(' '), trace);
        QTRY_COMPARE(endings.join(", "), ending);
        if (ending == "finish 1")
            QCOMPARE(w->progress(), 100); // a file of whole blocks, all read
        delete w;
        qInstallMessageHandler(previous);
        QCOMPARE(sent.join(' '), trace + (ending.isEmpty() ? " X" : "")); // quit cancels a transfer still open
        QVERIFY(messages.filter("QThread").isEmpty());
    }

    // lrzsz's rx on one side of a pseudo-terminal, the worker on the other. rx flushes
    // its input after each answer, so each packet is held back a little, as a real line
    // would deliver it some milliseconds later. rx also empties the terminal as it exits,
    // which on a pseudo-terminal may swallow its last ACK before it is read (a real line
    // has carried it by then), so the end is rx's own verdict and the file it wrote.
    void intoRx_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 128, 300, 262144})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void intoRx()
    {
        QFETCH(int, size);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("fw.bin"), patterned(size)));
        PtyPair pty;
        QVERIFY(pty.isValid());
        QProcess rx;
        rx.setWorkingDirectory(dir.path());
        rx.setStandardInputFile(pty.slavePath());
        rx.setStandardOutputFile(pty.slavePath(), QIODevice::Append);
        QList<QPair<qint64, QByteArray>> out;
        QElapsedTimer clock;
        clock.start();
        QString trace;

        UpdataThread w;
        connect(&w, &UpdataThread::sendData, this, [&](const QByteArray& b) { out.append({clock.elapsed(), b}); });
        w.SetFileName(dir.filePath("fw.bin"));
        w.SetTransMode(UpdataThread::Send);
        w.setStartInterval(3000); // rx may ask late
        w.StartTransmit();
        // rx's own timeout, 2 s instead of 10, so a packet lost in its flush on a busy
        // machine costs little.
        rx.start("/usr/bin/rx", {"-X", "-q", "-t", "20", "got.bin"});
        QVERIFY(rx.waitForStarted(5000));
        while (rx.state() != QProcess::NotRunning && clock.elapsed() < 40000) {
            const QByteArray in = pty.readAvailable();
            if (!in.isEmpty())
                w.readData(in);
            if (!out.isEmpty() && clock.elapsed() - out.first().first >= 3) {
                trace = traced(out.first().second);
                pty.write(out.takeFirst().second);
            }
            QTest::qWait(1);
        }
        QCOMPARE(trace, QString("E"));
        QCOMPARE(rx.exitCode(), 0);
        QCOMPARE(fileBytes(dir.filePath("got.bin")), patterned(size) + QByteArray(128 - size % 128, 0x1A));
    }
};

QTEST_GUILESS_MAIN(TestXmodem)
#include "tst_xmodem.moc"
