// kvo-say: speaks text into an audio file through the public speech API, or
// on the sound device through the player.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "audio_format.h"
#include "config_check.h"
#include "kvo_sys.h"
#include "kvo_tts.h"
#include "output_file.h"
#include "play.h"

namespace {

const char kUsage[] =
    "Usage: kvo-say [options] [--] [TEXT...]\n"
    "Speaks TEXT (or the text of -f FILE, or standard input) with a voice of the\n"
    "KVO text-to-speech SDK and writes the audio to a file, or plays it.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE     write the audio to FILE: a WAV file whose header\n"
    "                        matches the audio format (PCM 8/16-bit, A-law,\n"
    "                        mu-law).\n"
    "                        '-' writes the raw audio to standard output.\n"
    "                        Devices and FIFOs are written as the audio comes;\n"
    "                        a regular file gets the audio only when the run\n"
    "                        succeeds (a symbolic or hard link stays a link,\n"
    "                        the file keeps its mode). Other kinds of file are\n"
    "                        refused.\n"
    "      --play            speak on the sound device instead of writing a file;\n"
    "                        Ctrl-C stops the speech (exit status 130). The\n"
    "                        audioformat must be one of the pcm formats.\n"
    "                        KVO_AUDIO_DEVICE=null (as fast as fed) or\n"
    "                        null-realtime plays on a device without sound\n"
    "      --device N        play on output device N (see --list-devices)\n"
    "      --list-devices    list the sound output devices and exit\n"
    "  -f, --file FILE       read the text from FILE ('-' for standard input)\n"
    "      --codepage CP     code page of the text: utf8 (65001, the default),\n"
    "                        gbk (936), big5 (950) or 437\n"
    "  -c, --capkey KEY      capability key of the voice (default tts.local.synth)\n"
    "      --config K=V,...  session and synthesis keys as the API takes them, e.g.\n"
    "                        audioformat=pcm8k16bit,speed=6.5,volume=7,pitch=5,\n"
    "                        puncmode=on,digitmode=telegram,engmode=letter,\n"
    "                        voicestyle=vivid,soundeffect=echo,mixsound=7\n"
    "                        audioformat: auto, pcm8k8bit, pcm8k16bit, pcm11k8bit,\n"
    "                        pcm11k16bit, pcm16k8bit, pcm16k16bit (default),\n"
    "                        alaw8k8bit, ulaw8k8bit\n"
    "                        A key or value the voice's engine does not take is\n"
    "                        refused, naming the key.\n"
    "      --data DIR        data folder with catalogue.ini and the voices\n"
    "                        (default: the installed data folder)\n"
    "      --list-voices     list the voices of the catalogue and exit\n"
    "      --progress        print each span of text as it is spoken (stderr);\n"
    "                        with --play, as it starts to sound\n"
    "      --log DIR         write a trace log (kvo_tts.log) into DIR, made if\n"
    "                        missing; a log that cannot be written is an error\n"
    "  -h, --help            show this help and exit\n"
    "  --                    end of options: every later argument is text, such\n"
    "                        as text that begins with '-'\n"
    "\n"
    "Exit status: 0 on success; 1 when the SDK reports an error (its code and\n"
    "text are printed), the text is empty or only blanks, the output or the log\n"
    "cannot be written, or the sound device fails; 130 when Ctrl-C stopped a\n"
    "playback; 2 for a usage error, such as an unknown option, or a\n"
    "configuration key, value or code page the voice does not take. A failed run\n"
    "creates no output file and leaves an existing one as it was.\n";

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
  bool play = false;
  bool list_devices = false;
  int device = -1;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "kvo-say: %s\nTry 'kvo-say --help'.\n", message.c_str());
  return 2;
}

int SdkError(const char* what, int code) {
  std::fprintf(stderr, "kvo-say: %s failed: %d (%s)\n", what, code, kvo_get_error_info(code));
  return 1;
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
  kvosay::OutputFile* out = nullptr;
  uint64_t audio_bytes = 0;
  bool progress = false;
};

bool OnResult(void* user, const TtsSynthResult* result, int /*error_code*/) {
  SynthState& state = *static_cast<SynthState*>(user);
  if (result->text != nullptr && result->text_len > 0 && state.progress) {
    std::fprintf(stderr, "[%.*s]\n", static_cast<int>(result->text_len), result->text);
  }
  if (result->voice_data != nullptr && result->voice_size > 0) {
    if (!state.out->Write(result->voice_data, result->voice_size)) return false;  // the rest could not be kept
    state.audio_bytes += result->voice_size;
  }
  return true;
}

// The WAV header for data_bytes of audio; past what the header can count, and
// while the length is not known yet, the largest length (as streamed WAV has).
std::string Header(const kvosay::AudioFormat& format, uint64_t data_bytes) {
  const uint64_t largest = 0xFFFFFFFFu - (kvosay::WavHeader(format, 0).size() - 8);
  return kvosay::WavHeader(format, static_cast<uint32_t>(data_bytes < largest ? data_bytes : largest));
}

// The system library makes the log folder and turns logging off, with a
// warning only, when it cannot; asked for explicitly, a log that cannot be
// written is an error. Looks for the nearest existing folder on the way.
bool LogFolderUsable(const std::string& folder, std::string& reason) {
  std::string path = folder;
  while (true) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) {
        reason = path + " is not a folder";
        return false;
      }
      if (access(path.c_str(), W_OK | X_OK) != 0) {
        reason = std::strerror(errno);
        return false;
      }
      return true;
    }
    if (errno != ENOENT || path == "." || path == "/") {
      reason = std::strerror(errno);
      return false;
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
      path = ".";
    else
      path = slash == 0 ? "/" : path.substr(0, slash);
  }
}

int Run(const Options& options) {
  // Everything the user can get wrong is checked before any audio is made.
  std::vector<kvosay::ConfigEntry> entries;
  std::string error;
  kvosay::OutputFile output;
  if (!options.list_voices) {
    kvosay::SetEntry(entries, "capkey", options.capkey);
    if (!options.codepage.empty()) {
      std::string number;
      if (!kvosay::CodepageNumber(options.codepage, number, error)) return UsageError(error);
      kvosay::SetEntry(entries, "codepage", number);
    }
    if (!kvosay::ParseConfig(options.config, entries, error) ||
        !kvosay::CheckConfig(kvosay::EntryValue(entries, "capkey"), entries, error)) {
      return UsageError(error);
    }
    if (!options.play && !output.Check(options.output, error)) {
      std::fprintf(stderr, "kvo-say: %s\n", error.c_str());
      return 1;
    }
  }
  if (!options.log.empty() && !LogFolderUsable(options.log, error)) {
    std::fprintf(stderr, "kvo-say: cannot write the log into %s: %s\n", options.log.c_str(), error.c_str());
    return 1;
  }

  std::string sys_config = "logLevel=" + std::string(options.log.empty() ? "0" : "5");
  if (!options.log.empty()) sys_config += ",logFilePath=" + options.log;
  if (!options.data.empty()) sys_config += ",dataPath=" + options.data;
  int code = kvo_init(sys_config.c_str());
  if (code != 0) return SdkError("kvo_init", code);
  struct stat log_info;
  if (!options.log.empty() && stat((options.log + "/kvo_tts.log").c_str(), &log_info) != 0) {
    kvo_release();
    std::fprintf(stderr, "kvo-say: cannot write the log into %s\n", options.log.c_str());
    return 1;
  }
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
  const std::string codepage = kvosay::EntryValue(entries, "codepage");
  if (kvosay::BlankText(text, codepage.empty() ? "65001" : codepage)) {
    kvo_release();
    std::fprintf(stderr, "kvo-say: no text to speak\n");
    return 1;
  }

  const std::string capkey = kvosay::EntryValue(entries, "capkey");
  const std::string session_config = kvosay::JoinConfig(entries);
  std::string format_name = kvosay::EntryValue(entries, "audioformat");
  if (format_name.empty()) format_name = "pcm16k16bit";
  if (options.play) {
    // The player opens the device in the session's format: PCM only.
    if (format_name.compare(0, 3, "pcm") != 0) {
      kvo_release();
      return UsageError("audioformat " + format_name + " cannot be played; use a pcm format");
    }
    const std::string data = options.data.empty() ? std::string(KVO_GetDataPath()) : options.data;
    const int status = kvosay::Play("datapath=" + data, text, session_config, options.device, options.progress);
    kvo_release();
    return status;
  }
  int voice_rate = 16000, voice_bits = 16;
  VoiceRate(capkey, voice_rate, voice_bits);
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

  SynthState state;
  state.out = &output;
  state.progress = options.progress;
  const bool wav = !output.raw() && format.has_wav_header();
  int result = 0;
  if (!output.Open(error)) {
    std::fprintf(stderr, "kvo-say: %s\n", error.c_str());
    result = 1;
  } else {
    // Until the end the length is not known; a FIFO keeps it so.
    const std::string head = wav ? Header(format, UINT64_MAX) : std::string();
    const bool header_written = output.Write(head.data(), head.size());
    code = header_written ? kvo_tts_synth(session, text.c_str(), nullptr, OnResult, &state) : 0;
    if (code != 0) {
      result = SdkError("kvo_tts_synth", code);
    } else if (wav && !output.Rewrite(Header(format, state.audio_bytes))) {
      std::fprintf(stderr, "kvo-say: %s\n", output.WriteError().c_str());
      result = 1;
    } else if (!output.Commit(error)) {
      std::fprintf(stderr, "kvo-say: %s\n", error.c_str());
      result = 1;
    }
    if (result != 0) output.Abandon();
  }
  kvo_tts_session_stop(session);
  kvo_tts_release();
  kvo_release();
  if (result == 0 && state.audio_bytes == 0)
    std::fprintf(stderr, "kvo-say: warning: the voice made no sound of the text\n");
  if (result == 0 && !output.raw()) {
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
      if (!value(options.capkey) || options.capkey.empty()) return UsageError(arg + " needs a capability key");
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
    } else if (arg == "--play") {
      options.play = true;
    } else if (arg == "--list-devices") {
      options.list_devices = true;
    } else if (arg == "--device") {
      std::string number;
      if (!value(number) || number.empty() || number.size() > 6 ||
          number.find_first_not_of("0123456789") != std::string::npos) {
        return UsageError(arg + " needs a device number (see --list-devices)");
      }
      options.device = std::atoi(number.c_str());
    } else if (arg == "--") {
      for (++i; i < argc; ++i) words.push_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg + " (put -- before text that begins with '-')");
    } else {
      words.push_back(arg);
    }
  }
  if (!words.empty() && !options.text_file.empty()) return UsageError("give the text or -f FILE, not both");
  if (!words.empty()) {
    options.have_text = true;
    for (size_t w = 0; w < words.size(); ++w) options.text += (w ? " " : "") + words[w];
  }
  if (options.list_devices) return kvosay::ListDevices();
  if ((options.play || options.device >= 0) && !kvosay::CanPlay()) {
    return UsageError("this kvo-say was built without the player: --play is not available");
  }
  if (options.device >= 0 && !options.play) return UsageError("--device needs --play");
  if (options.play && !options.output.empty()) return UsageError("give --play or -o FILE, not both");
  if (!options.list_voices && !options.play && options.output.empty()) {
    return UsageError("no output: give -o FILE, -o - or --play");
  }
  return Run(options);
}
