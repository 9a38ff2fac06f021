#include "forms/Form3.h"

namespace {
constexpr ListDetailForm::Design kDesign{"Form3", u"合成资料",   5295,  3735, 5295,
                                         2985,    u"合成表.txt", false, false};
} // namespace

const ListDetailForm::Design& Form3::design() {
    return kDesign;
}

Form3::Form3() : ListDetailForm(kDesign) {}
