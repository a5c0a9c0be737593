// Output audio format codes (the audio format parameter) and what each means.
#pragma once

#include <cstdint>

namespace kvo::backend {

enum AudioFormatCode : int32_t {
  kAudioFormatAuto = 0,  // library rate and width
  kAudioFormatPcm8k8bit = 1,
  kAudioFormatPcm8k16bit = 2,
  kAudioFormatPcm16k8bit = 3,
  kAudioFormatPcm16k16bit = 4,
  kAudioFormatPcm11k8bit = 5,
  kAudioFormatPcm11k16bit = 6,
  kAudioFormatPcm22k8bit = 7,
  kAudioFormatPcm22k16bit = 8,
  kAudioFormatPcm44k8bit = 9,
  kAudioFormatPcm44k16bit = 10,
  kAudioFormatVox6k4bit = 11,  // Dialogic ADPCM
  kAudioFormatVox8k4bit = 12,
  kAudioFormatAlaw8k8bit = 13,  // G.711 A-law
  kAudioFormatUlaw8k8bit = 14,  // G.711 mu-law
  kAudioFormatImaAdpcm = 15,    // library rate, 256-byte blocks of 505 samples
};
constexpr int32_t kAudioFormatCodeCount = 16;

// Engine result codes used by the back-end stages.
constexpr int kBackendOk = 0;
constexpr int kBackendInvalidArgument = 3;

// Library formats the converter accepts.
bool IsSupportedLibraryFormat(int32_t libraryRate, int32_t libraryWidth);

// Output rate and bits per sample used for sizing: codes 0 and 15 give the
// library's rate (code 0 its width, code 15 16 bits); codes 11..14 count as
// 8 bits. Returns kBackendInvalidArgument for an unknown code or library format.
int OutputFormat(int32_t libraryRate, int32_t libraryWidth, int32_t formatCode, int32_t* outRate, int32_t* outWidth);

// Byte that fills a silence in the output stream, or -1 for code 15, whose
// silence is 16-bit zero samples passed through the encoder.
// libraryWidth matters only for code 0.
int FormatSilenceByte(int32_t formatCode, int32_t libraryWidth);

}  // namespace kvo::backend
