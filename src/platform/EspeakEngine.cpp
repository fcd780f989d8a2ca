#include "platform/EspeakEngine.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <mutex>
#include <optional>
#include <unistd.h>

namespace {

const auto MemoryMode = ENOUTPUT_MODE_SYNCHRONOUS;
// Synchronous playback: a synthesis call returns after the device has drained the utterance.
const auto DeviceMode =
    static_cast<espeak_ng_OUTPUT_MODE>(ENOUTPUT_MODE_SYNCHRONOUS | ENOUTPUT_MODE_SPEAK_AUDIO);

// Texts are single-byte throughout; the library reads them in its voice's 8-bit character set.
constexpr unsigned TextFlags = espeakCHARS_8BIT;

// The library's process-wide state, as far as this program needs to track it.
struct Session
{
    std::mutex mutex;
    bool initialized = false;
    bool outputSet = false;
    EspeakEngine::Output output = EspeakEngine::Output::SoundDevice;
    bool deviceOpen = false; // the library holds the sound device open until the process ends
    std::string ctypeLocale; // the LC_CTYPE the library chose for its character handling
};

Session &session()
{
    static Session instance;
    return instance;
}

// The library sets LC_CTYPE for itself when it starts; the rest of the program keeps its own,
// and the library gets its choice back while it works.
class CtypeLocaleScope
{
public:
    explicit CtypeLocaleScope(const std::string &wanted = {})
    {
        const char *current = std::setlocale(LC_CTYPE, nullptr);
        m_saved = current ? current : "C";
        if (!wanted.empty())
            std::setlocale(LC_CTYPE, wanted.c_str());
    }
    ~CtypeLocaleScope() { std::setlocale(LC_CTYPE, m_saved.c_str()); }
    CtypeLocaleScope(const CtypeLocaleScope &) = delete;
    CtypeLocaleScope &operator=(const CtypeLocaleScope &) = delete;

private:
    std::string m_saved;
};

// Holds back what the sound libraries write to standard error while they open the sound device.
// Without one, ALSA and espeak-ng print a dozen lines to the terminal for every attempt, where
// "Speak not supported" tells the user enough; what they wrote becomes part of the reason for
// the failure instead. Nothing else of the program writes meanwhile: speech blocks the GUI
// thread.
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        std::fflush(stderr);
        m_file = std::tmpfile();
        if (m_file == nullptr)
            return;
        m_saved = dup(STDERR_FILENO);
        if (m_saved < 0 || dup2(fileno(m_file), STDERR_FILENO) < 0) {
            if (m_saved >= 0)
                close(m_saved);
            std::fclose(m_file);
            m_file = nullptr;
        }
    }
    ~StandardErrorCapture() { finish(); }
    StandardErrorCapture(const StandardErrorCapture &) = delete;
    StandardErrorCapture &operator=(const StandardErrorCapture &) = delete;

    // Puts standard error back and gives what was written to it meanwhile.
    std::string finish()
    {
        std::string text;
        if (m_file == nullptr)
            return text;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        std::rewind(m_file);
        char buffer[4096];
        std::size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            text.append(buffer, read);
        std::fclose(m_file);
        m_file = nullptr;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

private:
    std::FILE *m_file = nullptr;
    int m_saved = -1;
};

std::string statusMessage(espeak_ng_STATUS status)
{
    char text[256] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return text;
}

// A start-up failure comes with a context naming the data file at fault, which the library only
// prints to a stream.
std::string startMessage(espeak_ng_STATUS status, espeak_ng_ERROR_CONTEXT context)
{
    std::string message;
    char *text = nullptr;
    std::size_t size = 0;
    if (std::FILE *stream = open_memstream(&text, &size)) {
        espeak_ng_PrintStatusCodeMessage(status, stream, context);
        std::fclose(stream);
        message.assign(text, size);
    }
    std::free(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? statusMessage(status) : message;
}

// What the synthesis callback writes to, passed through the library as the utterance's user
// data because its callback has no other context.
struct SampleSink
{
    std::vector<short> *samples = nullptr;
    bool discard = false; // ask the library to stop and drop what it still holds
};

int receiveSamples(short *wave, int count, espeak_EVENT *events)
{
    auto *sink = events ? static_cast<SampleSink *>(events->user_data) : nullptr;
    if (!sink)
        return 0;
    if (sink->discard)
        return 1;
    if (wave && count > 0 && sink->samples)
        sink->samples->insert(sink->samples->end(), wave, wave + count);
    return 0;
}

espeak_ng_STATUS synthesize(const std::string &text, SampleSink &sink)
{
    espeak_SetSynthCallback(receiveSamples);
    const espeak_ng_STATUS status = espeak_ng_Synthesize(
        text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, TextFlags, nullptr, &sink);
    // Also clears the error the library keeps from a failed device open.
    const espeak_ng_STATUS pending = espeak_ng_Synchronize();
    return status != ENS_OK ? status : pending;
}

// A failed utterance leaves its unspoken rest queued in the library, which would play it in
// front of the next utterance; rendering into a sink that asks to stop drops it. Only possible
// while no device is held open (see the header).
void discardQueuedSpeech(Session &state)
{
    if (state.deviceOpen)
        return;
    if (espeak_ng_InitializeOutput(MemoryMode, 0, nullptr) != ENS_OK)
        return;
    SampleSink sink;
    sink.discard = true;
    synthesize(std::string(), sink);
    state.outputSet = false;
}

} // namespace

bool EspeakEngine::speakText(const std::string &text, std::string &error)
{
    m_samples.clear();
    Session &state = session();
    const std::lock_guard lock(state.mutex);

    if (!state.initialized) {
        const CtypeLocaleScope callersLocale;
        espeak_ng_InitializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
        if (status != ENS_OK) {
            error = "espeak-ng cannot start: " + startMessage(status, context);
            espeak_ng_ClearErrorContext(&context);
            return false;
        }
        const char *chosen = std::setlocale(LC_CTYPE, nullptr);
        state.ctypeLocale = chosen ? chosen : "";
        state.initialized = true;
    }

    if (m_output == Output::Memory && state.deviceOpen) {
        error = "espeak-ng holds the sound device open in this process and cannot render to "
                "memory";
        return false;
    }

    const CtypeLocaleScope libraryLocale(state.ctypeLocale);
    std::optional<StandardErrorCapture> deviceMessages;
    if (m_output == Output::SoundDevice && !state.deviceOpen)
        deviceMessages.emplace();
    if (!state.outputSet || state.output != m_output) {
        const espeak_ng_STATUS status = espeak_ng_InitializeOutput(
            m_output == Output::SoundDevice ? DeviceMode : MemoryMode, 0, nullptr);
        if (status != ENS_OK) {
            error = "espeak-ng cannot set up its output: " + statusMessage(status);
            return false;
        }
        state.output = m_output;
        state.outputSet = true;
    }

    SampleSink sink;
    sink.samples = m_output == Output::Memory ? &m_samples : nullptr;
    const espeak_ng_STATUS status = synthesize(text, sink);
    const std::string printed = deviceMessages ? deviceMessages->finish() : std::string();
    if (status != ENS_OK) {
        error = "espeak-ng: " + statusMessage(status);
        if (!printed.empty())
            error += "\n" + printed;
        m_samples.clear();
        discardQueuedSpeech(state);
        return false;
    }
    // Once the device plays, whatever the libraries said is passed on unchanged.
    if (!printed.empty())
        std::fprintf(stderr, "%s\n", printed.c_str());
    if (m_output == Output::SoundDevice)
        state.deviceOpen = true;
    m_sampleRate = espeak_ng_GetSampleRate();
    return true;
}
