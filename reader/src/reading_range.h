// Which part of the text box a reading or an export speaks.
#ifndef TAMBLOR_READING_RANGE_H
#define TAMBLOR_READING_RANGE_H

#include <cstddef>
#include <string>

namespace tamblor {

struct Range {
  int start = 0;
  int end = 0;
};

// The selection [sel_start, sel_end) of a text of `length` characters; no
// selection reads from the cursor to the end, a cursor at the very end reads
// everything.
Range ChooseRange(int length, int sel_start, int sel_end);

// Cuts blanks, tabs, carriage returns and line feeds from both ends;
// *leading receives the number of bytes cut at the front.
std::string TrimBlanks(const std::string& text, size_t* leading);

}  // namespace tamblor

#endif
