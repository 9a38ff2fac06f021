#include "forms/Form7.h"

namespace {
// Text1 is drawn a little wider than the window; the first resize brings both controls to its width.
constexpr ListDetailForm::Design kDesign{"Form7", u"料理~藥品",    4680, 3195, 4695,
                                         2205,    u"料理藥品.txt", true, true};
} // namespace

const ListDetailForm::Design& Form7::design() {
    return kDesign;
}

Form7::Form7() : ListDetailForm(kDesign) {}
