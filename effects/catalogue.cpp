#include "effects/catalogue.h"

namespace vorlin::effects {

std::string_view familyName(Family f) {
    switch (f) {
    case Family::Cut:
        return "cut";
    case Family::Rectangle:
        return "rectangle";
    case Family::Arc:
        return "arc";
    case Family::Triangle:
        return "triangle";
    case Family::Line:
        return "line";
    case Family::Wave:
        return "wave";
    case Family::Swarm:
        return "swarm";
    case Family::RandomBlock:
        return "random block";
    case Family::CrossFade:
        return "cross-fade";
    case Family::Rotation:
        return "rotation";
    }
    return "unknown";
}

} // namespace vorlin::effects
