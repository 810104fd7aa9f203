#include "batreply.h"

#include "replyfield.h"

namespace {

int intOrZero(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    return ok ? v : 0;
}

double doubleOrZero(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? v : 0.0;
}

int socOf(const QString& text)
{
    const int percent = text.indexOf(QLatin1Char('%'));
    return intOrZero((percent < 0 ? text : text.left(percent)).trimmed());
}

// One cell from a row of 10 or 11 columns (the shorter layout has no current); null
// for any other row, which cannot be read with confidence.
bool readCell(const QStringList& parts, BatteryCell* cell)
{
    if (parts.size() == 11) {
        cell->SetBatteryId(intOrZero(parts.at(0)));
        cell->SetVolt(doubleOrZero(parts.at(1)) / 1000.0);
        cell->SetCurr(doubleOrZero(parts.at(2)) / 1000.0);
        cell->SetTemp(doubleOrZero(parts.at(3)) / 1000.0);
        cell->SetVoltState(parts.at(5));
        cell->SetCurrState(parts.at(6));
        cell->SetTempState(parts.at(7));
        cell->SetSoc(socOf(parts.at(8)));
        cell->SetCoulomb(intOrZero(parts.at(9)) / 1000);
        return true;
    }
    if (parts.size() == 10) {
        cell->SetBatteryId(intOrZero(parts.at(0)));
        cell->SetVolt(doubleOrZero(parts.at(1)) / 1000.0);
        cell->SetTemp(doubleOrZero(parts.at(2)) / 1000.0);
        cell->SetVoltState(parts.at(4));
        cell->SetCurrState(parts.at(5));
        cell->SetTempState(parts.at(6));
        cell->SetSoc(socOf(parts.at(7)));
        cell->SetCoulomb(intOrZero(parts.at(8)) / 1000);
        return true;
    }
    return false;
}

} // namespace

BatReply BatReply::parse(const QString& reply, int cellCount)
{
    BatReply r;
    const int header = reply.indexOf(QLatin1String("Coulomb"));
    const QString rest = header < 0 ? QString() : reply.mid(header);
    const int first = rest.indexOf(QLatin1Char('0'));
    if (first >= 0) {
        const int end = rest.indexOf(QLatin1String("Command completed"), first);
        r.body = rest.mid(first, end < 0 ? -1 : end - first).trimmed();
    }
    r.rows = r.body.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    if (r.rows.size() != cellCount)
        return r;
    r.countMatches = true;

    bool haveFirst = false;
    r.maxVol = r.minVol = 0.0;
    r.maxVolId = r.minVolId = 0;
    r.soc = 0;
    int coulomb = 0;
    for (const QString& row : qAsConst(r.rows)) {
        BatteryCell cell;
        if (!readCell(ReplyField::trimmedColumns(row), &cell))
            continue;
        if (!haveFirst) {
            // The first cell read (cell 0 in a sound table) opens the extremes. Opening
            // them only at a cell numbered 0 would let a lost first row leave 0 V as
            // the lowest voltage, and a garbled later row reset them half-way.
            haveFirst = true;
            r.maxVol = r.minVol = cell.GetVolt();
            r.maxVolId = r.minVolId = cell.GetBatteryId();
            r.soc = cell.GetSoc();
            coulomb = cell.GetCoulomb();
        } else {
            // Strict comparisons: on equal voltages the earlier (lower) cell keeps it.
            if (cell.GetVolt() > r.maxVol) {
                r.maxVol = cell.GetVolt();
                r.maxVolId = cell.GetBatteryId();
            }
            if (cell.GetVolt() < r.minVol) {
                r.minVol = cell.GetVolt();
                r.minVolId = cell.GetBatteryId();
            }
            // The pack is as full as its emptiest cell.
            if (cell.GetSoc() < r.soc)
                r.soc = cell.GetSoc();
            if (cell.GetCoulomb() < coulomb)
                coulomb = cell.GetCoulomb();
        }
        r.cells.append(cell);
    }
    r.coulomb = coulomb;
    return r;
}
