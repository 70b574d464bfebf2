#include "listen/systemaudio.h"

#include "listen/fileplayer.h"
#include "platform/modules.h"

#include <QCoreApplication>

namespace {

// Loads the mixer part at the first read; without it there is no mixer.
class LoadedMixer : public IMixer {
public:
    bool ReadMasterLevel(qint32& level) override
    {
        if (!m_tried) {
            m_tried = true;
            QString problem;
            using Create = IMixer* (*)();
            if (auto create =
                    reinterpret_cast<Create>(ModuleFunction(QLatin1String(kMixerModule), kCreateMixer, problem)))
                m_mixer.reset(create());
        }
        return m_mixer && m_mixer->ReadMasterLevel(level);
    }

private:
    std::unique_ptr<IMixer> m_mixer;
    bool m_tried = false;
};

// An object the sound part makes through its function `symbol`; null, with
// `failure` saying why in `problem`, when the part cannot be loaded.
template <typename T> std::unique_ptr<T> fromSoundPart(const char* symbol, const QString& failure, QString& problem)
{
    using Create = T* (*)();
    QString why;
    auto create = reinterpret_cast<Create>(ModuleFunction(QLatin1String(kSoundModule), symbol, why));
    if (!create) {
        problem = failure.arg(why);
        return nullptr;
    }
    return std::unique_ptr<T>(create());
}

} // namespace

std::unique_ptr<IPcmOutput> SystemPcmOutput(QString& problem)
{
    return fromSoundPart<IPcmOutput>(kCreatePcmOutput,
                                     QCoreApplication::translate("SystemAudio", "No audio output: %1"), problem);
}

std::unique_ptr<IStreamDecoder> SystemOggDecoder(QString& problem)
{
    return fromSoundPart<IStreamDecoder>(kCreateOggDecoder,
                                         QCoreApplication::translate("SystemAudio", "No Ogg decoder: %1"), problem);
}

std::unique_ptr<IStreamDecoder> SystemAacDecoder(QString& problem)
{
    return fromSoundPart<IStreamDecoder>(kCreateAacDecoder,
                                         QCoreApplication::translate("SystemAudio", "No AAC decoder: %1"), problem);
}

std::unique_ptr<IFilePlayer> SystemFilePlayer(QString& problem)
{
    return fromSoundPart<IFilePlayer>(kCreateFilePlayer,
                                      QCoreApplication::translate("SystemAudio", "No file player: %1"), problem);
}

std::unique_ptr<IMixer> SystemMixer()
{
    return std::make_unique<LoadedMixer>();
}
