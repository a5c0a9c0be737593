// kvo-libtool: builds Chinese, English and domain library files from
// section payload files, and dumps existing libraries.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "library_dump.h"
#include "library_writer.h"

namespace {

using kvo_libtool::Bytes;
using kvo_libtool::LibraryKind;

const char kUsage[] =
    "usage:\n"
    "  kvo-libtool build --kind chinese|english --out FILE [--rate HZ] [--voice-kind N]\n"
    "              [--word1 N] [--word2 N] [--byte29 N] [--byte30 N] [--byte32 N]\n"
    "              [--section NUMBER=PAYLOAD_FILE]...\n"
    "  kvo-libtool domain --out FILE --dictionary FILE --speech FILE\n"
    "  kvo-libtool names --out FILE NAME...\n"
    "  kvo-libtool dump FILE [--kind chinese|english|domain]\n"
    "  kvo-libtool --help\n";

const char kHelp[] =
    "kvo-libtool: builds the resource library files of the speech engine (the\n"
    "Chinese library with the voice, the English library, the domain library)\n"
    "from section payload files, and shows what an existing library holds.\n"
    "\n"
    "Commands:\n"
    "  build    writes a Chinese or English library: the voice header fields\n"
    "           (--rate: sample rate in Hz; --voice-kind: 1 for a voice with six\n"
    "           tones; --word1, --word2, --byte29, --byte30, --byte32: the other\n"
    "           header words and bytes) and the payload of each section given by\n"
    "           --section NUMBER=FILE (1 to 31); sections not given are absent.\n"
    "  domain   writes a domain library from its phrase dictionary and its\n"
    "           G.729 speech data.\n"
    "  names    writes a name table payload (for a --section of build) from the\n"
    "           NAMEs in order.\n"
    "  dump     prints a library's header fields and each section's position and\n"
    "           size, and names the first fault of a broken file. --kind reads it\n"
    "           as that kind instead of the kind in its header.\n"
    "Numbers are read as in C: 0x for hexadecimal, a leading 0 for octal.\n"
    "\n"
    "Exit status: 0 on success; 1 when a file cannot be read or written, or dump\n"
    "finds a fault; 2 for a usage error.\n";

int Usage(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "kvo-libtool: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "kvo-libtool: %s\n", message.c_str());
  return 1;
}

bool ParseInt(const std::string& text, long min, long max, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v < min || v > max) return false;
  *value = v;
  return true;
}

std::optional<LibraryKind> ParseKind(const std::string& text) {
  if (text == "chinese") return LibraryKind::kChinese;
  if (text == "english") return LibraryKind::kEnglish;
  if (text == "domain") return LibraryKind::kDomain;
  return std::nullopt;
}

// Options of the form --name VALUE; arguments without -- are positional.
struct Arguments {
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> positional;
};

bool Split(int argc, char** argv, Arguments* out, std::string* error) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) == 0) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      out->options.emplace_back(arg.substr(2), argv[++i]);
    } else {
      out->positional.push_back(arg);
    }
  }
  return true;
}

int Build(const Arguments& args) {
  std::optional<LibraryKind> kind;
  std::string out_path;
  kvo_libtool::VoiceHeader header;
  std::vector<Bytes> payloads;
  std::string error;
  for (const auto& [name, value] : args.options) {
    long v = 0;
    if (name == "kind") {
      kind = ParseKind(value);
      if (!kind || *kind == LibraryKind::kDomain) return Usage("--kind must be chinese or english");
    } else if (name == "out") {
      out_path = value;
    } else if (name == "section") {
      const size_t eq = value.find('=');
      if (eq == std::string::npos || !ParseInt(value.substr(0, eq), 1, 31, &v)) {
        return Usage("--section needs NUMBER=FILE");
      }
      if (payloads.size() < static_cast<size_t>(v)) payloads.resize(static_cast<size_t>(v));
      if (!kvo_libtool::ReadFile(value.substr(eq + 1), &payloads[static_cast<size_t>(v - 1)], &error)) {
        return Failure(error);
      }
    } else if (name == "rate" && ParseInt(value, 0, 0x7FFFFFFF, &v)) {
      header.sample_rate = static_cast<int32_t>(v);
    } else if (name == "word1" && ParseInt(value, -32768, 32767, &v)) {
      header.voice_word1 = static_cast<int16_t>(v);
    } else if (name == "word2" && ParseInt(value, -32768, 32767, &v)) {
      header.voice_word2 = static_cast<int16_t>(v);
    } else if (name == "voice-kind" && ParseInt(value, 0, 255, &v)) {
      header.voice_kind = static_cast<uint8_t>(v);
    } else if (name == "byte29" && ParseInt(value, 0, 255, &v)) {
      header.voice_byte29 = static_cast<uint8_t>(v);
    } else if (name == "byte30" && ParseInt(value, 0, 255, &v)) {
      header.voice_byte30 = static_cast<uint8_t>(v);
    } else if (name == "byte32" && ParseInt(value, 0, 255, &v)) {
      header.voice_byte32 = static_cast<uint8_t>(v);
    } else {
      return Usage("bad option --" + name + " " + value);
    }
  }
  if (!kind || out_path.empty()) return Usage("build needs --kind and --out");
  Bytes library;
  if (!kvo_libtool::BuildContainer(*kind, header, payloads, &library, &error)) return Failure(error);
  if (!kvo_libtool::WriteFile(out_path, library, &error)) return Failure(error);
  return 0;
}

int Domain(const Arguments& args) {
  std::string out_path;
  Bytes dictionary;
  Bytes speech;
  std::string error;
  bool have_dictionary = false;
  bool have_speech = false;
  for (const auto& [name, value] : args.options) {
    if (name == "out") {
      out_path = value;
    } else if (name == "dictionary") {
      if (!kvo_libtool::ReadFile(value, &dictionary, &error)) return Failure(error);
      have_dictionary = true;
    } else if (name == "speech") {
      if (!kvo_libtool::ReadFile(value, &speech, &error)) return Failure(error);
      have_speech = true;
    } else {
      return Usage("bad option --" + name);
    }
  }
  if (out_path.empty() || !have_dictionary || !have_speech) return Usage("domain needs --out, --dictionary, --speech");
  Bytes library;
  if (!kvo_libtool::BuildDomain(dictionary, speech, &library, &error)) return Failure(error);
  if (!kvo_libtool::WriteFile(out_path, library, &error)) return Failure(error);
  return 0;
}

int Names(const Arguments& args) {
  std::string out_path;
  for (const auto& [name, value] : args.options) {
    if (name != "out") return Usage("bad option --" + name);
    out_path = value;
  }
  if (out_path.empty()) return Usage("names needs --out");
  std::string error;
  if (!kvo_libtool::WriteFile(out_path, kvo_libtool::NameTablePayload(args.positional), &error)) {
    return Failure(error);
  }
  return 0;
}

int Dump(const Arguments& args) {
  if (args.positional.size() != 1) return Usage("dump needs one file");
  std::optional<LibraryKind> kind;
  for (const auto& [name, value] : args.options) {
    if (name != "kind" || !(kind = ParseKind(value))) return Usage("bad option --" + name + " " + value);
  }
  Bytes bytes;
  std::string error;
  if (!kvo_libtool::ReadFile(args.positional[0], &bytes, &error)) return Failure(error);
  std::string text;
  const bool ok = kvo_libtool::DumpLibrary(bytes, kind, &text);
  std::fputs(text.c_str(), stdout);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("");
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || (i == 1 && arg == "help")) {
      std::fputs(kUsage, stdout);
      std::fputs("\n", stdout);
      std::fputs(kHelp, stdout);
      return 0;
    }
  }
  const std::string command = argv[1];
  Arguments args;
  std::string error;
  if (!Split(argc, argv, &args, &error)) return Usage(error);
  if (command == "build") return Build(args);
  if (command == "domain") return Domain(args);
  if (command == "names") return Names(args);
  if (command == "dump") return Dump(args);
  return Usage("unknown command " + command);
}
