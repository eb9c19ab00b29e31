#pragma once

namespace kb {

// Polled keyboard: PC scan-code set 1 numbers, extended keys + 128.
namespace scan {
constexpr int kEscape = 0x01;
constexpr int k1 = 0x02;
constexpr int k2 = 0x03;
constexpr int k6 = 0x07;
constexpr int k7 = 0x08;
constexpr int kAcute = 0x0D;  // the key left of Backspace (´ on German layouts)
constexpr int kBackspace = 0x0E;
constexpr int kTab = 0x0F;
constexpr int kQ = 0x10;
constexpr int kP = 0x19;
constexpr int kUDiaeresis = 0x1A;  // Ü on German layouts, [ on US layouts
constexpr int kEnter = 0x1C;
constexpr int kLeftCtrl = 0x1D;
constexpr int kD = 0x20;
constexpr int kF = 0x21;
constexpr int kK = 0x25;
constexpr int kGrave = 0x29;  // the key left of 1 (^ on German layouts)
constexpr int kLeftShift = 0x2A;
constexpr int kZ = 0x2C;  // the key in the US Z position
constexpr int kC = 0x2E;
constexpr int kV = 0x2F;
constexpr int kM = 0x32;
constexpr int kComma = 0x33;
constexpr int kRightShift = 0x36;
constexpr int kSpace = 0x39;
constexpr int kCapsLock = 0x3A;
constexpr int kF1 = 0x3B;
constexpr int kF2 = 0x3C;
constexpr int kF5 = 0x3F;
constexpr int kLessGreater = 0x56;  // the extra key left of Z on European keyboards
constexpr int kRightCtrl = 0x9D;
constexpr int kUp = 0xC8;
constexpr int kPageUp = 0xC9;
constexpr int kLeft = 0xCB;
constexpr int kRight = 0xCD;
constexpr int kDown = 0xD0;
constexpr int kPageDown = 0xD1;
constexpr int kCount = 256;
}  // namespace scan

// Asynchronous key query: virtual-key numbers (mouse buttons, typing).
namespace vk {
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kReturn = 13;
constexpr int kShift = 16;
constexpr int kControl = 17;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kCount = 302;
}  // namespace vk

}  // namespace kb
