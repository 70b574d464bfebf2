#pragma once

// One station of a side-by-side run and everything that is its own.

#include "app/sidebysiderun.h"
#include "history/playtracker.h"
#include "recorder/keepingrelay.h"

struct SideBySideRun::Station {
    Station(FILE* out, ITickSource* clock, qint64 keepMs)
        : errors(QStringLiteral("Tonquill")), messages(errors), keeping(relay, keepMs), live365(clock),
          console(messages, out)
    {
        config.setMessageService(&messages);
    }

    QString file;
    bool watched = false; // only wished songs are written
    StderrMessageService errors;
    TrackingMessageService messages;
    clsConfiguration config;
    NullRelay relay;
    KeepingRelay keeping; // in front of `relay`: the last minutes of the station's audio
    ctlLive365TitleReader live365;
    HeadlessConsole console;
    std::unique_ptr<PresetOpener> opener; // opens the preset again when the recorder restarts
    std::unique_ptr<PlayTracker> plays;   // the station's titles into the history
    int id = 0;
};
