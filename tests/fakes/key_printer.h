// Keys as test failure messages show them.
#pragma once
#include <ostream>

#include "platform/key.h"

namespace pentrill {

inline void PrintTo(const Key& key, std::ostream* out) {
  switch (key.kind) {
    case Key::Kind::Character:
      *out << "character " << static_cast<int>(static_cast<unsigned char>(key.character));
      break;
    case Key::Kind::Named:
      *out << "named key " << static_cast<int>(key.name);
      break;
    case Key::Kind::Mouse:
      *out << "mouse action " << static_cast<int>(key.action) << " button " << key.button << " at " << key.row << ","
           << key.column;
      return;
  }
  if (key.modifiers != 0) *out << " modifiers " << key.modifiers;
}

}  // namespace pentrill
