#include "simdevice.h"

#include "simfirmware.h"

#include <algorithm>
#include <cmath>

namespace {

// Open-circuit voltage of a lithium iron phosphate cell over its state of charge:
// steep at both ends, a long flat plateau in between.
double ocvMv(double soc)
{
    static const double points[][2] = {
        {0, 2900}, {5, 3150}, {10, 3210}, {30, 3270}, {60, 3300},
        {90, 3335}, {97, 3380}, {100, 3450},
    };
    const int n = int(sizeof(points) / sizeof(points[0]));
    soc = std::clamp(soc, 0.0, 100.0);
    for (int i = 1; i < n; ++i) {
        if (soc <= points[i][0]) {
            const double f = (soc - points[i - 1][0]) / (points[i][0] - points[i - 1][0]);
            return points[i - 1][1] + f * (points[i][1] - points[i - 1][1]);
        }
    }
    return points[n - 1][1];
}

struct EventKind {
    const char* text;
    unsigned mask;
};

// Event texts stay clear of the words the program keys on in listings and replies.
const EventKind kEventKinds[] = {
    {"Power on", 0},
    {"Charge start", 0},
    {"Discharge start", 0},
    {"Cell over voltage alarm", SimDevice::OverVoltage},
    {"Cell under voltage alarm", SimDevice::UnderVoltage},
    {"Cell over temp alarm", SimDevice::OverTemperature},
    {"Cell under temp alarm", SimDevice::UnderTemperature},
    {"Charge over current alarm", SimDevice::OverCurrent},
    {"Discharge over current alarm", SimDevice::OverCurrent},
    {"Balance start", 0},
    {"Alarm recover", 0},
    {"Sensor fault", SimDevice::SystemFault},
};

QString alarmText(SimDevice::Alarm alarm)
{
    switch (alarm) {
    case SimDevice::OverVoltage: return QStringLiteral("Cell over voltage alarm");
    case SimDevice::UnderVoltage: return QStringLiteral("Cell under voltage alarm");
    case SimDevice::OverTemperature: return QStringLiteral("Cell over temp alarm");
    case SimDevice::UnderTemperature: return QStringLiteral("Cell under temp alarm");
    case SimDevice::OverCurrent: return QStringLiteral("Discharge over current alarm");
    case SimDevice::SystemFault: return QStringLiteral("Sensor fault");
    }
    return QStringLiteral("Alarm");
}

QString voltWord(unsigned mask)
{
    if (mask & SimDevice::OverVoltage)
        return QStringLiteral("HVolt");
    if (mask & SimDevice::UnderVoltage)
        return QStringLiteral("LVolt");
    return QStringLiteral("Normal");
}

QString currWord(unsigned mask)
{
    return (mask & SimDevice::OverCurrent) ? QStringLiteral("HCurr") : QStringLiteral("Normal");
}

QString tempWord(unsigned mask)
{
    if (mask & SimDevice::OverTemperature)
        return QStringLiteral("HTemp");
    if (mask & SimDevice::UnderTemperature)
        return QStringLiteral("LTemp");
    return QStringLiteral("Normal");
}

} // namespace

int SimPack::soc() const
{
    if (realMah <= 0)
        return 0;
    return int(std::lround(remainingMah * 100.0 / realMah));
}

SimDevice::SimDevice(const SimOptions& options)
    : m_options(options)
    , m_rng(options.seed)
    , m_clock(options.startTime)
{
    m_options.packs = std::clamp(m_options.packs, 1, 16);
    m_options.cells = m_options.cells == 15 ? 15 : 16;
    // One seed, one device: the packs draw their numbers before the history does.
    for (int a = 1; a <= m_options.packs; ++a)
        m_packs.append(makePack(a));
    for (SimPack& p : m_packs)
        sample(p);
    makeHistory();
    restoreDefaultConfig();
}

SimPack SimDevice::makePack(int address)
{
    const int cells = m_options.cells;
    SimPack p;
    p.address = address;
    p.bootVersion = QStringLiteral("V1.0.2");
    p.mainVersion = QStringLiteral("V2.3.1");
    p.commVersion = QStringLiteral("V1.2.0");
    p.releaseDate = QStringLiteral("2021-05-17");
    p.packSpec = cells == 16 ? QStringLiteral("51.2V/100AH") : QStringLiteral("48.0V/100AH");
    p.maxChargeCurr = QStringLiteral("100.00A");
    p.barcode = QStringLiteral("PK%1%2%3")
                    .arg(cells)
                    .arg(QStringLiteral("2406"))
                    .arg(randInt(0, 99999999), 8, 10, QLatin1Char('0'));
    if (m_options.blankBarcodes.contains(address))
        p.barcode.clear();
    if (m_options.sensorFaults.contains(address))
        p.alarms |= SystemFault;
    p.totalMah = 100000.0;
    p.realMah = 100000.0 - randInt(0, 5000);
    p.remainingMah = p.realMah * randInt(55, 90) / 100.0;
    p.setCurrentMa = -double(randInt(5000, 8000));
    for (int c = 0; c < cells; ++c) {
        p.cellOffsetMv.append(randInt(-8, 8));
        p.cellTempOffsetMc.append(randInt(-1500, 1500));
        p.cellMahOffset.append(randInt(-1500, 1500));
    }
    p.currentMa = int(p.setCurrentMa);
    p.lastAlarm = m_clock;
    return p;
}

// A history that ends before power-on: older events first.
void SimDevice::makeHistory()
{
    QList<QDateTime> times;
    QDateTime t = m_clock;
    for (int i = 0; i < std::max(0, m_options.events); ++i) {
        t = t.addSecs(-qint64(randInt(1800, 20 * 3600)));
        times.prepend(t);
    }
    const int kinds = int(sizeof(kEventKinds) / sizeof(kEventKinds[0]));
    for (const QDateTime& when : times) {
        const EventKind& k = kEventKinds[randInt(0, kinds - 1)];
        addEvent(randInt(1, m_options.packs), k.mask, QString::fromLatin1(k.text), when);
    }
    for (SimPack& p : m_packs) {
        for (const SimEvent& e : m_events)
            if (e.pack == p.address && e.mask)
                p.lastAlarm = e.time;
    }
}

int SimDevice::randInt(int lo, int hi)
{
    // The engine's output sequence is fixed by the standard; the library's
    // distributions are not, so the range is cut by hand.
    const quint32 span = quint32(hi - lo) + 1u;
    return lo + int(quint32(m_rng()) % span);
}

void SimDevice::tick()
{
    m_clock = m_clock.addSecs(1);
    for (SimPack& p : m_packs) {
        double current = p.setCurrentMa;
        if (current > 0 && !m_cfet)
            current = 0;
        if (current < 0 && !m_dfet)
            current = 0;
        const int noise = randInt(-30, 30);
        if (current != 0)
            current += noise;
        p.remainingMah = std::clamp(p.remainingMah + current * m_options.speed / 3600.0, 0.0, p.realMah);
        if (p.autoCycle) {
            if (p.setCurrentMa < 0 && p.soc() <= 10)
                p.setCurrentMa = -p.setCurrentMa;
            else if (p.setCurrentMa > 0 && p.soc() >= 95)
                p.setCurrentMa = -p.setCurrentMa;
        }
        p.currentMa = int(std::lround(current));
        sample(p);
    }
}

void SimDevice::sample(SimPack& p)
{
    const double socExact = p.realMah > 0 ? p.remainingMah * 100.0 / p.realMah : 0.0;
    const double ocv = ocvMv(socExact);
    const double drop = p.currentMa / 1000.0 * 0.6; // about 0.6 mOhm per cell
    const int cells = p.cells();
    p.cellMv.resize(cells);
    p.cellTempMc.resize(cells);
    p.cellMah.resize(cells);

    int temp = 25000 + std::abs(p.currentMa) / 1000 * 40 + randInt(-150, 150);
    if (p.alarms & OverTemperature)
        temp += 35000;
    if (p.alarms & UnderTemperature)
        temp -= 30000;
    p.tempMc = temp;

    int sum = 0;
    for (int c = 0; c < cells; ++c) {
        int mv = int(std::lround(ocv + drop)) + p.cellOffsetMv[c] + randInt(-2, 2);
        int tc = temp + p.cellTempOffsetMc[c] + randInt(-100, 100);
        if (c == p.alarmCell) {
            if (p.alarms & OverVoltage)
                mv += 420;
            if (p.alarms & UnderVoltage)
                mv -= 500;
        }
        p.cellMv[c] = mv;
        p.cellTempMc[c] = tc;
        p.cellMah[c] = std::max(0, int(std::lround(p.remainingMah)) + p.cellMahOffset[c]);
        sum += mv;
    }
    p.voltMv = sum;
    p.balancing = p.forceBalance || (p.currentMa > 200 && p.soc() >= 85);
}

int SimDevice::systemVoltMv() const
{
    qint64 sum = 0;
    for (const SimPack& p : m_packs)
        sum += p.voltMv;
    return int(sum / m_packs.size());
}

int SimDevice::systemCurrentMa() const
{
    int sum = 0;
    for (const SimPack& p : m_packs)
        sum += p.currentMa;
    return sum;
}

int SimDevice::systemSoc() const
{
    int sum = 0;
    for (const SimPack& p : m_packs)
        sum += p.soc();
    return int(std::lround(double(sum) / m_packs.size()));
}

int SimDevice::packSoh(int address) const
{
    const SimPack& p = pack(address);
    return int(std::lround(p.realMah * 100.0 / p.totalMah));
}

int SimDevice::systemSoh() const
{
    int lowest = 100;
    for (const SimPack& p : m_packs)
        lowest = std::min(lowest, packSoh(p.address));
    return lowest;
}

QString SimDevice::systemState() const
{
    for (const SimPack& p : m_packs)
        if (p.alarms & SystemFault)
            return QStringLiteral("error");
    const int current = systemCurrentMa();
    if (current > 500)
        return QStringLiteral("charging");
    if (current < -500)
        return QStringLiteral("discharging");
    return QStringLiteral("idle");
}

QString SimDevice::baseState(int address) const
{
    const SimPack& p = pack(address);
    if (p.alarms & SystemFault)
        return QStringLiteral("SysError");
    if (p.currentMa > 200)
        return QStringLiteral("Charge");
    if (p.currentMa < -200)
        return QStringLiteral("Dischg");
    return QStringLiteral("Idle");
}

QString SimDevice::voltState(int address) const { return voltWord(pack(address).alarms); }
QString SimDevice::currState(int address) const { return currWord(pack(address).alarms); }
QString SimDevice::tempState(int address) const { return tempWord(pack(address).alarms); }

void SimDevice::setCfet(bool on)
{
    if (m_cfet != on)
        addEvent(1, 0, on ? QStringLiteral("Charge switch on") : QStringLiteral("Charge switch off"), m_clock);
    m_cfet = on;
}

void SimDevice::setDfet(bool on)
{
    if (m_dfet != on)
        addEvent(1, 0, on ? QStringLiteral("Discharge switch on") : QStringLiteral("Discharge switch off"), m_clock);
    m_dfet = on;
}

void SimDevice::raiseAlarm(int address, Alarm alarm)
{
    if (!hasPack(address))
        return;
    SimPack& p = pack(address);
    if (!(p.alarms & (OverVoltage | UnderVoltage | OverTemperature | UnderTemperature)))
        p.alarmCell = randInt(0, p.cells() - 1);
    p.alarms |= alarm;
    p.lastAlarm = m_clock;
    sample(p);
    addEvent(address, alarm, alarmText(alarm), m_clock);
}

void SimDevice::clearAlarms(int address)
{
    if (!hasPack(address) || pack(address).alarms == 0)
        return;
    SimPack& p = pack(address);
    p.alarms = 0;
    sample(p);
    addEvent(address, 0, QStringLiteral("Alarm recover"), m_clock);
}

void SimDevice::setSoc(int address, double percent)
{
    if (!hasPack(address))
        return;
    SimPack& p = pack(address);
    p.remainingMah = p.realMah * std::clamp(percent, 0.0, 100.0) / 100.0;
    sample(p);
}

void SimDevice::setCurrent(int address, double milliamps)
{
    if (!hasPack(address))
        return;
    SimPack& p = pack(address);
    p.setCurrentMa = milliamps;
    p.autoCycle = false;
}

void SimDevice::setBarcode(int address, const QString& barcode)
{
    if (!hasPack(address))
        return;
    pack(address).barcode = barcode;
    m_lastBarcode = barcode;
}

void SimDevice::addEvent(int address, unsigned mask, const QString& text, const QDateTime& when)
{
    SimEvent e;
    e.item = m_events.size() + 1;
    e.pack = address;
    e.time = when;
    e.text = text;
    e.mask = mask;
    if (when == m_clock && hasPack(address)) {
        const SimPack& p = pack(address);
        e.voltMv = p.voltMv;
        e.currentMa = p.currentMa;
        e.tempC = p.tempMc / 1000;
        e.cellMv = p.cellMv;
        e.soc = p.soc();
        e.baseState = baseState(address);
    } else {
        // A past event: a plausible snapshot of its own.
        const int cells = m_options.cells;
        const int cell = randInt(3250, 3320);
        e.cellMv.resize(cells);
        int sum = 0;
        for (int c = 0; c < cells; ++c) {
            e.cellMv[c] = cell + randInt(-10, 10);
            sum += e.cellMv[c];
        }
        if (mask & OverVoltage)
            e.cellMv[randInt(0, cells - 1)] = 3700 + randInt(0, 60);
        if (mask & UnderVoltage)
            e.cellMv[randInt(0, cells - 1)] = 2750 + randInt(0, 60);
        e.voltMv = sum;
        e.currentMa = randInt(-12000, 12000);
        e.tempC = randInt(18, 32);
        if (mask & OverTemperature)
            e.tempC = randInt(56, 62);
        if (mask & UnderTemperature)
            e.tempC = randInt(-8, -2);
        e.soc = randInt(10, 99);
        e.baseState = e.currentMa > 200 ? QStringLiteral("Charge")
                    : e.currentMa < -200 ? QStringLiteral("Dischg") : QStringLiteral("Idle");
        if (mask & SystemFault)
            e.baseState = QStringLiteral("SysError");
    }
    e.tempLowC = e.tempC - 1;
    e.tempHighC = e.tempC + 1;
    e.cellLowMv = *std::min_element(e.cellMv.begin(), e.cellMv.end());
    e.cellHighMv = *std::max_element(e.cellMv.begin(), e.cellMv.end());
    e.voltState = voltWord(mask);
    e.currState = currWord(mask);
    e.tempState = tempWord(mask);
    m_events.append(e);
}

QList<SimThreshold> SimDevice::defaultThresholds(int cells)
{
    QList<SimThreshold> rows;
    auto volt = [&](const char* name, double cellV) {
        rows.append({QString::fromLatin1(name), QString::number(cellV, 'f', 3),
                     QString::number(cellV * cells, 'f', 3), QStringLiteral("V")});
    };
    auto one = [&](const char* name, const QString& value, const char* unit) {
        rows.append({QString::fromLatin1(name), value, QString(), QString::fromLatin1(unit)});
    };
    auto num = [](int v) { return QString::number(v); };
    auto volts = [](double v) { return QString::number(v, 'f', 3); };

    volt("Over Voltage Alarm", 3.550);
    volt("Over Voltage Protect", 3.650);
    volt("Over Voltage Recover", 3.400);
    volt("Under Voltage Alarm", 3.000);
    volt("Under Voltage Protect", 2.800);
    volt("Under Voltage Recover", 3.100);
    one("Cell Volt Diff Alarm", volts(0.300), "V");
    one("Cell Volt Diff Protect", volts(0.500), "V");
    one("Cell Volt Diff Recover", volts(0.200), "V");
    one("Charge Over Current Alarm", num(105), "A");
    one("Charge Over Current Protect", num(110), "A");
    one("Charge Over Current Recover", num(100), "A");
    one("Discharge Over Current Alarm", num(105), "A");
    one("Discharge Over Current Protect", num(110), "A");
    one("Discharge Over Current Recover", num(100), "A");
    one("Discharge Over Current2 Protect", num(150), "A");
    one("Short Circuit Protect", num(500), "A");
    one("Over Current Protect Delay", num(1000), "ms");
    one("Charge Over Temp Alarm", num(50), "C");
    one("Charge Over Temp Protect", num(55), "C");
    one("Charge Over Temp Recover", num(45), "C");
    one("Charge Under Temp Alarm", num(5), "C");
    one("Charge Under Temp Protect", num(0), "C");
    one("Charge Under Temp Recover", num(8), "C");
    one("Discharge Over Temp Alarm", num(55), "C");
    one("Discharge Over Temp Protect", num(60), "C");
    one("Discharge Over Temp Recover", num(50), "C");
    one("Discharge Under Temp Alarm", num(-10), "C");
    one("Discharge Under Temp Protect", num(-20), "C");
    one("Discharge Under Temp Recover", num(-5), "C");
    one("MOS Over Temp Alarm", num(90), "C");
    one("MOS Over Temp Protect", num(100), "C");
    one("MOS Over Temp Recover", num(80), "C");
    one("Env Over Temp Alarm", num(60), "C");
    one("Env Over Temp Protect", num(65), "C");
    one("Env Over Temp Recover", num(55), "C");
    one("Env Under Temp Alarm", num(-20), "C");
    one("Env Under Temp Protect", num(-30), "C");
    one("Env Under Temp Recover", num(-15), "C");
    one("Cell Temp Diff Alarm", num(10), "C");
    one("Cell Temp Diff Protect", num(15), "C");
    one("Cell Temp Diff Recover", num(8), "C");
    one("Low SOC Alarm", num(10), "%");
    one("Low SOC Recover", num(15), "%");
    one("Balance Start Volt", volts(3.400), "V");
    one("Balance Diff Volt", volts(0.030), "V");
    volt("Full Charge Volt", 3.500);
    one("Full Charge Curr", num(2), "A");
    one("Heater Start Temp", num(0), "C");
    one("Heater Stop Temp", num(5), "C");
    return rows;
}

void SimDevice::restoreDefaultConfig()
{
    m_thresholds = defaultThresholds(m_options.cells);
    m_shutTimes = {
        {QStringLiteral("Idle Shut Delay"), QStringLiteral("72"), QString(), QStringLiteral("h")},
        {QStringLiteral("Under Volt Shut Delay"), QStringLiteral("10"), QString(), QStringLiteral("min")},
        {QStringLiteral("Sleep Enter Delay"), QStringLiteral("30"), QString(), QStringLiteral("min")},
    };
}

void SimDevice::setThreshold(const QString& name, const QString& cell, const QString& power)
{
    for (SimThreshold& t : m_thresholds) {
        if (t.name == name) {
            t.cell = cell;
            if (!t.power.isEmpty())
                t.power = power;
        }
    }
}

void SimDevice::installFirmware(int target, const QString& version, const QByteArray& image)
{
    m_storedImage = image;
    switch (target) {
    case SimFirmware::Pack:
        for (SimPack& p : m_packs)
            p.mainVersion = version;
        break;
    case SimFirmware::Boot:
        for (SimPack& p : m_packs)
            p.bootVersion = version;
        break;
    case SimFirmware::Hub:
        m_hubVersion = version;
        break;
    default:
        break;
    }
}

void SimDevice::reset()
{
    m_cfet = true;
    m_dfet = true;
}
