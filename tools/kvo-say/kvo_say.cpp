// kvo-say: speaks text into an audio file through the public speech API.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audio_format.h"
#include "kvo_sys.h"
#include "kvo_tts.h"

namespace {

const char kUsage[] =
    "Usage: kvo-say [options] [TEXT...]\n"
    "Speaks TEXT (or the text of -f FILE, or standard input) with a voice of the\n"
    "KVO text-to-speech SDK and writes the audio to a file.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE     write the audio to FILE: a WAV file whose header\n"
    "                        matches the audio format (PCM 8/16-bit, A-law,\n"
    "                        mu-law).\n"
    "                        '-' writes the raw audio to standard output.\n"
    "  -f, --file FILE       read the text from FILE ('-' for standard input)\n"
    "      --codepage CP     code page of the text: utf8 (default), gbk (936),\n"
    "                        big5 (950), or a number (not UTF-16: the text must\n"
    "                        be free of NUL bytes)\n"
    "  -c, --capkey KEY      capability key of the voice (default tts.local.synth)\n"
    "      --config K=V,...  session and synthesis keys as the API takes them, e.g.\n"
    "                        audioformat=pcm8k16bit,speed=6.5,volume=7,pitch=5,\n"
    "                        puncmode=on,digitmode=telegram,engmode=letter,\n"
    "                        voicestyle=vivid,soundeffect=echo,mixsound=7\n"
    "                        audioformat: auto, pcm8k8bit, pcm8k16bit, pcm11k8bit,\n"
    "                        pcm11k16bit, pcm16k8bit, pcm16k16bit (default),\n"
    "                        alaw8k8bit, ulaw8k8bit\n"
    "      --data DIR        data folder with catalogue.ini and the voices\n"
    "                        (default: the installed data folder)\n"
    "      --list-voices     list the voices of the catalogue and exit\n"
    "      --progress        print each span of text as it is spoken (stderr)\n"
    "      --log DIR         write a trace log into DIR\n"
    "  -h, --help            show this help and exit\n"
    "\n"
    "Exit status: 0 on success; 1 when the SDK reports an error (its code and\n"
    "text are printed); 2 for a usage error. A failed run leaves no output file.\n";

struct Options {
    std::string output;
    std::string text_file;
    std::string text;
    bool have_text = false;
    std::string capkey = "tts.local.synth";
    std::string config;
    std::string codepage;
    std::string data;
    std::string log;
    bool list_voices = false;
    bool progress = false;
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "kvo-say: %s\nTry 'kvo-say --help'.\n", message.c_str());
    return 2;
}

int SdkError(const char* what, int code) {
    std::fprintf(stderr, "kvo-say: %s failed: %d (%s)\n", what, code, kvo_get_error_info(code));
    return 1;
}

bool CodepageNumber(const std::string& name, std::string& out) {
    static const char* const kNames[][2] = {{"utf8", "65001"}, {"utf-8", "65001"}, {"gbk", "936"},
                                            {"gb2312", "936"}, {"cp936", "936"},   {"big5", "950"}};
    for (const auto& entry : kNames) {
        if (name == entry[0]) {
            out = entry[1];
            return true;
        }
    }
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
        // The API takes NUL-terminated text, which UTF-16 can never be.
        if (name == "1200" || name == "1201") return false;
        out = name;
        return true;
    }
    return false;
}

// Reads a configuration value without the SDK's parser: the last entry wins.
std::string ConfigValue(const std::string& config, const std::string& key) {
    std::string value;
    std::stringstream entries(config);
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        const size_t eq = entry.find('=');
        if (eq == std::string::npos) continue;
        std::string k = entry.substr(0, eq);
        k.erase(0, k.find_first_not_of(" \t"));
        k.erase(k.find_last_not_of(" \t") + 1);
        for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (k == key) {
            value = entry.substr(eq + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            value.erase(value.find_last_not_of(" \t") + 1);
        }
    }
    return value;
}

int ListVoices() {
    CapabilityList list;
    const int code = kvo_get_capability_list("tts", &list);
    if (code != 0) return SdkError("reading the voice catalogue", code);
    std::printf("%-24s %-8s %-12s %-8s\n", "capkey", "lang", "speaker", "gender");
    for (int i = 0; i < list.count; ++i) {
        const CapabilityItem& item = list.items[i];
        std::string lang, speaker, gender;
        for (int p = 0; p < item.property_count; ++p) {
            const std::string name = item.properties[p].name;
            if (name == "lang") lang = item.properties[p].value;
            if (name == "speaker") speaker = item.properties[p].value;
            if (name == "gender") gender = item.properties[p].value;
        }
        std::printf("%-24s %-8s %-12s %-8s\n", item.capkey, lang.c_str(), speaker.c_str(), gender.c_str());
    }
    kvo_free_capability_list(&list);
    return 0;
}

// The voice's own rate and width, for audioformat=auto: catalogue
// properties "samplerate" and "samplebits" (16000 Hz, 16 bits when absent).
void VoiceRate(const std::string& capkey, int& rate, int& bits) {
    rate = 16000;
    bits = 16;
    CapabilityItem item;
    if (kvo_get_capability(capkey.c_str(), &item) != 0) return;
    for (int p = 0; p < item.property_count; ++p) {
        const std::string name = item.properties[p].name;
        if (name == "samplerate") rate = std::atoi(item.properties[p].value);
        if (name == "samplebits") bits = std::atoi(item.properties[p].value);
    }
    if (rate <= 0) rate = 16000;
    kvo_free_capability_item(&item);
}

struct SynthState {
    FILE* out = nullptr;
    bool write_failed = false;
    uint64_t audio_bytes = 0;
    bool progress = false;
};

bool OnResult(void* user, const TtsSynthResult* result, int /*error_code*/) {
    SynthState& state = *static_cast<SynthState*>(user);
    if (result->text != nullptr && result->text_len > 0 && state.progress) {
        std::fprintf(stderr, "[%.*s]\n", static_cast<int>(result->text_len), result->text);
    }
    if (result->voice_data != nullptr && result->voice_size > 0) {
        if (std::fwrite(result->voice_data, 1, result->voice_size, state.out) != result->voice_size) {
            state.write_failed = true;
            return false;  // stop: the rest could not be kept anyway
        }
        state.audio_bytes += result->voice_size;
    }
    return true;
}

int Run(const Options& options) {
    std::string sys_config = "logLevel=" + std::string(options.log.empty() ? "0" : "5");
    if (!options.log.empty()) sys_config += ",logFilePath=" + options.log;
    if (!options.data.empty()) sys_config += ",dataPath=" + options.data;
    int code = kvo_init(sys_config.c_str());
    if (code != 0) return SdkError("kvo_init", code);
    if (options.list_voices) {
        const int result = ListVoices();
        kvo_release();
        return result;
    }

    std::string text = options.text;
    if (!options.have_text) {
        std::istream* in = &std::cin;
        std::ifstream file;
        if (!options.text_file.empty() && options.text_file != "-") {
            file.open(options.text_file, std::ios::binary);
            if (!file) {
                kvo_release();
                std::fprintf(stderr, "kvo-say: cannot read %s: %s\n", options.text_file.c_str(), std::strerror(errno));
                return 1;
            }
            in = &file;
        }
        text.assign(std::istreambuf_iterator<char>(*in), std::istreambuf_iterator<char>());
    }
    if (text.find('\0') != std::string::npos) text.resize(text.find('\0'));  // the API reads up to the first NUL

    std::string session_config = "capkey=" + options.capkey;
    if (!options.codepage.empty()) {
        std::string number;
        if (!CodepageNumber(options.codepage, number)) {
            kvo_release();
            return UsageError("unknown code page " + options.codepage);
        }
        session_config += ",codepage=" + number;
    }
    if (!options.config.empty()) session_config += "," + options.config;
    std::string format_name = ConfigValue(session_config, "audioformat");
    if (format_name.empty()) format_name = "pcm16k16bit";
    int voice_rate = 16000, voice_bits = 16;
    VoiceRate(options.capkey, voice_rate, voice_bits);
    kvosay::AudioFormat format;
    if (!kvosay::FindAudioFormat(format_name, voice_rate, voice_bits, format)) {
        kvo_release();
        return UsageError("unknown audioformat " + format_name);
    }

    std::string init_config = options.data.empty() ? std::string(KVO_GetDataPath()) : options.data;
    init_config = "datapath=" + init_config;
    code = kvo_tts_init(init_config.c_str());
    if (code != 0) {
        kvo_release();
        return SdkError("kvo_tts_init", code);
    }
    int session = -1;
    code = kvo_tts_session_start(session_config.c_str(), &session);
    if (code != 0) {
        kvo_tts_release();
        kvo_release();
        return SdkError("kvo_tts_session_start", code);
    }

    // Audio goes to a scratch file beside the output and is renamed at the
    // end, so that a failed run leaves no partial file behind.
    const bool to_stdout = options.output == "-";
    // A unique scratch name, so that no file of the user's is overwritten.
    std::string scratch = to_stdout ? std::string() : options.output + ".partial-XXXXXX";
    SynthState state;
    state.progress = options.progress;
    if (to_stdout) {
        state.out = stdout;
    } else {
        std::vector<char> name(scratch.begin(), scratch.end());
        name.push_back('\0');
        const int fd = mkstemp(name.data());
        if (fd >= 0) {
            scratch = name.data();
            // mkstemp makes the file private; the result gets the usual mode.
            const mode_t mask = umask(0);
            umask(mask);
            fchmod(fd, 0666 & ~mask);
            state.out = fdopen(fd, "wb");
            if (state.out == nullptr) {
                close(fd);
                std::remove(scratch.c_str());
            }
        }
    }
    int result = 0;
    if (state.out == nullptr) {
        std::fprintf(stderr, "kvo-say: cannot write %s: %s\n", options.output.c_str(), std::strerror(errno));
        result = 1;
    } else {
        if (!to_stdout && format.has_wav_header()) {
            const std::string header = kvosay::WavHeader(format, 0);
            state.write_failed = std::fwrite(header.data(), 1, header.size(), state.out) != header.size();
        }
        code = state.write_failed ? 0 : kvo_tts_synth(session, text.c_str(), nullptr, OnResult, &state);
        if (code != 0) {
            result = SdkError("kvo_tts_synth", code);
        } else if (state.write_failed) {
            std::fprintf(stderr, "kvo-say: cannot write %s\n", options.output.c_str());
            result = 1;
        }
        if (!to_stdout) {
            if (result == 0 && format.has_wav_header()) {
                const std::string header = kvosay::WavHeader(format, static_cast<uint32_t>(state.audio_bytes));
                if (std::fseek(state.out, 0, SEEK_SET) != 0 ||
                    std::fwrite(header.data(), 1, header.size(), state.out) != header.size()) {
                    std::fprintf(stderr, "kvo-say: cannot write %s\n", options.output.c_str());
                    result = 1;
                }
            }
            if (std::fclose(state.out) != 0 && result == 0) {
                std::fprintf(stderr, "kvo-say: cannot write %s\n", options.output.c_str());
                result = 1;
            }
            if (result == 0 && std::rename(scratch.c_str(), options.output.c_str()) != 0) {
                std::fprintf(stderr, "kvo-say: cannot write %s: %s\n", options.output.c_str(), std::strerror(errno));
                result = 1;
            }
            if (result != 0) std::remove(scratch.c_str());
        } else {
            std::fflush(stdout);
        }
    }
    kvo_tts_session_stop(session);
    kvo_tts_release();
    kvo_release();
    if (result == 0 && !to_stdout) {
        std::fprintf(stderr, "%s: %llu bytes of %s audio, %.2f s\n", options.output.c_str(),
                     static_cast<unsigned long long>(state.audio_bytes), format.name.c_str(),
                     state.audio_bytes / format.BytesPerSecond());
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& target) -> bool {
            if (i + 1 >= argc) return false;
            target = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.output)) return UsageError(arg + " needs a file name");
        } else if (arg == "-f" || arg == "--file") {
            if (!value(options.text_file)) return UsageError(arg + " needs a file name");
        } else if (arg == "-c" || arg == "--capkey") {
            if (!value(options.capkey)) return UsageError(arg + " needs a capability key");
        } else if (arg == "--config") {
            if (!value(options.config)) return UsageError(arg + " needs key=value entries");
        } else if (arg == "--codepage") {
            if (!value(options.codepage)) return UsageError(arg + " needs a code page");
        } else if (arg == "--data") {
            if (!value(options.data)) return UsageError(arg + " needs a folder");
        } else if (arg == "--log") {
            if (!value(options.log)) return UsageError(arg + " needs a folder");
        } else if (arg == "--list-voices") {
            options.list_voices = true;
        } else if (arg == "--progress") {
            options.progress = true;
        } else if (arg == "--") {
            for (++i; i < argc; ++i) words.push_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (!words.empty() && !options.text_file.empty()) return UsageError("give the text or -f FILE, not both");
    if (!words.empty()) {
        options.have_text = true;
        for (size_t w = 0; w < words.size(); ++w) options.text += (w ? " " : "") + words[w];
    }
    if (!options.list_voices && options.output.empty()) return UsageError("no output: give -o FILE or -o -");
    return Run(options);
}
