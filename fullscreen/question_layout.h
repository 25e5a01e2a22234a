// Where the question screens lay out a question: the build's pool check
// reads these too, to refuse a pool whose text would not fit.
#pragma once

namespace pentrill {

inline constexpr int kDrillWrapWidth = 90;
// The numbered question and its answers start on this row and must end by
// kDrillLastTextRow: the wrong-answer lines follow from row 21.
inline constexpr int kDrillTextRow = 4;
inline constexpr int kDrillLastTextRow = 20;

}  // namespace pentrill
