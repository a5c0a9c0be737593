// The voices offered by the language and speaker lists, built from the
// system library's capability list.
#ifndef TAMBLOR_VOICE_CATALOGUE_H
#define TAMBLOR_VOICE_CATALOGUE_H

#include <string>
#include <utility>
#include <vector>

namespace tamblor {

struct Voice {
  std::string capkey;
  std::vector<std::pair<std::string, std::string>> properties;  // name, value in catalogue order

  // The first value of a property, or empty.
  std::string Property(const std::string& name) const;
  bool HasProperty(const std::string& name) const;
};

// Display text of a language code ("chinese" → "中文"). Codes outside the
// table are shown as they are, so that a voice is never offered under an
// empty name.
std::string LanguageText(const std::string& code);
// Display text of a gender code, or empty.
std::string GenderText(const std::string& code);
// "haobo_news" + "male" → "haobo 男声".
std::string SpeakerEntry(const Voice& voice);

class VoiceCatalogue {
 public:
  // Keeps the voices that name a speaker and collects their languages, then
  // selects the first language.
  void Build(std::vector<Voice> voices);

  const std::vector<std::string>& languages() const { return languages_; }
  const std::vector<std::string>& speakers() const { return speakers_; }  // sorted
  int language_index() const { return language_index_; }
  int speaker_index() const { return speaker_index_; }

  // Choosing the same language again keeps the speaker list but applies its
  // first entry again.
  void SelectLanguage(int index);
  void SelectSpeaker(int index);

  // The voice used for synthesis: the first voice matching the speaker
  // entry, or null.
  const Voice* current() const { return selected_.empty() ? nullptr : selected_.front(); }
  size_t selected_count() const { return selected_.size(); }

 private:
  std::vector<Voice> voices_;  // speaker voices
  std::vector<std::string> languages_;
  std::vector<std::string> speakers_;
  std::vector<const Voice*> language_voices_;
  std::vector<const Voice*> selected_;
  int language_index_ = -1;
  int speaker_index_ = -1;
};

// The text-to-speech voices of the system library's capability list.
// Returns the system library's code; 0 with an empty list is possible.
int LoadVoices(std::vector<Voice>* voices);

}  // namespace tamblor

#endif
