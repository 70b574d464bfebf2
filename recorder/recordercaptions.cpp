#include "recorder/recordercaptions.h"

std::optional<Caption> RecorderCaptions::ForSongEvent(const SongEvent& e)
{
    using K = SongEvent::Kind;
    const auto say = [](const QString& text) { return Caption{text, false}; };
    const auto error = [](const QString& text) { return Caption{text, true}; };
    switch (e.kind) {
    case K::Say:
        return say(e.text);
    case K::OggOpened:
        return say(NowRecording(e.name));
    case K::KeptVersion:
        return say(tr("Kept %1 as another recording").arg(e.name));
    case K::Replaced:
        return say(tr("Replaced %1 with a later complete play").arg(e.name));
    case K::NoFreeName:
        return error(tr("[ERR] DISK: No free name beside %1; the later play stays as %2").arg(e.name, e.other));
    case K::TagFailed:
        return error(tr("[ERR] DISK: Cannot tag the recording %1").arg(e.path));
    case K::TooShort:
        return say(tr("Deleted %1: shorter than %2 seconds").arg(e.name, QString::number(e.count)));
    case K::SavedAlready:
        return say(tr("Not recording %1: it is saved already").arg(e.name));
    case K::TakenBy:
        return say(tr("Another recorder is writing %1; recording to %2").arg(e.other, e.name));
    case K::FolderGone:
        return error(tr("[ERR] DISK: The recording folder was gone; creating it again: %1").arg(e.path));
    case K::CreateFailed:
        return error(tr("[ERR] DISK: Cannot create a recording file in %1").arg(e.path));
    case K::WriteFailed:
        return error(tr("[ERR] DISK: Cannot write the recording (%1)").arg(e.text));
    case K::NoFile:
        return error(tr("[ERR] DISK: Cannot write the recording (no recording file is open)"));
    case K::RulesLate:
        return error(tr("[ERR] Song rules: not read yet; the songs so far are recorded without them"));
    case K::Joined:
        return say(tr("Reconnected: joined where the recording left off (%1 s already recorded left out)")
                       .arg(e.seconds, 0, 'f', 1));
    case K::Gap: {
        // The broadcast ran on from the lost connection's last audio to the
        // new one's first.
        const QString joined =
            e.count > 0 ? tr("joined on a frame boundary (%1 bytes dropped); ").arg(e.count) : QString();
        const QString missed = e.missedMs >= 500
                                   ? tr("about %1 s of the broadcast were missed").arg((e.missedMs + 500) / 1000)
                                   : tr("less than a second of the broadcast was missed");
        return say(tr("Reconnected: %1%2").arg(joined, missed));
    }
    case K::OggJoined:
        if (e.missed > 0)
            return say(tr("Reconnected: the song goes on; %1 page(s) of it were missed").arg(e.missed));
        return say(
            tr("Reconnected: joined where the recording left off (%1 page(s) already recorded left out)").arg(e.count));
    case K::Opened:
    case K::Continued:
    case K::Closed:
    case K::StartPaused:
    case K::NewFile:
    case K::TitleBegan:
    case K::Claimed: // the recording that writes the song says so
        break;
    }
    return std::nullopt;
}

QString RecorderCaptions::NowRecording(const QString& name)
{
    return tr("Now Recording: %1").arg(name);
}

RecorderCaptions::Said RecorderCaptions::ForProblem(SessionProblem problem, qint32 server, const QString& station,
                                                    const QString& detail)
{
    const QString n = QString::number(server);
    switch (problem) {
    case SessionProblem::NotFound:
        return {{tr("[ERR]: Resource not found, trying server %1...").arg(n), true},
                tr("%1 -- NETWORK: Server error, resource not found... trying server %2").arg(station, n)};
    case SessionProblem::Full:
        return {{tr("[ERR]: Server full, trying server %1...").arg(n), true},
                tr("%1 -- Server Full... trying server %2").arg(station, n)};
    case SessionProblem::Forbidden:
        return {{tr("[ERR]: Resource forbidden, trying server %1...").arg(n), true},
                tr("%1 -- NETWORK: Server error, forbidden... trying server %2").arg(station, n)};
    case SessionProblem::GeneralError:
        return {{tr("[ERR]: General ICY error -- trying server %1...").arg(n), true},
                tr("%1 --  General ICY error -- trying server %2").arg(station, n)};
    case SessionProblem::FullRedirect:
        return {{tr("[ERR]: Server full, trying next server..."), true}, {}};
    case SessionProblem::Redirected:
        return {{tr("[ERR]: Found new location, reconnecting..."), true}, {}};
    case SessionProblem::RedirectNowhere:
        return {{tr("[ERR]: Found new location... reconnecting..."), true}, {}};
    case SessionProblem::Tls:
        return {{tr("[ERR] TLS: %1").arg(detail), true}, {}};
    case SessionProblem::Notice:
        return {{detail, true}, {}};
    }
    return {};
}

QString RecorderCaptions::ForEnd(SessionEnd why)
{
    switch (why) {
    case SessionEnd::AllServersFull:
        return tr("All servers are full!");
    case SessionEnd::CouldNotConnect:
        return tr("The computer could not connect to the stream!");
    case SessionEnd::StreamProblems:
        return tr("The shoutcast stream you are trying to record is experiencing network problems, "
                  "or is full. Please try again later!");
    case SessionEnd::AgentRefused:
        return tr("This station does not support faking Internet Explorer as the agent. "
                  "Please turn this option off to listen to this station.");
    case SessionEnd::StreamEnded:
        return {};
    case SessionEnd::Unrecordable:
        return tr("This station sends a stream Tonquill cannot record.");
    }
    return {};
}

RecorderCaptions::Said RecorderCaptions::ForTurn(Turn turn, const QString& station, const QString& song)
{
    switch (turn) {
    case Turn::Paused:
        return {{tr("PAUSED...%1").arg(song), false}, tr("Tonquill -- PAUSED")};
    case Turn::Reconnecting:
        return {{tr("[ERR] NETWORK: Reconnecting..."), true}, tr("%1 -- NETWORK: Reconnecting...").arg(station)};
    case Turn::AwaitingData:
        return {{tr("[ERR] NETWORK: Awaiting data..."), true}, tr("%1 -- NETWORK: Awaiting data...").arg(station)};
    case Turn::TimedOut:
        return {{tr("[ERR] TIMEOUT! Reconnecting..."), true}, tr("%1 -- TIMEOUT! Reconnecting...").arg(station)};
    }
    return {};
}
