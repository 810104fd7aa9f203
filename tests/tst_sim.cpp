// The simulated BMS as the program's end-to-end runs lean on it: replies and layouts
// those runs meet, the line's faults, the stream, the Xmodem receiver and its port.
// Behaviour no program run uses (the command-line wrapper, key editing, refused
// images) is left to the simulator's own use.

#include "bmssimulator.h"
#include "ptypair.h"
#include "replyfield.h"
#include "simconsole.h"
#include "simfirmware.h"
#include "simxmodemreceiver.h"
#include "suitetools.h"

#include <QtTest>

namespace {

const QByteArray kFrameEnd = "$$\r\r\nBMS>";
const QByteArray kDone = "Command completed successfully";

// What the receiver is given, and when: bytes, or (when empty) a look at its timers.
using Steps = QList<QPair<int, QByteArray>>;

QByteArray joined(const QList<SimConsole::Output>& outputs)
{
    QByteArray all;
    for (const SimConsole::Output& o : outputs)
        all += o.bytes;
    return all;
}

// The reply as the program's parsers see it: carriage returns removed.
QString text(const QByteArray& reply)
{
    return QString::fromLatin1(reply).remove('\r');
}

QByteArray packet(int number, const QByteArray& data)
{
    QByteArray block = data.left(128);
    block.append(QByteArray(128 - block.size(), char(0x1A)));
    quint8 sum = 0;
    for (char b : block)
        sum = quint8(sum + quint8(b));
    return QByteArray(1, 0x01) + char(number) + char(255 - number) + block + char(sum);
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    // Typed a byte at a time: a command between line feeds, as the program sends it, gives
    // one reply and two prompts; then the paged event list the history run turns through
    // must really come in pages, and CR LF turns one page, not two.
    void keys()
    {
        SimConsole c{SimOptions()};
        QByteArray out;
        for (char b : QByteArray("\npwrsys\ndatalist event 0\r\r\n\r\n\r\n"))
            out += joined(c.feed(QByteArray(1, b)));
        // "@pwrsys" replies, their ends, prompts, pages waiting for Enter
        QCOMPARE((QList<int>{out.count("@pwrsys\r\r\n"), out.count(kFrameEnd), out.count("BMS>"), out.count("Press [Enter]")}),
                 (QList<int>{1, 1, 3, 3}));
    }

    // Each row: the device's make-up and what was done to it, commands sent in turn
    // (all but the last must succeed), and what the last reply must hold. "Key = pattern"
    // is a field as the parsers read it; "[N*]pattern" a line (exactly N of them when N
    // is given).
    void replies_data()
    {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<QStringList>("expects");
        QTest::addColumn<QString>("closing");
        auto row = [](const char* name, const QString& flags, const QByteArrayList& cmds, const QStringList& expects,
                      const QString& closing = kDone) { QTest::newRow(name) << flags << cmds << expects << closing; };

        const QString cell = "3[0-4]\\d\\d", temp = "(1[5-9]|[23]\\d)\\d{3}", soc = "([1-9]\\d?|100)";
        const QString when = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d";
        const QStringList pwrRow = {"[1-3]", "(4[5-9]|5[0-7])\\d{3}", "-\\d{4,}", temp, temp, temp, cell, cell, "Dischg", "Normal",
                                    "Normal", "Normal", soc + "%", when, "Normal", "Normal"};
        const QStringList batRow = {"\\d+", cell, "-\\d+", temp, "Dischg", "Normal", "Normal", "Normal", soc + "%", "\\d{4,}", "mAH"};
        const QString invalid = "Invalid command or fail to excute.";

        row("pwr", "", {"pwr"}, {"^Power .* B\\.T\\.St$", "3*^" + pwrRow.join("\\s+") + "$"});
        row("bat N, 15 cells", "cells15", {"bat 3"}, {"15*^" + batRow.join("\\s+") + "$"});
        row("system fault", "fault1", {"pwrsys"}, {"^System is error$"});
        row("ctrl cfet off", "", {"login debug", "ctrl cfet off", "ctrl"}, {"CFET = OFF", "DFET = ON"});
        row("tall with a sensor fault", "sensor2", {"tall"}, {"Temperature sensor check = fail", "Self test result = fail"}, invalid);
        row("data event N", "", {"data event 5"}, {"Item = 5", "Time = " + when, "Cell Volt = (\\d{4} ){16}mV"});
    }

    void replies()
    {
        QFETCH(QString, flags);
        QFETCH(QByteArrayList, commands);
        QFETCH(QStringList, expects);
        QFETCH(QString, closing);

        SimOptions o;
        o.events = 23;
        o.cells = flags.contains("cells15") ? 15 : 16;
        o.sensorFaults = flags.contains("sensor2") ? QList<int>{2} : QList<int>{};
        SimConsole c(o);
        if (flags.contains("fault1"))
            c.device().raiseAlarm(1, SimDevice::SystemFault);
        c.advance(1100); // what was done shows in the next sample

        QString reply;
        for (int i = 0; i < commands.size(); ++i) {
            const QByteArray& cmd = commands[i];
            QByteArray raw = joined(c.feed("\n" + cmd + "\n"));
            raw += joined(c.advance(3100)); // a self-test's time, and a sample's
            raw = raw.mid(raw.indexOf('@'));
            QVERIFY2(raw.startsWith("@" + cmd + "\r\r\n") && raw.endsWith(kFrameEnd), raw.constData());
            QCOMPARE(raw.count('\n'), raw.count("\r\r\n"));
            reply = text(raw);
            QVERIFY2(reply.endsWith((i + 1 < commands.size() ? QString(kDone) : closing) + "\n$$\nBMS>"), qPrintable(reply));
            // The program tells "data", "ctrl" and "config" from longer commands by the line end.
            for (const char* word : {"data", "ctrl", "config"})
                QVERIFY(cmd == word || !reply.contains(word + QString('\n')));
        }
        const QStringList lines = reply.split('\n');
        for (const QString& e : expects) {
            const int eq = e.indexOf(" = ");
            if (eq > 0) {
                const QString value = ReplyField::text(reply, e.left(eq));
                QVERIFY2(QRegularExpression("^(" + e.mid(eq + 3) + ")$").match(value).hasMatch(), qPrintable(e + " <- " + value));
                continue;
            }
            const QRegularExpressionMatch count = QRegularExpression("^(\\d+)\\*").match(e);
            const QRegularExpression pattern(e.mid(count.capturedLength()));
            const int n = int(std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return pattern.match(l).hasMatch(); }));
            QVERIFY2(count.hasMatch() ? n == count.captured(1).toInt() : n > 0,
                     qPrintable(QString("%1: %2 lines in\n%3").arg(e, QString::number(n), reply)));
        }
    }

    // The real-time run reads this stream: header and first row come with the
    // acknowledgement, unframed; a row a second after, until "disp 0".
    void stream()
    {
        SimConsole c{SimOptions()};
        QString out = text(joined(c.feed("\ndisp pwrs 2\n")));
        QVERIFY2(out.contains("disp pwrs 2\nID ") && out.contains(" Coul(mAH)\n") && !out.contains('@') && out.endsWith(kDone + '\n'),
                 qPrintable(out));
        const QString row = "^%1 \\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (4[5-9]|5[0-7])\\d{3} -\\d{4,} (1[5-9]|[23]\\d)\\d{3} "
                            "3\\d{3} 3\\d{3} \\d{5} \\d{5} \\d \\d \\d \\d \\d+% \\d{4,}$";
        QString line = out.section('\n', -3, -3);
        for (int i = 1; i <= 3; ++i) {
            QVERIFY2(QRegularExpression(row.arg(i)).match(line).hasMatch(), qPrintable(line));
            QCOMPARE(joined(c.advance(999)), QByteArray());
            line = text(joined(c.advance(1))).trimmed();
        }
        QVERIFY(joined(c.feed("\ndisp 0\n")).contains(kDone));
        QCOMPARE(joined(c.advance(3000)), QByteArray());
    }

    void xmodemReceiver_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QString>("answers"); // per step, in hex; "-" for nothing
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("stored");

        const QByteArray p1 = packet(1, patterned(256)), p2 = packet(2, patterned(256).mid(128));
        const QByteArray can(1, 0x18), cans = QByteArray(10, 0x18) + QByteArray(10, '\b');
        const QByteArray canInside = p2.left(60) + cans + p2.mid(60);
        using S = SimXmodemReceiver::State;
        auto row = [](const char* name, const Steps& steps, const char* answers, S state, int stored) {
            QTest::newRow(name) << steps << QString(answers) << int(state) << stored;
        };

        // The first call comes retryMs after start, and again while nothing arrives.
        row("asks at its own pace", {{999, {}}, {1000, {}}, {1500, {}}, {2000, {}}, {2100, p1}, {3000, {}}}, "- 15 - 15 06 -",
            S::Receiving, 128);
        // A sender that gives up a few bytes into a block leaves CANs at the end of it.
        row("CANs after a stalled block", {{10, p1}, {20, p2.left(30) + can + can + "\b\b"}, {519, {}}, {520, {}}}, "06 - - -",
            S::Cancelled, 128);
        // The CANs of a sender with buffered output can land inside a block: refused, and
        // the silence after it ends the transfer, unless a good repeat follows.
        row("CANs inside a block, then silence", {{10, p1}, {20, canInside}, {3019, {}}, {3020, {}}}, "06 15 - -", S::Cancelled, 128);
        row("CANs inside a block, then a good repeat", {{10, p1}, {20, canInside}, {30, p2}, {3030, {}}}, "06 15 06 15",
            S::Receiving, 256);
    }

    void xmodemReceiver()
    {
        QFETCH(Steps, steps);
        QFETCH(int, stored);
        SimXmodemReceiver r;
        r.start(0, 1000);
        QStringList got;
        for (const auto& step : steps) {
            const QByteArray out = step.second.isEmpty() ? r.poll(step.first) : r.feed(step.second, step.first);
            got << (out.isEmpty() ? QString("-") : QString(out.toHex()));
        }
        QTEST(got.join(' '), "answers");
        QTEST(int(r.state()), "state");
        QCOMPARE(r.data(), patterned(256).left(stored));
    }

    // The line faults the program's runs lean on (a lost "$$" in the control run, replies
    // in pieces in the channel run) must really happen, or those runs prove nothing: the
    // reply in pieces but whole first; then, the faults changed, its "$$" lost.
    void lineFaults()
    {
        SimOptions o;
        o.faults.chunk = true;
        BmsSimulator sim(o);
        QVERIFY(sim.start());
        PtyPair pty(sim.portPath());
        const auto ctrl = [&pty] {
            pty.write("\nctrl\n");
            return QString::fromLatin1(pty.readFor(1500));
        };
        QString all = ctrl();
        QVERIFY2(QRegularExpression("^\r\r\nBMS>@ctrl\r\r\nCFET[^$]*\\$\\$\r\r\nBMS>$").match(all).hasMatch(), qPrintable(all));
        QVERIFY(pty.reads > 2);
        SimFaults cut;
        cut.loseFrameEnd = 1.0;
        sim.setFaults(cut);
        all = ctrl();
        QVERIFY2(QRegularExpression("^\r\r\nBMS>@ctrl\r\r\n[^$]*Command completed successfully\r\r\n[^$]*$").match(all).hasMatch(),
                 qPrintable(all));
    }

    // The port as a client meets it: a reply left unread by one client does not greet the
    // next; stopped, the port goes like a pulled adapter. (Started again, it serves a new
    // port: the real-time run's unplugged device.)
    void onThePort()
    {
        BmsSimulator sim;
        QSignalSpy clientGone(&sim, &BmsSimulator::clientGone), portGone(&sim, &BmsSimulator::portGone);
        QVERIFY(sim.start());
        const QString path = sim.portPath();
        {
            PtyPair left(path);
            left.write("\nconfig\n");
            QTest::qWait(200);
        }
        QTRY_COMPARE(clientGone.count(), 1);
        PtyPair pty(path);
        QVERIFY(pty.readFor(300).isEmpty());

        sim.stop();
        QTRY_COMPARE(portGone.count(), 1);
        QVERIFY(!QFile::exists(path) && !sim.isRunning() && sim.portPath().isEmpty());
        pty.readFor(100);
        QVERIFY(pty.hungUp);
    }

    // lrzsz's sx, a sender we did not write, with its standard input and output on the
    // port as from a shell, every third block refused once.
    void firmwareBySx()
    {
        const QByteArray file = SimFirmware::build(SimFirmware::Pack, 2, 5, 0, patterned(5000));
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("fw.bin"), file));
        SimOptions o;
        o.faults.xmodemNak = 0.33;
        o.rebootMs = 300;
        BmsSimulator sim(o);
        QVERIFY(sim.start());
        PtyPair pty(sim.portPath());
        pty.write("\nupdata\n");
        const QByteArray announce = pty.readUntil("$$\r\r\n", 3000);
        QVERIFY2(announce.contains("@updata\r\r\n") && announce.contains("Xmodem"), announce.constData());

        QProcess sx;
        sx.setStandardInputFile(sim.portPath());
        sx.setStandardOutputFile(sim.portPath(), QIODevice::Append);
        sx.start("/usr/bin/sx", {dir.filePath("fw.bin")});
        QVERIFY(sx.waitForStarted(5000) && sx.waitForFinished(30000));
        QVERIFY2(sx.exitCode() == 0, sx.readAllStandardError().constData());
        const QByteArray after = pty.readUntil("BMS>", 3000);
        QVERIFY2(after.contains("SYS Init Over"), after.constData());
        // What crossed the line is the file padded to whole blocks; what is kept, the file.
        QCOMPARE(sim.receivedFile().toHex(), (file + QByteArray((128 - file.size() % 128) % 128, 0x1A)).toHex());
        QCOMPARE(sim.storedImage().toHex(), file.toHex());
    }

};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
