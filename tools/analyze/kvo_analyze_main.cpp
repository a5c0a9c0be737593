// kvo-analyze: what the engine's front end makes of a text: words, tags and
// readings per sentence, the items handed to speech generation, just the
// syllables, or the words, phones and context labels of English text.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "analysis_format.h"
#include "data_folder.h"
#include "english_format.h"
#include "front_end_runner.h"

namespace {

const char kUsage[] =
    "usage: kvo-analyze [options] [TEXT...]\n"
    "Runs the engine's front end over UTF-8 text: the arguments (one line\n"
    "each), the file of -f, or standard input.\n"
    "\n"
    "  --data DIR      data folder: the cnlib and enlib of the capability in its\n"
    "                  catalogue.ini (default: the installed data folder)\n"
    "  --capkey KEY    capability whose libraries are used (default tts.local.synth)\n"
    "  --cnlib FILE    this Chinese library instead of a data folder's\n"
    "  --enlib FILE    this English library (with --cnlib; default none)\n"
    "  -f FILE         read the text from FILE ('-': standard input)\n"
    "  --items         also print the items of each batch\n"
    "  --pinyin        print only the syllables as spoken (after tone sandhi),\n"
    "                  one sentence a line: yin2 hang2 hang2 zhang3\n"
    "  --citation      the same before tone sandhi\n"
    "  --surnames      read surname characters by the surname table\n"
    "  --digitmode N   numbers: 0 auto, 1 auto preferring digits, 2 digit by digit,\n"
    "                  3 as numbers (the engine's digitmode)\n"
    "  --puncmode N    punctuation: 0 silent pauses, 1 read aloud (2, 3 the same)\n"
    "  --engmode N     letters: 0 auto, 1 letter by letter, 2 English\n"
    "  --n6-numbers BITS  the n6 engine's number readings with these special-number\n"
    "                  bits (16 yao1, 32 yi1, 256 er4, 512 liang3; 0 for none)\n"
    "  --words         print only the words as they will be spoken, one sentence\n"
    "                  a line: Chinese words as their characters, English words\n"
    "                  lower case after normalisation (it costs three dollars)\n"
    "  --phones        print the phones, one sentence a line: English syllables\n"
    "                  split by ' . ', words by ' | ', a stressed syllable with a\n"
    "                  leading ', Chinese syllables as pinyin with tone\n"
    "  --labels        print the words line, then one line per English phone:\n"
    "                  <tab>@ WORD PHONE and its context label as name=value\n"
    "  -h, --help      this text\n"
    "\n"
    "Default output, per sentence: '# SENTENCE', then one line per word:\n"
    "WORD<tab>TAG<tab>CITATION<tab>SPOKEN ('-' for a character without a\n"
    "syllable), then an empty line. Text is escaped: \\n \\t \\r \\\\ \\xHH.\n"
    "--items adds after the words one line per item, starting with a tab:\n"
    "<tab>@ INDEX CHAR UNIT READING FLAGS PAUSE TAG WORD POS/LEN WORD/LEN\n"
    "PHRASE/COUNT TEXTPOS (tab-separated). --pinyin and --citation print\n"
    "nothing for a sentence without syllables.\n"
    "Exit status: 0 done, 1 library or text unreadable, 2 bad usage.\n";

enum class Output { kWords, kSpoken, kCitation, kSpokenWords, kPhones, kLabels };

struct Options {
  std::string data;
  bool have_data = false;
  std::string capkey = "tts.local.synth";
  std::string cnlib;
  std::string enlib;
  std::string file;
  bool have_file = false;
  bool items = false;
  bool surnames = false;
  int digit_mode = 0;
  int punc_mode = 0;
  int eng_mode = 0;
  int n6_numbers = -1;
  Output output = Output::kWords;
  bool output_chosen = false;
  std::vector<std::string> text;
  bool help = false;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "kvo-analyze: %s\n(kvo-analyze --help for the options)\n", message.c_str());
  return 2;
}

// 0 when parsed, else the exit status.
int Parse(int argc, char** argv, Options* o) {
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
      o->text.push_back(arg);
      continue;
    }
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    auto choose = [&](Output output) {
      if (o->output_chosen && o->output != output) return false;
      o->output = output;
      o->output_chosen = true;
      return true;
    };
    if (arg == "--") {
      options_done = true;
    } else if (arg == "-h" || arg == "--help") {
      o->help = true;
    } else if (arg == "--data") {
      if (!value(&o->data)) return UsageError("--data needs a folder");
      o->have_data = true;
    } else if (arg == "--capkey") {
      if (!value(&o->capkey)) return UsageError("--capkey needs a capability key");
    } else if (arg == "--cnlib") {
      if (!value(&o->cnlib)) return UsageError("--cnlib needs a file");
    } else if (arg == "--enlib") {
      if (!value(&o->enlib)) return UsageError("--enlib needs a file");
    } else if (arg == "-f" || arg == "--file") {
      if (!value(&o->file)) return UsageError(arg + " needs a file");
      o->have_file = true;
    } else if (arg == "--items") {
      o->items = true;
    } else if (arg == "--surnames") {
      o->surnames = true;
    } else if (arg == "--digitmode" || arg == "--puncmode" || arg == "--engmode" || arg == "--n6-numbers") {
      std::string number;
      if (!value(&number) || number.empty() || number.find_first_not_of("0123456789") != std::string::npos ||
          number.size() > 4)
        return UsageError(arg + " needs a number");
      const int n = std::stoi(number);
      if (arg == "--n6-numbers") {
        o->n6_numbers = n;
      } else if (n > 3 || (arg == "--engmode" && n > 2)) {
        return UsageError(arg + " " + number + " is out of range");
      } else {
        (arg == "--digitmode" ? o->digit_mode : arg == "--puncmode" ? o->punc_mode : o->eng_mode) = n;
      }
    } else if (arg == "--pinyin") {
      if (!choose(Output::kSpoken)) return UsageError("--pinyin and --citation exclude each other");
    } else if (arg == "--citation") {
      if (!choose(Output::kCitation)) return UsageError("--pinyin and --citation exclude each other");
    } else if (arg == "--words" || arg == "--phones" || arg == "--labels") {
      const Output output = arg == "--words"    ? Output::kSpokenWords
                            : arg == "--phones" ? Output::kPhones
                                                : Output::kLabels;
      if (!choose(output)) return UsageError("choose one of --pinyin, --citation, --words, --phones, --labels");
    } else {
      return UsageError("unknown option " + arg);
    }
  }
  if (o->help) return 0;
  if (o->have_data && !o->cnlib.empty()) return UsageError("--data and --cnlib exclude each other");
  if (!o->enlib.empty() && o->cnlib.empty()) return UsageError("--enlib goes with --cnlib");
  if (o->have_data && o->data.empty()) return UsageError("--data needs a folder");
  if (o->have_file && !o->text.empty()) return UsageError("text arguments and -f exclude each other");
  if (o->items && o->output != Output::kWords) return UsageError("--items goes with the word listing only");
  return 0;
}

bool ReadText(const Options& o, std::string* text) {
  if (!o.text.empty()) {
    for (const std::string& line : o.text) *text += (text->empty() ? "" : "\n") + line;
    return true;
  }
  if (o.have_file && o.file != "-") {
    std::ifstream in(o.file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "kvo-analyze: cannot read %s: %s\n", o.file.c_str(), std::strerror(errno));
      return false;
    }
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  }
  text->assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = Parse(argc, argv, &options); status != 0) return status;
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string library = options.cnlib, english = options.enlib, error;
  if (library.empty() &&
      !kvo::analyze::ChineseLibraryOfCapability(options.data, options.capkey, &library, &error, &english)) {
    std::fprintf(stderr, "kvo-analyze: %s\n", error.c_str());
    return 1;
  }
  kvo::analyze::FrontEndRunner runner;
  kvo::analyze::RunnerOptions runner_options;
  runner_options.surname_readings = options.surnames;
  runner_options.digit_mode = options.digit_mode;
  runner_options.punc_mode = options.punc_mode;
  runner_options.eng_mode = options.eng_mode;
  runner_options.n6_numbers = options.n6_numbers >= 0;
  runner_options.special_numbers = options.n6_numbers >= 0 ? options.n6_numbers : 0;
  runner_options.english_library = english;
  if (!runner.Open(library, runner_options, &error)) {
    std::fprintf(stderr, "kvo-analyze: %s\n", error.c_str());
    return 1;
  }
  std::string text;
  if (!ReadText(options, &text)) return 1;

  const int result = runner.Run(text, [&](const kvo::analyze::AnalysedSentence& sentence) {
    std::string out;
    switch (options.output) {
      case Output::kWords:
        out = kvo::analyze::FormatWords(runner, sentence);
        if (options.items) out += kvo::analyze::FormatItems(runner, sentence);
        out += "\n";
        break;
      case Output::kSpoken:
        out = kvo::analyze::SpokenSyllables(runner, sentence);
        if (!out.empty()) out += "\n";
        break;
      case Output::kCitation:
        out = kvo::analyze::CitationSyllables(runner, sentence);
        if (!out.empty()) out += "\n";
        break;
      case Output::kSpokenWords:
        out = kvo::analyze::SpokenWords(runner, sentence);
        if (!out.empty()) out += "\n";
        break;
      case Output::kPhones:
        out = kvo::analyze::SpokenPhones(runner, sentence);
        if (!out.empty()) out += "\n";
        break;
      case Output::kLabels:
        out = kvo::analyze::SpokenWords(runner, sentence);
        if (!out.empty()) out += "\n" + kvo::analyze::FormatLabels(sentence);
        break;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
  });
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "kvo-analyze: cannot write the output: %s\n", std::strerror(errno));
    return 1;
  }
  if (result != 0) {
    std::fprintf(stderr, "kvo-analyze: the front end stopped (engine code %d)\n", result);
    return 1;
  }
  return 0;
}
