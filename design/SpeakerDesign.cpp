#include "design/SpeakerDesign.h"

namespace BoxType {

BoxKind Classify(std::string_view name) {
    if (name == Sealed)
        return BoxKind::Sealed;
    if (name == Vented)
        return BoxKind::Vented;
    if (name == Bandpass4)
        return BoxKind::Bandpass4;
    if (name == Bandpass6)
        return BoxKind::Bandpass6;
    return BoxKind::Unknown;
}

std::string_view Name(BoxKind kind) {
    switch (kind) {
    case BoxKind::Sealed:
        return Sealed;
    case BoxKind::Vented:
        return Vented;
    case BoxKind::Bandpass4:
        return Bandpass4;
    case BoxKind::Bandpass6:
        return Bandpass6;
    case BoxKind::Unknown:
        break;
    }
    return {};
}

} // namespace BoxType
