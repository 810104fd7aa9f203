#include "simconsole.h"

#include "simfirmware.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

const QString kCompleted = QStringLiteral("Command completed successfully");
const QString kUnknown = QStringLiteral("Unknown command");
const QString kInvalid = QStringLiteral("Invalid command or fail to excute.");
const QString kAbsent = QStringLiteral("Target device is not present");
const QString kPress = QStringLiteral("Press [Enter] to be continued,other key to exit");
const QString kHvrackFramed = QStringLiteral("HVRACK-7720-KM");

constexpr int kMaxLine = 256;
constexpr int kVerdictMs = 500;  // after the last Xmodem byte, before any text

// "Key       : value   unit" with the key padded so the colons line up.
QString field(const QString& key, const QString& value, const QString& unit = QString())
{
    QString line = key.leftJustified(24) + QStringLiteral(" : ") + value.leftJustified(10);
    if (!unit.isEmpty())
        line += QLatin1Char(' ') + unit;
    return line.trimmed();
}

QString field(const QString& key, int value, const QString& unit = QString())
{
    return field(key, QString::number(value), unit);
}

// Columns padded to fixed widths, always at least one blank apart.
QString row(const QStringList& cells, const QList<int>& widths)
{
    QString out;
    for (int i = 0; i < cells.size(); ++i) {
        const int w = i < widths.size() ? widths[i] : 0;
        out += cells[i].leftJustified(w);
        if (i + 1 < cells.size())
            out += QLatin1Char(' ');
    }
    return out.trimmed();
}

QString percent(int v) { return QString::number(v) + QLatin1Char('%'); }

int statusCode(const QString& word) { return word == QLatin1String("Normal") ? 0 : 1; }

} // namespace

SimConsole::SimConsole(const SimOptions& options)
    : m_options(options)
    , m_device(options)
{
    m_options = m_device.options(); // clamped counts
    m_nextTick = std::max(1, m_options.sampleMs);
    setXmodemFaults(options.faults.xmodemNak, options.faults.xmodemCancelAfter, options.faults.xmodemSilentAfter);
}

void SimConsole::setXmodemFaults(double nakShare, int cancelAfter, int silentAfter)
{
    m_xmodem.setFaults(nakShare, cancelAfter, m_options.seed ^ 0x9E3779B9u, silentAfter);
}

QByteArray SimConsole::prompt() { return QByteArrayLiteral("BMS>"); }
QByteArray SimConsole::eol() { return QByteArrayLiteral("\r\r\n"); }

QStringList SimConsole::takeCommandLog()
{
    QStringList log;
    log.swap(m_log);
    return log;
}

// ---------------------------------------------------------------------------------
// Time

qint64 SimConsole::msToNextEvent() const
{
    qint64 next = m_nextTick;
    if (m_streamNext >= 0)
        next = std::min(next, m_streamNext);
    if (m_modeDeadline >= 0)
        next = std::min(next, m_modeDeadline);
    if (m_mode == Mode::Xmodem && m_xmodem.deadline() >= 0)
        next = std::min(next, m_xmodem.deadline());
    return std::max<qint64>(0, next - m_now);
}

QList<SimConsole::Output> SimConsole::advance(qint64 ms)
{
    const qint64 target = m_now + std::max<qint64>(0, ms);
    for (;;) {
        const qint64 next = m_now + msToNextEvent();
        if (next > target)
            break;
        m_now = next;
        if (m_nextTick <= m_now) {
            m_device.tick();
            m_nextTick += std::max(1, m_options.sampleMs);
            // Every sample taken while streaming is printed, a second of device time
            // apart; with a short --sample-ms hours of samples pass in minutes.
            if (m_streamNext >= 0) {
                m_streamRows += streamRow().toLatin1() + eol();
                ++m_streamId;
            }
        }
        if (m_streamNext >= 0 && m_streamNext <= m_now) {
            // The rows leave once a second, so the client still sees its quiet time
            // between them; a device that samples less often repeats its last sample.
            if (m_streamRows.isEmpty()) {
                m_streamRows = streamRow().toLatin1() + eol();
                ++m_streamId;
            }
            emitText(m_streamRows, Output::Spontaneous);
            m_streamRows.clear();
            m_streamNext += 1000;
        }
        if (m_mode == Mode::Xmodem)
            pollXmodem();
        if (m_modeDeadline >= 0 && m_modeDeadline <= m_now) {
            m_modeDeadline = -1;
            const After after = m_after;
            m_after = After::Nothing;
            switch (after) {
            case After::SelfTestDone: finishSelfTest(); break;
            case After::Verdict: giveVerdict(); break;
            case After::XmodemEnded: endMode(); break;
            case After::BootDone: finishBoot(); break;
            case After::Nothing: break;
            }
        }
    }
    m_now = target;
    QList<Output> out;
    out.swap(m_out);
    return out;
}

// ---------------------------------------------------------------------------------
// Input

QList<SimConsole::Output> SimConsole::feed(const QByteArray& bytes)
{
    consume(bytes);
    QList<Output> out;
    out.swap(m_out);
    return out;
}

void SimConsole::consume(const QByteArray& bytes)
{
    for (int i = 0; i < bytes.size(); ++i) {
        switch (m_mode) {
        case Mode::Xmodem: {
            m_out.append({Output::Control, m_xmodem.feed(bytes.mid(i), m_now)});
            if (m_out.last().bytes.isEmpty())
                m_out.removeLast();
            if (!m_xmodem.active())
                finishXmodem();
            i = bytes.size(); // the rest of this burst belonged to the transfer
            break;
        }
        case Mode::SelfTest:
            m_pendingInput.append(bytes.mid(i));
            i = bytes.size();
            break;
        case Mode::Loading:
        case Mode::Rebooting:
            i = bytes.size();
            break;
        case Mode::Paging: {
            const char c = bytes[i];
            if (c == '\n' && m_lastCR) {
                m_lastCR = false;
                break;
            }
            m_lastCR = c == '\r';
            if (c == '\r' || c == '\n') {
                nextPage();
            } else {
                // Any other key leaves the listing.
                m_listing.clear();
                m_mode = Mode::Console;
                emitText(eol() + prompt());
            }
            break;
        }
        case Mode::Console:
            feedByte(bytes[i]);
            break;
        }
    }
}

void SimConsole::feedByte(char c)
{
    if (c == '\n' && m_lastCR) {
        m_lastCR = false;
        return;
    }
    m_lastCR = c == '\r';
    if (c == '\r' || c == '\n') {
        lineEnded();
        return;
    }
    if (c == '\b' || c == 0x7F) {
        m_line.chop(1);
        return;
    }
    if (quint8(c) < 0x20 && c != '\t')
        return; // control characters have no place on a command line
    if (m_line.size() < kMaxLine)
        m_line.append(c);
    // The loader's wake call: three letters, no line end.
    if (m_line == "DLG") {
        m_line.clear();
        m_log.append(QStringLiteral("DLG"));
        emitText(eol() + QByteArrayLiteral("Updata is ready!") + eol() + prompt());
    }
}

void SimConsole::lineEnded()
{
    const QByteArray raw = m_line;
    m_line.clear();
    handleLine(raw);
}

void SimConsole::emitText(const QByteArray& bytes, Output::Kind kind)
{
    if (!m_out.isEmpty() && m_out.last().kind == kind && kind != Output::Frame && kind != Output::Control)
        m_out.last().bytes.append(bytes);
    else
        m_out.append({kind, bytes});
}

void SimConsole::emitFrame(const QByteArray& echo, const QStringList& body, const QString& outcome)
{
    QByteArray out = "@" + echo + eol();
    for (const QString& line : body)
        out += line.toLatin1() + eol();
    out += outcome.toLatin1() + eol();
    out += "$$" + eol() + prompt();
    m_out.append({Output::Frame, out});
}

void SimConsole::handleLine(const QByteArray& raw)
{
    const QString text = QString::fromLatin1(raw).trimmed();
    const QStringList tokens = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (tokens.isEmpty()) {
        // A bare line end only asks for a fresh prompt, except in the middle of a
        // stream, where a prompt would break the rows.
        if (!streaming())
            emitText(eol() + prompt());
        return;
    }
    m_log.append(QString::fromLatin1(raw));
    const QString cmd = tokens.first();
    if (cmd == QLatin1String("pwrsys"))
        cmdPwrsys(raw, tokens);
    else if (cmd == QLatin1String("pwr"))
        cmdPwr(raw, tokens);
    else if (cmd == QLatin1String("bat"))
        cmdBat(raw, tokens);
    else if (cmd == QLatin1String("info"))
        cmdInfo(raw, tokens);
    else if (cmd == QLatin1String("balance"))
        cmdBalance(raw, tokens);
    else if (cmd == QLatin1String("ctrl"))
        cmdCtrl(raw, tokens);
    else if (cmd == QLatin1String("tall"))
        cmdTall(raw, tokens);
    else if (cmd == QLatin1String("tbar"))
        cmdTbar(raw);
    else if (cmd == QLatin1String("config"))
        cmdConfig(raw, tokens);
    else if (cmd == QLatin1String("data"))
        cmdData(raw, tokens);
    else if (cmd == QLatin1String("datalist"))
        cmdDatalist(raw, tokens);
    else if (cmd == QLatin1String("disp"))
        cmdDisp(raw, tokens);
    else if (cmd == QLatin1String("login"))
        cmdLogin(raw, tokens);
    else if (cmd == QLatin1String("logout")) {
        m_loggedIn = false;
        m_streamNext = -1;
        emitFrame(raw, {QStringLiteral("Logout success")}, kCompleted);
    } else if (cmd == QLatin1String("updata"))
        cmdUpdata(raw, tokens, false);
    else if (cmd == QLatin1String("uboot"))
        cmdUpdata(raw, tokens, true);
    else if (cmd == QLatin1String("help"))
        cmdHelp(raw);
    else
        emitFrame(raw, {}, kUnknown);
}

int SimConsole::packArgument(const QByteArray& raw, const QStringList& tokens, int index)
{
    if (tokens.size() <= index)
        return m_selected;
    bool ok = false;
    const int n = tokens[index].toInt(&ok, 10);
    if (!ok || n < 1 || n > 16 || tokens.size() > index + 1) {
        emitFrame(raw, {}, kInvalid);
        return 0;
    }
    if (!m_device.hasPack(n)) {
        emitFrame(raw, {}, kAbsent);
        return 0;
    }
    m_selected = n;
    return n;
}

bool SimConsole::needLogin(const QByteArray& raw)
{
    if (!m_options.requireLogin || m_loggedIn)
        return false;
    emitFrame(raw, {QStringLiteral("Please login debug first")}, kInvalid);
    return true;
}

// ---------------------------------------------------------------------------------
// Status commands

void SimConsole::cmdPwrsys(const QByteArray& raw, const QStringList& tokens)
{
    if (tokens.size() > 1) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    const SimDevice& d = m_device;
    int vmax = 0, vmin = 1 << 30, tmax = -(1 << 30), tmin = 1 << 30;
    for (int a = 1; a <= d.packCount(); ++a) {
        const SimPack& p = d.pack(a);
        for (int c = 0; c < p.cells(); ++c) {
            vmax = std::max(vmax, p.cellMv[c]);
            vmin = std::min(vmin, p.cellMv[c]);
            tmax = std::max(tmax, p.cellTempMc[c]);
            tmin = std::min(tmin, p.cellTempMc[c]);
        }
    }
    const int cells = m_options.cells;
    emitFrame(raw,
              {
                  QStringLiteral("System is ") + d.systemState(),
                  field(QStringLiteral("Present Num"), d.packCount()),
                  field(QStringLiteral("System Volt"), d.systemVoltMv(), QStringLiteral("mV")),
                  field(QStringLiteral("System Curr"), d.systemCurrentMa(), QStringLiteral("mA")),
                  field(QStringLiteral("System SOC"), d.systemSoc(), QStringLiteral("%")),
                  field(QStringLiteral("System SOH"), d.systemSoh(), QStringLiteral("%")),
                  field(QStringLiteral("Highest voltage"), vmax, QStringLiteral("mV")),
                  field(QStringLiteral("Lowest voltage"), vmin, QStringLiteral("mV")),
                  field(QStringLiteral("Highest temperature"), tmax, QStringLiteral("mC")),
                  field(QStringLiteral("Lowest temperature"), tmin, QStringLiteral("mC")),
                  field(QStringLiteral("Recommend chg voltage"), 3500 * cells, QStringLiteral("mV")),
                  field(QStringLiteral("Recommend dsg voltage"), 3000 * cells, QStringLiteral("mV")),
                  field(QStringLiteral("Recommend chg current"), 100000 * d.packCount(), QStringLiteral("mA")),
                  field(QStringLiteral("Recommend dsg current"), -100000 * d.packCount(), QStringLiteral("mA")),
              },
              kCompleted);
}

void SimConsole::cmdPwr(const QByteArray& raw, const QStringList& tokens)
{
    const SimDevice& d = m_device;
    if (tokens.size() == 1) {
        // The pack table: one row per pack present, no blanks before the address.
        const QList<int> widths = {6, 7, 7, 7, 7, 7, 6, 6, 9, 8, 8, 8, 8, 19, 8, 8, 7};
        QStringList head = {QStringLiteral("Power"), QStringLiteral("Volt"), QStringLiteral("Curr"),
                            QStringLiteral("Tempr"), QStringLiteral("Tlow"), QStringLiteral("Thigh"),
                            QStringLiteral("Vlow"), QStringLiteral("Vhigh"), QStringLiteral("Base.St"),
                            QStringLiteral("Volt.St"), QStringLiteral("Curr.St"), QStringLiteral("Temp.St"),
                            QStringLiteral("Coulomb"), QStringLiteral("Time"), QStringLiteral("B.V.St"),
                            QStringLiteral("B.T.St")};
        if (m_options.pwrDevType)
            head << QStringLiteral("DevType");
        QStringList body = {row(head, widths)};
        for (int a = 1; a <= d.packCount(); ++a) {
            const SimPack& p = d.pack(a);
            const auto [vmin, vmax] = std::minmax_element(p.cellMv.begin(), p.cellMv.end());
            const auto [tmin, tmax] = std::minmax_element(p.cellTempMc.begin(), p.cellTempMc.end());
            QStringList cells = {
                QString::number(a), QString::number(p.voltMv), QString::number(p.currentMa),
                QString::number(p.tempMc), QString::number(*tmin), QString::number(*tmax),
                QString::number(*vmin), QString::number(*vmax), d.baseState(a), d.voltState(a),
                d.currState(a), d.tempState(a), percent(p.soc()),
                p.lastAlarm.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), d.voltState(a), d.tempState(a)};
            if (m_options.pwrDevType)
                cells << QStringLiteral("PACK");
            body << row(cells, widths);
        }
        emitFrame(raw, body, kCompleted);
        return;
    }
    const int a = packArgument(raw, tokens, 1);
    if (!a)
        return;
    const SimPack& p = d.pack(a);
    const QString fault = (p.alarms & SimDevice::SystemFault) ? QStringLiteral("Sensor fault") : QStringLiteral("Normal");
    emitFrame(raw,
              {
                  field(QStringLiteral("Voltage"), p.voltMv, QStringLiteral("mV")),
                  field(QStringLiteral("Current"), p.currentMa, QStringLiteral("mA")),
                  field(QStringLiteral("Temperature"), p.tempMc, QStringLiteral("mC")),
                  field(QStringLiteral("Coulomb"), p.soc(), QStringLiteral("%")),
                  field(QStringLiteral("Total Coulomb"), int(p.totalMah), QStringLiteral("mAH")),
                  field(QStringLiteral("Real Coulomb"), int(p.realMah), QStringLiteral("mAH")),
                  field(QStringLiteral("Remain Coulomb"), int(std::lround(p.remainingMah)), QStringLiteral("mAH")),
                  field(QStringLiteral("Basic Status"), d.baseState(a)),
                  field(QStringLiteral("Volt Status"), d.voltState(a)),
                  field(QStringLiteral("Current Status"), d.currState(a)),
                  field(QStringLiteral("Tmpr Status"), d.tempState(a)),
                  field(QStringLiteral("Balance Status"), p.balancing ? QStringLiteral("On") : QStringLiteral("Off")),
                  field(QStringLiteral("System Fault"), fault),
              },
              kCompleted);
}

void SimConsole::cmdBat(const QByteArray& raw, const QStringList& tokens)
{
    const int a = packArgument(raw, tokens, 1);
    if (!a)
        return;
    const SimDevice& d = m_device;
    const SimPack& p = d.pack(a);
    const bool withCurrent = m_options.batLayout != 10;
    QList<int> widths = {8, 6};
    QStringList head = {QStringLiteral("Battery"), QStringLiteral("Volt")};
    if (withCurrent) {
        head << QStringLiteral("Curr");
        widths << 7;
    }
    head << QStringLiteral("Tempr") << QStringLiteral("Base.State") << QStringLiteral("Volt.State")
         << QStringLiteral("Curr.State") << QStringLiteral("Temp.State") << QStringLiteral("SOC")
         << QStringLiteral("Coulomb");
    widths << 7 << 10 << 10 << 10 << 10 << 5 << 10;
    QStringList body = {row(head, widths)};
    const int average = p.voltMv / std::max(1, p.cells());
    for (int c = 0; c < p.cells(); ++c) {
        QString voltSt = QStringLiteral("Normal");
        QString tempSt = QStringLiteral("Normal");
        if (c == p.alarmCell) {
            voltSt = d.voltState(a);
            tempSt = d.tempState(a);
        }
        QString base = d.baseState(a);
        if (p.balancing && p.cellMv[c] > average)
            base = QStringLiteral("Balance");
        const int soc = std::clamp(int(std::lround(p.cellMah[c] * 100.0 / p.realMah)), 0, 100);
        QStringList cells = {QString::number(c), QString::number(p.cellMv[c])};
        if (withCurrent)
            cells << QString::number(p.currentMa);
        cells << QString::number(p.cellTempMc[c]) << base << voltSt << d.currState(a) << tempSt
              << percent(soc) << QString::number(p.cellMah[c]) + QStringLiteral(" mAH");
        body << row(cells, widths);
    }
    emitFrame(raw, body, kCompleted);
}

void SimConsole::cmdInfo(const QByteArray& raw, const QStringList& tokens)
{
    const int a = packArgument(raw, tokens, 1);
    if (!a)
        return;
    const SimPack& p = m_device.pack(a);
    emitFrame(raw,
              {
                  field(QStringLiteral("Device address"), a),
                  field(QStringLiteral("Device name"), m_options.model),
                  field(QStringLiteral("Board version"), QStringLiteral("RB01")),
                  field(QStringLiteral("Boot version"), p.bootVersion),
                  field(QStringLiteral("Main Soft version"), p.mainVersion),
                  field(QStringLiteral("Comm version"), p.commVersion),
                  field(QStringLiteral("Release Date"), p.releaseDate),
                  field(QStringLiteral("Barcode"), p.barcode),
                  field(QStringLiteral("Specification"), p.packSpec),
                  field(QStringLiteral("Cell Number"), p.cells()),
                  field(QStringLiteral("Max Charge Curr"), p.maxChargeCurr),
                  field(QStringLiteral("Max Discharge Curr"), QStringLiteral("-") + p.maxChargeCurr),
              },
              kCompleted);
}

void SimConsole::cmdBalance(const QByteArray& raw, const QStringList& tokens)
{
    if (!m_options.balance) {
        emitFrame(raw, {}, kUnknown);
        return;
    }
    if (tokens.size() > 1) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    // Nothing above the first row may hold a "1": the rows are found by it.
    QStringList body = {QStringLiteral("Power    Balance")};
    for (int a = 1; a <= m_device.packCount(); ++a)
        body << QString::number(a).leftJustified(8) + QLatin1Char(' ') + (m_device.pack(a).balancing ? "1" : "0");
    emitFrame(raw, body, kCompleted);
}

// ---------------------------------------------------------------------------------
// Control

void SimConsole::cmdCtrl(const QByteArray& raw, const QStringList& tokens)
{
    auto onOff = [](bool on) { return on ? QStringLiteral("ON") : QStringLiteral("OFF"); };
    if (tokens.size() == 1) {
        emitFrame(raw, {field(QStringLiteral("CFET"), onOff(m_device.cfet())), field(QStringLiteral("DFET"), onOff(m_device.dfet()))},
                  kCompleted);
        return;
    }
    if (tokens.size() != 3 || (tokens[1] != QLatin1String("cfet") && tokens[1] != QLatin1String("dfet"))
        || (tokens[2] != QLatin1String("on") && tokens[2] != QLatin1String("off"))) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    if (needLogin(raw))
        return;
    const bool on = tokens[2] == QLatin1String("on");
    if (tokens[1] == QLatin1String("cfet")) {
        m_device.setCfet(on);
        emitFrame(raw, {field(QStringLiteral("CFET"), onOff(on))}, kCompleted);
    } else {
        m_device.setDfet(on);
        emitFrame(raw, {field(QStringLiteral("DFET"), onOff(on))}, kCompleted);
    }
}

void SimConsole::cmdTall(const QByteArray& raw, const QStringList& tokens)
{
    if (tokens.size() > 1) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    // The frame opens now and closes when the test is over.
    m_out.append({Output::Text, "@" + raw + eol() + QByteArrayLiteral("Self test start, please wait...") + eol()});
    m_mode = Mode::SelfTest;
    m_modeDeadline = m_now + std::max(0, m_options.selfTestMs);
    m_after = After::SelfTestDone;
}

void SimConsole::finishSelfTest()
{
    bool fault = false;
    for (int a = 1; a <= m_device.packCount(); ++a)
        fault = fault || (m_device.pack(a).alarms & SimDevice::SystemFault);
    QByteArray out;
    auto line = [&](const QString& s) { out += s.toLatin1() + eol(); };
    line(field(QStringLiteral("Cell voltage check"), QStringLiteral("pass")));
    line(field(QStringLiteral("Temperature sensor check"), fault ? QStringLiteral("fail") : QStringLiteral("pass")));
    line(field(QStringLiteral("Current sensor check"), QStringLiteral("pass")));
    line(field(QStringLiteral("MOSFET check"), QStringLiteral("pass")));
    line(field(QStringLiteral("Communication check"), QStringLiteral("pass")));
    line(field(QStringLiteral("Self test result"), fault ? QStringLiteral("fail") : QStringLiteral("pass")));
    line(fault ? kInvalid : kCompleted);
    out += "$$" + eol() + prompt();
    m_out.append({Output::Frame, out});
    m_mode = Mode::Console;
    // What came in during the test is read now, as a UART buffer would deliver it.
    const QByteArray pending = m_pendingInput;
    m_pendingInput.clear();
    consume(pending);
}

void SimConsole::cmdTbar(const QByteArray& raw)
{
    // The barcode is everything after "tbar ", blanks included.
    const int at = raw.indexOf("tbar ");
    const QString barcode = at < 0 ? QString() : QString::fromLatin1(raw.mid(at + 5));
    if (barcode.trimmed().isEmpty()) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    if (needLogin(raw))
        return;
    if (barcode.size() != 16) {
        emitFrame(raw, {QStringLiteral("Barcode must be 16 characters"), QStringLiteral("Test result:fail")}, kInvalid);
        return;
    }
    // Two packs with one barcode could not be told apart: the write is refused, though
    // the command itself counts as carried out.
    for (int a = 1; a <= m_device.packCount(); ++a) {
        if (a != m_selected && m_device.pack(a).barcode == barcode) {
            emitFrame(raw, {QStringLiteral("Barcode already used by pack %1").arg(a), QStringLiteral("Test result:fail")},
                      kCompleted);
            return;
        }
    }
    m_device.setBarcode(m_selected, barcode);
    emitFrame(raw, {field(QStringLiteral("Barcode"), barcode), QStringLiteral("Test result:pass")}, kCompleted);
}

void SimConsole::cmdConfig(const QByteArray& raw, const QStringList& tokens)
{
    if (tokens.size() == 2 && tokens[1] == QLatin1String("default")) {
        if (needLogin(raw))
            return;
        m_device.restoreDefaultConfig();
        emitFrame(raw, {QStringLiteral("Factory settings restored")}, kCompleted);
        return;
    }
    if (tokens.size() != 1) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    QStringList body;
    for (const SimThreshold& t : m_device.thresholds()) {
        QString values = t.cell.leftJustified(9);
        if (!t.power.isEmpty())
            values += QLatin1Char(' ') + t.power.leftJustified(9);
        body << (t.name.leftJustified(32) + QStringLiteral(": ") + values + QLatin1Char(' ') + t.unit);
    }
    body << QStringLiteral("Shut time");
    for (const SimThreshold& t : m_device.shutTimes())
        body << (t.name.leftJustified(32) + QStringLiteral(": ") + t.cell.leftJustified(9) + QLatin1Char(' ') + t.unit);
    emitFrame(raw, body, kCompleted);
}

// ---------------------------------------------------------------------------------
// History

QString SimConsole::eventHeader() const
{
    QStringList head = {QStringLiteral("Item"), QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Volt"),
                        QStringLiteral("Curr"), QStringLiteral("Tempr"), QStringLiteral("Tlow"), QStringLiteral("Thigh"),
                        QStringLiteral("Vlow"), QStringLiteral("Vhigh")};
    if (m_options.eventMask)
        head << QStringLiteral("mask");
    head << QStringLiteral("Base.St") << QStringLiteral("Volt.St") << QStringLiteral("Curr.St")
         << QStringLiteral("Temp.St") << QStringLiteral("Per%") << QStringLiteral("Events");
    QList<int> widths = {5, 10, 8, 6, 7, 5, 5, 5, 5, 5};
    if (m_options.eventMask)
        widths << 6;
    widths << 8 << 7 << 7 << 7 << 4;
    return row(head, widths);
}

QString SimConsole::eventRow(const SimEvent& e) const
{
    QStringList cells = {QString::number(e.item), e.time.toString(QStringLiteral("yyyy-MM-dd")),
                         e.time.toString(QStringLiteral("HH:mm:ss")), QString::number(e.voltMv),
                         QString::number(e.currentMa), QString::number(e.tempC), QString::number(e.tempLowC),
                         QString::number(e.tempHighC), QString::number(e.cellLowMv), QString::number(e.cellHighMv)};
    if (m_options.eventMask)
        cells << QStringLiteral("0x%1").arg(e.mask, 4, 16, QLatin1Char('0'));
    cells << e.baseState << e.voltState << e.currState << e.tempState << percent(e.soc) << e.text;
    QList<int> widths = {5, 10, 8, 6, 7, 5, 5, 5, 5, 5};
    if (m_options.eventMask)
        widths << 6;
    widths << 8 << 7 << 7 << 7 << 4;
    return row(cells, widths);
}

void SimConsole::cmdData(const QByteArray& raw, const QStringList& tokens)
{
    const QList<SimEvent>& events = m_device.events();
    if (tokens.size() == 1) {
        emitFrame(raw, {field(QStringLiteral("Data Number"), events.size())}, kCompleted);
        return;
    }
    bool ok = false;
    const int item = tokens.size() == 3 ? tokens[2].toInt(&ok, 10) : 0;
    if (tokens[1] != QLatin1String("event") || !ok || item < 1 || item > events.size()) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    const SimEvent& e = events[item - 1];
    QStringList volts;
    for (int mv : e.cellMv)
        volts << QString::number(mv);
    // No line of this reply may end in "data": the program tells "data" and
    // "data event" apart by that.
    emitFrame(raw,
              {
                  field(QStringLiteral("Item"), e.item),
                  field(QStringLiteral("Time"), e.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
                  field(QStringLiteral("Pack"), e.pack),
                  field(QStringLiteral("Event"), e.text),
                  field(QStringLiteral("Mask"), QStringLiteral("0x%1").arg(e.mask, 4, 16, QLatin1Char('0'))),
                  field(QStringLiteral("Voltage"), e.voltMv, QStringLiteral("mV")),
                  field(QStringLiteral("Current"), e.currentMa, QStringLiteral("mA")),
                  field(QStringLiteral("Temperature"), e.tempC * 1000, QStringLiteral("mC")),
                  field(QStringLiteral("Temperature low"), e.tempLowC * 1000, QStringLiteral("mC")),
                  field(QStringLiteral("Temperature high"), e.tempHighC * 1000, QStringLiteral("mC")),
                  field(QStringLiteral("Coulomb"), e.soc, QStringLiteral("%")),
                  field(QStringLiteral("Base State"), e.baseState),
                  field(QStringLiteral("Volt State"), e.voltState),
                  field(QStringLiteral("Curr State"), e.currState),
                  field(QStringLiteral("Temp State"), e.tempState),
                  field(QStringLiteral("Cell Volt"), volts.join(QLatin1Char(' ')), QStringLiteral("mV")),
              },
              kCompleted);
}

void SimConsole::cmdDatalist(const QByteArray& raw, const QStringList& tokens)
{
    bool ok = tokens.size() == 3 && tokens[1] == QLatin1String("event");
    const int from = ok ? tokens[2].toInt(&ok, 10) : 0;
    const QList<SimEvent>& events = m_device.events();
    if (!ok || from < 0 || from > std::max(1, events.size())) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    m_listing.clear();
    for (int i = std::max(0, from - 1); i < events.size(); ++i)
        m_listing.append(i);

    if (m_options.model == kHvrackFramed) {
        // This model sends the whole history in one framed reply.
        QStringList body = {eventHeader()};
        for (int i : m_listing)
            body << eventRow(events[i]);
        m_listing.clear();
        emitFrame(raw, body, kCompleted);
        return;
    }
    emitText(raw + eol() + eventHeader().toLatin1() + eol());
    m_mode = Mode::Paging;
    nextPage();
}

void SimConsole::nextPage()
{
    const QList<SimEvent>& events = m_device.events();
    QByteArray out;
    const int rows = std::max(1, m_options.pageRows);
    for (int n = 0; n < rows && !m_listing.isEmpty(); ++n)
        out += eventRow(events[m_listing.takeFirst()]).toLatin1() + eol();
    if (m_listing.isEmpty()) {
        out += kCompleted.toLatin1() + eol() + prompt();
        m_mode = Mode::Console;
    } else {
        // The next page starts on a fresh line below this prompt.
        out += kPress.toLatin1() + eol();
    }
    emitText(out);
}

// ---------------------------------------------------------------------------------
// Real-time stream

QString SimConsole::streamHeader() const
{
    QStringList head = {QStringLiteral("ID"), QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Volt")};
    if (m_options.dispFields == 17)
        head << QStringLiteral("State");
    head << QStringLiteral("Curr") << QStringLiteral("Tempr") << QStringLiteral("Vlow") << QStringLiteral("Vhigh")
         << QStringLiteral("Tlow") << QStringLiteral("Thigh") << QStringLiteral("B.St") << QStringLiteral("V.St")
         << QStringLiteral("C.St") << QStringLiteral("T.St") << QStringLiteral("SOC") << QStringLiteral("Coul(mAH)");
    return head.join(QLatin1Char(' '));
}

QString SimConsole::streamRow() const
{
    const SimDevice& d = m_device;
    const SimPack& p = d.pack(m_streamPack);
    const auto [vmin, vmax] = std::minmax_element(p.cellMv.begin(), p.cellMv.end());
    const auto [tmin, tmax] = std::minmax_element(p.cellTempMc.begin(), p.cellTempMc.end());
    // Two-digit years in the 16-field rows, four-digit years in the 17-field rows.
    const bool wide = m_options.dispFields == 17;
    const QString when = d.clock().toString(wide ? QStringLiteral("yyyy-MM-dd HH:mm:ss") : QStringLiteral("yy-MM-dd HH:mm:ss"));
    QStringList cells = {QString::number(m_streamId), when, QString::number(p.voltMv)};
    if (wide)
        cells << d.baseState(m_streamPack);
    const QString base = d.baseState(m_streamPack);
    const int baseCode = base == QLatin1String("Idle") ? 0 : base == QLatin1String("Charge") ? 1 : base == QLatin1String("Dischg") ? 2 : 3;
    cells << QString::number(p.currentMa) << QString::number(p.tempMc) << QString::number(*vmin)
          << QString::number(*vmax) << QString::number(*tmin) << QString::number(*tmax) << QString::number(baseCode)
          << QString::number(statusCode(d.voltState(m_streamPack)))
          << QString::number(statusCode(d.currState(m_streamPack)))
          << QString::number(statusCode(d.tempState(m_streamPack))) << percent(p.soc())
          << QString::number(int(std::lround(p.remainingMah)));
    return cells.join(QLatin1Char(' '));
}

void SimConsole::cmdDisp(const QByteArray& raw, const QStringList& tokens)
{
    if (tokens.size() == 2 && tokens[1] == QLatin1String("0")) {
        m_streamNext = -1;
        emitFrame(raw, {QStringLiteral("Real-time display stopped")}, kCompleted);
        return;
    }
    if (tokens.size() != 3 || tokens[1] != QLatin1String("pwrs")) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    const int a = packArgument(raw, tokens, 2);
    if (!a)
        return;
    m_streamPack = a;
    m_streamId = 1;
    m_streamRows.clear();
    // The stream is not framed: the echo, the column titles, the first sample and the
    // acknowledgement, then one row a second until "disp 0".
    emitText(raw + eol() + streamHeader().toLatin1() + eol() + streamRow().toLatin1() + eol() + kCompleted.toLatin1() + eol());
    ++m_streamId;
    m_streamNext = m_now + 1000;
}

// ---------------------------------------------------------------------------------
// Session and loader

void SimConsole::cmdLogin(const QByteArray& raw, const QStringList& tokens)
{
    if (tokens.size() != 2 || tokens[1] != QLatin1String("debug")) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    m_loggedIn = true;
    emitFrame(raw, {QStringLiteral("Login success")}, kCompleted);
}

void SimConsole::cmdHelp(const QByteArray& raw)
{
    emitFrame(raw,
              {
                  QStringLiteral("pwrsys                  system summary"),
                  QStringLiteral("pwr [N]                 pack table, or pack N"),
                  QStringLiteral("bat [N]                 cells of pack N"),
                  QStringLiteral("info [N]                identity of pack N"),
                  QStringLiteral("balance                 balancing per pack"),
                  QStringLiteral("ctrl [cfet|dfet on|off] switch states"),
                  QStringLiteral("tall                    self test"),
                  QStringLiteral("tbar BARCODE            write the barcode"),
                  QStringLiteral("config [default]        protection settings"),
                  QStringLiteral("data [event N]          event count, one event"),
                  QStringLiteral("datalist event N        event list"),
                  QStringLiteral("disp pwrs N | disp 0    real-time stream"),
                  QStringLiteral("login debug | logout"),
                  QStringLiteral("updata | uboot          firmware by Xmodem"),
              },
              kCompleted);
}

void SimConsole::cmdUpdata(const QByteArray& raw, const QStringList& tokens, bool boot)
{
    if (tokens.size() != 1) {
        emitFrame(raw, {}, kInvalid);
        return;
    }
    m_streamNext = -1;
    m_bootCommand = boot;
    QByteArray out = "@" + raw + eol();
    out += QByteArrayLiteral("Upgrade mode, send the image by Xmodem (checksum, 128-byte blocks)") + eol();
    out += kCompleted.toLatin1() + eol() + "$$" + eol();
    m_out.append({Output::Frame, out});
    m_mode = Mode::Xmodem;
    m_xmodem.start(m_now, std::max(1, m_options.xmodemRetryMs));
}

void SimConsole::pollXmodem()
{
    const QByteArray reply = m_xmodem.poll(m_now);
    if (!reply.isEmpty())
        m_out.append({Output::Control, reply});
    if (!m_xmodem.active())
        finishXmodem();
}

void SimConsole::finishXmodem()
{
    // Text only after a pause, so that it never shares a burst with our last
    // control byte; until then whatever the sender still has in flight is dropped.
    m_mode = Mode::Loading;
    m_modeDeadline = m_now + kVerdictMs;
    switch (m_xmodem.state()) {
    case SimXmodemReceiver::State::Completed:
        m_device.setReceivedFile(m_xmodem.data());
        m_after = After::Verdict;
        break;
    case SimXmodemReceiver::State::Cancelled:
        m_endText = QStringLiteral("Transfer ") + m_xmodem.reason();
        m_after = After::XmodemEnded;
        break;
    default:
        m_endText = QStringLiteral("Transfer failed: ") + m_xmodem.reason();
        m_after = After::XmodemEnded;
        break;
    }
}

void SimConsole::endMode()
{
    m_mode = Mode::Console;
    emitText(eol() + m_endText.toLatin1() + eol() + prompt());
    m_endText.clear();
}

void SimConsole::giveVerdict()
{
    const SimFirmware::Check check = SimFirmware::check(m_device.receivedFile(), m_bootCommand);
    if (check.verdict == SimFirmware::WithoutHead) {
        m_endText = QStringLiteral("Version without head");
        endMode();
        return;
    }
    if (check.verdict == SimFirmware::Invalid) {
        m_endText = QStringLiteral("Version invalid");
        endMode();
        return;
    }
    m_device.installFirmware(check.target, check.version, check.image);
    m_bootTarget = check.target;
    emitText(eol() + QStringLiteral("Image accepted, %1 bytes, %2. Restarting...")
                         .arg(check.image.size())
                         .arg(check.version)
                         .toLatin1()
             + eol());
    m_mode = Mode::Rebooting;
    m_modeDeadline = m_now + std::max(0, m_options.rebootMs);
    m_after = After::BootDone;
}

void SimConsole::finishBoot()
{
    m_device.reset();
    m_loggedIn = false;
    m_line.clear();
    m_lastCR = false;
    m_listing.clear();
    m_streamNext = -1;
    m_mode = Mode::Console;
    const SimPack& p = m_device.pack(1);
    QByteArray out = eol() + QStringLiteral("Boot loader %1").arg(p.bootVersion).toLatin1() + eol();
    if (m_bootTarget == SimFirmware::Hub) {
        out += QStringLiteral("Hub program %1").arg(m_device.hubVersion()).toLatin1() + eol();
        out += QByteArrayLiteral("IBCCAN init ok") + eol();
    } else {
        out += QStringLiteral("Main program %1").arg(p.mainVersion).toLatin1() + eol();
        out += QByteArrayLiteral("SYS Init Over") + eol();
    }
    out += QByteArrayLiteral("System run") + eol() + prompt();
    // In one piece: the program decides which device came back from this text.
    m_out.append({Output::Spontaneous, out});
}
