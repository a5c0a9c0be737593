#include "backend/acoustic/model_tree.h"

namespace kvo {
namespace backend {

namespace ml = model_layout;

bool AnswerQuestion(const uint8_t* question, const int8_t* label) {
  int n = static_cast<int8_t>(question[0]);
  int test = question[1] >> 6;
  int8_t value = label[question[1] & 0x3F];
  const int8_t* operands = reinterpret_cast<const int8_t*>(question + ml::kQuestionHeaderBytes);
  switch (test) {
    case ml::kTestMember: {
      int lo = 0, hi = n - 1;
      while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (operands[mid] == value) return true;
        if (operands[mid] < value)
          lo = mid + 1;
        else
          hi = mid - 1;
      }
      return false;
    }
    case ml::kTestAtMost:
      return value <= operands[0];
    case ml::kTestAtLeast:
      return value >= operands[0];
    default:
      return value == operands[0];
  }
}

int FindLeaf(const VoiceModel& model, uint32_t root, const int8_t* label) {
  uint32_t node = root;
  // A well-formed tree visits each node at most once on the way down.
  uint32_t steps = model.nodeBytes / ml::kNodeBytes + 1;
  while (steps-- > 0) {
    if (node > model.nodeBytes || model.nodeBytes - node < ml::kNodeBytes) return -1;
    const uint8_t* p = model.nodes + node;
    int64_t q = static_cast<int64_t>(ReadU16(p + 2)) - model.questionBase;
    if (q < 0 || q + ml::kQuestionHeaderBytes > model.questionBytes) return -1;
    const uint8_t* question = model.questions + q;
    int n = static_cast<int8_t>(question[0]);
    if (n < 1 || q + ml::kQuestionHeaderBytes + n > model.questionBytes) return -1;
    uint32_t child = ReadU16(p + (AnswerQuestion(question, label) ? 4 : 6));
    if (child > ml::kLeafBase) return static_cast<int>(child - ml::kLeafBase);
    node = root + child;
  }
  return -1;
}

}  // namespace backend
}  // namespace kvo
