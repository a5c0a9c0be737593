#include "tts_local_engine.h"

#include <cstring>
#include <new>

#include "config_assistant.h"
#include "engine_param_call.h"
#include "module_flavour.h"
#include "module_log.h"

namespace {

constexpr const char kStartOp[] = "TtsLocalEngine::StartSession";
constexpr const char kResOp[] = "TtsLocalEngine::GetTtsEngineLocalResInfo";
constexpr const char kSynthOp[] = "TtsLocalEngine::SynthesizeText";
constexpr const char kProgressOp[] = "TtsLocalEngine::QvExamProgressProc";
constexpr const char kOutputOp[] = "TtsLocalEngine::QvExamOutputVoiceProc";

bool SameIgnoringCase(const char* a, const char* b) {
  return ConfigAssistant::ToLower(a) == ConfigAssistant::ToLower(b);
}

const char* OrNull(const std::string& path) { return path.empty() ? nullptr : path.c_str(); }
const char* OrNullText(const std::string& path) { return path.empty() ? "NULL" : path.c_str(); }

}  // namespace

// The module data path, set once by KvoTtsInit (module_exports.cpp).
extern std::string g_module_data_path;

TtsLocalEngine::~TtsLocalEngine() { CloseEngine(); }

void TtsLocalEngine::CloseEngine() {
  if (engine_ != nullptr) qvTTS_End(engine_);
  engine_ = nullptr;
  engine_block_.reset();
}

int TtsLocalEngine::GetTtsEngineLocalResInfo(const CapInnerItem* item, ResourcePaths& paths) {
  if (item == nullptr) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s cnlib not config", kModuleTag, kResOp, name_.c_str());
    return -1;
  }
  for (int i = 0; i < item->resource_count; ++i) {
    const ResourceEntry& entry = item->resources[i];
    if (entry.tag == nullptr || entry.tag[0] == '\0') {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s Local Resource Tag Is Null.", kModuleTag, kResOp, name_.c_str());
      return -1;
    }
    if (entry.file_name == nullptr || entry.file_name[0] == '\0') {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s Local Resource FileName Is Null.", kModuleTag, kResOp, name_.c_str());
      return -1;
    }
    const std::string path = g_module_data_path + entry.file_name;
    if (SameIgnoringCase(entry.tag, "cnlib")) {
      paths.chinese = path;
    } else if (SameIgnoringCase(entry.tag, "enlib")) {
      paths.english = path;
    } else if (SameIgnoringCase(entry.tag, "dmlib")) {
      paths.domain = path;
    }
  }
  if (paths.chinese.empty()) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] %s cnlib not config", kModuleTag, kResOp, name_.c_str());
    return -1;
  }
  return 0;
}

int TtsLocalEngine::StartSession(const ConfigMap& config, const CapInnerItem* item) {
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s]Enter", kModuleTag, kStartOp);
  int result = RecogEngineInterface::StartSession(config, item);
  if (result == 0) {
    result = ConfigAssistant::CheckAndRebuild(kModuleFlavour.session_rules, kModuleFlavour.session_rule_count,
                                              session_config_);
  }
  ResourcePaths paths;
  if (result == 0 && GetTtsEngineLocalResInfo(item, paths) != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] get_tts_engine_local_res_info failed:%d", kModuleTag, kStartOp, -1);
    result = -1;
  }
  int32_t size = 0;
  if (result == 0) {
    const int code = qvTTS_GetExtBufSize(OrNull(paths.chinese), OrNull(paths.english), OrNull(paths.domain), &size);
    if (code != 0 || size <= 0) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] qvTTS_GetExtBufSize failed:%d", kModuleTag, kStartOp, code);
      result = 503;
    } else {
      KVO_LOG(KVO_LOG_TRACE, "[%s][%s] qvTTS_GetExtBufSize(%s, %s, %s, %d).", kModuleTag, kStartOp,
              OrNullText(paths.chinese), OrNullText(paths.english), OrNullText(paths.domain), size);
    }
  }
  if (result == 0) {
    // The engine keeps pointers into the block: it lives until qvTTS_End.
    engine_block_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!engine_block_) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] mem failed", kModuleTag, kStartOp);
      result = 2;
    } else {
      std::memset(engine_block_.get(), 0, static_cast<size_t>(size));
    }
  }
  if (result == 0) {
    qvTTS_HANDLE handle = nullptr;
    const int code =
        qvTTS_Init(OrNull(paths.chinese), OrNull(paths.english), OrNull(paths.domain), &handle, engine_block_.get());
    if (code != 0 || handle == nullptr) {
      KVO_LOG(KVO_LOG_ERROR, "[%s][%s] qvTTS_Init failed:%d", kModuleTag, kStartOp, code);
      engine_block_.reset();
      result = 503;
    } else {
      engine_ = handle;
    }
  }
  // The configuration as passed in: the rule defaults are applied at
  // every synthesis from the stored copy.
  if (result == 0 && SetTtsEngineParam(config) != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] SetTtsEngineParam failed.", kModuleTag, kStartOp);
    StopSession();
    result = 7;
  }
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s]Leave", kModuleTag, kStartOp);
  return result;
}

int TtsLocalEngine::StopSession() {
  RecogEngineInterface::StopSession();
  if (engine_ == nullptr) return -1;
  CloseEngine();
  return 0;
}

int TtsLocalEngine::SynthesizeText(const ConfigMap& config, const char* text, TtsSynthCallback callback, void* user) {
  if (engine_ == nullptr) return 503;
  if (text == nullptr || callback == nullptr) return 1;
  ConfigMap merged = MergeConfig(config);
  int result = ConfigAssistant::CheckAndRebuild(kModuleFlavour.synth_rules, kModuleFlavour.synth_rule_count, merged);
  if (result != 0) return result;
  const size_t length = std::strlen(text);
  BeginHistoryItem(merged);
  AddHistoryRequest(text, length, 1);
  if (SetTtsEngineParam(merged) != 0) return 7;

  const struct {
    int32_t id;
    intptr_t value;
  } callbacks[] = {
      {QVTTS_PARAM_INPUT_MODE, QVTTS_INPUT_MODE_CALLBACK},
      {QVTTS_PARAM_OUTPUT_VOICE_PROC, reinterpret_cast<intptr_t>(&TtsLocalEngine::QvExamOutputVoiceProc)},
      {QVTTS_PARAM_PROGRESS_PROC, reinterpret_cast<intptr_t>(&TtsLocalEngine::QvExamProgressProc)},
      {QVTTS_PARAM_USER_DATA, reinterpret_cast<intptr_t>(this)},
      {QVTTS_PARAM_INPUT_TEXT_PROC, reinterpret_cast<intptr_t>(&TtsLocalEngine::InputTextProc)},
  };
  for (const auto& entry : callbacks) {
    if (SetEngineParam(engine_, entry.id, entry.value) != 0) return 3;
  }

  continue_ = true;
  processed_pos_ = 0;
  input_pos_ = 0;
  text_ = text;
  // Positions are int, as the engine's spans are; a longer text is read
  // up to what they can count.
  text_length_ = length > 0x7fffffff ? 0x7fffffff : static_cast<int>(length);
  callback_ = callback;
  user_ = user;
  last_call_made_ = false;

  const int code = qvTTS_SynthesizeText(engine_);
  // The last call comes from the engine's closing output call; should the
  // engine have returned without one, the application still gets it.
  if (!last_call_made_) DeliverLastCall();
  text_ = nullptr;
  callback_ = nullptr;
  user_ = nullptr;
  if (code != 0) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] (Local)SynthFiled qvErrCode(%d)!", kModuleTag, kSynthOp, code);
    return 504;
  }
  return 0;
}

int TtsLocalEngine::InputTextProc(void* user_data, char* buffer, int32_t* length) {
  TtsLocalEngine* self = static_cast<TtsLocalEngine*>(user_data);
  if (self == nullptr || length == nullptr) return 0;
  const int remaining = self->text_ == nullptr ? 0 : self->text_length_ - self->input_pos_;
  if (remaining <= 0 || !self->continue_ || buffer == nullptr || *length <= 0) {
    *length = 0;
    return 0;
  }
  const int count = remaining < *length ? remaining : *length;
  std::memcpy(buffer, self->text_ + self->input_pos_, static_cast<size_t>(count));
  self->input_pos_ += count;
  *length = count;
  return 0;
}

int TtsLocalEngine::QvExamProgressProc(void* user_data, int32_t begin, int32_t length) {
  TtsLocalEngine* self = static_cast<TtsLocalEngine*>(user_data);
  // After a stop request only the last call may reach the application.
  if (self == nullptr || self->text_ == nullptr || self->last_call_made_ || !self->continue_) return 0;
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] qvExam_ProgressProc iProcBegin(%d)iProcLen(%d)!", kModuleTag, kProgressOp, begin,
          length);
  const int64_t end = static_cast<int64_t>(begin) + length;
  if (begin < 0 || length < 0 || end > self->text_length_ || begin < self->processed_pos_) {
    KVO_LOG(KVO_LOG_ERROR, "[%s][%s] qvExam_ProgressProc procBegin(%d) procLen(%d) textlen(%d) process_pos(%d)!",
            kModuleTag, kProgressOp, begin, length, self->text_length_, self->processed_pos_);
    return 3;
  }
  // A span that adds nothing is not a progress call.
  if (end <= self->processed_pos_) return 0;
  TtsSynthResult result = {};
  result.text = self->text_ + self->processed_pos_;
  result.text_len = static_cast<uint32_t>(end - self->processed_pos_);
  result.has_more = true;
  self->processed_pos_ = static_cast<int>(end);
  self->Deliver(result);
  return 0;
}

int TtsLocalEngine::QvExamOutputVoiceProc(void* user_data, int32_t /*kind*/, const void* data, int32_t bytes) {
  TtsLocalEngine* self = static_cast<TtsLocalEngine*>(user_data);
  if (self == nullptr || self->callback_ == nullptr || self->last_call_made_) return 0;
  KVO_LOG(KVO_LOG_TRACE, "[%s][%s] qvExam_OutputVoiceProc iSize(%d)!", kModuleTag, kOutputOp, bytes);
  if (bytes <= 0 || data == nullptr) {
    self->DeliverLastCall();
    return 0;
  }
  if (!self->continue_) return 0;
  TtsSynthResult result = {};
  result.voice_data = static_cast<const unsigned char*>(data);
  result.voice_size = static_cast<uint32_t>(bytes);
  result.has_more = true;
  self->Deliver(result);
  return 0;
}

void TtsLocalEngine::DeliverLastCall() {
  last_call_made_ = true;
  if (callback_ == nullptr) return;
  TtsSynthResult result = {};
  result.has_more = false;
  // Nothing is left to stop, so the answer does not matter.
  callback_(user_, &result, 0);
}

void TtsLocalEngine::Deliver(const TtsSynthResult& result) {
  if (callback_ == nullptr) return;
  continue_ = callback_(user_, &result, 0);
  if (!continue_ && engine_ != nullptr) {
    const int code = qvTTS_SynthStop(engine_);
    KVO_LOG(KVO_LOG_TRACE, "[%s][%s] qvTTS_SynthStop return %d", kModuleTag, kSynthOp, code);
  }
}
