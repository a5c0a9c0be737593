// An engine module loaded at run time: IDllInterface drives loading,
// initialisation and unloading; TtsDllInterface binds the five entry points
// of the engine-module function table (kvo_tts_module.h).
#ifndef KVO_SDK_DLL_INTERFACE_H
#define KVO_SDK_DLL_INTERFACE_H

#include <string>

#include "config_map.h"
#include "cq_thread_mutex.h"
#include "kvo_sys.h"
#include "kvo_tts_module.h"

namespace kvo_tts {

class IDllInterface {
 public:
  IDllInterface() = default;
  IDllInterface(const IDllInterface&) = delete;
  IDllInterface& operator=(const IDllInterface&) = delete;
  virtual ~IDllInterface() = default;

  // Opens the library (if not open yet) and initialises it, holding the
  // process-wide module-load mutex throughout. On failure the module is
  // released and unloaded again and nothing stays open.
  virtual int Load(const std::string& file_name, const CapInnerItem* item, const ConfigMap& init_config);
  // Calls the module's release entry, closes the library and forgets the
  // entry points; a second call calls nothing in the module. Always 0.
  virtual int UnLoad();
  virtual int Init(const ConfigMap& init_config, const CapInnerItem* item) = 0;
  virtual int CallRelease() = 0;
  virtual bool OpenLibrary(const std::string& file_name) = 0;
  virtual void* FindSymbol(const char* name) = 0;
  virtual void CloseLibrary() = 0;

  bool IsOpen() const { return library_ != nullptr; }
  const std::string& FileName() const { return file_name_; }

 protected:
  void* library_ = nullptr;
  std::string file_name_;

  // Serialises opening and initialising modules across the process.
  static CQThreadMutex load_mutex_;
};

class TtsDllInterface : public IDllInterface {
 public:
  TtsDllInterface() = default;
  ~TtsDllInterface() override;

  int Init(const ConfigMap& init_config, const CapInnerItem* item) override;
  int CallRelease() override;
  bool OpenLibrary(const std::string& file_name) override;
  void* FindSymbol(const char* name) override;
  void CloseLibrary() override;

  // The session entry points; 23 when the module is not bound.
  int StartSession(const ConfigMap* config, const CapInnerItem* item, ModuleHandle* handle) const;
  int Synth(ModuleHandle handle, const ConfigMap* config, const char* text, TtsSynthCallback callback,
            void* user) const;
  int StopSession(ModuleHandle* handle) const;

 private:
  KvoTtsInitFunc init_ = nullptr;
  KvoTtsStartSessionFunc start_session_ = nullptr;
  KvoTtsSynthFunc synth_ = nullptr;
  KvoTtsStopSessionFunc stop_session_ = nullptr;
  KvoTtsReleaseFunc release_ = nullptr;
};

// The file name of a module: lib<name>.so on Linux, <name>.dll on Windows.
std::string ModuleFileName(const std::string& module_name);

}  // namespace kvo_tts

#endif
