#include "test_voice.h"

#include "core/library_format.h"
#include "test_voice_model.h"

namespace test_voice {

using kvo_libtool::NameTablePayload;

namespace {

Bytes Pattern(size_t size, uint8_t seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(seed + i * 7);
  return out;
}

// A main lexicon that knows two characters, 好 (index 974) and 你 (index
// 1946), by their default readings hao3 and ni3 in this voice's syllables
// and holds no words.
Bytes TwoCharacterLexicon() { return kvo::testmodel::CharacterLexicon({{974, 5 * 5 + 2}, {1946, 4 * 5 + 2}}); }

}  // namespace

const std::vector<std::string>& SyllableNames() {
  static const std::vector<std::string> kNames = {"a", "ba", "bo", "ma", "ni", "hao", "shi", "jie"};
  return kNames;
}

void RewriteVoiceModel(std::vector<Bytes>* payloads, int32_t sample_rate) {
  const auto model = static_cast<size_t>(kvo_library::kCnVoiceModel - 1);
  std::string error;
  (*payloads)[model] = kvo::testmodel::VowelVoiceModelPayload(
      std::vector<Bytes>(payloads->begin(), payloads->begin() + static_cast<std::ptrdiff_t>(model)), sample_rate,
      &error);
}

std::vector<Bytes> ChinesePayloads(const Options& options) {
  using namespace kvo_library;
  std::vector<Bytes> p(kChineseSectionCount);
  auto at = [&p](int32_t section) -> Bytes& { return p[static_cast<size_t>(section - 1)]; };
  at(kCnMainLexicon) = TwoCharacterLexicon();
  at(kCnWordBoundaryModel) = Bytes(8, 0);
  at(kCnPhraseBoundaryModel) = Bytes(8, 0);
  if (options.gbk) at(kCnGbkTable) = Pattern(64, 2);
  if (options.big5) at(kCnBig5Table) = Pattern(64, 3);
  if (options.unicode) at(kCnUnicodeTable) = Pattern(32, 4);
  at(kCnPolyphoneModel) = Bytes(8, 0);
  at(kCnSyllableNames) = NameTablePayload(SyllableNames());
  at(kCnInitialNames) = NameTablePayload({"b", "m", "n", "h", "sh", "j"});
  at(kCnFinalNames) = NameTablePayload({"a", "o", "i", "ao", "ie"});
  at(kCnPhoneNames) = NameTablePayload({"sil", "a", "b", "o", "m"});
  at(kCnPhoneVoicing) = Bytes{0, 1, 2, 1, 2};
  at(kCnPersonNameModel) = Bytes(8, 0);
  // Unit tables: index sections of whole 4-byte units, context sections of 5-byte contexts.
  for (int32_t s = kCnBackEndTable1; s <= kCnBackEndTable4; ++s) {
    at(s) = Pattern((s - kCnBackEndTable1) % 2 == 0 ? 36 : 35, static_cast<uint8_t>(s));
  }
  Bytes info(2 * kVoiceInfoRecordBytes, 0);
  StoreLe32(info.data() + kVoiceInfoRecordBytes + 4, options.sample_rate);
  StoreLe16(info.data() + kVoiceInfoRecordBytes + 14, 16);
  at(kCnVoiceInfo) = info;
  RewriteVoiceModel(&p, options.sample_rate);
  return p;
}

Bytes ChineseLibraryWithSection(int32_t section, const Bytes& payload, const Options& options) {
  std::vector<Bytes> payloads = ChinesePayloads(options);
  payloads[static_cast<size_t>(section - 1)] = payload;
  RewriteVoiceModel(&payloads, options.sample_rate);
  kvo_libtool::VoiceHeader header;
  header.sample_rate = options.sample_rate;
  header.voice_kind = options.voice_kind;
  Bytes out;
  std::string error;
  kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, header, payloads, &out, &error);
  return out;
}

Bytes ChineseLibrary(const Options& options) {
  kvo_libtool::VoiceHeader header;
  header.sample_rate = options.sample_rate;
  header.voice_kind = options.voice_kind;
  Bytes out;
  std::string error;
  kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kChinese, header, ChinesePayloads(options), &out, &error);
  return out;
}

Bytes EnglishLibrary(int32_t sample_rate, bool with_voice) {
  kvo_libtool::VoiceHeader header;
  header.sample_rate = sample_rate;
  std::vector<Bytes> payloads(kvo_library::kEnglishSectionCount);
  for (size_t i = 0; i < payloads.size(); ++i) payloads[i] = Pattern(16 + i, static_cast<uint8_t>(i));
  if (with_voice) {
    const auto model = static_cast<size_t>(kvo_library::kEnVoiceModel - 1);
    std::string error;
    payloads[model] = kvo::testmodel::VowelVoiceModelPayload(
        std::vector<Bytes>(payloads.begin(), payloads.begin() + static_cast<std::ptrdiff_t>(model)), sample_rate,
        &error);
  }
  Bytes out;
  std::string error;
  kvo_libtool::BuildContainer(kvo_libtool::LibraryKind::kEnglish, header, payloads, &out, &error);
  return out;
}

Bytes DomainLibrary() {
  Bytes out;
  std::string error;
  kvo_libtool::BuildDomain(Pattern(128, 5), Pattern(300, 6), &out, &error);
  return out;
}

}  // namespace test_voice
