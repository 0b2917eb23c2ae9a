#pragma once
// Which column the digit keys write. The values are the ones the key map has always used
// (the keypad decimal point doubles them: 1 -> 2 -> 4 -> 1).
enum class TagMode { Quality = 1, Zone = 2, Extra = 4 };

// The label prefix of a tag written in this mode: "S=", "Z=" or "E=".
inline const char* tagPrefix(TagMode m)
{
    switch (m) {
    case TagMode::Zone: return "Z=";
    case TagMode::Extra: return "E=";
    case TagMode::Quality: break;
    }
    return "S=";
}
