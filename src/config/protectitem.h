#ifndef PROTECTITEM_H
#define PROTECTITEM_H

#include <QString>

// One alarm or protection threshold as the device prints it: the value for a single
// cell, the value for the whole pack (empty when the setting has only one value) and
// the unit. Values stay text; the page shows them exactly as printed.
class ProtectItem
{
public:
    QString GetItem() const { return Item; }
    void SetItem(const QString& item) { Item = item; }
    QString GetCell() const { return Cell; }
    void SetCell(const QString& cell) { Cell = cell; }
    QString GetPower() const { return Power; }
    void SetPower(const QString& power) { Power = power; }
    QString GetUnit() const { return Unit; }
    void SetUnit(const QString& unit) { Unit = unit; }

private:
    QString Item;
    QString Cell;
    QString Power;
    QString Unit;
};

#endif // PROTECTITEM_H
