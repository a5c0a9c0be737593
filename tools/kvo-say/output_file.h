// Where kvo-say puts the audio. Standard output, devices and FIFOs are
// written as the audio comes. A regular file gets the audio only once the
// whole run succeeded, so a failed run leaves it as it was: a plain file
// (one link, reached without a symbolic link) is replaced by a scratch file
// written beside it, which takes its mode; a file reached through a symbolic
// link or with further hard links is rewritten in place, so that the link and
// the other names keep pointing at it. Anything else is left alone.
#ifndef KVO_SAY_OUTPUT_FILE_H
#define KVO_SAY_OUTPUT_FILE_H

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace kvosay {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();  // an uncommitted scratch file goes

  // Looks at path ("-" for standard output) and refuses what cannot be
  // written; nothing is opened yet. False with a message.
  bool Check(const std::string& path, std::string& error);
  // Opens what the audio is written to (a FIFO waits here for its reader).
  bool Open(std::string& error);
  // Standard output takes the raw audio; everything else a WAV file.
  bool raw() const { return kind_ == Kind::kStdout; }

  bool Write(const void* data, size_t size);
  // Writes bytes over the start (the WAV header, once the length is known)
  // where the output can seek; elsewhere nothing.
  bool Rewrite(const std::string& bytes);
  // Makes the audio the output's content. False with a message.
  bool Commit(std::string& error);
  // Drops what was written (the target stays as it was).
  void Abandon();
  // "cannot write PATH: reason" for the first failed write.
  std::string WriteError() const;

 private:
  enum class Kind { kNone, kStdout, kStream, kReplace, kInPlace };

  bool Fail(int error_number);
  bool OpenScratchBeside();
  bool OpenAnonymousScratch();
  bool CopyScratchInto(std::string& error);

  Kind kind_ = Kind::kNone;
  std::string path_;
  int fd_ = -1;
  bool seekable_ = false;
  std::string scratch_;  // name of the scratch file beside the target
  bool keep_mode_ = false;
  mode_t mode_ = 0;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  int errno_ = 0;  // of the first failed write
};

}  // namespace kvosay

#endif
