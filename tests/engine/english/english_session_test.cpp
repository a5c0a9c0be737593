// The engine with the default voice and the English library: English
// sentences and runs reach the English front end, progress spans still tile
// the text on bad input, and a missing or broken English library leaves
// Chinese speaking.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_instance.h"
#include "core/qvtts.h"
#include "english/english_front_end.h"
#include "english/english_tables.h"
#include "english_library_fixture.h"
#include "frontend/chinese_front_end.h"
#include "frontend/english_hand_over.h"
#include "frontend/intake/internal_code.h"

namespace {

using english_test::DataPath;
using english_test::ReadFile;

class Session {
 public:
  explicit Session(const std::string& english, int eng_mode = 0) {
    const std::string chinese = DataPath("zh_cn_mei.kvl");
    const char* en = english.empty() ? nullptr : english.c_str();
    int32_t size = 0;
    init_ = qvTTS_GetExtBufSize(chinese.c_str(), en, nullptr, &size);
    if (init_ != QVTTS_ERR_OK) return;
    block_ = std::aligned_alloc(64, (static_cast<size_t>(size) + 63) / 64 * 64);
    init_ = qvTTS_Init(chinese.c_str(), en, nullptr, &handle_, block_);
    if (init_ != QVTTS_ERR_OK) return;
    Set(QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK);
    Set(QVTTS_PARAM_CODEPAGE, 65001);
    Set(QVTTS_PARAM_ENG_MODE, eng_mode);
    Set(QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this));
    Set(QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&Input));
    Set(QVTTS_PARAM_PROGRESS_PROC, reinterpret_cast<intptr_t>(&Progress));
    Set(QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&Output));
    kvo::frontend::SetAnalysisObserver(Instance(), &ObserveChinese, this);
    kvo::frontend::ChineseFrontEnd* fe = kvo::frontend::ChineseFrontEndOf(Instance());
    if (fe != nullptr && fe->english != nullptr) {
      fe->english->observer = &ObserveEnglish;
      fe->english->observer_user = this;
    }
  }
  ~Session() {
    if (init_ == QVTTS_ERR_OK) qvTTS_End(handle_);
    std::free(block_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  int init() const { return init_; }
  qvInstance* Instance() const { return static_cast<qvInstance*>(block_); }
  void Set(int32_t id, intptr_t value) { qvTTS_SetParam(handle_, id, value); }
  bool EnglishReady() const {
    const kvo::frontend::ChineseFrontEnd* fe = kvo::frontend::ChineseFrontEndOf(Instance());
    return fe != nullptr && fe->english != nullptr && fe->english->ready;
  }

  int Speak(const std::string& text, size_t chunk = 1024) {
    text_ = text;
    served_ = 0;
    chunk_ = chunk;
    audio_bytes = 0;
    progress.clear();
    english_words.clear();
    english_items = 0;
    return qvTTS_SynthesizeText(handle_);
  }

  // The progress spans cover the text from its start without gaps or overlaps.
  void ExpectTiled() const {
    ASSERT_FALSE(progress.empty());
    int32_t next = 0;
    for (const auto& [begin, length] : progress) {
      EXPECT_EQ(begin, next);
      EXPECT_GT(length, 0);
      next = begin + length;
    }
    EXPECT_LE(next, static_cast<int32_t>(text_.size()));
  }

  int64_t audio_bytes = 0;
  std::vector<std::pair<int32_t, int32_t>> progress;
  std::string english_words;  // every English word handed to items, space-separated
  int english_items = 0;

 private:
  static int Input(void* user, char* buffer, int32_t* length) {
    auto* self = static_cast<Session*>(user);
    size_t n = self->text_.size() - self->served_;
    if (n > self->chunk_) n = self->chunk_;
    if (n > static_cast<size_t>(*length)) n = static_cast<size_t>(*length);
    std::memcpy(buffer, self->text_.data() + self->served_, n);
    self->served_ += n;
    *length = static_cast<int32_t>(n);
    return 0;
  }
  static int Progress(void* user, int32_t begin, int32_t length) {
    static_cast<Session*>(user)->progress.emplace_back(begin, length);
    return 0;
  }
  static int Output(void* user, int32_t, const void*, int32_t bytes) {
    static_cast<Session*>(user)->audio_bytes += bytes;
    return 0;
  }
  void Collect(const qvAnalysisItem* items, int count) {
    for (int i = 0; i < count; ++i) {
      if (items[i].language != kItemLanguageEnglish) continue;
      ++english_items;
      if (items[i].name[0] != 0 && (items[i].flags & kItemFlagSameNameAsPrevious) == 0)
        english_words += (english_words.empty() ? "" : " ") + std::string(items[i].name);
    }
  }
  static void ObserveChinese(void* user, const kvo::frontend::WordList&, const qvAnalysisItem* items, int32_t count) {
    static_cast<Session*>(user)->Collect(items, count);
  }
  static void ObserveEnglish(void* user, const kvo::english::EnglishWordList&, const qvAnalysisItem* items, int count,
                             bool) {
    static_cast<Session*>(user)->Collect(items, count);
  }

  void* block_ = nullptr;
  qvTTS_HANDLE handle_ = nullptr;
  int init_ = QVTTS_ERR_RESOURCE;
  std::string text_;
  size_t served_ = 0;
  size_t chunk_ = 1024;
};

std::string TempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = std::string(KVO_TEST_BINARY_DIR) + "/english_test_" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f != nullptr) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// The payload position of section n in a container.
size_t PayloadOffset(const std::vector<uint8_t>& file, int n) {
  size_t at = kvo_library::kHeaderBytes;
  for (int k = 1; k < n; ++k) at += static_cast<size_t>(kvo_library::LoadLe32(file.data() + at + 4));
  return at + 8;
}

TEST(EnglishSession, EnglishSentencesAreReadByTheEnglishFrontEnd) {
  Session s(DataPath("en_us_slt.kvl"));
  ASSERT_EQ(s.init(), QVTTS_ERR_OK);
  ASSERT_TRUE(s.EnglishReady());
  ASSERT_EQ(s.Speak("Dr. Brown paid $3.50 for it. 今天天气很好。"), QVTTS_ERR_OK);
  EXPECT_EQ(s.english_words, "doctor brown paid three dollars fifty cents for it");
  EXPECT_GT(s.audio_bytes, 0);  // the Chinese sentence speaks
  s.ExpectTiled();
}

TEST(EnglishSession, EnglishModeOneKeepsLettersChinese) {
  Session s(DataPath("en_us_slt.kvl"), 1);
  ASSERT_EQ(s.init(), QVTTS_ERR_OK);
  ASSERT_EQ(s.Speak("hello world 你好。"), QVTTS_ERR_OK);
  EXPECT_EQ(s.english_items, 0);
}

TEST(EnglishSession, BadInputNeverBreaksTheProgressTiling) {
  const std::string long_token(300, 'q');
  const std::string long_digits(250, '7');
  const std::string texts[] = {
      "The quick brown fox jumps over the lazy dog while the old farmer sleeps peacefully under the big oak tree "
      "near the quiet river bank and the children play happily in the warm summer sun of a lovely afternoon.",
      "Tokens " + long_token + " and " + long_digits + " end here.",
      "... !!! ??? ;;; \"\" ''",
      "naïve café déjà vu Zürich.",
      "我们用iPhone拍照，然后用Photoshop修图，最后发到Instagram上面。",
      "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijkl中文",
  };
  Session s(DataPath("en_us_slt.kvl"));
  ASSERT_EQ(s.init(), QVTTS_ERR_OK);
  for (const std::string& text : texts) {
    for (size_t chunk : {1024u, 7u}) {
      SCOPED_TRACE(text.substr(0, 20) + " / chunk " + std::to_string(chunk));
      ASSERT_EQ(s.Speak(text, chunk), QVTTS_ERR_OK);
      s.ExpectTiled();
    }
  }
}

// The English library without its voice: the chain cut before section 9
// and an empty ninth section put in its place.
std::vector<uint8_t> WithoutVoice(const std::vector<uint8_t>& library) {
  const size_t at = PayloadOffset(library, kvo_library::kEnglishSectionCount) - 8;
  std::vector<uint8_t> out(library.begin(), library.begin() + static_cast<long>(at));
  out.resize(at + 8);
  kvo_library::StoreLe32(out.data() + at, static_cast<uint32_t>(at));
  kvo_library::StoreLe32(out.data() + at + 4, 8);
  return out;
}

// English text speaks with the default library's voice; without the voice
// section it is still analysed into phone items, but makes no audio (and
// the Chinese around it still speaks).
TEST(EnglishSession, TheDefaultEnglishVoiceSpeaksSentencesAndRunsInChinese) {
  const std::string voiceless = TempFile("voiceless.kvl", WithoutVoice(ReadFile(DataPath("en_us_slt.kvl"))));
  const std::string chinese_only = "今天我们拍照。";
  const std::string mixed = "今天我们用iPhone拍照。";
  const std::string english = "Hello world, this is a test of the voice.";
  int64_t with_voice[3] = {}, without_voice[3] = {};
  for (const bool voiced : {true, false}) {
    Session s(voiced ? DataPath("en_us_slt.kvl") : voiceless);
    ASSERT_EQ(s.init(), QVTTS_ERR_OK);
    ASSERT_TRUE(s.EnglishReady());
    int64_t* bytes = voiced ? with_voice : without_voice;
    const std::string* texts[3] = {&chinese_only, &mixed, &english};
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(*texts[k] + (voiced ? " (voice)" : " (no voice)"));
      ASSERT_EQ(s.Speak(*texts[k]), QVTTS_ERR_OK);
      if (k > 0) {
        EXPECT_GT(s.english_items, 4);
      }
      s.ExpectTiled();
      bytes[k] = s.audio_bytes;
    }
  }
  constexpr int64_t kBytesPerSecond = 32000;
  // The English sentence: about two and a half seconds with the voice,
  // nothing without it.
  EXPECT_GT(with_voice[2], kBytesPerSecond * 3 / 2);
  EXPECT_LT(with_voice[2], kBytesPerSecond * 6);
  EXPECT_EQ(without_voice[2], 0);
  // The mixed sentence: its Chinese part speaks either way, the English
  // word adds its own audio only with the voice.
  EXPECT_GT(without_voice[1], kBytesPerSecond / 2);
  EXPECT_GT(with_voice[1], without_voice[1] + kBytesPerSecond / 5);
  EXPECT_EQ(with_voice[0], without_voice[0]);
}

TEST(EnglishSession, MissingOrBrokenEnglishLibraryLeavesChineseSpeaking) {
  const std::vector<uint8_t> good = ReadFile(DataPath("en_us_slt.kvl"));
  ASSERT_GT(good.size(), 100000u);
  std::vector<uint8_t> header_only(good.begin(), good.begin() + 64);
  std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 3);
  std::vector<uint8_t> garbage(5000);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 131 + 7);
  std::memcpy(garbage.data(), good.data(), 64);
  // Letter-to-sound nodes that all point at each other, and a phone list
  // offset past the end; a break model whose counts claim far too much.
  std::vector<uint8_t> looping = good;
  const size_t lts = PayloadOffset(looping, kvo::english::layout::kSectionLts);
  for (size_t i = lts + 8 + 26 * 8; i < lts + 60000; i += 6) {
    looping[i] = 3;
    looping[i + 1] = 'a';
    looping[i + 2] = 0;
    looping[i + 3] = 0;
    looping[i + 4] = 0;
    looping[i + 5] = 0;
  }
  std::vector<uint8_t> bad_counts = good;
  kvo_library::StoreLe32(bad_counts.data() + PayloadOffset(bad_counts, kvo::english::layout::kSectionLexicon),
                         0x7FFFFFFF);
  kvo_library::StoreLe32(bad_counts.data() + PayloadOffset(bad_counts, kvo::english::layout::kSectionBreakModel) + 4,
                         0x7FFFFFFF);
  kvo_library::StoreLe32(bad_counts.data() + PayloadOffset(bad_counts, kvo::english::layout::kSectionLts) + 4,
                         0x7FFFFFFF);
  const std::pair<std::string, std::string> libraries[] = {
      {"missing", std::string(KVO_TEST_BINARY_DIR) + "/no_such_english.kvl"},
      {"empty", TempFile("empty.kvl", {})},
      {"header only", TempFile("header.kvl", header_only)},
      {"truncated", TempFile("truncated.kvl", truncated)},
      {"garbage", TempFile("garbage.kvl", garbage)},
      {"looping trees", TempFile("looping.kvl", looping)},
      {"bad counts", TempFile("counts.kvl", bad_counts)},
  };
  for (const auto& [what, path] : libraries) {
    SCOPED_TRACE(what);
    Session s(path);
    ASSERT_EQ(s.init(), QVTTS_ERR_OK);
    ASSERT_EQ(s.Speak("你好。Hello world, blorfington zyx."), QVTTS_ERR_OK);
    EXPECT_GT(s.audio_bytes, 0);
    s.ExpectTiled();
  }
}

TEST(EnglishHandOver, RunsInsideAChineseBatchBecomePhoneItems) {
  // 我 apple 好 as the Chinese side would leave them: one item per character.
  using namespace kvo::frontend;
  WordList words{};
  auto add = [&](const char* text, int16_t word_class) {
    WordRecord& w = words.words[words.count++];
    for (const char* p = text; *p != 0; p += word_class == qvTTS_CT_CHINESE ? 2 : 1) {
      w.chars[w.length++] = word_class == qvTTS_CT_CHINESE
                                ? static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8))
                                : static_cast<uint16_t>(*p);
    }
    w.word_class = word_class;
  };
  add("\xCE\xD2", qvTTS_CT_CHINESE);  // GBK 我
  add("apple", qvTTS_CT_LETTER);
  add("\xBA\xC3", qvTTS_CT_CHINESE);  // GBK 好
  bool english[3];
  MarkEnglishWords(words, english);
  EXPECT_FALSE(english[0]);
  EXPECT_TRUE(english[1]);
  EXPECT_FALSE(english[2]);

  constexpr int kCapacity = 20;
  std::vector<qvAnalysisItem> items(kCapacity);
  std::vector<char> names(kCapacity * kItemNameBytes);
  for (int i = 0; i < kCapacity; ++i) items[i].name = names.data() + i * kItemNameBytes;
  int32_t count = 0;
  for (int w = 0; w < words.count; ++w)
    for (int c = 0; c < words.words[w].length; ++c) {
      items[count].character = words.words[w].chars[c];
      items[count].lexical_word = static_cast<int16_t>(w);
      ++count;
    }
  items[count].flags = kItemFlagTerminator;

  kvo::english::EnglishFrontEnd fe{};
  fe.res = english_test::TheLibrary().res;
  fe.ready = true;
  ConvertEnglishRuns(&fe, words, kvo::english::ItemParameters{}, items.data(), kCapacity, &count);
  // 我, pau ae p ax l, 好, terminator.
  ASSERT_EQ(count, 7);
  EXPECT_EQ(items[0].character, 0xD2CE);
  EXPECT_EQ(items[1].language, kItemLanguageEnglish);
  EXPECT_EQ(items[1].context[2], kvo::english::kSymPau);
  EXPECT_STREQ(items[2].name, "apple");
  EXPECT_EQ(items[5].context[2], kvo::english::SymbolIndex("l"));
  EXPECT_EQ(items[6].character, 0xC3BA);
  EXPECT_EQ(items[6].language, kItemLanguageChinese);
  EXPECT_EQ(items[7].flags, kItemFlagTerminator);
  EXPECT_EQ(items[7].character, 0);

  // A run that cannot fit into the free items keeps its letters.
  count = 7;
  int32_t tight = count;
  std::vector<qvAnalysisItem> small(items.begin(), items.begin() + 9);
  WordList one = words;
  ConvertEnglishRuns(&fe, one, kvo::english::ItemParameters{}, small.data(), 9, &tight);
  EXPECT_LE(tight, 8);
}

}  // namespace
