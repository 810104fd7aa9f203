#include "recordrowbuilder.h"

#include "novalue.h"

#include <cmath>

namespace {

enum Column {
    Time, Record, Pack, Cell, State, PacksPresent, Voltage, Current, Temperature, TempLow, TempHigh,
    CellVoltLow, CellVoltHigh, Soc, Soh, Cfet, Dfet, VoltState, CurrState, TempState, CellVoltState,
    CellTempState, Balancing, Fault, AlarmTime, ColumnCount
};

// Units stand in the names, so a spreadsheet shows them and a script can rely on them.
const char* const kColumnNames[ColumnCount] = {
    "time", "record", "pack", "cell", "state", "packs_present", "voltage_V", "current_A",
    "temperature_°C", "temp_low_°C", "temp_high_°C", "cell_volt_low_V", "cell_volt_high_V", "soc_%",
    "soh_%", "cfet", "dfet", "volt_state", "curr_state", "temp_state", "cell_volt_state",
    "cell_temp_state", "balancing", "fault", "alarm_time",
};

// Ten significant digits keep every thousandth the console prints, without the binary
// noise of a full-precision double (52.48, not 52.479999999999997).
QString number(double v)
{
    return NoValue::isNone(v) || !std::isfinite(v) ? QString() : QString::number(v, 'g', 10);
}

QString number(int v)
{
    return NoValue::isNone(v) ? QString() : QString::number(v);
}

QStringList emptyRow(const QString& time, const char* record)
{
    QStringList row;
    row.reserve(ColumnCount);
    for (int i = 0; i < ColumnCount; ++i)
        row << QString();
    row[Time] = time;
    row[Record] = QLatin1String(record);
    return row;
}

} // namespace

QStringList RecordRowBuilder::columns()
{
    QStringList names;
    for (const char* name : kColumnNames)
        names << QString::fromUtf8(name);
    return names;
}

QList<QStringList> RecordRowBuilder::rows(const Cycle& c)
{
    const QString time = timestamp(c.time);
    QList<QStringList> out;

    QStringList sys = emptyRow(time, "system");
    sys[State] = c.state;
    sys[PacksPresent] = number(c.presentNum);
    sys[Voltage] = number(c.voltage);
    sys[Current] = number(c.current);
    sys[Soc] = number(c.soc);
    sys[Soh] = number(c.soh);
    sys[Cfet] = c.cfet;
    sys[Dfet] = c.dfet;
    out << sys;

    for (const PackRecord& p : c.packs) {
        QStringList row = emptyRow(time, "pack");
        bool isNumber = false;
        const int address = p.GetDeviceAdd().toInt(&isNumber);
        row[Pack] = p.GetDeviceAdd();
        row[State] = p.GetBasicStatus();
        row[Voltage] = number(p.GetVolt());
        row[Current] = number(p.GetCurrent());
        row[Temperature] = number(p.GetTemp());
        row[TempLow] = number(p.GetTempLow());
        row[TempHigh] = number(p.GetTempHigh());
        row[CellVoltLow] = number(p.GetMinVol());
        row[CellVoltHigh] = number(p.GetMaxVol());
        row[Soc] = number(p.GetAllCoulomb());
        row[VoltState] = p.GetVoltState();
        row[CurrState] = p.GetCurrState();
        row[TempState] = p.GetTempState();
        row[CellVoltState] = p.GetBatteryVolState();
        row[CellTempState] = p.GetBatteryTempState();
        // The balance column lists the packs in order; indicator k belongs to pack k.
        if (isNumber && address >= 1 && address <= c.balance.size())
            row[Balancing] = c.balance.at(address - 1) == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
        if (isNumber && address == c.detailPack) {
            row[Soh] = number(c.detailSoh);
            row[Fault] = c.detailFault;
        }
        row[AlarmTime] = p.GetTime();
        out << row;
    }

    for (const BatteryCell& cell : c.cells) {
        QStringList row = emptyRow(time, "cell");
        row[Pack] = number(c.detailPack);
        row[Cell] = QString::number(cell.GetBatteryId() + 1); // counted from 1, as the views do
        row[Voltage] = number(cell.GetVolt());
        row[Temperature] = number(cell.GetTempr());
        row[VoltState] = cell.GetVoltState();
        row[TempState] = cell.GetTempState();
        out << row;
    }
    return out;
}

QByteArray RecordRowBuilder::line(const QStringList& fields)
{
    QString text;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        const QString& f = fields.at(i);
        if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) || f.contains(QLatin1Char('\n'))
            || f.contains(QLatin1Char('\r'))) {
            text += QLatin1Char('"') + QString(f).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        } else {
            text += f;
        }
    }
    text += QLatin1String("\r\n");
    return text.toUtf8();
}

QString RecordRowBuilder::timestamp(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
           + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
