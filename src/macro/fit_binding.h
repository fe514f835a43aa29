#pragma once

namespace xyla {

class Macro;
namespace fit {
class Fit;
}

// The application's fit controller, bound to the macro's document (a controller of
// its own when the macro runs without an application).
fit::Fit& fitFor(Macro& m);

// Publishes the last fit of `f` as the macro's variables (fitok, fitA1, ...).
void publishFit(Macro& m, const fit::Fit& f);

}  // namespace xyla
