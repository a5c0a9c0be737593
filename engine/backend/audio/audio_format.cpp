#include "backend/audio/audio_format.h"

namespace kvo::backend {

namespace {

struct FixedFormat {
  int32_t rate;   // 0: the library's
  int32_t width;  // sizing width in bits; 0: the library's
};

const FixedFormat kFormats[kAudioFormatCodeCount] = {
    {0, 0},      {8000, 8},  {8000, 16},  {16000, 8}, {16000, 16}, {11025, 8}, {11025, 16}, {22050, 8},
    {22050, 16}, {44100, 8}, {44100, 16}, {6000, 8},  {8000, 8},   {8000, 8},  {8000, 8},   {0, 16},
};

}  // namespace

bool IsSupportedLibraryFormat(int32_t libraryRate, int32_t libraryWidth) {
  return libraryRate >= 8000 && libraryRate <= 48000 && (libraryWidth == 8 || libraryWidth == 16);
}

int OutputFormat(int32_t libraryRate, int32_t libraryWidth, int32_t formatCode, int32_t* outRate, int32_t* outWidth) {
  if (!outRate || !outWidth || formatCode < 0 || formatCode >= kAudioFormatCodeCount ||
      !IsSupportedLibraryFormat(libraryRate, libraryWidth))
    return kBackendInvalidArgument;
  const FixedFormat& f = kFormats[formatCode];
  *outRate = f.rate ? f.rate : libraryRate;
  *outWidth = f.width ? f.width : libraryWidth;
  return kBackendOk;
}

int FormatSilenceByte(int32_t formatCode, int32_t libraryWidth) {
  switch (formatCode) {
    case kAudioFormatAlaw8k8bit:
      return 0xD5;
    case kAudioFormatUlaw8k8bit:
      return 0xFF;
    case kAudioFormatVox6k4bit:
    case kAudioFormatVox8k4bit:
      return 0x00;
    case kAudioFormatImaAdpcm:
      return -1;
    case kAudioFormatAuto:
      return libraryWidth == 8 ? 128 : 0;
    default:
      if (formatCode < 0 || formatCode >= kAudioFormatCodeCount) return 0;
      return kFormats[formatCode].width == 8 ? 128 : 0;
  }
}

}  // namespace kvo::backend
