#include "host/SlidePosition.h"

#include "platform/WeeAppController.h"

namespace orvessa {

std::string SlidePosition::entry(std::int64_t offset) const
{
    auto count = std::int64_t(images->size());
    return (*images)[std::size_t(((currentImage + offset) % count + count) % count)];
}

std::optional<SlidePosition> slidePosition(const BBWeeAppController& widget)
{
    SlidePosition position;
    bool hasIndex = false;
    for (auto& field : widget.debugState()) {
        if (field.name == "images") {
            if (auto* list = std::get_if<std::shared_ptr<const PathList>>(&field.value))
                position.images = *list;
        } else if (field.name == "currentImage") {
            if (auto* index = std::get_if<std::int64_t>(&field.value)) {
                position.currentImage = *index;
                hasIndex = true;
            }
        }
    }
    if (!hasIndex || !position.images || position.images->empty() || position.currentImage < 0 || position.currentImage >= std::int64_t(position.images->size()))
        return std::nullopt;
    return position;
}

}
