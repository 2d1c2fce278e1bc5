#include "form1/form1.h"

namespace form1 {

rt::FormDesign Form1Design() {
  rt::FormDesign form;
  form.name = "Form1";
  form.caption = u"Form1";
  form.border = false;  // no frame and no title bar: the client area is the whole window
  form.back_color = {0, 0, 0};
  form.client_width = 4680;
  form.client_height = 3195;

  form.timers.push_back({.name = "Timer1", .interval_ms = 1, .enabled = false});
  form.timers.push_back({.name = "Timer2", .interval_ms = 500, .enabled = false});

  form.labels.push_back({
      .name = "Label1",
      .caption = u"0",  // replaced at load, so never seen
      .visible = false,
      .font = {.family = "Sans Serif", .points = 24, .weight = 400},
      .fore_color = {255, 0, 0},
      .left = 0,
      .top = 1200,
      .width = 270,
      .height = 555,
  });
  return form;
}

}  // namespace form1
