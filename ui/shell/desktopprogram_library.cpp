// The "Recordings" window of the desktop program.
#include "config/configuration.h"
#include "config/settings.h"
#include "history/historystore.h"
#include "platform/folders.h"
#include "ui/library/frmlibrary.h"
#include "ui/library/libraryfolders.h"
#include "ui/shell/desktopprogram.h"

// Made when first asked for, from the history and the folders recorded into
// then; shown again it looks at the folders once more.
void DesktopProgram::ShowLibrary()
{
    if (!m_library) {
        const QString panelFolder = m_services.config ? m_services.config->sMP3Path : QString();
        m_library = new frmLibrary(HistoryStore::DefaultPath(), LibraryFolders(GetDefaultFolder(false), panelFolder,
                                                                               ProgramFolders::PresetsFolder(false)));
        centreOnPanel(m_library);
    }
    bringUp(m_library);
}
