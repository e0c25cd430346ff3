#pragma once
// The number a piece of Qt text holds, read by the program's one text-to-number rule (see
// number_text.h): for the window's boxes and the command line's maxima alike.

#include <QString>
#include <string_view>

#include "sweeps/number_text.h"

namespace files {

inline double NumberFromQString(const QString& text) {
  return sweeps::NumberFromText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                    static_cast<std::size_t>(text.size())));
}

}  // namespace files
