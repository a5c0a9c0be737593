// Byte layout of a voice model section. Shared by the engine's reader and
// the model writer of tools/modelwriter so that both agree on every offset.
// All integers are little-endian; "position" means absolute file position.
#pragma once

#include <cstdint>

namespace kvo {
namespace backend {
namespace model_layout {

constexpr int kStateCount = 5;
constexpr int kVoiceStyleCount = 3;

// Section payload: i32 P, i32 Q (tree block at P + Q), then descriptors.
constexpr uint32_t kTreeBlockBaseOffset = 0;
constexpr uint32_t kTreeBlockDeltaOffset = 4;
constexpr uint32_t kDescriptorsOffset = 8;
constexpr uint32_t kDescriptorBytes = 28;
constexpr int kStreamCount = 7;
constexpr uint32_t kModelHeaderBytes = kDescriptorsOffset + kStreamCount * kDescriptorBytes;

enum Stream {
  kStreamDuration = 0,       // count = 5 states; leafCounts[0] = leaves
  kStreamSpectrum = 1,       // count = spectral order; leafCounts = per state
  kStreamLogF0 = 2,          // count = windows; leafCounts = per state
  kStreamGain = 3,           // spectrum dimension 0: only its bits are used
  kStreamPhoneDuration = 4,  // 4, 5, 6: voice styles 0, 1, 2; count = leaves
};

// Stream descriptor fields (offsets inside one 28-byte descriptor).
constexpr uint32_t kDescPosition = 0;        // i32 table position
constexpr uint32_t kDescMeanBits = 4;        // i16 x3: static, delta, delta-delta
constexpr uint32_t kDescPrecisionBits = 10;  // i16 x3
constexpr uint32_t kDescCount = 16;          // i16
constexpr uint32_t kDescLeafCounts = 18;     // i16 x5

// Tree block. Positions are absolute; question offsets are relative to
// the tree block start.
constexpr uint32_t kTreeNodeEnd = 4;           // i32 E
constexpr uint32_t kTreeNodeStart = 8;         // i32 N0 (duration tree root)
constexpr uint32_t kTreePhoneDuration = 12;    // i32 x3
constexpr uint32_t kTreeSpectrum = 24;         // i32 x5
constexpr uint32_t kTreeLogF0 = 44;            // i32 x5
constexpr uint32_t kTreeQuestionCount = 64;    // i16 K
constexpr uint32_t kTreeQuestionOffsets = 66;  // i16 x K
constexpr uint32_t kTreeFixedBytes = 66;

// Tree node: u16 unused, u16 question offset (tree block relative),
// u16 yes-child, u16 no-child. A child is a byte offset from the tree's
// root, or kLeafBase + leaf number (leaves count from 1).
constexpr uint32_t kNodeBytes = 8;
constexpr uint32_t kLeafBase = 20000;

// Question: i8 operand count n (>= 1), u8 selector (test << 6 | label
// byte), n signed operands. Membership operands are sorted ascending;
// the other tests use the first operand.
enum QuestionTest { kTestMember = 0, kTestAtMost = 1, kTestAtLeast = 2, kTestEqual = 3 };
constexpr uint32_t kQuestionHeaderBytes = 2;

// Distribution records.
constexpr uint32_t kDurationLeafValues = 2 * kStateCount;  // 5 means, 5 variances (i16)
constexpr uint32_t kPhoneDurationLeafBytes = 4;            // i16 mean, i16 variance
// Log-F0 leaf: 2 * windows i16 values (means, then the flagged static
// precision word, then delta and delta-delta precisions).
constexpr uint16_t kLogF0UnvoicedFlag = 0x8000;
// Spectrum dimension record: 6 bytes (two windows) or 8 bytes (three).
inline uint32_t SpectrumDimBytes(int windows) { return windows == 2 ? 6u : 8u; }

}  // namespace model_layout
}  // namespace backend
}  // namespace kvo
