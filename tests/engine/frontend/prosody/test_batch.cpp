#include "test_batch.h"

#include <iconv.h>

#include <cstring>
#include <sstream>
#include <stdexcept>

#include "syllable_inventory.h"

namespace sandhi_test {

int SyllableCodeCount() { return static_cast<int>(kvo::tables::kSyllableCount) * kTones; }

int UnitCode(const std::string& reading) {
  if (reading.empty()) return -1;
  const int tone = reading.back() - '0';
  const std::string base = reading.substr(0, reading.size() - 1);
  for (size_t s = 0; s < kvo::tables::kSyllableCount; ++s)
    if (base == kvo::tables::kSyllables[s]) return static_cast<int>(s) * kTones + tone - 1;
  return -1;
}

std::string Reading(uint16_t unit) {
  if (unit == kUnitSilence) return "_";
  if (unit >= SyllableCodeCount()) return "#" + std::to_string(unit);
  return std::string(kvo::tables::kSyllables[unit / kTones]) + std::to_string(unit % kTones + 1);
}

std::vector<uint16_t> InternalCodes(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
  std::string in = utf8;
  std::string out(in.size() * 2 + 4, '\0');
  char* ip = in.data();
  char* op = out.data();
  size_t il = in.size(), ol = out.size();
  const size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) throw std::runtime_error("not GBK: " + utf8);
  out.resize(out.size() - ol);
  std::vector<uint16_t> codes;
  for (size_t k = 0; k < out.size(); ++k) {
    const auto lead = static_cast<uint8_t>(out[k]);
    if (lead < 0x80) {
      codes.push_back(lead);
    } else {
      codes.push_back(static_cast<uint16_t>(lead | (static_cast<uint8_t>(out[k + 1]) << 8)));
      ++k;
    }
  }
  return codes;
}

int16_t LetterTag(const std::string& name) {
  int v = static_cast<uint8_t>(name[0]);
  if (name.size() > 1) v |= static_cast<uint8_t>(name[1]) << 8;
  return static_cast<int16_t>(v);
}

std::string Batch::Readings() const {
  std::string s;
  for (int k = 0; k < count; ++k) s += (k ? " " : "") + Reading(items[k].unit);
  return s;
}

Batch BuildBatch(const std::string& text, const std::string& readings) {
  Batch batch;
  std::istringstream rs(readings);
  std::vector<std::string> units;
  for (std::string r; rs >> r;) units.push_back(r);

  std::istringstream ts(text);
  int lexical = 0, pw = 0, phrase = 0;
  bool new_pw = true, new_phrase = true;
  std::vector<int> pw_of, phrase_of;  // absolute prosodic word / phrase of each item
  for (std::string tok; ts >> tok;) {
    if (tok == "||") {
      new_phrase = new_pw = true;
      continue;
    }
    if (tok == "|") {
      new_pw = true;
      continue;
    }
    int16_t tag = LetterTag("n");
    const size_t at = tok.find('@');
    if (at != std::string::npos) {
      tag = LetterTag(tok.substr(at + 1));
      tok = tok.substr(0, at);
    }
    ++lexical;
    if (new_phrase && !pw_of.empty()) ++phrase;
    if (new_pw && !pw_of.empty()) ++pw;
    bool first = true;
    for (uint16_t code : InternalCodes(tok)) {
      const size_t k = batch.items.size();
      if (k >= units.size()) throw std::runtime_error("too few readings for " + text);
      qvAnalysisItem item{};
      item.character = code;
      if (units[k] == "_") {
        item.unit = kUnitSilence;
        item.flags = kItemFlagPause;
      } else {
        const int unit = UnitCode(units[k]);
        if (unit < 0) throw std::runtime_error("unknown reading " + units[k]);
        item.unit = static_cast<uint16_t>(unit);
      }
      if (first) {
        if (new_pw) item.flags |= kItemFlagProsodicWordStart;
        if (new_phrase) item.flags |= kItemFlagPhraseStart;
      }
      first = false;
      item.part_of_speech = tag;
      item.lexical_word = static_cast<int16_t>(lexical);
      item.language = kItemLanguageChinese;
      batch.items.push_back(item);
      pw_of.push_back(pw);
      phrase_of.push_back(phrase);
    }
    new_pw = new_phrase = false;
  }
  if (batch.items.size() != units.size()) throw std::runtime_error("reading count for " + text);
  batch.count = static_cast<int>(batch.items.size());

  // Structure counters as the item builder fills them.
  const int n = batch.count;
  for (int k = 0; k < n;) {
    int end = k;
    while (end < n && pw_of[end] == pw_of[k]) ++end;
    for (int j = k; j < end; ++j) {
      batch.items[j].position_in_prosodic_word = static_cast<uint8_t>(j - k);
      batch.items[j].prosodic_word_length = static_cast<uint8_t>(end - k);
    }
    k = end;
  }
  const int phrases = n ? phrase_of[n - 1] + 1 : 0;
  for (int k = 0; k < n;) {
    int end = k;
    while (end < n && phrase_of[end] == phrase_of[k]) ++end;
    const int first_pw = pw_of[k];
    for (int j = k; j < end; ++j) {
      batch.items[j].prosodic_word_index = static_cast<uint8_t>(pw_of[j] - first_pw);
      batch.items[j].phrase_length = static_cast<uint8_t>(pw_of[end - 1] - first_pw + 1);
      batch.items[j].phrase_index = static_cast<uint8_t>(phrase_of[j]);
      batch.items[j].phrase_count = static_cast<uint8_t>(phrases);
    }
    k = end;
  }
  qvAnalysisItem terminator{};
  terminator.flags = kItemFlagTerminator;
  batch.items.push_back(terminator);
  return batch;
}

}  // namespace sandhi_test
