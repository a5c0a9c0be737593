// The readable text form of a voice model description, one statement a
// line ('#' starts a comment):
//   windows 2|3                      order <n>
//   bits <stream 0-6> <mean s d dd> <precision s d dd>
//   question <name> in|le|ge|eq <label byte> <value>...
//   tree duration | tree phone-duration <style> | tree spectrum <state> | tree logf0 <state>
//   node <question name> <yes> <no>  (children: n<k> node k of the tree, l<k> leaf k)
//   duration <5 means> <5 variances>
//   phone-duration <style> <mean> <variance>
//   logf0 <state> voiced|unvoiced <windows means> <windows precisions>
//   spectrum <state> then order + 1 dimensions of
//            <mean> <delta> [<delta-delta>] <precision> <delta precision> [<delta-delta precision>]
// Statements may appear in any order except that nodes follow their tree
// line and windows/order precede the spectrum leaves.
#pragma once

#include <string>

#include "model_writer.h"

namespace kvo {
namespace modelwriter {

// False with *error ("line N: ...") on a malformed description.
bool ParseModelDescription(const std::string& text, VoiceModelDescription* model, std::string* error);

}  // namespace modelwriter
}  // namespace kvo
