#pragma once
// Readable failure messages for the Viewer's kinds in assertions and traces.

#include <ostream>

#include "viewer/data/kinds.h"

namespace wunt {

inline std::ostream& operator<<(std::ostream& out, ContentKind kind) {
  return out << "content kind " << static_cast<int>(kind);
}

inline std::ostream& operator<<(std::ostream& out, SourceKind kind) {
  return out << "source kind " << static_cast<int>(kind);
}

}  // namespace wunt
