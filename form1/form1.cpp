#include "form1/form1.h"

#include "runtime/arithmetic.h"
#include "runtime/text.h"

namespace form1 {

using rt::ToSingle;

Form1::Form1(rt::Form& form, rt::Events& events)
    : FormCode(form),
      Timer1(form.TimerNamed("Timer1")),
      Timer2(form.TimerNamed("Timer2")),
      Label1(form.LabelNamed("Label1")) {
  events.OnLoad("InitForm", [this] { InitForm(); });
  events.OnTimer(Timer1, "StepLabel", [this] { StepLabel(); });
  events.OnTimer(Timer2, "ToggleFace", [this] { ToggleFace(); });
}

void Form1::InitForm() {
  Timer1.SetEnabled(true);
  Timer2.SetEnabled(true);
  Label1.SetVisible(true);
  Label1.SetCaption(rt::IntToText(1));
  Face = kClosedFace;
}

void Form1::StepLabel() {
  Counter = rt::CheckedIncrement(Counter);
  Label1.SetCaption(rt::ConcatText(Face, rt::IntToText(Counter)));
  Label1.SetLeft(ToSingle(Label1.Left() + kStep));

  const rt::Twips form_width = Me.Width();
  if (Label1.Left() > form_width) {
    // Just out of sight beyond the left edge, at a random height.
    Label1.SetLeft(ToSingle(-double{Label1.Width()}));
    const rt::Twips form_height = Me.Height();
    const double r = NextRandom();
    Label1.SetTop(ToSingle(r * form_height + kTopOffset));
  }
}

void Form1::ToggleFace() {
  if (MouthOpen != rt::False) {
    Face = kClosedFace;
    MouthOpen = rt::False;
  } else {
    Face = kOpenFace;
    MouthOpen = rt::True;
  }
}

}  // namespace form1
