#include "listen/systemaudio.h"

#include "platform/modules.h"

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

} // namespace

std::unique_ptr<IPcmOutput> SystemPcmOutput(QString& problem)
{
    using Create = IPcmOutput* (*)();
    QString why;
    auto create = reinterpret_cast<Create>(ModuleFunction(QLatin1String(kSoundModule), kCreatePcmOutput, why));
    if (!create) {
        problem = QStringLiteral("No audio output: %1").arg(why);
        return nullptr;
    }
    return std::unique_ptr<IPcmOutput>(create());
}

std::unique_ptr<IStreamDecoder> SystemOggDecoder(QString& problem)
{
    using Create = IStreamDecoder* (*)();
    QString why;
    auto create = reinterpret_cast<Create>(ModuleFunction(QLatin1String(kSoundModule), kCreateOggDecoder, why));
    if (!create) {
        problem = QStringLiteral("No Ogg decoder: %1").arg(why);
        return nullptr;
    }
    return std::unique_ptr<IStreamDecoder>(create());
}

std::unique_ptr<IMixer> SystemMixer()
{
    return std::make_unique<LoadedMixer>();
}
