#pragma once

// How a program that drives the editor from outside, as the end-to-end tests
// do, learns that the editor has handled its input and shows the result.
//
// The driver tags each input it sends: SendInput's dwExtraInfo holds
// inputTagMark and, in the low 16 bits, the input's number, one more than the
// last one sent. The main window answers the message registered as
// inputStateMessageName with an InputState: the number of the last tagged
// input its thread has taken from its queue, in any loop and for any of its
// windows (the window, a button, a message box), whether a paint is still
// due, and how many paints the window has finished. The first question makes
// the thread start watching what it takes, so the driver asks before it sends
// any input; until then watching costs nothing.
//
// Input reaches the thread in the order it was sent, and the answer is given
// only where the thread takes its next message (the message loop, or a
// message box's), so once the last input of a batch has been taken every
// input of the batch has been handled, up to a message box it opened. The
// driver therefore never counts the messages its input makes, which it could
// not know for sure: a click on a button is one WM_COMMAND on the release,
// moves may be merged, a release over a button makes no message for the
// window at all. It waits until the last number it sent has been taken and no
// paint is due, and then looks once: an answer with no paint due comes after
// the drawing has reached the screen.
//
// The last input of a batch must be one the thread takes: a press or a
// release over the program's windows, a move to a new place over them (a move
// to where the pointer already is may make no message), or a key while the
// program is in front. An input whose window goes away before it is taken is
// dropped, as the release of the key that closed a message box is; so a key's
// press and its release go in batches of their own.

#include <windows.h>

#include <cstdint>

namespace figury {

inline constexpr char inputStateMessageName[] = "Figury.InputState";

inline constexpr ULONG_PTR inputTagMark = 0x46490000;

constexpr ULONG_PTR inputTag(uint16_t number) {
    return inputTagMark | number;
}

struct InputState {
    bool answered = false;  // false: the window does not know the message
    bool taken = false;     // some tagged input has been taken
    uint16_t lastTaken = 0;
    bool paintDue = false;  // some window of the thread still waits for its paint
    uint16_t paints = 0;    // finished by the main window, modulo 2^13
};

// Keeps the tag of an input the thread took, when it has one.
inline void noteInput(InputState& state, ULONG_PTR extraInfo) {
    if ((extraInfo & ~ULONG_PTR{0xFFFF}) == inputTagMark) {
        state.taken = true;
        state.lastTaken = static_cast<uint16_t>(extraInfo & 0xFFFF);
    }
}

// Numbers wrap at 2^16; a driver has far fewer than 2^15 inputs in flight.
constexpr bool hasTaken(const InputState& state, uint16_t number) {
    return state.taken && static_cast<uint16_t>(state.lastTaken - number) < 0x8000;
}

// 32 bits, so that the answer fits any LRESULT: bit 31 answered, 30 taken,
// 29 paint due, 16 to 28 the paints, 0 to 15 the last number taken.
constexpr LRESULT packInputState(const InputState& state) {
    return static_cast<LRESULT>(0x80000000u | (state.taken ? 0x40000000u : 0u) |
                                (state.paintDue ? 0x20000000u : 0u) | ((state.paints & 0x1FFFu) << 16) |
                                state.lastTaken);
}

constexpr InputState unpackInputState(LRESULT answer) {
    const auto bits = static_cast<uint32_t>(answer);
    InputState state;
    state.answered = (bits & 0x80000000u) != 0;
    state.taken = (bits & 0x40000000u) != 0;
    state.paintDue = (bits & 0x20000000u) != 0;
    state.paints = static_cast<uint16_t>((bits >> 16) & 0x1FFFu);
    state.lastTaken = static_cast<uint16_t>(bits & 0xFFFFu);
    return state;
}

}  // namespace figury
