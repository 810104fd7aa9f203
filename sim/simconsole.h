#ifndef SIMCONSOLE_H
#define SIMCONSOLE_H

#include "simdevice.h"
#include "simoptions.h"
#include "simxmodemreceiver.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The BMS console session: bytes in, bytes out, nothing else. It gathers lines as a
// UART delivers them ("\r", "\n" and "\r\n" all end a line), answers commands with
// framed replies ("@", the echoed line, the reply, the outcome, "$$", the prompt),
// pages the event list, streams samples, runs the self-test and the firmware loader.
// Time is whatever the caller says it is: advance() moves the device clock, and
// msToNextEvent() tells when the session next has something to say on its own.
class SimConsole
{
public:
    struct Output {
        enum Kind {
            Frame,        // a framed reply
            Text,         // an unframed answer to something the client sent
            Spontaneous,  // stream rows, boot text: nobody asked right now
            Control,      // Xmodem control bytes
        };
        Kind kind = Text;
        QByteArray bytes;
    };

    enum class Mode {
        Console,     // reading command lines
        Paging,      // an event page waits for Enter
        SelfTest,    // "tall" is running; input waits
        Xmodem,      // receiving a firmware image
        Loading,     // judging what was received; input is dropped
        Rebooting,   // the device is restarting; input is lost
    };

    explicit SimConsole(const SimOptions& options);

    SimDevice& device() { return m_device; }
    const SimDevice& device() const { return m_device; }

    QList<Output> feed(const QByteArray& bytes);
    QList<Output> advance(qint64 ms);
    // Milliseconds until the session next speaks or the device next samples.
    qint64 msToNextEvent() const;
    qint64 uptimeMs() const { return m_now; }

    Mode mode() const { return m_mode; }
    bool loggedIn() const { return m_loggedIn; }
    bool streaming() const { return m_streamNext >= 0; }
    int selectedPack() const { return m_selected; }
    const SimXmodemReceiver& receiver() const { return m_xmodem; }
    void setXmodemFaults(double nakShare, int cancelAfter, int silentAfter = -1);

    // Command lines received since the last call, for a traffic log.
    QStringList takeCommandLog();

    static QByteArray prompt();
    static QByteArray eol();

private:
    enum class After { Nothing, SelfTestDone, Verdict, XmodemEnded, BootDone };

    void consume(const QByteArray& bytes);
    void feedByte(char c);
    void lineEnded();
    void handleLine(const QByteArray& raw);
    void emitFrame(const QByteArray& echo, const QStringList& body, const QString& outcome);
    void emitText(const QByteArray& bytes, Output::Kind kind = Output::Text);

    // Pack argument of "pwr N", "bat N", "info N": the selected pack when absent.
    // Returns 0 and answers the error itself when the argument does not name a pack.
    int packArgument(const QByteArray& raw, const QStringList& tokens, int index);
    bool needLogin(const QByteArray& raw);

    void cmdPwrsys(const QByteArray& raw, const QStringList& tokens);
    void cmdPwr(const QByteArray& raw, const QStringList& tokens);
    void cmdBat(const QByteArray& raw, const QStringList& tokens);
    void cmdInfo(const QByteArray& raw, const QStringList& tokens);
    void cmdBalance(const QByteArray& raw, const QStringList& tokens);
    void cmdCtrl(const QByteArray& raw, const QStringList& tokens);
    void cmdTall(const QByteArray& raw, const QStringList& tokens);
    void cmdTbar(const QByteArray& raw);
    void cmdConfig(const QByteArray& raw, const QStringList& tokens);
    void cmdData(const QByteArray& raw, const QStringList& tokens);
    void cmdDatalist(const QByteArray& raw, const QStringList& tokens);
    void cmdDisp(const QByteArray& raw, const QStringList& tokens);
    void cmdLogin(const QByteArray& raw, const QStringList& tokens);
    void cmdUpdata(const QByteArray& raw, const QStringList& tokens, bool boot);
    void cmdHelp(const QByteArray& raw);

    QString eventHeader() const;
    QString eventRow(const SimEvent& e) const;
    QString streamHeader() const;
    QString streamRow() const;
    void nextPage();
    void endMode();
    void finishSelfTest();
    void finishXmodem();
    void giveVerdict();
    void finishBoot();
    void pollXmodem();

    SimOptions m_options;
    SimDevice m_device;
    QList<Output> m_out;
    QStringList m_log;

    Mode m_mode = Mode::Console;
    QByteArray m_line;
    bool m_lastCR = false;
    QByteArray m_pendingInput;
    bool m_loggedIn = false;
    int m_selected = 1;

    qint64 m_now = 0;
    qint64 m_nextTick = 1000;          // next device sample
    qint64 m_streamNext = -1;
    int m_streamPack = 1;
    int m_streamId = 0;
    QByteArray m_streamRows;           // samples taken since the stream last printed
    qint64 m_modeDeadline = -1;
    After m_after = After::Nothing;

    QList<int> m_listing;                // event indices still to page out

    SimXmodemReceiver m_xmodem;
    bool m_bootCommand = false;
    int m_bootTarget = 0;
    QString m_endText;                   // what the loader says when it is done
};

#endif // SIMCONSOLE_H
