#include "rules/rule_sets.h"

#include "rules/rule_index.h"

namespace qx {

Cascade CascadeOf(Family family) {
    switch (family) {
        case Family::kAsp:
            return AspCascade;
        case Family::kAspx:
            return AspxCascade;
        case Family::kPhp:
            return PhpCascade;
        case Family::kJsp:
            return JspCascade;
    }
    return AspCascade;
}

const RuleIndex& RuleIndexOf(Family family) {
    // Each built once, on first use; C++ makes that safe among threads.
    switch (family) {
        case Family::kAsp: {
            static const RuleIndex index(AspCascade);
            return index;
        }
        case Family::kAspx: {
            static const RuleIndex index(AspxCascade);
            return index;
        }
        case Family::kPhp: {
            static const RuleIndex index(PhpCascade);
            return index;
        }
        case Family::kJsp:
            break;
    }
    static const RuleIndex index(JspCascade);
    return index;
}

}  // namespace qx
