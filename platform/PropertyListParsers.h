#pragma once

#include "platform/PropertyList.h"

// The two readers behind parsePropertyList. Each enforces the limits of PropertyList.h itself.

// Bytes that start with "bplist00".
PropertyListReadResult parseBinaryPropertyList(std::span<const std::uint8_t> bytes);
// Anything else: an XML document whose root element is <plist> holding exactly one value.
PropertyListReadResult parseXmlPropertyList(std::span<const std::uint8_t> bytes);

inline PropertyListReadResult propertyListFailure(std::string phrase)
{
    return { std::nullopt, std::move(phrase) };
}
