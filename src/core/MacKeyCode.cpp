#include "core/MacKeyCode.h"

#include <Qt>

#include <array>

namespace {

struct KeyRow {
    quint32 keyCode;
    quint32 keysym; // X11 keysym value
    int qtKey;      // 0 when Qt has no key of its own for it
};

// One row per key. Keysyms are the unshifted symbols of a US layout; the key tap reads the
// unshifted symbol of a key, so Shift+1 is still the digit-1 key.
constexpr std::array kRows{
    KeyRow{0, 0x61, Qt::Key_A},          KeyRow{1, 0x73, Qt::Key_S},
    KeyRow{2, 0x64, Qt::Key_D},          KeyRow{3, 0x66, Qt::Key_F},
    KeyRow{4, 0x68, Qt::Key_H},          KeyRow{5, 0x67, Qt::Key_G},
    KeyRow{6, 0x7a, Qt::Key_Z},          KeyRow{7, 0x78, Qt::Key_X},
    KeyRow{8, 0x63, Qt::Key_C},          KeyRow{9, 0x76, Qt::Key_V},
    KeyRow{11, 0x62, Qt::Key_B},         KeyRow{12, 0x71, Qt::Key_Q},
    KeyRow{13, 0x77, Qt::Key_W},         KeyRow{14, 0x65, Qt::Key_E},
    KeyRow{15, 0x72, Qt::Key_R},         KeyRow{16, 0x79, Qt::Key_Y},
    KeyRow{17, 0x74, Qt::Key_T},         KeyRow{18, 0x31, Qt::Key_1},
    KeyRow{19, 0x32, Qt::Key_2},         KeyRow{20, 0x33, Qt::Key_3},
    KeyRow{21, 0x34, Qt::Key_4},         KeyRow{22, 0x36, Qt::Key_6},
    KeyRow{23, 0x35, Qt::Key_5},         KeyRow{24, 0x3d, Qt::Key_Equal},
    KeyRow{25, 0x39, Qt::Key_9},         KeyRow{26, 0x37, Qt::Key_7},
    KeyRow{27, 0x2d, Qt::Key_Minus},     KeyRow{28, 0x38, Qt::Key_8},
    KeyRow{29, 0x30, Qt::Key_0},         KeyRow{30, 0x5d, Qt::Key_BracketRight},
    KeyRow{31, 0x6f, Qt::Key_O},         KeyRow{32, 0x75, Qt::Key_U},
    KeyRow{33, 0x5b, Qt::Key_BracketLeft}, KeyRow{34, 0x69, Qt::Key_I},
    KeyRow{35, 0x70, Qt::Key_P},         KeyRow{36, 0xff0d, Qt::Key_Return},
    KeyRow{37, 0x6c, Qt::Key_L},         KeyRow{38, 0x6a, Qt::Key_J},
    KeyRow{39, 0x27, Qt::Key_Apostrophe}, KeyRow{40, 0x6b, Qt::Key_K},
    KeyRow{41, 0x3b, Qt::Key_Semicolon}, KeyRow{42, 0x5c, Qt::Key_Backslash},
    KeyRow{43, 0x2c, Qt::Key_Comma},     KeyRow{44, 0x2f, Qt::Key_Slash},
    KeyRow{45, 0x6e, Qt::Key_N},         KeyRow{46, 0x6d, Qt::Key_M},
    KeyRow{47, 0x2e, Qt::Key_Period},    KeyRow{48, 0xff09, Qt::Key_Tab},
    KeyRow{48, 0xfe20, Qt::Key_Backtab}, // Shift+Tab is still the Tab key
    KeyRow{49, 0x20, Qt::Key_Space},     KeyRow{50, 0x60, Qt::Key_QuoteLeft},
    KeyRow{51, 0xff08, Qt::Key_Backspace}, KeyRow{53, 0xff1b, Qt::Key_Escape},
    KeyRow{55, 0xffeb, Qt::Key_Super_L}, KeyRow{54, 0xffec, Qt::Key_Super_R},
    KeyRow{56, 0xffe1, Qt::Key_Shift},   KeyRow{60, 0xffe2, 0},
    KeyRow{57, 0xffe5, Qt::Key_CapsLock}, KeyRow{58, 0xffe9, Qt::Key_Alt},
    KeyRow{61, 0xffea, Qt::Key_AltGr},   KeyRow{59, 0xffe3, Qt::Key_Control},
    KeyRow{62, 0xffe4, 0},               KeyRow{65, 0xffae, 0},
    KeyRow{67, 0xffaa, 0},               KeyRow{69, 0xffab, 0},
    KeyRow{71, 0xff7f, Qt::Key_NumLock}, KeyRow{75, 0xffaf, 0},
    KeyRow{76, 0xff8d, Qt::Key_Enter},   KeyRow{78, 0xffad, 0},
    KeyRow{81, 0xffbd, 0},               KeyRow{82, 0xffb0, 0},
    KeyRow{83, 0xffb1, 0},               KeyRow{84, 0xffb2, 0},
    KeyRow{85, 0xffb3, 0},               KeyRow{86, 0xffb4, 0},
    KeyRow{87, 0xffb5, 0},               KeyRow{88, 0xffb6, 0},
    KeyRow{89, 0xffb7, 0},               KeyRow{91, 0xffb8, 0},
    KeyRow{92, 0xffb9, 0},               KeyRow{96, 0xffc2, Qt::Key_F5},
    KeyRow{97, 0xffc3, Qt::Key_F6},      KeyRow{98, 0xffc4, Qt::Key_F7},
    KeyRow{99, 0xffc0, Qt::Key_F3},      KeyRow{100, 0xffc5, Qt::Key_F8},
    KeyRow{101, 0xffc6, Qt::Key_F9},     KeyRow{103, 0xffc8, Qt::Key_F11},
    KeyRow{105, 0xffca, Qt::Key_F13},    KeyRow{105, 0xff61, Qt::Key_Print},
    KeyRow{106, 0xffcd, Qt::Key_F16},    KeyRow{107, 0xffcb, Qt::Key_F14},
    KeyRow{109, 0xffc7, Qt::Key_F10},    KeyRow{111, 0xffc9, Qt::Key_F12},
    KeyRow{113, 0xffcc, Qt::Key_F15},    KeyRow{114, 0xff6a, Qt::Key_Help},
    KeyRow{115, 0xff50, Qt::Key_Home},   KeyRow{116, 0xff55, Qt::Key_PageUp},
    KeyRow{117, 0xffff, Qt::Key_Delete}, KeyRow{118, 0xffc1, Qt::Key_F4},
    KeyRow{119, 0xff57, Qt::Key_End},    KeyRow{120, 0xffbf, Qt::Key_F2},
    KeyRow{121, 0xff56, Qt::Key_PageDown}, KeyRow{122, 0xffbe, Qt::Key_F1},
    KeyRow{123, 0xff51, Qt::Key_Left},   KeyRow{124, 0xff53, Qt::Key_Right},
    KeyRow{125, 0xff54, Qt::Key_Down},   KeyRow{126, 0xff52, Qt::Key_Up},
};

} // namespace

namespace MacKeyCode {

std::optional<quint32> fromKeysym(quint32 keysym)
{
    // Latin capitals share their key with the small letter.
    if (keysym >= 0x41 && keysym <= 0x5a)
        keysym += 0x20;
    for (const KeyRow &row : kRows) {
        if (row.keysym == keysym)
            return row.keyCode;
    }
    return std::nullopt;
}

std::optional<quint32> fromQtKey(int qtKey)
{
    if (qtKey == 0)
        return std::nullopt;
    for (const KeyRow &row : kRows) {
        if (row.qtKey == qtKey)
            return row.keyCode;
    }
    return std::nullopt;
}

std::optional<quint32> keysymFor(quint32 keyCode)
{
    for (const KeyRow &row : kRows) {
        if (row.keyCode == keyCode)
            return row.keysym;
    }
    return std::nullopt;
}

} // namespace MacKeyCode
