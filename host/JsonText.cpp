#include "host/JsonText.h"

#include "platform/Utf8.h"

namespace orvessa {

void replaceInvalidUtf8(nlohmann::ordered_json& document)
{
    if (document.is_string()) {
        auto& text = document.get_ref<std::string&>();
        if (!isValidUtf8(text))
            text = withInvalidUtf8Replaced(text);
        return;
    }
    if (document.is_structured()) {
        for (auto& element : document)
            replaceInvalidUtf8(element);
    }
}

}
