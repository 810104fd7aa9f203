#ifndef SIMFAULTS_H
#define SIMFAULTS_H

// Line and device faults the simulated BMS can be told to show, so that the program's
// receive path can be tried against the ugly cases a real RS-232 adapter produces.
// Rates are shares between 0 and 1; a rate of 0 switches the fault off.
struct SimFaults
{
    // Every reply is written in random pieces cut at random byte positions, with a
    // pause of 1 .. chunkGapMs between the pieces.
    bool chunk = false;
    int chunkGapMs = 8;

    // Every reply waits this long before its first byte.
    int latencyMs = 0;

    // Share of command replies that never come (the device stays silent).
    double silence = 0.0;

    // Share of replies preceded by a few bytes of line noise.
    double garbage = 0.0;

    // Share of framed replies whose closing "$$" is lost.
    double loseFrameEnd = 0.0;

    // Share of good Xmodem blocks answered with NAK anyway.
    double xmodemNak = 0.0;

    // The receiver cancels the transfer (CAN CAN) after this many good blocks;
    // negative: never.
    int xmodemCancelAfter = -1;

    // The receiver stops answering after this many good blocks, as a pack that hangs
    // (0: it never asks for the transfer); negative: never. It still hears a CAN.
    int xmodemSilentAfter = -1;

    // The port disappears this long after start (the pseudo-terminal is closed, as
    // when an adapter is pulled); negative: never.
    int vanishAfterMs = -1;
};

#endif // SIMFAULTS_H
