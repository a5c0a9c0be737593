#include "voice_catalogue.h"

#include <algorithm>

#include "kvo_sys.h"

namespace tamblor {
namespace {

struct Name {
  const char* code;
  const char* text;
};

const Name kLanguages[] = {
    {"chinese", "中文"},
    {"chinese/english", "中文/英文"},
    {"english", "英文"},
    {"cantonese", "粤语"},
    {"cantonese/english", "粤语/英文"},
    {"jpn", "日文"},
    {"kor", "韩文"},
    // The catalogue of this SDK writes language tags.
    {"zh-CN", "中文"},
    {"en-US", "英文"},
};

const Name kGenders[] = {{"male", "男声"}, {"female", "女声"}, {"child", "童声"}};

std::string SpeakerPart(const std::string& speaker) { return speaker.substr(0, speaker.find('_')); }

}  // namespace

std::string Voice::Property(const std::string& name) const {
  for (const auto& p : properties)
    if (p.first == name) return p.second;
  return std::string();
}

bool Voice::HasProperty(const std::string& name) const {
  for (const auto& p : properties)
    if (p.first == name) return true;
  return false;
}

std::string LanguageText(const std::string& code) {
  for (const Name& n : kLanguages)
    if (code == n.code) return n.text;
  return code;
}

std::string GenderText(const std::string& code) {
  for (const Name& n : kGenders)
    if (code == n.code) return n.text;
  return std::string();
}

std::string SpeakerEntry(const Voice& voice) {
  return SpeakerPart(voice.Property("speaker")) + " " + GenderText(voice.Property("gender"));
}

void VoiceCatalogue::Build(std::vector<Voice> voices) {
  voices_.clear();
  languages_.clear();
  speakers_.clear();
  language_voices_.clear();
  selected_.clear();
  language_index_ = -1;
  speaker_index_ = -1;
  for (Voice& v : voices) {
    if (!v.HasProperty("speaker")) continue;
    for (const auto& p : v.properties) {
      if (p.first != "lang") continue;
      const std::string text = LanguageText(p.second);
      if (std::find(languages_.begin(), languages_.end(), text) == languages_.end()) languages_.push_back(text);
    }
    voices_.push_back(std::move(v));
  }
  if (!languages_.empty()) SelectLanguage(0);
}

void VoiceCatalogue::SelectLanguage(int index) {
  if (index < 0 || index >= static_cast<int>(languages_.size())) return;
  if (index != language_index_) {
    language_index_ = index;
    speakers_.clear();
    speaker_index_ = -1;
    language_voices_.clear();
    // Compared by display text, so that two codes of one language share an entry.
    const std::string& text = languages_[index];
    for (const Voice& v : voices_) {
      for (const auto& p : v.properties) {
        if (p.first == "lang" && LanguageText(p.second) == text) {
          language_voices_.push_back(&v);
          break;
        }
      }
    }
    for (const Voice* v : language_voices_) {
      const std::string entry = SpeakerEntry(*v);
      if (std::find(speakers_.begin(), speakers_.end(), entry) == speakers_.end()) speakers_.push_back(entry);
    }
    std::sort(speakers_.begin(), speakers_.end());
  }
  speaker_index_ = -1;
  SelectSpeaker(0);
}

void VoiceCatalogue::SelectSpeaker(int index) {
  if (index < 0 || index >= static_cast<int>(speakers_.size())) {
    selected_.clear();
    return;
  }
  if (index == speaker_index_) return;
  speaker_index_ = index;
  selected_.clear();
  const std::string& entry = speakers_[index];
  for (const Voice* v : language_voices_) {
    const std::string gender = GenderText(v->Property("gender"));
    // A voice without a gender has no text to find in the entry.
    if (gender.empty()) continue;
    if (entry.find(SpeakerPart(v->Property("speaker"))) != std::string::npos && entry.find(gender) != std::string::npos)
      selected_.push_back(v);
  }
}

int LoadVoices(std::vector<Voice>* voices) {
  voices->clear();
  CapabilityList list = {};
  const int code = kvo_get_capability_list("tts", &list);
  if (code != 0) return code;
  for (int i = 0; i < list.count; ++i) {
    const CapabilityItem& item = list.items[i];
    Voice v;
    v.capkey = item.capkey != nullptr ? item.capkey : "";
    for (int k = 0; k < item.property_count; ++k) {
      const CapabilityProperty& p = item.properties[k];
      v.properties.emplace_back(p.name != nullptr ? p.name : "", p.value != nullptr ? p.value : "");
    }
    voices->push_back(std::move(v));
  }
  kvo_free_capability_list(&list);
  return 0;
}

}  // namespace tamblor
