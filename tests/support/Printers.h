// How test failures show the program's named states: by name and number instead of raw bytes.
#pragma once

#include <ostream>

#include "document/OutputFormat.h"
#include "imaging/ResizeFilter.h"
#include "trim/TrimMode.h"
#include "trim/ViewGeometry.h"

inline void PrintTo(TrimMode m, std::ostream* os) { *os << "TrimMode " << static_cast<int>(m); }
inline void PrintTo(HandleKind k, std::ostream* os) { *os << "HandleKind " << static_cast<int>(k); }
inline void PrintTo(MouseMode m, std::ostream* os) { *os << "MouseMode " << static_cast<int>(m); }
inline void PrintTo(OutputFormat f, std::ostream* os) { *os << "OutputFormat " << static_cast<int>(f); }
inline void PrintTo(ResizeFilter f, std::ostream* os) { *os << "ResizeFilter " << static_cast<int>(f); }
