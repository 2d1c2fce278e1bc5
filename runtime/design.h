// A form's design: the window and its controls as they stand before any code runs.
#pragma once

#include <string>
#include <vector>

#include "runtime/text.h"
#include "runtime/types.h"

namespace rt {

struct FontDesign {
  std::string family;
  float points = 0;
  int weight = 400;  // 100 to 900; 400 is regular, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  int charset = 0;
  friend bool operator==(const FontDesign&, const FontDesign&) = default;
};

struct LabelDesign {
  std::string name;
  Text caption;
  bool visible = true;
  FontDesign font;
  Color fore_color;
  Twips left = 0;
  Twips top = 0;
  Twips width = 0;
  Twips height = 0;
};

struct TimerDesign {
  std::string name;
  int interval_ms = 0;
  bool enabled = false;
};

struct FormDesign {
  std::string name;
  Text caption;
  bool border = true;
  Color back_color;
  Twips client_width = 0;
  Twips client_height = 0;
  // Controls in the order they are created and their events are delivered.
  std::vector<TimerDesign> timers;
  std::vector<LabelDesign> labels;
};

}  // namespace rt
