// A readable account of a library file: header fields and the offset and
// size of every section, stopping at the first fault of the chain.
#ifndef KVO_TOOLS_LIBRARY_DUMP_H
#define KVO_TOOLS_LIBRARY_DUMP_H

#include <optional>
#include <string>

#include "library_writer.h"

namespace kvo_libtool {

// Without a kind, a file with the magic is taken as Chinese or English by
// its language byte, and any other file as a domain library. Returns false
// when the file is not a consistent library; text then ends with the fault.
bool DumpLibrary(const Bytes& bytes, std::optional<LibraryKind> kind, std::string* text);

}  // namespace kvo_libtool

#endif
