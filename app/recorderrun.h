#pragma once

// What every run of the recorder builds, with windows or without: the clock,
// the listening relay, the Live365 title reader and the recorder's
// dependencies. The program without a display and the desktop part (a
// loadable library of its own) both start from here.

#include "app/commandline.h"
#include "listen/ctlmp3server.h"
#include "platform/sleeper.h"
#include "platform/tickcount.h"
#include "recorder/frmmp3.h"
#include "sources/live365reader.h"

#include <QString>

class TrackingMessageService;

// The whole argument text, as one line.
QString CommandLineOf(int argc, char** argv);

// What every run does first: names the application, answers "-installassc"
// and "-uninstallassc" (returns their exit status) and takes the advanced
// setting; -1 when the run goes on.
int PrepareRun(const CommandLine& commandLine, TrackingMessageService& messages);

// Leaves out the deliberate pauses after a response header and after a new
// file when TONQUILL_NO_PAUSES=1 (for measuring the engine alone).
void LeavePausesOutWhenAsked(RecorderDeps& deps);

class RecorderRun {
public:
    RecorderRun(TrackingMessageService& messages, bool headless);

    // The recorder's dependencies, reporting to `host`.
    RecorderDeps deps(IRecorderHost* host);
    // Connects the title reader and the relay to the recorder.
    void attach(frmMP3& recorder);

    ctlMP3Server& relay() { return m_relay; }
    SystemTickSource& clock() { return m_clock; }

private:
    TrackingMessageService& m_messages;
    SystemTickSource m_clock;
    ThreadSleeper m_sleeper;
    ctlMP3Server m_relay;
    ctlLive365TitleReader m_live365;
};
