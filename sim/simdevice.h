#ifndef SIMDEVICE_H
#define SIMDEVICE_H

#include "simevent.h"
#include "simoptions.h"
#include "simpack.h"
#include "simthreshold.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <random>

// The battery system behind the console: packs whose charge follows their current,
// cells with small differences and noise, the two MOSFETs, alarms, the event history,
// the protection settings and the firmware store. It knows nothing of text or ports.
// Time only moves when tick() is called, and every random number comes from one
// generator seeded from the options, so one seed and one sequence of calls always
// give the same values.
class SimDevice
{
public:
    enum Alarm : unsigned {
        OverVoltage = 0x0001,
        UnderVoltage = 0x0002,
        OverTemperature = 0x0004,
        UnderTemperature = 0x0008,
        OverCurrent = 0x0010,
        SystemFault = 0x0020,
    };

    explicit SimDevice(const SimOptions& options);

    const SimOptions& options() const { return m_options; }

    // One second of device time: charge moves, a new sample is taken.
    void tick();
    QDateTime clock() const { return m_clock; }

    int packCount() const { return m_packs.size(); }
    bool hasPack(int address) const { return address >= 1 && address <= m_packs.size(); }
    SimPack& pack(int address) { return m_packs[address - 1]; }
    const SimPack& pack(int address) const { return m_packs[address - 1]; }

    // System summary over all packs (they stand in parallel).
    int systemVoltMv() const;
    int systemCurrentMa() const;
    int systemSoc() const;
    int systemSoh() const;
    int packSoh(int address) const;
    // "idle", "charging", "discharging" or "error".
    QString systemState() const;
    // The state word of a pack: "Idle", "Charge", "Dischg" or "SysError".
    QString baseState(int address) const;
    QString voltState(int address) const;
    QString currState(int address) const;
    QString tempState(int address) const;

    bool cfet() const { return m_cfet; }
    bool dfet() const { return m_dfet; }
    void setCfet(bool on);
    void setDfet(bool on);

    void raiseAlarm(int address, Alarm alarm);
    void clearAlarms(int address);
    void setSoc(int address, double percent);
    void setCurrent(int address, double milliamps); // also stops the automatic turn-round

    void setBarcode(int address, const QString& barcode);
    QString lastBarcode() const { return m_lastBarcode; }

    const QList<SimEvent>& events() const { return m_events; }
    const QList<SimThreshold>& thresholds() const { return m_thresholds; }
    const QList<SimThreshold>& shutTimes() const { return m_shutTimes; }
    void setThreshold(const QString& name, const QString& cell, const QString& power);
    void restoreDefaultConfig();

    // Firmware: every complete Xmodem reception, and the images accepted by the loader.
    void setReceivedFile(const QByteArray& data) { m_receivedFile = data; }
    QByteArray receivedFile() const { return m_receivedFile; }
    QByteArray storedImage() const { return m_storedImage; }
    QString hubVersion() const { return m_hubVersion; }
    // target as SimFirmware::Target; the version as "V1.2.3".
    void installFirmware(int target, const QString& version, const QByteArray& image);
    // After a reboot the switches are closed again.
    void reset();

private:
    SimPack makePack(int address);
    void makeHistory();
    void sample(SimPack& p);
    void addEvent(int address, unsigned mask, const QString& text, const QDateTime& when);
    static QList<SimThreshold> defaultThresholds(int cells);
    int randInt(int lo, int hi);        // inclusive

    SimOptions m_options;
    std::mt19937 m_rng;
    QDateTime m_clock;
    QList<SimPack> m_packs;
    QList<SimEvent> m_events;
    QList<SimThreshold> m_thresholds;
    QList<SimThreshold> m_shutTimes;
    bool m_cfet = true;
    bool m_dfet = true;
    QString m_lastBarcode;
    QByteArray m_receivedFile;
    QByteArray m_storedImage;
    QString m_hubVersion = QStringLiteral("V1.0.0");
};

#endif // SIMDEVICE_H
