// The "Recordings" window of the desktop program.
#include "config/configuration.h"
#include "config/settings.h"
#include "history/historystore.h"
#include "platform/folders.h"
#include "recorder/frmmp3.h"
#include "ui/desktop/librarydesktoplink.h"
#include "ui/desktop/recorderdesktoplink.h"
#include "ui/library/frmlibrary.h"
#include "ui/library/libraryfolders.h"
#include "ui/library/libraryplayerbar.h"
#include "ui/shell/desktopprogram.h"

// Made when first asked for, from the history and the folders recorded into
// then; shown again after it was closed, it looks at the folders once more.
void DesktopProgram::ShowLibrary()
{
    if (!m_library) {
        const QString panelFolder = m_services.config ? m_services.config->sMP3Path : QString();
        m_library = new frmLibrary(HistoryStore::DefaultPath(), LibraryFolders(GetDefaultFolder(false), panelFolder,
                                                                               ProgramFolders::PresetsFolder(false)));
        centreOnPanel(m_library);
        // A file played stops the listening to every station (their
        // recordings go on), and plays at the display's volume.
        connect(m_library, &frmLibrary::playingStarted, this, [this] {
            const auto stopListening = [](frmMP3* recorder) {
                if (recorder && recorder->Status().blnPreviewToggle)
                    recorder->Listen();
            };
            stopListening(m_recorder);
            if (m_recordings)
                for (const int id : m_recordings->Set().Ids())
                    stopListening(m_recordings->Set().Recorder(id));
            if (m_recorder)
                m_library->player().SetVolume(shownRecorder().Status().lngVolume);
        });
        linkLibraryToDesktop();
    }
    bringUp(m_library);
}

void DesktopProgram::linkLibraryToDesktop()
{
    if (m_link && m_library && !m_library->player().findChild<LibraryDesktopLink*>())
        new LibraryDesktopLink(m_library->player(), m_link->Controls());
}
