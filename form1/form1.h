// Form1: Tarvel's only window, and the whole of the program.
//
// A red label travels left to right across a black window without end. It reads as a face
// followed by a count: Timer1 counts and steps it right, wrapping it past the right edge to a
// random height; Timer2 opens and closes the face's mouth every half second.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/design.h"
#include "runtime/form_code.h"
#include "runtime/types.h"

namespace form1 {

// The two faces, seven characters each; their trailing blanks part them from the count.
inline constexpr std::u16string_view kClosedFace = u">:|    ";
inline constexpr std::u16string_view kOpenFace = u">:()   ";

// How far the label moves per Timer1 tick, and how far below the window's top a wrapped label
// lands at the least (twips).
inline constexpr double kStep = 100.0;
inline constexpr double kTopOffset = 1.0;

// The window, the label and the two timers as they stand before any code runs.
rt::FormDesign Form1Design();

class Form1 final : public rt::FormCode {
 public:
  Form1(rt::Form& form, rt::Events& events);

  // Form1's Load: starts both timers and shows the label reading "1", the mouth closed.
  void InitForm();
  // Timer1's tick: count, rewrite the caption, step right, wrap past the right edge.
  void StepLabel();
  // Timer2's tick: open a closed mouth, close an open one.
  void ToggleFace();

  // Per-form variables, created with the form.
  rt::Boolean MouthOpen = rt::False;
  rt::Text Face;
  // Ticks of Timer1 so far. 64 bits: at 60 ticks a second a 32-bit count would overflow
  // after about 414 days, and the label is meant to travel without end.
  std::int64_t Counter = 0;

 private:
  rt::Timer& Timer1;
  rt::Timer& Timer2;
  rt::Label& Label1;
};

}  // namespace form1
