// The program's side of a form: its variables and the handlers bound to its events.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/form.h"

namespace rt {

// The events a form's code handles, each bound to a named handler. The runtime calls the
// handlers one at a time on its one thread; the name appears in run-time error reports.
class Events {
 public:
  using Handler = std::function<void()>;
  struct Binding {
    std::string handler_name;
    Handler run;
    const Timer* timer = nullptr;  // null for the form's Load event
  };

  void OnLoad(std::string handler_name, Handler handler);
  void OnTimer(const Timer& timer, std::string handler_name, Handler handler);

  // The runtime's side: the Load binding, if any, and the binding of `timer`, if any.
  const Binding* Load() const;
  const Binding* ForTimer(const Timer& timer) const;

 private:
  const Binding* Find(const Timer* timer) const;

  std::vector<Binding> bindings_;
};

// Base of a form's code. `Me` is the form the code belongs to.
class FormCode {
 public:
  virtual ~FormCode() = default;
  FormCode(const FormCode&) = delete;
  FormCode& operator=(const FormCode&) = delete;

 protected:
  explicit FormCode(Form& form) : Me(form) {}

  // The next number of the runtime's pseudo-random sequence: at least 0, below 1.
  float NextRandom() { return Me.Rnd().Next(); }

  Form& Me;  // NOLINT(cppcoreguidelines-non-private-member-variables-in-classes)
};

}  // namespace rt
